// Readings per second of the readout window: the plain and the fast path on the in-process GPIB bus with
// a simulated meter that takes no time, and the plain path over a pseudo-terminal served by pelmora-sim
// --fast, whose meter takes no time either: no line time, no reply latency, a 1 ms poll.
// Each figure is the median of several passes of 500 readings, as the window itself times them.
#include "bench_report.h"
#include "gpib_bench_world.h"
#include "readout/readout_spd.h"
#include "sim/meter_readout.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kReadings = 500;

struct Figures {
    double us_per_reading = 0;  // median, as the window timed it
    double per_second = 0;
    double wall_us_per_reading = 0;  // median of the whole pass, display update included
};

// One pass of kReadings: Stop is pressed at the first yield, so the pass runs whole and the run ends.
Figures measure(readout_spd& w, int passes, WireLog* log)
{
    Clock& clock = *platform().clock;
    std::vector<double> loop_us, wall_us;
    for (int i = 0; i < passes + 1; ++i) {
        if (log)
            log->clear();
        QTimer::singleShot(0, &w, [&w] { w.menuStop_Click(); });
        const qint64 t0 = clock.now_us();
        w.menuRun_Click();
        const qint64 t1 = clock.now_us();
        if (i == 0)
            continue;  // warm-up
        loop_us.push_back(double(w.last_ms_per_reading) * 1000.0);
        wall_us.push_back(double(t1 - t0) / kReadings);
    }
    Figures f;
    f.us_per_reading = median(loop_us);
    f.per_second = f.us_per_reading > 0 ? 1e6 / f.us_per_reading : 0;
    f.wall_us_per_reading = median(wall_us);
    return f;
}

void print(const char* what, const Figures& f, int passes)
{
    std::printf("%-34s %10.0f readings/s  %8.2f us/reading  (pass incl. display %.2f us/reading; median of %d x %d)\n",
                what, f.per_second, f.us_per_reading, f.wall_us_per_reading, passes, kReadings);
}

void close_window(readout_spd* w)
{
    w->request_close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    GpibBenchWorld<RealClock> world;
    sim_readout::zero_latency(world.meter());
    world.system_checked();
    SimBench& bench = world.bench;
    RealClock& clock = world.clock;
    RecordingPrompts& prompts = world.prompts;

    std::printf("readout benchmark: %u threads (nproc), CPU %s, Qt %s, platform plugin \"%s\"\n",
                std::thread::hardware_concurrency(), qPrintable(cpu_model()), qVersion(),
                qPrintable(QGuiApplication::platformName()));
    print_build();

    const int passes = 21;
    {
        auto* w = new readout_spd;
        w->show();
        if (!w->load()) {
            std::printf("set-up failed\n");
            return 1;
        }
        w->menuDisplayUpdate_Click(0);
        w->SSTab1->setCurrentIndex(2);
        report_boxes(prompts, "GPIB set-up");
        print("GPIB plain (O 1 + read)", measure(*w, passes, &bench.log()), passes);
        report_boxes(prompts, "GPIB plain");
        w->menuFastest_Click();
        report_boxes(prompts, "fastest set-up");
        print("GPIB fast (talk-only reads)", measure(*w, passes, &bench.log()), passes);
        report_boxes(prompts, "GPIB fast");
        close_window(w);
    }

    // The plain path over a pseudo-terminal, through the real serial port class.
    const QString sim = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../pelmora-sim")).absoluteFilePath();
    if (!QFileInfo::exists(sim)) {
        std::printf("serial over pty: skipped (%s not built)\n", qPrintable(sim));
        return 0;
    }
    QProcess server;
    server.setReadChannel(QProcess::StandardOutput);
    const QStringList sim_args{QStringLiteral("--fast"), QStringLiteral("--seconds"), QStringLiteral("600")};
    server.start(sim, sim_args);
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(5000)) {
        std::printf("serial over pty: skipped (pelmora-sim did not start)\n");
        return 0;
    }
    const QByteArray first = server.readLine().trimmed();
    if (!first.startsWith("PTY ")) {
        std::printf("serial over pty: skipped (unexpected first line: %s)\n", first.constData());
        server.terminate();
        server.waitForFinished(3000);
        return 0;
    }
    QtSerialPort port(clock);
    port.set_port(1);
    port.set_device_override(1, QString::fromLatin1(first.mid(4)));
    port.set_settings(QStringLiteral("9600,N,8,1"));
    QString error;
    if (!port.open(&error, nullptr)) {
        std::printf("serial over pty: skipped (%s)\n", qPrintable(error));
        server.terminate();
        server.waitForFinished(3000);
        return 0;
    }
    std::printf("serial over pty: %s %s\n", qPrintable(QFileInfo(sim).fileName()), qPrintable(sim_args.join(u' ')));
    Platform p = platform();
    p.serial = &port;
    install_platform(p);
    Globals& gs = g();
    gs.comms_type = 1;
    gs.gpib_in_use = false;
    gs.serial_in_use = true;
    {
        auto* w = new readout_spd;
        w->show();
        if (w->load()) {
            w->menuDisplayUpdate_Click(0);
            report_boxes(prompts, "serial set-up");
            const int serial_passes = 3;
            print("serial pty plain (sim --fast)", measure(*w, serial_passes, nullptr), serial_passes);
            report_boxes(prompts, "serial plain");
        } else {
            std::printf("serial over pty: set-up failed\n");
            report_boxes(prompts, "serial set-up");
        }
        close_window(w);
    }
    port.close();
    server.terminate();
    server.waitForFinished(3000);
    return 0;
}
