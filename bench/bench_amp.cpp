// Program time of a 1,000-frequency amplifier test against a simulated bench that answers at once: for
// each frequency the commands, the single run of two sweeps, the auto scale, the gain and compression and
// the graph, with the window shown offscreen. Build in Release.
//
//   bench_amp [frequencies]     (default 1000)
#include "gpib_bench_world.h"
#include "sim/meter_sweep.h"
#include "sim/sweep_amplifier.h"
#include "sweep/srcswp.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frequencies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    GpibBenchWorld world;
    VirtualClock& clock = world.clock;
    RecordingPrompts& prompts = world.prompts;
    SimBench& bench = world.bench;
    SimMeter& meter = bench.meter();
    sim_sweep::SweepBench& sweep = sim_sweep::bench_of(meter);
    sweep.processing_ms = 0;
    sweep.instant = true;
    sweep.noise_db = 0;
    auto amp = std::make_shared<sim_sweep::AmplifierPath>();
    amp->gain_slope_db_per_ghz = -0.2;
    amp->p1_slope_db_per_ghz = 0.5;
    sweep.path = amp;

    QPointer<srcswp> w = new srcswp;
    w->resize(960, 700);
    w->show();
    w->load();
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
    int yields = 0;
    clock.on_yield = [&] {
        if (++yields % 512 == 0)
            bench.log().clear();
    };
    const auto start = std::chrono::steady_clock::now();
    w->Run_amp_test->click();
    const auto end = std::chrono::steady_clock::now();
    clock.on_yield = nullptr;
    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("amplifier test: %d frequencies (%d stored) in %.3f s of program time (%.0f us a frequency)\n",
                frequencies, w->amp_results.count(), seconds, seconds / frequencies * 1e6);
    if (!prompts.calls.empty())
        std::printf("unexpected box: %s\n", qPrintable(prompts.calls.front().text));
    w->menuExit_Click();
    QCoreApplication::processEvents();
    return 0;
}
