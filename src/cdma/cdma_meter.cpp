#include "cdma/cdma_meter.h"

#include "cdma/cdma_collection.h"
#include "cdma/cdma_rules.h"
#include "frame/meter_routines.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"

namespace cdma {
namespace {

Clock& clk() { return *platform().clock; }

std::optional<double> read_channel(int board, int address, const QByteArray& request)
{
    vbib32::Send(board, address, request);
    QByteArray buffer = vbib32::fixed_buffer(20);
    const Globals& gs = g();
    // A read that never happens (no link) must not pass for one that arrived with a stale count.
    g().ibcnt = 0;
    vbib32::Receive(board, address, buffer);
    return reading_of(buffer, gs.gpib_in_use && !gs.serial_in_use, gs.ibsta, gs.ibcnt);
}

}  // namespace

bool set_up_meter(int board, int address)
{
    vbib32::DevClear(board, address);
    clk().sleep_ms(2000);
    vbib32::Send(board, address, "OPMD DIGIT");
    vbib32::Send(board, address, "RDMODE?");
    QByteArray mode = vbib32::fixed_buffer(50);
    vbib32::Receive(board, address, mode);
    if (!vbib32::text_of(mode).contains(QLatin1String("CDMA"))) {
        vbib32::Send(board, address, "RDMODE CDMA");
        clk().sleep_ms(13000);
    }
    vbib32::Send(board, address, "CDMEAS 1, PEAK");
    vbib32::Send(board, address, "CDMEAS 2, OFF");
    vbib32::Send(board, address, "RGH A, AUTO");
    const bool two_inputs = !module1::is_single_channel_meter(board, address);
    if (two_inputs)
        vbib32::Send(board, address, "RGH B, AUTO");
    vbib32::Send(board, address, "CHCFG 1, A");
    vbib32::Send(board, address, "CHCFG 2, A");
    vbib32::Send(board, address, "PCRH TIMED; PCRT 0");
    return two_inputs;
}

void leave_meter(int board, int address)
{
    vbib32::Send(board, address, "RDMODE STAND");
    clk().sleep_ms(12000);
}

std::optional<PassReadings> read_pass(int board, int address)
{
    static const QByteArray peak_request = QByteArrayLiteral("o 1");
    static const QByteArray average_request = QByteArrayLiteral("o 2");
    const std::optional<double> peak = read_channel(board, address, peak_request);
    if (!peak)
        return std::nullopt;
    const std::optional<double> average = read_channel(board, address, average_request);
    if (!average)
        return std::nullopt;
    return PassReadings{*peak, *average};
}

QString communication_failure_text()
{
    return QStringLiteral("Problem with communication with power meter.\r\nStopped run. Please Check...");
}

}  // namespace cdma

namespace cdma {

void run_passes(Collection& collection, RunFlags& flags, int board, int address,
                const std::function<void(bool now)>& show)
{
    Clock& clock = clk();
    flags.run_active = true;
    collection.start_run(clock.now_us());
    while (!flags.stop_requested) {
        const std::optional<PassReadings> readings = read_pass(board, address);
        if (!readings) {
            if (show)
                show(true);
            platform().prompts->message_box(communication_failure_text());
            flags.stop_requested = true;
            break;
        }
        collection.add_pass(readings->peak, readings->average);
        if (show)
            show(false);
        clock.yield();
        collection.update_time(clock.now_us());
    }
    flags.stop_requested = false;
    flags.run_active = false;
    collection.end_run();
}

}  // namespace cdma
