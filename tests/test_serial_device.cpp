// The real serial port on pseudo-terminals, in real time: a device that goes away in the middle of a
// readout run, and one that sends more than anyone reads.

#include "frame/system_check.h"
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "readout/readout_spd.h"
#include "support/sim_process.h"
#include "support/serial_line.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The program's side: real clock, real port on the given device, the serial link chosen.
struct Program {
    RealClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    QtSerialPort port{clock};

    explicit Program(const QString& device)
    {
        reset_globals();
        Globals& gs = g();
        gs.serial_in_use = true;
        gs.comms_type = 1;
        gs.meter_address = 13;
        gs.meter_model = QStringLiteral("RQ5822K");
        gs.instruments_ok = true;
        port.set_device_override(1, device);
        port.set_port(1);
        install_serial_seams(clock, prompts, &settings, port);
    }
    ~Program()
    {
        port.close();
        install_platform(Platform{});
    }
};

}  // namespace

class TestSerialDevice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const int fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0)
            QSKIP("no pseudo-terminal can be opened here");
        ::close(fd);
    }

    // The far end closes during a run: the first failing call closes the port, the run ends with its
    // one box, and everything after it (the rest of the run, the goodbye commands) fails at once.
    void device_gone_during_a_readout_run()
    {
        const QString binary = qEnvironmentVariable("PELMORA_SIM_BINARY");
        if (binary.isEmpty() || !QFileInfo(binary).isExecutable())
            QSKIP("pelmora-sim is not built");
        SimProcess sim({QStringLiteral("--fast")});
        QVERIFY2(!sim.device().isEmpty(), "no device printed");
        Program program(sim.device());
        QString error;
        QVERIFY2(program.port.open(&error, nullptr), qPrintable(error));

        auto* w = new readout_spd;
        QVERIFY(w->load());
        QCOMPARE(program.prompts.boxes(), QStringList());
        QTimer::singleShot(300, [&sim] { sim.kill(); });
        QElapsedTimer timer;
        timer.start();
        w->menuRun_Click();
        QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(program.prompts.boxes(), QStringList({"No data read"}));
        QVERIFY(program.port.lost());
        QVERIFY(!program.port.is_open());
        QVERIFY(!g().test_running);

        timer.restart();
        w->request_close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(program.prompts.boxes().size(), 1);

        // Opening it again is a fresh start: the lost state goes with a successful open.
        SimProcess again({QStringLiteral("--fast")});
        program.port.set_device_override(1, again.device());
        QVERIFY(program.port.open(nullptr, nullptr));
        QVERIFY(!program.port.lost());
    }

    // A device that cannot be opened is named in the check's box.
    void missing_device_is_named()
    {
        const QString device = QStringLiteral("/dev/pelmora-missing/ttyUSB9");
        Program program(device);
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(program.prompts.boxes(), QStringList{"Error: " + device + ": No such file or directory"});
        QCOMPARE(program.prompts.calls.back().title, QString("Sorry..."));
    }

    // A device that streams while nobody reads: the event loop keeps running, and the port holds a
    // bounded amount; the rest stays with the device.
    void streaming_device_fills_a_bounded_buffer()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        Program program(QString::fromLocal8Bit(ptsname(master)));
        QVERIFY(program.port.open(nullptr, nullptr));

        const QByteArray chunk(4096, 'x');
        qint64 written = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 1000 && written < 4'000'000) {
            const ssize_t n = ::write(master, chunk.constData(), size_t(chunk.size()));
            if (n > 0)
                written += n;
            QCoreApplication::processEvents();
        }
        QVERIFY2(written > SerialPort::kInputBufferBytes, qPrintable(QString::number(written)));
        QVERIFY2(program.port.in_count() <= SerialPort::kInputBufferBytes,
                 qPrintable(QString::number(program.port.in_count())));
        QVERIFY(program.port.in_count() > 0);
        program.port.close();
        ::close(master);
    }
};

QTEST_MAIN(TestSerialDevice)
#include "test_serial_device.moc"
