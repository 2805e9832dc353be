// Sweeps per second of the source-sweep window's continuous run against a simulated bench that answers
// at once: request, read, decode, draw the trace and the cursor labels, and yield, with the window shown
// offscreen. Build in Release.
//
//   bench_sweep [sweeps]     (default 20000)
#include "gpib_bench_world.h"
#include "sim/meter_sweep.h"
#include "sim/sim_generator.h"
#include "sweep/srcswp.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sweeps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    BenchDescription description;
    description.sweep_fixture = QStringLiteral("band-pass");
    GpibBenchWorld world(description);
    VirtualClock& clock = world.clock;
    RecordingPrompts& prompts = world.prompts;
    SimBench& bench = world.bench;
    SimMeter& meter = bench.meter();
    sim_sweep::bench_of(meter).processing_ms = 0;
    sim_sweep::bench_of(meter).instant = true;
    // The program is measured, not the simulated noise.
    sim_sweep::bench_of(meter).noise_db = 0;

    QPointer<srcswp> w = new srcswp;
    w->resize(960, 700);
    w->show();
    w->load();
    w->Freq_analog_start->setText(QStringLiteral("1"));
    w->freq_analog_stop->setText(QStringLiteral("3"));
    w->freq_analog_time->setText(QStringLiteral(".01"));
    w->Sweep_Type[0]->click();
    bench.generator().receive_message("RF1");

    // The run yields once as it starts and once a pass.
    int yields = 0;
    const int stop_after = 1 + sweeps;
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
    const int passes = yields - 2;
    std::printf("source sweep continuous run: %d sweeps in %.3f s = %.0f sweeps/s (%.1f us a sweep)\n", passes, seconds,
                passes / seconds, seconds / passes * 1e6);
    if (!prompts.calls.empty())
        std::printf("unexpected box: %s\n", qPrintable(prompts.calls.front().text));
    w->menuExit_Click();
    QCoreApplication::processEvents();
    return 0;
}
