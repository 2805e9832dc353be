// Program time of a 1,000-frequency amplifier test against a simulated bench that answers at once: for
// each frequency the commands, the single run of two sweeps, the auto scale, the gain and compression and
// the graph, with the window shown offscreen. Build in Release.
//
//   bench_amp [frequencies]     (default 1000)
#include "gpib_bench_world.h"
#include "sim/sweep_amplifier.h"
#include "sweep/srcswp.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frequencies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    GpibBenchWorld<> world;
    sim_sweep::SweepBench& sweep = world.instant_sweeps();
    auto amp = std::make_shared<sim_sweep::AmplifierPath>();
    amp->gain_slope_db_per_ghz = -0.2;
    amp->p1_slope_db_per_ghz = 0.5;
    sweep.path = amp;

    QPointer<srcswp> w = open_window<srcswp>(QSize(1100, 760));
    w->RF_Output_Check->setChecked(true);
    w->Level_type[1]->click();
    w->Level_sweep_start->setText(QStringLiteral("-30"));
    w->level_sweep_stop->setText(QStringLiteral("0"));
    w->update_screen_x_axis();
    w->SSTab1->setCurrentIndex(5);
    w->Amp_Freq_Sweep_Check->setChecked(true);
    w->Amp_Freq_Sweep_Check_Click();
    w->Amp_Freq_Start->setText(QStringLiteral("1"));
    w->Amp_Freq_Step->setText(QStringLiteral("0.01"));
    w->Amp_Freq_Stop->setText(QString::number(1 + (frequencies - 1) * 0.01, 'f', 2));
    world.clock.on_yield = [&] { world.yielded(); };
    const double seconds = seconds_of([&] { w->Run_amp_test->click(); });
    world.clock.on_yield = nullptr;
    std::printf("amplifier test: %d frequencies (%d stored) in %.3f s of program time (%.0f us a frequency)\n",
                frequencies, w->amp_results.count(), seconds, seconds / frequencies * 1e6);
    world.finish(w);
    return 0;
}
