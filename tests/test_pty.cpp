// The real serial path: pelmora-sim serves the meter on a pseudo-terminal and the program's own
// QSerialPort-based port talks to it through the link, in real time.

#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/carrier_file.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "support/sim_process.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int meter_address = 13;

// The program's side: real clock, real port, the link on the serial route.
struct Program {
    RealClock clock;
    RecordingPrompts prompts;
    QtSerialPort port{clock};

    explicit Program(const QString& device)
    {
        reset_globals();
        g().serial_in_use = true;
        g().comms_type = 1;
        g().meter_address = meter_address;
        port.set_device_override(1, device);
        port.set_port(1);
        install_platform(Platform::of_serial(clock, prompts, nullptr, port));
    }
    ~Program()
    {
        port.close();
        install_platform(Platform{});
    }
    QString identity()
    {
        vbib32::Send(0, meter_address, "*IDN?");
        QByteArray buffer = vbib32::fixed_buffer(256);
        vbib32::Receive(0, meter_address, buffer);
        return vbib32::text_of(buffer).trimmed();
    }
    // Real-time wait for a condition, bounded.
    template <typename F>
    bool wait_for(F&& condition, int ms)
    {
        const qint64 end = clock.now_us() + qint64(ms) * 1000;
        while (!condition()) {
            if (clock.now_us() > end)
                return false;
            clock.sleep_ms(10);
        }
        return true;
    }
};

QString read_file(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

}  // namespace

class TestPty : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString binary = qEnvironmentVariable("PELMORA_SIM_BINARY");
        if (binary.isEmpty() || !QFileInfo(binary).isExecutable())
            QSKIP("pelmora-sim is not built");
        const int fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0)
            QSKIP("no pseudo-terminal can be opened here");
        ::close(fd);
    }

    void carrier_file_reads_one_as_carrier()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("carrier"));
        const auto probe = carrier_file_probe(path);
        QVERIFY(!probe());  // missing
        const auto put = [&](const QByteArray& text) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
        };
        put("1");
        QVERIFY(probe());
        put("1\n");
        QVERIFY(probe());
        put("0");
        QVERIFY(!probe());
        put("");
        QVERIFY(!probe());
    }

    void identity_over_a_direct_line()
    {
        SimProcess sim({QStringLiteral("--model"), QStringLiteral("RQ5811K"), QStringLiteral("--version"),
                        QStringLiteral("2.02")});
        QVERIFY2(!sim.device().isEmpty(), "no device printed");
        {
            Program program(sim.device());
            QString error;
            QVERIFY2(program.port.open(&error, nullptr), qPrintable(error));
            QCOMPARE(program.identity(), QStringLiteral("TOLMARE,RQ5811K,101507,2.02"));
            QCOMPARE(int(g().ibcnt), 28);
            // A second exchange on the same port.
            QCOMPARE(program.identity(), QStringLiteral("TOLMARE,RQ5811K,101507,2.02"));
        }
    }

    // --link: the program opens the device by a path that outlasts the tool's restarts; the link goes
    // when the tool stops, and a file that is no link is never replaced.
    void serves_through_a_link()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("meter"));
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/gone"), link));  // left by an earlier run
        for (int start = 1; start <= 2; ++start) {
            {
                SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--link"), link});
                QVERIFY2(!sim.device().isEmpty(), "no device printed");
                QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
                Program program(link);
                QString error;
                QVERIFY2(program.port.open(&error, nullptr), qPrintable(error));
                QVERIFY(program.identity().startsWith(QStringLiteral("TOLMARE,")));
            }
            QVERIFY(!QFileInfo(link).isSymLink());
        }
        // Its terminal closed: the link goes too, so that it never leads to a later terminal's device.
        {
            SimProcess sim({QStringLiteral("--fast"), QStringLiteral("--link"), link});
            QVERIFY(QFileInfo(link).isSymLink());
            QCOMPARE(::kill(pid_t(sim.pid()), SIGHUP), 0);
            QVERIFY(sim.finished(5000));
            QVERIFY(!QFileInfo(link).isSymLink());
        }
        QFile file(link);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("mine");
        file.close();
        SimProcess refused({QStringLiteral("--fast"), QStringLiteral("--link"), link});
        QVERIFY(refused.finished(5000));
        QVERIFY(refused.device().isEmpty());
        QCOMPARE(read_file(link), QStringLiteral("mine"));
    }

    void serves_every_open_until_stopped_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::newRow("direct line") << false;
        QTest::newRow("behind the modem") << true;
    }

    // The program closes its port after a failed check, at Exit and on OK in the configuration window;
    // the same device answers every open after that, until the tool is stopped.
    void serves_every_open_until_stopped()
    {
        QFETCH(bool, modem);
        QTemporaryDir dir;
        const QString carrier_path = dir.filePath(QStringLiteral("carrier"));
        SimProcess sim({modem ? QStringLiteral("--modem") : QStringLiteral("--fast"), QStringLiteral("--model"),
                        QStringLiteral("RQ5811K"), QStringLiteral("--dial-ms"), QStringLiteral("300"),
                        QStringLiteral("--carrier-file"), carrier_path});
        for (int open = 1; open <= 3; ++open) {
            {
                Program program(sim.device());
                program.port.carrier_probe = carrier_file_probe(carrier_path);
                QVERIFY2(program.port.open(nullptr, nullptr), qPrintable(QString::number(open)));
                if (modem) {
                    vbib32::Send(0, meter_address, "ATD 5551234");
                    QVERIFY(program.wait_for([&] { return program.port.carrier_detect(); }, 5000));
                    program.clock.sleep_ms(200);
                    program.port.discard_input();
                }
                QVERIFY2(program.identity().startsWith(QStringLiteral("TOLMARE,RQ5811K,")),
                         qPrintable(QString::number(open)));
            }
            // Closing the port hangs up.
            QTRY_COMPARE_WITH_TIMEOUT(read_file(carrier_path), QStringLiteral("0"), 5000);
        }
        QVERIFY(!sim.finished(200));
    }

    void modem_carrier_through_a_file()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString carrier_path = dir.filePath(QStringLiteral("carrier"));
        SimProcess sim({QStringLiteral("--modem"), QStringLiteral("--carrier-file"), carrier_path,
                        QStringLiteral("--dial-ms"), QStringLiteral("300"), QStringLiteral("--model"),
                        QStringLiteral("RQ5811K")});
        QVERIFY2(!sim.device().isEmpty(), "no device printed");
        {
            Program program(sim.device());
            program.port.carrier_probe = carrier_file_probe(carrier_path);
            QVERIFY(program.port.open(nullptr, nullptr));
            QVERIFY(!program.port.carrier_detect());
            program.port.write("at&h1&r2x4v1q0f1s0=1e0\n");
            program.clock.sleep_ms(300);
            vbib32::Send(0, meter_address, "ATD 5551234");
            QVERIFY(program.wait_for([&] { return program.port.carrier_detect(); }, 5000));
            program.clock.sleep_ms(200);
            program.port.discard_input();
            QVERIFY(program.identity().startsWith(QStringLiteral("TOLMARE,RQ5811K,")));
            // Leaving as the main window does.
            program.port.write("!BYE");
            program.clock.sleep_ms(1000);
            program.port.write("+++");
            program.clock.sleep_ms(100);
        }
        QTRY_COMPARE_WITH_TIMEOUT(read_file(carrier_path), QStringLiteral("0"), 5000);
    }
};

QTEST_GUILESS_MAIN(TestPty)
#include "test_pty.moc"
