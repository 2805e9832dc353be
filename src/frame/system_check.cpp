#include "frame/system_check.h"

#include "frame/meter_routines.h"
#include "frame/modem_connect.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "util/number_text.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace module1 {
namespace {

bool known_model(const QString& model)
{
    return model == QLatin1String("RQ5811K") || model == QLatin1String("RQ5812K") ||
           model == QLatin1String("RQ5821K") || model == QLatin1String("RQ5822K");
}

void box(const QString& text, const QString& title = Prompts::default_title())
{
    platform().prompts->message_box(text, Prompts::Buttons::Ok, Prompts::Icon::None, title);
}

// The caption of the checked window: phrases go on the remembered caption, which is put back at the end.
class Caption {
public:
    explicit Caption(QWidget* window) : window_(window), saved_(window ? window->windowTitle() : QString()) {}
    ~Caption() { restore(); }
    Caption(const Caption&) = delete;
    Caption& operator=(const Caption&) = delete;
    void append(const QString& phrase)
    {
        if (window_)
            window_->setWindowTitle(saved_ + phrase);
    }
    void restore()
    {
        if (window_)
            window_->setWindowTitle(saved_);
    }

private:
    QPointer<QWidget> window_;
    QString saved_;
};

// The serial port stays closed at start-up: the check opens it, with the configuration window's texts.
bool open_serial_port()
{
    SerialPort* port = platform().serial;
    if (!port)
        return false;
    if (port->is_open())
        return true;
    QString error;
    int code = 0;
    if (port->open(&error, &code))
        return true;
    if (code == 8005)
        box(QStringLiteral("Port already in use...please choose the other port."));
    else
        box(QStringLiteral("Error: ") + error, QStringLiteral("Sorry..."));
    return false;
}

// Dials the meter; false when there is no number or the connection failed (the port is then closed).
bool check_modem(Caption& caption, QWidget* window)
{
    Globals& gs = g();
    if (gs.phone_number.isEmpty()) {
        box(QStringLiteral("Please configure a modem phone number to dial."),
            QStringLiteral("No Phone number supplied"));
        return false;
    }
    caption.append(QStringLiteral(" - Trying to connect to remote Power Meter"));
    QString reply;
    if (modem_connect(gs.phone_number, reply, window, false)) {
        gs.meter_model = identity_model(reply);
        return true;
    }
    box(QStringLiteral("Couldnt connect/recognise sorvane. Disconnecting...."));
    SerialPort* port = platform().serial;
    if (port && port->is_open())
        port->close();
    return false;
}

// Identity and revision of a meter on a direct link. False when the meter sent nothing back.
bool check_meter(Caption& caption)
{
    Globals& gs = g();
    caption.append(QStringLiteral(" - testing Sorvane."));
    if ((gs.ibsta & vbib32::ERR) || (!gs.gpib_in_use && !gs.serial_in_use)) {
        box(QStringLiteral("I had problems writting to the RQ58xxK Device - Please check your system."));
        return false;
    }
    vbib32::Send(gs.gpib_board, gs.meter_address, "*IDN?", vbib32::NLend);
    QByteArray buffer = vbib32::fixed_buffer(256);
    vbib32::Receive(gs.gpib_board, gs.meter_address, buffer, vbib32::STOPend);
    const bool answered = gs.ibcnt > 0 && !(gs.gpib_in_use && (gs.ibsta & vbib32::ERR));
    const QString reply = vbib32::text_of(buffer);
    gs.meter_model = identity_model(reply);
    if (!known_model(gs.meter_model)) {
        if (gs.comms_type == 2)
            box(QStringLiteral("You do not have an Tolmare RQ581xK or RQ582xK Power Meter Connected to the GPIB at "
                               "address") +
                QString::number(gs.meter_address));
        else
            box(QStringLiteral("You do not have an Tolmare RQ581xK or RQ582xK Power Meter Connected to Serial Port") +
                QString::number(platform().serial ? platform().serial->port() : 0));
        // A meter that said nothing at all is not there: the link is not proven.
        return answered;
    }
    const double revision = identity_revision(reply);
    const double required = required_revision(gs.meter_model);
    if (revision < required)
        box(QStringLiteral("Your Power Meter does not have the correct software revision. Need ") +
                numtext::format(required, QStringLiteral("#0.00")) + QStringLiteral(" or greater"),
            QStringLiteral("Software Revision ") + numtext::cstr_double(revision));
    return true;
}

// The maker's generator answers "OI" with its series number first.
bool check_generator(Caption& caption)
{
    Globals& gs = g();
    caption.append(QStringLiteral(" - Testing Tolmare Sweeper"));
    vbib32::Send(0, gs.synth_address, "OI", vbib32::NLend);
    if (gs.ibsta & vbib32::ERR) {
        box(QStringLiteral("I had problems writting to the Sweeper Device - Please check your system."));
        return false;
    }
    QByteArray buffer = vbib32::fixed_buffer(256);
    vbib32::Receive(0, gs.synth_address, buffer, vbib32::STOPend);
    const double series = numtext::val(buffer.left(2));
    if (!(series > 45 && series < 49)) {
        box(QStringLiteral("I dont seem to have an Tolmare 47xxx or 48xxx series sweeper attached."));
        return false;
    }
    return true;
}

}  // namespace

QString identity_model(const QString& reply)
{
    const int comma = reply.indexOf(QLatin1Char(','));
    return comma < 0 ? QString() : reply.mid(comma + 1, 7);
}

double identity_revision(const QString& reply)
{
    const QStringList fields = reply.split(QLatin1Char(','));
    if (fields.size() < 4)
        return numtext::val(reply);
    return numtext::val(fields[3]);
}

double required_revision(const QString& model)
{
    if (model == QLatin1String("RQ5811K") || model == QLatin1String("RQ5812K"))
        return 2.02;
    if (model == QLatin1String("RQ5821K") || model == QLatin1String("RQ5822K"))
        return 1.0;
    return 0.0;
}

bool check_instruments(QWidget* window)
{
    // One check at a time: the modem's carrier wait lets the event loop run.
    static bool running = false;
    if (running)
        return false;
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;

    Globals& gs = g();
    Caption caption(window);
    gs.instruments_ok = false;
    if (!reset_gpib(window))
        return false;
    const bool serial_chosen = gs.comms_type == 1;
    if (serial_chosen && !open_serial_port())
        return false;
    caption.append(QStringLiteral(" - Checking modem connection..."));
    if (gs.modem_in_use && serial_chosen) {
        if (!check_modem(caption, window))
            return false;
    } else if (!check_meter(caption)) {
        return false;
    }
    if (gs.maker_synth && !gs.other_synth && !check_generator(caption))
        return false;
    caption.restore();
    gs.instruments_ok = true;
    return true;
}

}  // namespace module1
