#include "frame/modem_connect.h"

#include "frame/ui_scopes.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"

#include <QPointer>
#include <QWidget>

namespace module1 {
namespace {

constexpr qint64 carrier_wait_us = 30'000'000;
constexpr qint64 hang_up_limit_us = 30'000'000;

}  // namespace

bool modem_connect(const QString& phone_number, QString& reply, QWidget* window, bool quiet)
{
    Globals& gs = g();
    Clock& clk = *platform().clock;
    Prompts& prompts = *platform().prompts;
    SerialPort* port = platform().serial;
    if (!port || !port->is_open() || !gs.serial_in_use)
        return false;
    QPointer<QWidget> win(window);
    const auto caption = [&win](const QString& text) {
        if (win)
            win->setWindowTitle(text);
    };

    // A call left over from before: escape to command state and hang up, for at most 30 s.
    const qint64 hang_up_start = clk.now_us();
    while (port->carrier_detect() && clk.now_us() - hang_up_start < hang_up_limit_us) {
        caption(QStringLiteral("Still connected....disconnecting"));
        clk.sleep_ms(1500);
        port->write("+++");
        clk.sleep_ms(1500);
        port->write("ATH0\r\n");
    }
    port->discard_input();
    port->discard_output();
    clk.sleep_ms(500);

    Hourglass hourglass;  // for as long as the dialling blocks
    // A Hayes modem executes a command line on CR.
    port->write(QByteArray(modem_init_command) + "\r\n");
    clk.sleep_ms(1000);
    caption(QStringLiteral("Dialing...") + phone_number);
    vbib32::Send(gs.gpib_board, gs.meter_address, QStringLiteral("ATD ") + phone_number, vbib32::NLend);

    // Only this wait lets the event loop run; clicks wait, so no command can start in the middle of it.
    const qint64 dial_start = clk.now_us();
    QByteArray modem_text;
    bool busy = false;
    for (;;) {
        if (port->carrier_detect())
            break;
        if (clk.now_us() - dial_start > carrier_wait_us)
            break;
        clk.yield(true);
        modem_text += port->read_all();
        if (!quiet && modem_text.contains("BUSY")) {
            prompts.message_box(QStringLiteral("Line is busy..."), Prompts::Buttons::Ok, Prompts::Icon::None,
                                QStringLiteral("Modem at ") + phone_number);
            busy = true;
            break;
        }
        clk.sleep_ms(10);
    }

    if (!port->carrier_detect()) {
        port->write("+++");
        if (!quiet && !busy)
            prompts.message_box(QStringLiteral("Unable to connect to the modem"), Prompts::Buttons::Ok,
                                Prompts::Icon::None, QStringLiteral("Sorry..."));
        return false;
    }

    caption(QStringLiteral("Connected..."));
    clk.sleep_ms(500);
    port->discard_input();
    gs.serial_in_use = true;
    vbib32::Send(gs.gpib_board, gs.meter_address, "!DCL", vbib32::NLend);
    clk.sleep_ms(500);
    vbib32::Send(gs.gpib_board, gs.meter_address, "*IDN?", vbib32::NLend);
    QByteArray buffer = vbib32::fixed_buffer(256);
    vbib32::Receive(gs.gpib_board, gs.meter_address, buffer, vbib32::STOPend);
    reply = vbib32::text_of(buffer);
    return reply.contains(QLatin1String("TOLMARE,RQ581"));
}

}  // namespace module1
