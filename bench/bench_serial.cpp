// The program's own CPU per reading on the serial line, against a minimal client on the same kind of
// line: both talk to `pelmora-sim --fast` over a pseudo-terminal and ask "O 1" for a reading. The
// minimal client writes the request and reads the reply line with poll and read, nothing else; the
// program runs the readout window's plain loop (request, read, reading text, yield to the event loop)
// through the link and QSerialPort. CPU is this thread's CPU time; the meter's time is not in it.
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "readout/readout_spd.h"

#include <QApplication>
#include <QFile>
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
constexpr int kPasses = 15;

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

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString cpu_model()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("model name"))
            return QString::fromLatin1(line.mid(line.indexOf(':') + 1)).trimmed();
    return QStringLiteral("unknown");
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

bool measure_minimal(const QString& device, Figures& out)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    char line[256];
    std::vector<double> cpu, wall;
    bool ok = true;
    for (int pass = 0; pass <= kPasses && ok; ++pass) {
        const double c0 = thread_cpu_us(), w0 = wall_us();
        for (int i = 0; i < kReadings && ok; ++i)
            ok = minimal_reading(fd, line, sizeof line);
        if (pass > 0) {  // the first pass warms up
            cpu.push_back((thread_cpu_us() - c0) / kReadings);
            wall.push_back((wall_us() - w0) / kReadings);
        }
    }
    ::close(fd);
    if (!ok)
        return false;
    out = {median(cpu), median(wall)};
    return true;
}

// Readout's plain loop, one pass of kReadings at a time: Stop is pressed at the first yield, so the
// pass runs whole and the run ends.
bool measure_program(readout_spd& w, RecordingPrompts& prompts, Figures& out)
{
    std::vector<double> cpu, wall;
    for (int pass = 0; pass <= kPasses; ++pass) {
        QTimer::singleShot(0, &w, [&w] { w.menuStop_Click(); });
        const double c0 = thread_cpu_us(), w0 = wall_us();
        w.menuRun_Click();
        if (pass > 0) {
            cpu.push_back((thread_cpu_us() - c0) / kReadings);
            wall.push_back((wall_us() - w0) / kReadings);
        }
        if (!prompts.boxes().isEmpty())
            return false;
    }
    out = {median(cpu), median(wall)};
    return true;
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
#ifdef NDEBUG
    std::printf("build: release\n");
#else
    std::printf("build: debug (figures are not representative)\n");
#endif
    const QString sim =
        QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../pelmora-sim")).absoluteFilePath();
    if (!QFileInfo::exists(sim)) {
        std::printf("skipped: %s not built\n", qPrintable(sim));
        return 0;
    }

    // "program" or "minimal" as the argument runs that side alone (to count its system calls, say).
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    Figures minimal;
    if (only != QLatin1String("program")) {
        Sim server(sim);
        if (server.device.isEmpty() || !measure_minimal(server.device, minimal)) {
            std::printf("minimal client: failed\n");
            return 1;
        }
        print("minimal client (write, poll, read)", minimal);
    }
    if (only == QLatin1String("minimal"))
        return 0;

    Sim server(sim);
    RealClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    QtSerialPort port(clock);
    port.set_port(1);
    port.set_device_override(1, server.device);
    QString error;
    if (server.device.isEmpty() || !port.open(&error, nullptr)) {
        std::printf("program: cannot open the line (%s)\n", qPrintable(error));
        return 1;
    }
    Platform p;
    p.clock = &clock;
    p.prompts = &prompts;
    p.settings = &settings;
    p.serial = &port;
    install_platform(p);
    Globals& gs = g();
    gs.comms_type = 1;
    gs.serial_in_use = true;
    gs.meter_address = 13;
    gs.meter_model = QStringLiteral("RQ5822K");
    gs.instruments_ok = true;

    auto* w = new readout_spd;
    w->show();
    Figures program;
    const bool ok = w->load() && (w->menuDisplayUpdate_Click(0), measure_program(*w, prompts, program));
    for (const QString& b : prompts.boxes())
        std::printf("  box: %s\n", qPrintable(QString(b).replace(QStringLiteral("\r\n"), QStringLiteral(" / "))));
    if (!ok) {
        std::printf("program: failed\n");
        return 1;
    }
    print("program, readout plain loop", program);
    if (only.isEmpty())
        std::printf("program above the minimal client: %.2f us CPU a reading (target: at most 20)\n",
                    program.cpu_us - minimal.cpu_us);
    w->request_close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    port.close();
    return 0;
}
