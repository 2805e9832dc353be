#include "frame/meter_routines.h"

#include "frame/ui_scopes.h"

#include "link/gpibgen.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "util/number_text.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace module1 {
namespace {

void send_meter(const QString& text)
{
    const Globals& gs = g();
    vbib32::Send(gs.gpib_board, gs.meter_address, text, vbib32::NLend);
}

void receive_meter(QByteArray& buffer)
{
    const Globals& gs = g();
    vbib32::Receive(gs.gpib_board, gs.meter_address, buffer, vbib32::STOPend);
}

// A reply line as the identity readers take it: the text before the first line feed, blanks trimmed.
QString first_line(const QByteArray& buffer)
{
    QString text = vbib32::text_of(buffer);
    const int lf = text.indexOf(QLatin1Char('\n'));
    if (lf >= 0)
        text.truncate(lf);
    return text.trimmed();
}

bool known_model(const QString& model)
{
    return model == QLatin1String("RQ5811K") || model == QLatin1String("RQ5812K") ||
           model == QLatin1String("RQ5821K") || model == QLatin1String("RQ5822K");
}

struct SensorJob {
    const char* command;
    const char* phrase;
    double pre_pause_ms;
    double bound_ms;
    const char* what;
};

const SensorJob zeroing{"ZERO ", " - Please Wait...Zeroing", 8000.0, zero_bound_ms, "zeroing"};
const SensorJob calibrating{"CAL ", " - Please Wait...Calibrating to 0dBm", 1000.0, cal_bound_ms, "calibration"};

// Starts the operation with "*OPC?" behind it and reads until the meter answers 1. A meter that never
// answers is given up on after the job's bound, so the window cannot stay disabled for good.
void run_sensor_job(QWidget* window, const QString& sensor, const SensorJob& job)
{
    Clock& clk = *platform().clock;
    QPointer<QWidget> win(window);
    const QString caption = win ? win->windowTitle() : QString();
    if (win) {
        win->setWindowTitle(caption + QLatin1String(job.phrase));
        win->setEnabled(false);
    }
    const qint64 start = clk.now_us();
    send_meter(QLatin1String(job.command) + sensor + QStringLiteral("; *OPC?"));
    clk.pause_yielding(job.pre_pause_ms);

    bool done = false;
    while ((clk.now_us() - start) / 1000.0 < job.bound_ms) {
        QByteArray buffer = vbib32::fixed_buffer(256);
        const qint64 before = clk.now_us();
        receive_meter(buffer);
        if (numtext::val(buffer) == 1.0) {
            done = true;
            break;
        }
        // A read that returns at once (no link at all) must not spin on the spot.
        if (clk.now_us() == before)
            clk.sleep_ms(100);
    }
    if (!done) {
        // A late "1" must not be taken for the answer to the next query.
        const Globals& gs = g();
        vbib32::DevClear(gs.gpib_board, gs.meter_address);
    }
    if (win) {
        win->setWindowTitle(caption);
        win->setEnabled(true);
    }
    if (!done)
        platform().prompts->message_box(QStringLiteral("Sensor ") + sensor +
                                            QStringLiteral(" did not report the end of ") +
                                            QLatin1String(job.what) + QLatin1Char('.'),
                                        Prompts::Buttons::Ok, Prompts::Icon::Exclamation, Prompts::default_title());
}

}  // namespace

void set_averaging(const QString& sensor, int count)
{
    if (count == -1) {
        send_meter(QStringLiteral("AVG ") + sensor + QStringLiteral(", Auto,"));
        return;
    }
    if (count == 0) {
        send_meter(QStringLiteral("GRSWS OFF"));
        return;
    }
    const QString n = QString::number(count);
    send_meter(QStringLiteral("GRSWS ON"));
    send_meter(QStringLiteral("Avg ") + sensor + QStringLiteral(", MOV, ") + n);
    send_meter(QStringLiteral("GRSWP ") + sensor + QStringLiteral(", ") + n);
    gpibgen::gpib_error(QStringLiteral("Set Averaging on ") + sensor);
}

void zero_sensor(QWidget* window, const QString& sensor) { run_sensor_job(window, sensor, zeroing); }

void cal_sensor(QWidget* window, const QString& sensor) { run_sensor_job(window, sensor, calibrating); }

void leave_cdma_reading_mode(const QString& meter_model)
{
    if (meter_model != QLatin1String("RQ5821K") && meter_model != QLatin1String("RQ5822K"))
        return;
    send_meter(QStringLiteral("RDMODE?"));
    QByteArray buffer = vbib32::fixed_buffer(50);
    receive_meter(buffer);
    if (vbib32::text_of(buffer).contains(QLatin1String("CDMA"))) {
        send_meter(QStringLiteral("RDMODE STAND"));
        platform().clock->sleep_ms(12000);
    }
}

bool check_sensor_present(const QString& sensor)
{
    send_meter(QStringLiteral("SENTYP ") + sensor);
    QByteArray buffer = vbib32::fixed_buffer(100);
    receive_meter(buffer);
    return !vbib32::text_of(buffer).toUpper().contains(QLatin1String("NO SENSOR"));
}

bool is_single_channel_meter(int board, int address)
{
    vbib32::Send(board, address, "*IDN?", vbib32::NLend);
    gpibgen::gpib_error(QStringLiteral("Type "));
    QByteArray buffer = vbib32::fixed_buffer(100);
    vbib32::Receive(board, address, buffer, vbib32::STOPend);
    if (gpibgen::gpib_error(QStringLiteral("ID ")) != 0)
        return false;
    // The model is the text between the first two commas, looked for in all but the last byte received.
    const int end = std::min<int>(g().ibcnt - 1, buffer.size());
    int i = 0;
    while (i < end && buffer[i] != ',')
        ++i;
    if (i >= end)
        return false;
    QByteArray model;
    for (++i; i < end && buffer[i] != ','; ++i)
        model.append(buffer[i]);
    if (i >= end)
        return false;
    return model == "RQ5821K" || model == "RQ5811K";
}

bool get_sensor_types(SensorTypes& out)
{
    send_meter(QStringLiteral("*IDN?"));
    QByteArray buffer = vbib32::fixed_buffer(50);
    receive_meter(buffer);
    // maker, model, serial number, version; a short reply leaves the missing fields empty.
    const QStringList fields = first_line(buffer).split(QLatin1Char(','));
    out.meter_model = fields.value(1);
    out.serial_number = fields.value(2);
    out.software_version = fields.size() > 3 ? fields.mid(3).join(QLatin1Char(',')) : QString();
    out.two_inputs = out.meter_model == QLatin1String("RQ5822K") || out.meter_model == QLatin1String("RQ5812K");
    if (!known_model(out.meter_model))
        return false;

    const auto read_sensor = [](const QString& sensor, QString& type, QString& serial) {
        send_meter(QStringLiteral("SENTYP ") + sensor);
        QByteArray reply = vbib32::fixed_buffer(50);
        receive_meter(reply);
        const QString line = first_line(reply);
        const int comma = line.indexOf(QLatin1Char(','));
        type = comma >= 0 ? line.left(comma) : line;
        serial = comma >= 0 ? line.mid(comma + 1) : QString();
    };
    read_sensor(QStringLiteral("A"), out.sensor_a_type, out.sensor_a_serial);
    if (out.two_inputs) {
        read_sensor(QStringLiteral("B"), out.sensor_b_type, out.sensor_b_serial);
    } else {
        out.sensor_b_type = QStringLiteral("N/A");
        out.sensor_b_serial = QStringLiteral("N/A");
    }
    return true;
}

QString identity_header(const SensorTypes& ids)
{
    QString out;
    const auto line = [&out](const char* label, const QString& value) {
        out += QLatin1String(label) + QLatin1Char('\t') + value + QStringLiteral("\r\n");
    };
    line("Power Meter Model: ", ids.meter_model);
    line("Serial Number: ", ids.serial_number);
    line("Software version: ", ids.software_version);
    line("Sensor A Type: ", ids.sensor_a_type);
    line("Sensor A Ser.  ", ids.sensor_a_serial);
    if (ids.two_inputs) {
        line("Sensor B Type: ", ids.sensor_b_type);
        line("Sensor B Ser.  ", ids.sensor_b_serial);
    }
    return out;
}

void clear_meter_comms(QWidget* window, int board)
{
    const CaptionScope caption(window, window->windowTitle() + QStringLiteral(" Please wait.... Clearing Power Meter"));
    vbib32::DevClear(board, g().meter_address);
    platform().clock->sleep_ms(2000);
}

bool reset_gpib(QWidget* window)
{
    Globals& gs = g();
    if (gs.comms_type != 2)
        return true;
    QPointer<QWidget> win(window);
    const QString caption = win ? win->windowTitle() : QString();
    if (win)
        win->setWindowTitle(caption + QStringLiteral(" - Reseting GPIB..."));
    vbib32::ibfind(QStringLiteral("GPIB0"), gs.gpib_board_ud);
    gs.gpib_board_ud_valid = true;
    vbib32::ibsre(gs.gpib_board_ud, 1);
    vbib32::SendIFC(gs.gpib_board);
    platform().clock->sleep_ms(500);
    vbib32::DevClear(0, gs.meter_address);
    platform().clock->sleep_ms(2000);
    const bool ok = gpibgen::gpib_error(QStringLiteral("GPIB startup")) == 0;
    if (win)
        win->setWindowTitle(caption);
    return ok;
}

void gpib_go_local()
{
    Globals& gs = g();
    if (!gs.gpib_in_use)
        return;
    // No check has found the board yet: look it up now.
    if (!gs.gpib_board_ud_valid) {
        vbib32::ibfind(QStringLiteral("GPIB0"), gs.gpib_board_ud);
        gs.gpib_board_ud_valid = true;
    }
    vbib32::ibsre(gs.gpib_board_ud, 0);
    platform().clock->sleep_ms(250);
    vbib32::ibsre(gs.gpib_board_ud, 1);
    vbib32::ibsic(gs.gpib_board_ud);
}

}  // namespace module1
