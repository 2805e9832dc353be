#include "frame/stored_config.h"

#include "link/globals.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "util/number_text.h"

#include <algorithm>
#include <cmath>

namespace module1 {
namespace {

const QString type_mismatch = QStringLiteral("Type mismatch");

struct LoadError {
    QString description;
};

QString read_text(const QString& section, const QString& key)
{
    return platform().settings->read(section, key).value_or(QString());
}

int read_integer(const QString& section, const QString& key)
{
    int v = 0;
    QString error;
    if (!to_integer(read_text(section, key), &v, &error))
        throw LoadError{error};
    return v;
}

bool read_boolean(const QString& section, const QString& key)
{
    bool v = false;
    QString error;
    if (!to_boolean(read_text(section, key), &v, &error))
        throw LoadError{error};
    return v;
}

// The stored link choice compared as a number: 1 serial, 2 GPIB, anything else neither (0).
int link_choice(const QString& text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok)
        return d == 1 ? 1 : d == 2 ? 2 : 0;
    int v = 0;
    if (to_integer(text, &v, nullptr))
        return v == 1 || v == 2 ? v : 0;
    return 0;
}

// "&H" and hexadecimal digits, with the "&" that asks for 32 bits: "&Hzz" and "&H1;*RST" are no numbers,
// though Val reads 0 and 1 from them.
bool hex_text(const QString& t)
{
    if (!t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return false;
    const QStringView digits = QStringView(t).mid(2).chopped(t.endsWith(u'&') ? 1 : 0);
    const auto hex_digit = [](QChar c) {
        const char16_t u = c.toLower().unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
    };
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), hex_digit);
}

void show_error(const QString& description)
{
    platform().prompts->message_box(QStringLiteral("Error: ") + description, Prompts::Buttons::Ok);
}

}  // namespace

bool to_integer(const QString& text, int* out, QString* error)
{
    const QString t = text.trimmed();
    bool ok = false;
    double d = t.toDouble(&ok);
    // A hex text passes the same range check as a decimal one: "&HDDD82" is no 16-bit integer.
    if (!ok && hex_text(t)) {
        ok = true;
        d = numtext::val(t);
    }
    if (!ok || !std::isfinite(d)) {
        if (error)
            *error = type_mismatch;
        return false;
    }
    if (d < -32768.5 || d > 32767.5) {
        if (error)
            *error = QStringLiteral("Overflow");
        return false;
    }
    *out = numtext::cint(d);
    return true;
}

bool to_boolean(const QString& text, bool* out, QString* error)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        *out = true;
        return true;
    }
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        *out = false;
        return true;
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok) {
        if (error)
            *error = type_mismatch;
        return false;
    }
    *out = d != 0;
    return true;
}

bool dialable(const QString& phone_number)
{
    return std::none_of(phone_number.begin(), phone_number.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString boolean_text(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

bool config_stored()
{
    // The meter address key, read with -256 as its default, tells whether anything is stored.
    const auto v = platform().settings->read(QStringLiteral("GPIB"), QStringLiteral("RQ58xxK"));
    return v.has_value() && numtext::val(*v) != -256;
}

void load_port_devices()
{
    SerialPort* port = platform().serial;
    if (!port)
        return;
    for (int n = 1; n <= 2; ++n) {
        const auto device = platform().settings->read(QStringLiteral("Serial"), QStringLiteral("Port %1 device").arg(n));
        if (device)
            port->set_device_override(n, *device);
        const auto carrier =
            platform().settings->read(QStringLiteral("Serial"), QStringLiteral("Port %1 carrier file").arg(n));
        if (carrier)
            port->set_carrier_file(n, *carrier);
    }
}

void load_config()
{
    Globals& gs = g();
    SerialPort* port = platform().serial;
    try {
        // The link choice is plain text: a missing or odd value chooses no link but stops nothing.
        gs.comms_type = link_choice(read_text(QStringLiteral("Comms"), QStringLiteral("Comms")));
        QString error;
        gs.meter_address = read_integer(QStringLiteral("GPIB"), QStringLiteral("RQ58xxK"));
        gs.modem_in_use = read_boolean(QStringLiteral("Modem"), QStringLiteral("Modem"));
        const QString phone_number = read_text(QStringLiteral("Modem"), QStringLiteral("Phone Number"));
        if (!dialable(phone_number))
            throw LoadError{QStringLiteral("Invalid property value")};
        gs.phone_number = phone_number;
        const int port_number = read_integer(QStringLiteral("Serial"), QStringLiteral("Port"));
        if (port && !port->set_port(port_number, &error))
            throw LoadError{error};
        const QString settings = read_text(QStringLiteral("Serial"), QStringLiteral("Settings"));
        if (port && !port->set_settings(settings, &error))
            throw LoadError{error};
        load_port_devices();
        const auto synth = platform().settings->read(QStringLiteral("GPIB"), QStringLiteral("Tolmare Synth addr"));
        if (synth) {
            int a = -1;
            if (!to_integer(*synth, &a, &error))
                throw LoadError{error};
            gs.synth_address = a;
        } else {
            gs.synth_address = -1;
        }
        gs.other_synth = read_boolean(QStringLiteral("GPIB"), QStringLiteral("Other synth"));
        gs.maker_synth = read_boolean(QStringLiteral("GPIB"), QStringLiteral("Tolmare Synth"));
    } catch (const LoadError& e) {
        show_error(e.description);
        return;
    }
    if (gs.comms_type == 2) {
        gs.gpib_in_use = true;
        gs.serial_in_use = false;
    } else if (gs.comms_type == 1) {
        gs.gpib_in_use = false;
        gs.serial_in_use = true;
    }
}

void save_config()
{
    const Globals& gs = g();
    SettingsStore& s = *platform().settings;
    const SerialPort* port = platform().serial;
    s.write(QStringLiteral("Comms"), QStringLiteral("Comms"), QString::number(gs.comms_type));
    s.write(QStringLiteral("GPIB"), QStringLiteral("RQ58xxK"), QString::number(gs.meter_address));
    s.write(QStringLiteral("Modem"), QStringLiteral("Modem"), boolean_text(gs.modem_in_use));
    s.write(QStringLiteral("Modem"), QStringLiteral("Phone Number"), gs.phone_number);
    s.write(QStringLiteral("Serial"), QStringLiteral("Port"), QString::number(port ? port->port() : 1));
    s.write(QStringLiteral("Serial"), QStringLiteral("Settings"), port ? port->settings() : QString());
    s.write(QStringLiteral("GPIB"), QStringLiteral("Tolmare Synth addr"), QString::number(gs.synth_address));
    s.write(QStringLiteral("GPIB"), QStringLiteral("Other synth"), boolean_text(gs.other_synth));
    s.write(QStringLiteral("GPIB"), QStringLiteral("Tolmare Synth"), boolean_text(gs.maker_synth));
}

}  // namespace module1
