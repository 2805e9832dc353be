// Traces per second of the GSM slot window's run loop against a simulated meter that answers at once:
// request, read, decode, split, bars drawn, labels and yield, with the window shown offscreen. Build in
// Release.
//
//   bench_gsm [traces]     (default 20000)
#include "gpib_bench_world.h"
#include "gsm/frm_gsm.h"
#include "sim/meter_gsm.h"

#include <QApplication>
#include <QPointer>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int traces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    BenchDescription description;
    description.tdma_frame = true;
    GpibBenchWorld<> world(description);
    world.instant_traces();
    // Noise, so every trace gives new values to draw and label.
    sim_gsm::frame(world.meter()).noise_db = 0.2;

    QPointer<frmGSM> w = open_window<frmGSM>();

    // The run yields once a pass, and inside the link's waits; count the requests instead.
    int passes = 0;
    world.clock.on_yield = [&] {
        passes += world.take_trace_requests();
        if (passes >= traces && w)
            w->menuStop_Click();
    };
    const double seconds = seconds_of([&] { w->menuRun_Click(); });
    world.clock.on_yield = nullptr;

    print_rate("GSM slot run", passes, "traces", "trace", seconds);
    world.finish(w);
    return 0;
}
