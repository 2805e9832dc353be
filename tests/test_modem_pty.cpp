// End to end over a real pseudo-terminal: the program's serial path dials the simulated meter behind
// its modem in pelmora-sim, checks it, and hangs up at exit. Real time, a few seconds.
#include "frame/configure_form.h"
#include "frame/sorvdemo.h"
#include "frame/system_check.h"
#include "link/globals.h"
#include "platform/carrier_file.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
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

// pelmora-sim with a modem in front of an RQ5812K, reporting its carrier in a file of its own. No
// device (and the test is skipped) when the tool or a pseudo-terminal is not available.
struct Tool {
    Tool()
    {
        const QString sim = QString::fromLocal8Bit(qgetenv("PELMORA_SIM_BINARY"));
        if (!dir.isValid() || sim.isEmpty() || !QFileInfo(sim).isExecutable())
            return;
        carrier = dir.filePath("carrier");
        process.start(sim, {"--modem", "--carrier-file", carrier, "--dial-ms", "2000", "--model", "RQ5812K",
                            "--version", "2.10", "--seconds", "120"});
        if (!process.waitForStarted(5000))
            return;
        QByteArray first_line;
        for (int i = 0; i < 100 && !first_line.contains('\n'); ++i) {
            process.waitForReadyRead(100);
            first_line += process.readAllStandardOutput();
        }
        if (!first_line.startsWith("PTY ")) {
            process.kill();
            process.waitForFinished(2000);
            return;
        }
        device = QString::fromLocal8Bit(first_line.mid(4).trimmed());
    }
    // It serves until it is stopped.
    ~Tool()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
    QTemporaryDir dir;
    QString carrier;
    QProcess process;
    QString device;
};

// The real store, noting the keys the program writes.
class NotingSettings : public QtSettingsStore {
public:
    void write(const QString& section, const QString& key, const QString& value) override
    {
        written << section + "/" + key;
        QtSettingsStore::write(section, key, value);
    }
    QStringList written;
};

void install(RealClock& clock, RecordingPrompts& prompts, SettingsStore& settings, SerialPort& port)
{
    install_platform(Platform::of_serial(clock, prompts, &settings, port));
    reset_globals();
}

}  // namespace

class ModemPtyTest : public QObject {
    Q_OBJECT
private slots:
    void dial_check_and_hang_up();
    void start_up_reads_the_carrier_file_from_the_configuration_data();
    void start_up_reads_the_carrier_file_from_the_configuration();
};

void ModemPtyTest::dial_check_and_hang_up()
{
    Tool tool;
    if (tool.device.isEmpty())
        QSKIP("pelmora-sim or a pseudo-terminal is not available");
    const QString& carrier = tool.carrier;

    RealClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    NotingPort port(clock);
    port.set_device_override(1, tool.device);
    port.carrier_probe = carrier_file_probe(carrier);
    install(clock, prompts, settings, port);
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
    // Closing the port hung the call up; the tool waits for the next open.
    QTRY_COMPARE_WITH_TIMEOUT(read_file(carrier), QByteArray("0"), 5000);
    QCOMPARE(tool.process.state(), QProcess::Running);
    install_platform(Platform());
}

void ModemPtyTest::start_up_reads_the_carrier_file_from_the_configuration_data()
{
    QTest::addColumn<bool>("first_start");
    QTest::newRow("stored configuration") << false;
    // Only the device keys are in the file: the configuration window of the first start opens the port.
    QTest::newRow("first start") << true;
}

void ModemPtyTest::start_up_reads_the_carrier_file_from_the_configuration()
{
    // As a user sets it up: the configuration file written by hand, the program's own start-up, the
    // real settings store and port, and nothing wired by the test.
    QFETCH(bool, first_start);
    Tool tool;
    if (tool.device.isEmpty())
        QSKIP("pelmora-sim or a pseudo-terminal is not available");
    const QString& carrier = tool.carrier;

    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Pelmora";
    QVERIFY(QDir().mkpath(folder));
    const QString config_path = folder + "/Pelmora.conf";
    const QByteArray stored = "[Comms]\nComms=1\n"
                              "[GPIB]\nRQ58xxK=13\nTolmare Synth addr=-1\nOther synth=False\nTolmare Synth=False\n"
                              "[Modem]\nModem=True\nPhone Number=5551234\n";
    const QByteArray config = (first_start ? QByteArray() : stored) + "[Serial]\n" +
                              (first_start ? "" : "Port=1\nSettings=\"9600,N,8,1\"\n") + "Port 1 device=" +
                              tool.device.toLocal8Bit() + "\nPort 1 carrier file=" + carrier.toLocal8Bit() + "\n";
    {
        QFile f(config_path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(config);
    }

    RealClock clock;
    RecordingPrompts prompts;
    NotingSettings settings;
    QtSerialPort port(clock);
    install(clock, prompts, settings, port);
    {
        sorvdemo w;
        if (first_start) {
            QTimer::singleShot(0, [] {
                auto* form = qobject_cast<Configure_Form*>(QApplication::activeModalWidget());
                QVERIFY(form);
                form->Comms_choice[1]->setChecked(true);
                form->Port_Choice[0]->setChecked(true);
                form->Baud_Rate_combo->setCurrentText("9600");
                form->Modem_connection_check->setChecked(true);
                form->Phone_Number_Box->setText("5551234");
                form->OK_button_Click();
            });
        }
        QVERIFY(w.MDIForm_Load());
        QCOMPARE(port.carrier_file(), carrier);
        prompts.clear();
        w.menuReset_Click();
        QCOMPARE(prompts.boxes(), QStringList({"Your system appears to be ok."}));
        QVERIFY(g().instruments_ok);
        QCOMPARE(read_file(carrier), QByteArray("1"));
        w.close();
        QVERIFY(!port.is_open());
    }
    QTRY_COMPARE_WITH_TIMEOUT(read_file(carrier), QByteArray("0"), 5000);
    // Read, never written.
    QVERIFY(!settings.written.contains("Serial/Port 1 device"));
    QVERIFY(!settings.written.contains("Serial/Port 1 carrier file"));
    QCOMPARE(settings.read("Serial", "Port 1 carrier file").value_or(""), carrier);
    if (!first_start) {
        QVERIFY(settings.written.isEmpty());
        QFile f(config_path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), config);
    }
    install_platform(Platform());
}

QTEST_MAIN(ModemPtyTest)
#include "test_modem_pty.moc"
