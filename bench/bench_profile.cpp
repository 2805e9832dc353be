// Traces per second of the profile window's continuous run against a simulated meter that answers at
// once: request, read, decode, draw and yield, with the window shown offscreen. Build in Release.
//
//   bench_profile [traces] [analysis]     (default 20000 traces)
//
// With "analysis", everything a pulse user turns on as well: the cursors around a pulse, linked, with
// their labels and readout, the pulse analysis of every trace with its figures shown and its level
// lines drawn (a 1 ms train of 0.1 ms pulses on the external trigger, 5 ms across the graph).
#include "gpib_bench_world.h"
#include "profile/graphtests.h"
#include "sim/sim_generator.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int traces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const bool analysis = argc > 2 && std::strcmp(argv[2], "analysis") == 0;

    GpibBenchWorld<> world;
    world.instant_traces();
    SimBench& bench = world.bench;

    QPointer<graphtests> w = open_window<graphtests>(QSize(900, 660));
    // A pulse train, so the drawing has edges to draw.
    bench.generator().receive_message("IP");
    if (analysis) {
        w->TrigSource->setCurrentIndex(1);
        w->TrigSource_Click();
        w->right_x_axis->setText("5");
        w->right_x_axis_KeyPress(13);
        w->menuRunOnce_Click();
        w->Auto_cursors_Click();
        w->Show_Lines_Check->setChecked(true);
        w->Show_Lines_Check_Click();
        w->Link_cursors_check->setChecked(true);
        w->SSTab1->setCurrentIndex(4);
        if (!w->pulse_found)
            std::printf("no pulse between the cursors\n");
    }

    // Passes are counted by their requests; the wire log is emptied as it goes.
    int passes = 0;
    int yields = 0;
    bench.log().clear();
    world.clock.on_yield = [&] {
        if (++yields % 64 == 0)
            passes += world.take_trace_requests();
        if (passes >= traces && w)
            w->menuStop_Click();
    };
    const double seconds = seconds_of([&] { w->menuRunCont_Click(); });
    world.clock.on_yield = nullptr;
    passes += world.take_trace_requests();

    print_rate(std::string("profile continuous run") + (analysis ? " with cursors and pulse analysis" : ""), passes,
               "traces", "trace", seconds);
    if (analysis)
        std::printf("pulse width %s ms, period %s ms\n", qPrintable(w->Pulse_duration_value->text()),
                    qPrintable(w->Pulse_Rep->text()));
    world.finish(w);
    return 0;
}
