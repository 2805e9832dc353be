// Passes per second of the Peak CDF/PDF run loop against a simulated meter that answers at once: two
// readings, the histogram, the summary and a yield per pass, with the window and its graph shown
// offscreen. Build in Release.
//
//   bench_cdma [passes]     (default 200000)
#include "bench_report.h"
#include "cdma/cdma_form.h"
#include "gpib_bench_world.h"
#include "sim/meter_cdma.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct Figure {
    qint64 passes = 0;
    double seconds = 0;
    double cpu_seconds = 0;  // of the whole process, painting threads included
};

double cpu_now() { return double(std::clock()) / CLOCKS_PER_SEC; }

// One run until at least `passes` have been counted; the wire log is kept short meanwhile.
Figure run(CDMA_Form& w, SimBench& bench, qint64 passes)
{
    const qint64 before = w.collection.sample_count();
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        bench.log().clear();
        if (w.collection.sample_count() - before >= passes)
            w.menuStop_Click();
    });
    watch.start();
    const double cpu_start = cpu_now();
    const double seconds = seconds_of([&] { w.menuRun_Click(); });
    return {w.collection.sample_count() - before, seconds, cpu_now() - cpu_start};
}

void print(const char* what, const Figure& f)
{
    std::printf("%-36s %8lld passes in %.3f s = %8.0f passes/s (%.2f us a pass); CPU %.3f s = %8.0f passes/s\n",
                what, static_cast<long long>(f.passes), f.seconds, f.passes / f.seconds,
                f.seconds / double(f.passes) * 1e6, f.cpu_seconds, f.passes / f.cpu_seconds);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;

    GpibBenchWorld<RealClock> world;
    SimBench& bench = world.bench;
    sim_cdma::zero_latency(bench.meter());
    // Already in its CDMA reading mode: the set-up then only waits its 2 s after the device clear.
    bench.meter().reading_mode = QStringLiteral("CDMA");

    print_build();
    QPointer<CDMA_Form> w = new CDMA_Form;
    w->resize(1000, 700);
    w->show();
    if (!w->load()) {
        std::printf("set-up failed\n");
        return 1;
    }
    run(*w, bench, 2000);  // warm-up, and a graph to show
    w->UpdateGraph_Click();
    print("run loop, graph shown", run(*w, bench, passes));
    w->menuContDisplay_Click();
    print("run loop, continuous update", run(*w, bench, std::max<qint64>(1, passes / 4)));
    world.report_unexpected_box();
    // Leaving would wait 12 s for the meter: the window just goes.
    delete w.data();
    return 0;
}
