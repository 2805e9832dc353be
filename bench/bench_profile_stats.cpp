// The profile window's continuous run with the amplitude statistics collecting and the statistics graph
// shown and redrawn every pass, against a simulated meter that answers at once; and the cost of adding
// one trace to the histogram. Build in Release.
//
//   bench_profile_stats [traces]     (default 20000)
#include "gpib_bench_world.h"
#include "profile/graphtests.h"
#include "profile/profile_stats.h"
#include "sim/sim_generator.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QTabWidget>
#include <array>
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
    const double seconds = seconds_of([&] {
        for (int i = 0; i < n; ++i)
            stats.add_trace(traces[std::size_t(i) % traces.size()].data(), 200, -5 * 1024.0f, i);
    });
    if (stats.sample_count() != qint64(n) * 200)
        std::printf("unexpected sample count\n");
    return seconds * 1e6 / n;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int traces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    std::printf("adding one trace to the histogram: %.3f us\n", add_trace_us());

    GpibBenchWorld<> world;
    world.instant_traces();
    SimBench& bench = world.bench;

    QPointer<graphtests> w = open_window<graphtests>(QSize(900, 660));
    // A pulse train spreads the samples over two levels; the statistics tab is shown, collecting and
    // redrawing its graph every pass.
    bench.generator().receive_message("IP");
    w->SSTab1->setCurrentIndex(5);
    w->do_pdf_check->setChecked(true);
    w->stats_continuous_update_check->setChecked(true);

    world.clock.on_yield = [&] {
        world.yielded();
        if (w && w->statistics.sample_count() >= qint64(traces) * 200)
            w->menuStop_Click();
    };
    const double seconds = seconds_of([&] { w->menuRunCont_Click(); });
    world.clock.on_yield = nullptr;

    print_rate("profile continuous run with statistics", double(w->statistics.sample_count()) / 200, "traces", "trace",
               seconds);
    world.finish(w);
    return 0;
}
