// pelmora-sim: the simulated meter (optionally behind the Hayes modem) on a pseudo-terminal, in real
// time, so that the program's real serial path can be pointed at it. The first line of output names
// the device: "PTY /dev/pts/N". It serves until it is stopped, however often the program opens and
// closes the port: the master side stays open, so the device stays valid between the program's opens.
// With --link PATH, PATH leads to the device while it serves, so a restart needs no new configuration.
//
// No program drives the generator over a serial line, so it stands on the signal the readout reports
// (CW, or pulsed with --pulsed), and the bench's TDMA frame drives the external trigger input.
//
// By default the meter keeps its modelled timing (9600 baud line, reply latencies) and the loop looks at
// the line every 5 ms. --fast drops all of that so that what is left to measure is the program.

#include "platform/clock.h"
#include "sim/meter_readout.h"
#include "sim/sim_bench.h"
#include "sim/sim_meter.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_meter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stop_requested = 0;

void on_signal(int) { stop_requested = 1; }

void nap_ms(int ms)
{
    timespec ts{ms / 1000, (ms % 1000) * 1'000'000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR && !stop_requested) {
    }
}

// Written whole, then renamed over the old file, so that a reader never sees it half written.
void write_carrier_file(const QString& path, bool up)
{
    if (path.isEmpty())
        return;
    const QString temp = path + QStringLiteral(".tmp");
    {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "pelmora-sim: cannot write %s\n", qPrintable(temp));
            return;
        }
        file.write(up ? "1" : "0");
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        std::fprintf(stderr, "pelmora-sim: cannot replace %s: %s\n", qPrintable(path), std::strerror(errno));
}

// The master side of a new pseudo-terminal in raw mode; the slave's path in slave_path.
int open_pty(QByteArray& slave_path)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return -1;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        ::close(master);
        return -1;
    }
    const char* name = ptsname(master);
    if (!name) {
        ::close(master);
        return -1;
    }
    slave_path = name;
    // Raw on the slave: no CR/LF translation, no echo, no signals; the settings outlast the program's
    // closes as long as the master is open. Opening and closing the slave once also puts the master in
    // its hung-up state, which tells us when the program has opened it.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios tio{};
        if (tcgetattr(slave, &tio) == 0) {
            cfmakeraw(&tio);
            cfsetispeed(&tio, B9600);
            cfsetospeed(&tio, B9600);
            tcsetattr(slave, TCSANOW, &tio);
        }
        ::close(slave);
    }
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return master;
}

// Makes path a symbolic link to target. An earlier link there is replaced (in one rename, so the path
// never goes missing); anything else at path is a user's file and is left alone: false then.
bool make_link(const QByteArray& path, const QByteArray& target)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        std::fprintf(stderr, "pelmora-sim: %s exists and is not a symbolic link; it is left as it is\n",
                     path.constData());
        return false;
    }
    const QByteArray temp = path + ".new" + QByteArray::number(qint64(::getpid()));
    ::unlink(temp.constData());
    if (::symlink(target.constData(), temp.constData()) != 0 || std::rename(temp.constData(), path.constData()) != 0) {
        std::fprintf(stderr, "pelmora-sim: cannot make the link %s: %s\n", path.constData(), std::strerror(errno));
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

// Removes the link made by make_link, unless another server has since pointed it elsewhere.
void remove_link(const QByteArray& path, const QByteArray& target)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
    if (n > 0 && QByteArray(buffer, int(n)) == target)
        ::unlink(path.constData());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelmora-sim"));

    BenchDescription bench_description;
    bench_description.tdma_frame = true;
    const StandingSignal standing;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the simulated power meter on a pseudo-terminal; the first line printed names it "
        "(\"PTY /dev/pts/N\"). It keeps serving, however often the port is opened and closed, until it is "
        "stopped (Ctrl-C, SIGINT, SIGTERM, or its terminal closed).\n"
        "Its generator stands on the signal the readout reports (sensor A -10 dBm, B -13 dBm), CW unless "
        "--pulsed; a TDMA frame (8 slots of 575 us) drives the external trigger and sensor A, for the GSM "
        "window, whenever the generator does not pulse."));
    parser.addHelpOption();
    // An option with a value, its default shown in the help.
    const auto valued = [](const char* name, const QString& text, const char* value_name, const QString& fallback) {
        return QCommandLineOption(QLatin1String(name), text + QStringLiteral(" (default: ") + fallback + u')' + u'.',
                                  QLatin1String(value_name), fallback);
    };
    const QCommandLineOption modem_opt(QStringLiteral("modem"), QStringLiteral("Serve the meter behind a Hayes modem."));
    const QCommandLineOption carrier_opt(QStringLiteral("carrier-file"),
                                         QStringLiteral("Write 1 or 0 to this file whenever the modem's carrier changes "
                                                        "(0 at the start)."),
                                         QStringLiteral("path"));
    const QCommandLineOption dial_opt =
        valued("dial-ms", QStringLiteral("Time the modem takes to connect, in ms"), "ms", QStringLiteral("15000"));
    const QCommandLineOption connected_opt(
        QStringLiteral("connected"),
        QStringLiteral("Start with the modem connected (a call left over); implies --modem."));
    const QCommandLineOption phone_opt =
        valued("phone", QStringLiteral("Number that reaches the meter through the modem"), "number",
               bench_description.phone_number);
    const QCommandLineOption maker_opt =
        valued("maker", QStringLiteral("Maker in the identity"), "text", bench_description.maker);
    const QCommandLineOption model_opt =
        valued("model", QStringLiteral("Meter model (RQ581xK for a modem link)"), "text", bench_description.model);
    const QCommandLineOption version_opt = valued("version", QStringLiteral("Meter software version"), "text",
                                                  bench_description.software_version);
    const QCommandLineOption serial_opt = valued("serial-number", QStringLiteral("Meter serial number"), "text",
                                                 bench_description.serial_number);
    const QCommandLineOption address_opt = valued("address", QStringLiteral("Meter bus address"), "n",
                                                  QString::number(bench_description.meter_address));
    const QCommandLineOption no_sensor_b_opt(QStringLiteral("no-sensor-b"), QStringLiteral("No sensor on input B."));
    const QCommandLineOption pulsed_opt(
        QStringLiteral("pulsed"),
        QStringLiteral("Pulse the generator's signal; its pulse sync then drives the external trigger instead of "
                       "the TDMA frame."));
    const QCommandLineOption period_opt = valued("pulse-period", QStringLiteral("Pulse period with --pulsed, in ms"),
                                                 "ms", QString::number(standing.period_ms));
    const QCommandLineOption width_opt = valued("pulse-width", QStringLiteral("Pulse width with --pulsed, in ms"), "ms",
                                                QString::number(standing.width_ms));
    const QCommandLineOption seed_opt =
        valued("seed", QStringLiteral("Seed of the noise sources"), "n", QString::number(bench_description.seed));
    const QCommandLineOption fast_opt(
        QStringLiteral("fast"),
        QStringLiteral("Answer as quickly as possible: no line time (meter and modem), no reply or reading latency, "
                       "and the line looked at every 1 ms instead of every 5 ms. The modem's dial time stays "
                       "as --dial-ms sets it."));
    const QCommandLineOption seconds_opt(
        QStringLiteral("seconds"), QStringLiteral("Stop after this many seconds (default: serve until stopped)."),
        QStringLiteral("n"));
    const QCommandLineOption link_opt(
        QStringLiteral("link"),
        QStringLiteral("Make this path a symbolic link to the pseudo-terminal while serving, and remove it when "
                       "stopped, so that the configuration can name one path for every start. An earlier link "
                       "there is replaced; any other file is left alone, and the tool does not start."),
        QStringLiteral("path"));
    parser.addOptions({link_opt, modem_opt, carrier_opt, dial_opt, connected_opt, phone_opt, maker_opt, model_opt, version_opt,
                       serial_opt, address_opt, no_sensor_b_opt, pulsed_opt, period_opt, width_opt, seed_opt, fast_opt,
                       seconds_opt});
    parser.process(app);

    bool ok = true;
    const auto number = [&](const QCommandLineOption& o) {
        bool good = false;
        const double v = parser.value(o).toDouble(&good);
        if (!good || v < 0) {
            std::fprintf(stderr, "pelmora-sim: bad value for --%s\n", qPrintable(o.names().first()));
            ok = false;
        }
        return v;
    };
    const double seconds = parser.isSet(seconds_opt) ? number(seconds_opt) : 0.0;
    StandingSignal signal;
    signal.pulsed = parser.isSet(pulsed_opt);
    signal.period_ms = number(period_opt);
    signal.width_ms = number(width_opt);
    if (ok && !(signal.period_ms > 0)) {
        std::fprintf(stderr, "pelmora-sim: the pulse period must be above 0\n");
        ok = false;
    }
    const double dial_ms = number(dial_opt);
    bench_description.maker = parser.value(maker_opt);
    bench_description.model = parser.value(model_opt);
    bench_description.software_version = parser.value(version_opt);
    bench_description.serial_number = parser.value(serial_opt);
    bench_description.meter_address = int(number(address_opt));
    bench_description.phone_number = parser.value(phone_opt);
    bench_description.seed = quint32(number(seed_opt));
    bench_description.sensor_b_fitted = !parser.isSet(no_sensor_b_opt);
    if (!ok)
        return 2;
    const bool use_modem = parser.isSet(modem_opt) || parser.isSet(connected_opt);
    const QString carrier_file = parser.value(carrier_opt);
    const bool fast = parser.isSet(fast_opt);

    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // Its terminal closed: stopped the same way, so that the link goes too (unless started to outlive
    // the terminal, with the signal ignored).
    struct sigaction hangup {};
    if (sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    RealClock clock;
    SimBench bench(clock, bench_description);
    bench.set_standing_signal(signal);
    SimModem& modem = bench.modem();
    modem.dial_ms = dial_ms;
    if (fast) {
        bench.serial_meter().line_bytes_per_second = 0;
        modem.line_bytes_per_second = 0;
        sim_readout::zero_latency(bench.meter());
    }
    modem.on_carrier_change = [&](bool up) { write_carrier_file(carrier_file, up); };
    SerialEndpoint& endpoint = use_modem ? bench.modem_line() : bench.direct_line();
    // A direct line has the carrier the port reports: none on a pseudo-terminal, so the file says so.
    write_carrier_file(carrier_file, false);
    if (parser.isSet(connected_opt))
        modem.start_connected();

    QByteArray slave_path;
    const int master = open_pty(slave_path);
    if (master < 0) {
        std::fprintf(stderr, "pelmora-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const QByteArray link_path = QFile::encodeName(parser.value(link_opt));
    if (!link_path.isEmpty() && !make_link(link_path, slave_path)) {
        ::close(master);
        return 1;
    }
    std::printf("PTY %s\n", slave_path.constData());
    std::fflush(stdout);

    const qint64 deadline_us = seconds > 0 ? clock.now_us() + qint64(seconds * 1e6) : -1;
    bool program_there = false;
    QByteArray to_program;
    char buffer[4096];
    // The program has closed its side: what it wrote last still reaches the line, then the session ends
    // and the tool waits for the next open.
    const auto program_gone = [&] {
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            endpoint.receive_from_host(QByteArray(buffer, int(n)));
        endpoint.host_closed();
        to_program.clear();
        program_there = false;
    };
    int exit_code = 0;
    while (!stop_requested && (deadline_us < 0 || clock.now_us() < deadline_us)) {
        pollfd pfd{master, short(POLLIN | (to_program.isEmpty() ? 0 : POLLOUT)), 0};
        // The program's bytes wake the poll at once; the timeout only bounds how late a reply that
        // becomes ready later (modelled latency, line time) goes out.
        const int r = ::poll(&pfd, 1, fast ? 1 : 5);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "pelmora-sim: poll: %s\n", std::strerror(errno));
            exit_code = 1;
            break;
        }
        if (pfd.revents & POLLHUP) {
            // Nobody holds the other side: the program has not opened it yet, or has closed it.
            if (program_there)
                program_gone();
            nap_ms(20);
            continue;
        }
        if (!program_there) {
            program_there = true;
            endpoint.host_opened();
        }
        if (pfd.revents & POLLIN) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                endpoint.receive_from_host(QByteArray(buffer, int(n)));
            } else if (n < 0 && errno == EIO) {
                program_gone();
                continue;
            }
        }
        to_program += endpoint.take_available();
        if (!to_program.isEmpty()) {
            const ssize_t n = ::write(master, to_program.constData(), size_t(to_program.size()));
            if (n > 0)
                to_program.remove(0, int(n));
        }
    }
    if (program_there)
        endpoint.host_closed();
    if (!link_path.isEmpty())
        remove_link(link_path, slave_path);
    ::close(master);
    return exit_code;
}
