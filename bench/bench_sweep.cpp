// Sweeps per second of the source-sweep window's continuous run against a simulated bench that answers
// at once: request, read, decode, draw the trace and the cursor labels, and yield, with the window shown
// offscreen. Build in Release.
//
//   bench_sweep [sweeps]     (default 20000)
#include "gpib_bench_world.h"
#include "sim/sim_generator.h"
#include "sweep/srcswp.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sweeps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    BenchDescription description;
    description.sweep_fixture = QStringLiteral("band-pass");
    GpibBenchWorld<> world(description);
    SimBench& bench = world.bench;
    world.instant_sweeps();

    QPointer<srcswp> w = open_window<srcswp>(QSize(1280, 800));
    w->Freq_analog_start->setText(QStringLiteral("1"));
    w->freq_analog_stop->setText(QStringLiteral("3"));
    w->freq_analog_time->setText(QStringLiteral(".01"));
    w->Sweep_Type[0]->click();
    bench.generator().receive_message("RF1");

    // The run yields once as it starts and once a pass.
    const int stop_after = 1 + sweeps;
    world.clock.on_yield = [&] {
        world.yielded();
        if (world.yields >= stop_after && w)
            w->menuStop_Click();
    };
    const double seconds = seconds_of([&] { w->menuRunCont_Click(); });
    world.clock.on_yield = nullptr;

    print_rate("source sweep continuous run", world.yields - 2, "sweeps", "sweep", seconds);
    world.finish(w);
    return 0;
}
