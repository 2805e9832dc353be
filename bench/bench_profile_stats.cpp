// The profile window's continuous run with the amplitude statistics collecting and the statistics graph
// shown and redrawn every pass, against a simulated meter that answers at once; and the cost of adding
// one trace to the histogram. Build in Release.
//
//   bench_profile_stats [traces]     (default 20000)
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "profile/graphtests.h"
#include "profile/profile_stats.h"
#include "sim/meter_profile.h"
#include "sim/sim_bench.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QTabWidget>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Microseconds to add one 200-point trace, over many traces spread across the scale.
double add_trace_us()
{
    profile_stats::ProfileStats stats;
    std::array<std::array<float, 200>, 16> traces{};
    for (std::size_t t = 0; t < traces.size(); ++t)
        for (std::size_t k = 0; k < 200; ++k)
            traces[t][k] = float(-1024.0 * (5.0 + 0.37 * double((k * 7 + t * 13) % 150)));
    const int n = 200000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        stats.add_trace(traces[std::size_t(i) % traces.size()].data(), 200, -5 * 1024.0f, i);
    const auto end = std::chrono::steady_clock::now();
    if (stats.sample_count() != qint64(n) * 200)
        std::printf("unexpected sample count\n");
    return std::chrono::duration<double, std::micro>(end - start).count() / n;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int traces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    std::printf("adding one trace to the histogram: %.3f us\n", add_trace_us());

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
    // A pulse train spreads the samples over two levels; the statistics tab is shown, collecting and
    // redrawing its graph every pass.
    bench.generator().receive_message("IP");
    w->SSTab1->setCurrentIndex(5);
    w->do_pdf_check->setChecked(true);
    w->stats_continuous_update_check->setChecked(true);

    int yields = 0;
    clock.on_yield = [&] {
        if (++yields % 512 == 0)
            bench.log().clear();
        if (w && w->statistics.sample_count() >= qint64(traces) * 200)
            w->menuStop_Click();
    };
    const auto start = std::chrono::steady_clock::now();
    w->menuRunCont_Click();
    const auto end = std::chrono::steady_clock::now();
    clock.on_yield = nullptr;

    const double seconds = std::chrono::duration<double>(end - start).count();
    const double passes = double(w->statistics.sample_count()) / 200;
    std::printf("profile continuous run with statistics: %.0f traces in %.3f s = %.0f traces/s (%.1f us a trace)\n",
                passes, seconds, passes / seconds, seconds / passes * 1e6);
    if (!prompts.calls.empty())
        std::printf("unexpected box: %s\n", qPrintable(prompts.calls.front().text));
    w->menuExit_Click();
    QCoreApplication::processEvents();
    install_platform(Platform{});
    return 0;
}
