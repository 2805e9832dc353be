// Traces per second of the profile window's continuous run against a simulated meter that answers at
// once: request, read, decode, draw and yield, with the window shown offscreen. Build in Release.
//
//   bench_profile [traces]     (default 20000)
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "profile/graphtests.h"
#include "sim/meter_profile.h"
#include "sim/sim_bench.h"
#include "sim/sim_generator.h"
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
    SimBench bench(clock);
    bench.bus().us_per_byte = 0;
    SimMeter& meter = bench.meter();
    meter.query_latency_ms = 0;
    meter.numbers[sim_profile::kProcessingMs] = 0;

    Platform p = Platform::of(clock, prompts, settings, bench.bus(), serial);
    install_platform(p);
    Globals& gs = g();
    gs.gpib_in_use = true;
    gs.comms_type = 2;
    gs.meter_address = bench.description().meter_address;
    gs.synth_address = bench.description().generator_address;
    gs.maker_synth = true;

    QPointer<graphtests> w = new graphtests;
    w->resize(900, 660);
    w->show();
    w->load();
    // A pulse train, so the drawing has edges to draw.
    bench.generator().receive_message("IP");

    // The run yields once in the set-up and four times a pass (the graph's drawing, the cursor labels,
    // the cursor readout and the pass's end).
    constexpr int kYieldsPerPass = 4;
    int yields = 0;
    const int stop_after = 1 + kYieldsPerPass * traces;
    clock.on_yield = [&] {
        if (++yields % 512 == 0)
            bench.log().clear();
        if (yields >= stop_after && w)
            w->menuStop_Click();
    };
    const auto start = std::chrono::steady_clock::now();
    w->menuRunCont_Click();
    const auto end = std::chrono::steady_clock::now();
    clock.on_yield = nullptr;

    const double seconds = std::chrono::duration<double>(end - start).count();
    const int passes = (yields - 1) / kYieldsPerPass;
    std::printf("profile continuous run: %d traces in %.3f s = %.0f traces/s (%.1f us a trace)\n", passes, seconds,
                passes / seconds, seconds / passes * 1e6);
    if (!prompts.calls.empty())
        std::printf("unexpected box: %s\n", qPrintable(prompts.calls.front().text));
    w->menuExit_Click();
    QCoreApplication::processEvents();
    install_platform(Platform{});
    return 0;
}
