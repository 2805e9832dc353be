// Traces per second of the GSM slot window's run loop against a simulated meter that answers at once:
// request, read, decode, split, bars drawn, labels and yield, with the window shown offscreen. Build in
// Release.
//
//   bench_gsm [traces]     (default 20000)
#include "gsm/frm_gsm.h"
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "sim/meter_gsm.h"
#include "sim/meter_profile.h"
#include "sim/sim_bench.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"

#include <QApplication>
#include <QPointer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int traces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    VirtualClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    FakeSerialPort serial;
    BenchDescription description;
    description.tdma_frame = true;
    SimBench bench(clock, description);
    bench.bus().us_per_byte = 0;
    SimMeter& meter = bench.meter();
    meter.query_latency_ms = 0;
    meter.numbers[sim_profile::kProcessingMs] = 0;
    // Noise, so every trace gives new values to draw and label.
    sim_gsm::frame(meter).noise_db = 0.2;

    Platform p = Platform::of(clock, prompts, settings, bench.bus(), serial);
    install_platform(p);
    Globals& gs = g();
    gs.gpib_in_use = true;
    gs.comms_type = 2;
    gs.meter_address = description.meter_address;

    QPointer<frmGSM> w = new frmGSM;
    w->show();
    w->load();

    // The run yields once a pass, and inside the link's waits; count the requests instead.
    int passes = 0;
    clock.on_yield = [&] {
        const int sent = int(bench.log().sent(description.meter_address).count(QStringLiteral("OGBD")));
        if (sent > 0) {
            passes += sent;
            bench.log().clear();
        }
        if (passes >= traces && w)
            w->menuStop_Click();
    };
    const auto start = std::chrono::steady_clock::now();
    w->menuRun_Click();
    const auto end = std::chrono::steady_clock::now();
    clock.on_yield = nullptr;

    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("GSM slot run: %d traces in %.3f s = %.0f traces/s (%.1f us a trace)\n", passes, seconds,
                passes / seconds, seconds / passes * 1e6);
    if (!prompts.calls.empty())
        std::printf("unexpected box: %s\n", qPrintable(prompts.calls.front().text));
    w->menuExit_Click();
    QCoreApplication::processEvents();
    install_platform(Platform{});
    return 0;
}
