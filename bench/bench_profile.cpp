// Traces per second of the profile window's continuous run against a simulated meter that answers at
// once: request, read, decode, draw and yield, with the window shown offscreen. Build in Release.
//
//   bench_profile [traces] [analysis]     (default 20000 traces)
//
// With "analysis", everything a pulse user turns on as well: the cursors around a pulse, linked, with
// their labels and readout, the pulse analysis of every trace with its figures shown and its level
// lines drawn (a 1 ms train of 0.1 ms pulses on the external trigger, 5 ms across the graph).
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
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int traces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const bool analysis = argc > 2 && std::strcmp(argv[2], "analysis") == 0;

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
    const auto count = [&] {
        passes += int(bench.log().sent(gs.meter_address).count(QStringLiteral("OGBD")));
        bench.log().clear();
    };
    int yields = 0;
    bench.log().clear();
    clock.on_yield = [&] {
        if (++yields % 64 == 0)
            count();
        if (passes >= traces && w)
            w->menuStop_Click();
    };
    const auto start = std::chrono::steady_clock::now();
    w->menuRunCont_Click();
    const auto end = std::chrono::steady_clock::now();
    clock.on_yield = nullptr;
    count();

    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("profile continuous run%s: %d traces in %.3f s = %.0f traces/s (%.1f us a trace)\n",
                analysis ? " with cursors and pulse analysis" : "", passes, seconds, passes / seconds,
                seconds / passes * 1e6);
    if (analysis)
        std::printf("pulse width %s ms, period %s ms\n", qPrintable(w->Pulse_duration_value->text()),
                    qPrintable(w->Pulse_Rep->text()));
    if (!prompts.calls.empty())
        std::printf("unexpected box: %s\n", qPrintable(prompts.calls.front().text));
    w->menuExit_Click();
    QCoreApplication::processEvents();
    install_platform(Platform{});
    return 0;
}
