// End to end over a real pseudo-terminal: the program's serial path dials the simulated meter behind
// its modem in pelmora-sim, checks it, and hangs up at exit. Real time, a few seconds.
#include "frame/sorvdemo.h"
#include "frame/system_check.h"
#include "link/globals.h"
#include "platform/carrier_file.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The real port, noting what the program writes and when.
class NotingPort : public QtSerialPort {
public:
    using QtSerialPort::QtSerialPort;
    void write(const QByteArray& bytes) override
    {
        writes.push_back({platform().clock->now_ms(), bytes});
        QtSerialPort::write(bytes);
    }
    struct Write {
        double ms;
        QByteArray bytes;
    };
    std::vector<Write> writes;
};

QByteArray read_file(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

}  // namespace

class ModemPtyTest : public QObject {
    Q_OBJECT
private slots:
    void dial_check_and_hang_up();
};

void ModemPtyTest::dial_check_and_hang_up()
{
    const QString sim = QString::fromLocal8Bit(qgetenv("PELMORA_SIM_BINARY"));
    if (sim.isEmpty() || !QFileInfo(sim).isExecutable())
        QSKIP("pelmora-sim is not built");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString carrier = dir.filePath("carrier");

    QProcess tool;
    tool.start(sim, {"--modem", "--carrier-file", carrier, "--dial-ms", "2000", "--model", "RQ5812K", "--version",
                     "2.10", "--seconds", "120"});
    if (!tool.waitForStarted(5000))
        QSKIP("pelmora-sim does not start");
    QByteArray first_line;
    for (int i = 0; i < 100 && !first_line.contains('\n'); ++i) {
        tool.waitForReadyRead(100);
        first_line += tool.readAllStandardOutput();
    }
    if (!first_line.startsWith("PTY ")) {
        tool.kill();
        tool.waitForFinished(2000);
        QSKIP("no pseudo-terminal available");
    }
    const QString device = QString::fromLocal8Bit(first_line.mid(4).trimmed());

    RealClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    NotingPort port(clock);
    port.set_device_override(1, device);
    port.carrier_probe = carrier_file_probe(carrier);
    Platform p;
    p.clock = &clock;
    p.prompts = &prompts;
    p.settings = &settings;
    p.serial = &port;
    install_platform(p);
    reset_globals();
    Globals& gs = g();
    gs.comms_type = 1;
    gs.serial_in_use = true;
    gs.modem_in_use = true;
    gs.phone_number = "5551234";
    gs.meter_address = 13;

    {
        sorvdemo w;
        // The port is closed, as at every start after the first: the check opens it.
        QVERIFY(module1::check_instruments(&w));
        QVERIFY2(prompts.boxes().isEmpty(), qPrintable(prompts.boxes().join('|')));
        QCOMPARE(gs.meter_model, QString("RQ5812K"));
        QCOMPARE(read_file(carrier), QByteArray("1"));
        QCOMPARE(w.windowTitle(), QString("Pelmora"));
        QVERIFY(port.writes.size() >= 2);
        QCOMPARE(port.writes[0].bytes, QByteArray("at&h1&r2x4v1q0f1s0=1e0\r\n"));
        QCOMPARE(port.writes[1].bytes, QByteArray("ATD 5551234\r\n"));

        port.writes.clear();
        w.close();
        QVERIFY(!port.is_open());
        QCOMPARE(port.writes.size(), size_t(2));
        QCOMPARE(port.writes[0].bytes, QByteArray("!BYE"));
        QCOMPARE(port.writes[1].bytes, QByteArray("+++"));
        QVERIFY(port.writes[1].ms - port.writes[0].ms >= 1000);
    }
    // Closing the port hung the call up and ended the tool's session.
    QTRY_COMPARE_WITH_TIMEOUT(read_file(carrier), QByteArray("0"), 5000);
    // The wait above runs the event loop, so the tool may already be seen as finished.
    QVERIFY(tool.state() == QProcess::NotRunning || tool.waitForFinished(5000));
    QCOMPARE(tool.exitCode(), 0);
    install_platform(Platform());
}

QTEST_MAIN(ModemPtyTest)
#include "test_modem_pty.moc"
