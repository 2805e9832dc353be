// Input the program does not control, at its worst: block headers whose length is no length, a device
// that never stops sending or goes away, and stored integers out of range in any notation.

#include "frame/stored_config.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "support/serial_line.h"

#include <QtTest>

namespace {

constexpr int meter_address = 13;

// The far end: a script that is all there at once, then, when rate is set, an endless stream of
// bytes at that many a microsecond.
class ScriptLine : public SerialEndpoint {
public:
    explicit ScriptLine(Clock& clock) : clock_(clock) {}
    void receive_from_host(const QByteArray&) override {}
    int available() override { return int(script.size() + streamed()); }
    QByteArray take_available() override
    {
        QByteArray out = script + QByteArray(int(streamed()), fill);
        script.clear();
        taken_at_ = clock_.now_us();
        return out;
    }
    qint64 next_arrival_us() const override { return rate > 0 ? clock_.now_us() + 1 : -1; }

    QByteArray script;
    double rate = 0;
    char fill = 'x';

private:
    qint64 streamed() const { return rate > 0 ? qint64((clock_.now_us() - taken_at_) * rate) : 0; }
    Clock& clock_;
    qint64 taken_at_ = 0;
};

struct Rig {
    VirtualClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    ScriptLine line{clock};
    FakeSerialPort port{&line};

    Rig() { install_serial_link(clock, prompts, &settings, port, meter_address); }
    ~Rig() { install_platform(Platform{}); }
};

}  // namespace

class TestBadInput : public QObject {
    Q_OBJECT

private slots:
    void block_header_lengths_data()
    {
        QTest::addColumn<QByteArray>("length");
        QTest::addColumn<int>("data_bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("max_us");
        // A good header: the read ends with the block.
        QTest::newRow("800") << QByteArray("800") << 800 << 811 << qint64(1000);
        QTest::newRow("20, blanks ignored") << QByteArray(" 20") << 20 << 31 << qint64(1000);
        // No length: the block never completes and the read gives up after 20 s with nothing.
        QTest::newRow("9E9") << QByteArray("9E9") << 804 << 0 << qint64(20'001'000);
        QTest::newRow("negative") << QByteArray("-01") << 20 << 0 << qint64(20'001'000);
        QTest::newRow("fraction") << QByteArray("1.5") << 20 << 0 << qint64(20'001'000);
    }
    void block_header_lengths()
    {
        QFETCH(QByteArray, length);
        QFETCH(int, data_bytes);
        QFETCH(int, count);
        QFETCH(qint64, max_us);
        Rig rig;
        rig.line.script = "ROGBD #3" + length + QByteArray(data_bytes, '\n') + "\n";
        QByteArray buffer = vbib32::fixed_buffer(1600);
        const qint64 start = rig.clock.now_us();
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(int(g().ibcnt), count);
        QVERIFY(rig.clock.now_us() - start <= max_us);
        if (count)
            QCOMPARE(buffer.left(10), "OGBD #3" + length);
    }

    // A device that streams bytes: the port holds a bounded amount whatever comes, and a reply that
    // outgrows every real one ends the read at once with the link's failure (nothing, count 0).
    void streaming_device_stays_bounded()
    {
        Rig rig;
        rig.line.rate = 1.0;  // a megabyte a second
        for (int i = 0; i < 1000; ++i) {
            rig.clock.advance_ms(5);
            QVERIFY(rig.port.in_count() <= SerialPort::kInputBufferBytes);
        }
        QCOMPARE(rig.port.most_held, SerialPort::kInputBufferBytes);
        QVERIFY(rig.port.overrun_bytes > 4'000'000);

        const QList<QByteArray> heads{"", "ROGBD #39E9"};
        for (const QByteArray& head : heads) {
            rig.port.discard_input();
            rig.line.script = head;
            QByteArray buffer("previous text       ");
            g().ibcnt = 99;
            const qint64 start = rig.clock.now_us();
            vbib32::Receive(0, meter_address, buffer);
            QCOMPARE(buffer, QByteArray(20, ' '));
            QCOMPARE(int(g().ibcnt), 0);
            QVERIFY2(rig.clock.now_us() - start < 100'000, head.constData());
        }
        QVERIFY(rig.port.most_held <= SerialPort::kInputBufferBytes);

        // The service-request wait reads no further than a reply may be long: noise is no request.
        rig.line.fill = 'S';
        int srq = -1;
        const qint64 start = rig.clock.now_us();
        vbib32::wait_srq(0, srq);
        QCOMPARE(srq, 0);
        QVERIFY(rig.clock.now_us() - start < 100'000);
    }

    // A device gone in the middle of a read: that read fails, and every call after it fails at once,
    // without the waits a silent device gets.
    void vanished_device_fails_at_once()
    {
        Rig rig;
        rig.clock.on_yield = [&rig] { rig.port.vanish = true; };
        vbib32::Send(0, meter_address, "O 1");
        int srq = -1;
        vbib32::wait_srq(0, srq);  // the plug is pulled at the wait's first yield
        QCOMPARE(srq, 0);
        QVERIFY(rig.port.lost());
        QVERIFY(!rig.port.is_open());

        const qint64 start = rig.clock.now_us();
        QByteArray buffer("previous");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray("previous"));
        QCOMPARE(int(g().ibcnt), 0);
        vbib32::Send(0, meter_address, "O 1");
        int status = -1;
        vbib32::ReadStatusByte(0, meter_address, status);
        vbib32::wait_srq(0, srq);
        QCOMPARE(srq, 0);
        QCOMPARE(rig.clock.now_us(), start);
        QCOMPARE(rig.port.written, QByteArray("O 1\r\n"));

        // Opened again, it is a port like any other.
        rig.clock.on_yield = nullptr;
        QVERIFY(rig.port.open(nullptr, nullptr));
        QVERIFY(!rig.port.lost());
    }

    // The hex notation passes the same range check as the decimal one.
    void stored_integers_in_range_whatever_the_notation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("error");
        QTest::newRow("decimal") << "13" << true << 13 << "";
        QTest::newRow("decimal too big") << "908674" << false << 0 << "Overflow";
        QTest::newRow("hex") << "&H7FFF" << true << 32767 << "";
        QTest::newRow("hex -1") << "&HFFFF" << true << -1 << "";
        QTest::newRow("hex too big") << "&HDDD82" << false << 0 << "Overflow";
        QTest::newRow("hex beyond 32 bits") << "&H100000000" << false << 0 << "Overflow";
        QTest::newRow("hex huge") << "&H" + QString(40, 'F') << false << 0 << "Overflow";
        QTest::newRow("text") << "thirteen" << false << 0 << "Type mismatch";
    }
    void stored_integers_in_range_whatever_the_notation()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        QFETCH(QString, error);
        int out = -7;
        QString description;
        QCOMPARE(module1::to_integer(text, &out, &description), ok);
        QCOMPARE(out, ok ? value : -7);
        QCOMPARE(description, error);

        // At start-up: the first key that does not convert stops loading with its box, and what is
        // loaded is never saved back in a form the next start refuses.
        Rig rig;
        rig.settings.write("Comms", "Comms", "2");
        rig.settings.write("GPIB", "RQ58xxK", text);
        rig.settings.write("Modem", "Modem", "False");
        g().meter_address = 4;
        module1::load_config();
        if (ok) {
            QCOMPARE(g().meter_address, value);
        } else {
            QCOMPARE(rig.prompts.boxes(), QStringList{"Error: " + error});
            QCOMPARE(g().meter_address, 4);
        }
    }
};

QTEST_GUILESS_MAIN(TestBadInput)
#include "test_bad_input.moc"
