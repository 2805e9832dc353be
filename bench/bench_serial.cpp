// The program's own CPU per reading on the serial line, against a minimal client on the same kind of
// line: both talk to `pelmora-sim --fast` over a pseudo-terminal and ask "O 1" for a reading. The
// minimal client writes the request and reads the reply line with poll and read, nothing else; the
// program runs the readout window's plain loop (request, read, reading text, yield to the event loop)
// through the link and QSerialPort. CPU is this thread's CPU time; the meter's time is not in it.
#include "bench_report.h"
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "readout/readout_spd.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kReadings = 500;  // one pass of the readout window at its largest display interval
constexpr int kPasses = 31;

double thread_cpu_us()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double wall_us()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

// pelmora-sim --fast on a new pseudo-terminal; its device is the first line it prints.
struct Sim {
    QProcess process;
    QString device;
    explicit Sim(const QString& binary)
    {
        process.start(binary, {QStringLiteral("--fast"), QStringLiteral("--seconds"), QStringLiteral("300")});
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return;
        const QByteArray first = process.readLine().trimmed();
        if (first.startsWith("PTY "))
            device = QString::fromLatin1(first.mid(4));
    }
    ~Sim()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
    }
};

struct Figures {
    double cpu_us = 0;   // median CPU per reading
    double wall_us = 0;  // median wall time per reading
};

void print(const char* what, const Figures& f)
{
    std::printf("%-44s %7.2f us CPU/reading  %7.2f us wall/reading  (%.0f readings/s; median of %d x %d)\n", what,
                f.cpu_us, f.wall_us, 1e6 / f.wall_us, kPasses, kReadings);
}

// The least a client can do per reading: one write, then poll and read until the line ends.
bool minimal_reading(int fd, char* line, size_t size)
{
    static const char request[] = "O 1\r\n";
    if (::write(fd, request, sizeof request - 1) != ssize_t(sizeof request - 1))
        return false;
    size_t got = 0;
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 10000) <= 0)
            return false;
        const ssize_t n = ::read(fd, line + got, size - got);
        if (n <= 0)
            return false;
        got += size_t(n);
        if (line[got - 1] == '\n' || got == size)
            return true;
    }
}

// A raw line to the device, as the minimal client has it.
int open_raw(const QString& device)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

struct Pass {
    double cpu_us = 0, wall_us = 0;  // per reading
};

bool minimal_pass(int fd, Pass& out)
{
    char line[256];
    const double c0 = thread_cpu_us(), w0 = wall_us();
    for (int i = 0; i < kReadings; ++i)
        if (!minimal_reading(fd, line, sizeof line))
            return false;
    out = {(thread_cpu_us() - c0) / kReadings, (wall_us() - w0) / kReadings};
    return true;
}

// Readout's plain loop, one pass of kReadings at a time: Stop is pressed at the first yield, so the
// pass runs whole and the run ends.
bool program_pass(readout_spd& w, RecordingPrompts& prompts, Pass& out)
{
    QTimer::singleShot(0, &w, [&w] { w.menuStop_Click(); });
    const double c0 = thread_cpu_us(), w0 = wall_us();
    w.menuRun_Click();
    out = {(thread_cpu_us() - c0) / kReadings, (wall_us() - w0) / kReadings};
    return prompts.boxes().isEmpty();
}

Figures figures(const std::vector<Pass>& passes)
{
    std::vector<double> cpu, wall;
    for (const Pass& p : passes) {
        cpu.push_back(p.cpu_us);
        wall.push_back(p.wall_us);
    }
    return {median(cpu), median(wall)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("serial benchmark: %u threads (nproc), CPU %s, Qt %s, platform plugin \"%s\"\n",
                std::thread::hardware_concurrency(), qPrintable(cpu_model()), qVersion(),
                qPrintable(QGuiApplication::platformName()));
    print_build();
    const QString sim =
        QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../pelmora-sim")).absoluteFilePath();
    if (!QFileInfo::exists(sim)) {
        std::printf("skipped: %s not built\n", qPrintable(sim));
        return 0;
    }

    // "program" or "minimal" as the argument runs that side alone (to count its system calls, say).
    // Otherwise the two take turns, pass by pass, each on its own line, so that both see the same load.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool run_minimal = only != QLatin1String("program");
    const bool run_program = only != QLatin1String("minimal");

    Sim minimal_server(sim);
    const int fd = run_minimal ? open_raw(minimal_server.device) : -1;
    if (run_minimal && fd < 0) {
        std::printf("minimal client: cannot open the line\n");
        return 1;
    }

    Sim server(sim);
    RealClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    QtSerialPort port(clock);
    port.set_port(1);
    port.set_device_override(1, server.device);
    QString error;
    if (run_program && (server.device.isEmpty() || !port.open(&error, nullptr))) {
        std::printf("program: cannot open the line (%s)\n", qPrintable(error));
        return 1;
    }
    install_platform(Platform::of_serial(clock, prompts, &settings, port));
    Globals& gs = g();
    gs.comms_type = 1;
    gs.serial_in_use = true;
    gs.meter_address = 13;
    gs.meter_model = QStringLiteral("RQ5822K");
    gs.instruments_ok = true;

    auto* w = new readout_spd;
    w->show();
    bool ok = !run_program || w->load();
    if (ok && run_program)
        w->menuDisplayUpdate_Click(0);
    std::vector<Pass> minimal_passes, program_passes;
    for (int pass = 0; pass <= kPasses && ok; ++pass) {
        Pass m, q;
        if (run_minimal)
            ok = minimal_pass(fd, m);
        if (ok && run_program)
            ok = program_pass(*w, prompts, q);
        if (pass == 0)
            continue;  // warm-up
        minimal_passes.push_back(m);
        program_passes.push_back(q);
    }
    for (const QString& b : prompts.boxes())
        std::printf("  box: %s\n", qPrintable(QString(b).replace(QStringLiteral("\r\n"), QStringLiteral(" / "))));
    if (!ok) {
        std::printf("failed\n");
        return 1;
    }
    const Figures minimal = figures(minimal_passes);
    const Figures program = figures(program_passes);
    if (run_minimal)
        print("minimal client (write, poll, read)", minimal);
    if (run_program)
        print("program, readout plain loop", program);
    if (run_minimal && run_program) {
        // Pass by pass: the two passes of a pair ran under the same load.
        std::vector<double> above;
        for (size_t i = 0; i < program_passes.size(); ++i)
            above.push_back(program_passes[i].cpu_us - minimal_passes[i].cpu_us);
        std::printf("program above the minimal client: %.2f us CPU a reading, median of the pairs (target: at most 20)\n",
                    median(above));
    }
    w->request_close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    port.close();
    if (fd >= 0)
        ::close(fd);
    return 0;
}
