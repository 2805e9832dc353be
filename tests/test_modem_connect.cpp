// Dialling the meter through a Hayes modem: wire bytes, timing, boxes and captions.
#include "frame/modem_connect.h"
#include "link/globals.h"
#include "sim/sim_modem.h"
#include "support/caption_log.h"
#include "support/test_bench.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QtTest>

namespace {

// Sits between the port and the modem and notes every write with its time.
class Tap : public SerialEndpoint {
public:
    Tap(SerialEndpoint& inner, Clock& clock) : inner_(inner), clock_(clock) {}
    void receive_from_host(const QByteArray& bytes) override
    {
        writes.push_back({clock_.now_us(), bytes});
        inner_.receive_from_host(bytes);
    }
    QByteArray take_available() override { return inner_.take_available(); }
    int available() override { return inner_.available(); }
    bool carrier() const override { return inner_.carrier(); }
    void host_opened() override { inner_.host_opened(); }
    void host_closed() override { inner_.host_closed(); }

    struct Write {
        qint64 t_us;
        QByteArray bytes;
    };
    std::vector<Write> writes;

private:
    SerialEndpoint& inner_;
    Clock& clock_;
};

// A modem bench whose far meter belongs to the family the dialler accepts.
struct ModemBench {
    static BenchDescription description()
    {
        BenchDescription d;
        d.model = "RQ5812K";
        d.software_version = "2.10";
        return d;
    }
    ModemBench() : tb(TestBench::Link::Modem, description()), tap(tb.bench.modem_line(), tb.clock)
    {
        tb.serial.set_endpoint(&tap);
        window.setWindowTitle("Pelmora");
        t0 = tb.clock.now_us();
    }
    SimModem& modem() { return tb.bench.modem(); }
    // Writes as (ms since the start, bytes).
    QList<QPair<double, QByteArray>> writes() const
    {
        QList<QPair<double, QByteArray>> out;
        for (const auto& w : tap.writes)
            out.append({(w.t_us - t0) / 1000.0, w.bytes});
        return out;
    }
    QByteArray bytes() const
    {
        QByteArray out;
        for (const auto& w : tap.writes)
            out += w.bytes;
        return out;
    }
    double ms_of(const QByteArray& bytes) const
    {
        for (const auto& w : tap.writes)
            if (w.bytes == bytes)
                return (w.t_us - t0) / 1000.0;
        return -1;
    }

    TestBench tb;
    Tap tap;
    QWidget window;
    qint64 t0 = 0;
};

const QByteArray init_line = "at&h1&r2x4v1q0f1s0=1e0\r\n";
const QByteArray dial_line = "ATD 5551234\r\n";

}  // namespace

class ModemConnectTest : public QObject {
    Q_OBJECT
private slots:
    void connects_with_exact_wire_and_timing();
    void busy_line_shows_one_box();
    void quiet_busy_waits_out_the_30_seconds();
    void quiet_modem_busy_gives_up_with_box();
    void no_carrier_in_30_seconds();
    void leftover_carrier_is_hung_up_first();
    void stuck_carrier_is_given_up_after_30_seconds();
    void wrong_family_or_silent_far_end_is_refused();
    void nothing_happens_without_an_open_serial_link();
};

void ModemConnectTest::connects_with_exact_wire_and_timing()
{
    ModemBench mb;
    CaptionLog captions(&mb.window);
    bool hourglass_while_dialling = false;
    mb.tb.clock.on_yield = [&] {
        if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            hourglass_while_dialling = true;
    };
    QString reply;
    QVERIFY(module1::modem_connect("5551234", reply, &mb.window, false));
    QVERIFY(reply.contains("TOLMARE,RQ5812K,101507,2.10"));
    QVERIFY(g().serial_in_use);
    QVERIFY(mb.tb.prompts.boxes().isEmpty());
    QCOMPARE(captions.captions, QStringList({"Dialing...5551234", "Connected..."}));
    QVERIFY(hourglass_while_dialling);
    QVERIFY(QApplication::overrideCursor() == nullptr);

    const auto w = mb.writes();
    QCOMPARE(w.size(), 4);
    QCOMPARE(w[0], qMakePair(500.0, init_line));
    QCOMPARE(w[1], qMakePair(1500.0, dial_line));
    QCOMPARE(w[2].second, QByteArray("!DCL\r\n"));
    QCOMPARE(w[3].second, QByteArray("*IDN?\r\n"));
    // The carrier rises 15 s after the dial; half a second later the clear, another half the query.
    const double carrier_ms = 1500.0 + mb.modem().dial_ms;
    QVERIFY2(w[2].first >= carrier_ms + 500 && w[2].first <= carrier_ms + 520, qPrintable(QString::number(w[2].first)));
    QCOMPARE(w[3].first, w[2].first + 500.0);
}

void ModemConnectTest::busy_line_shows_one_box()
{
    ModemBench mb;
    mb.modem().set_number("5551234", SimModem::Outcome::Busy);
    double box_ms = -1;
    mb.tb.prompts.on_call = [&](const RecordingPrompts::Call&) { box_ms = (mb.tb.clock.now_us() - mb.t0) / 1000.0; };
    QString reply;
    QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, false));
    QCOMPARE(mb.tb.prompts.boxes(), QStringList({"Line is busy..."}));
    QCOMPARE(mb.tb.prompts.calls[0].title, QString("Modem at 5551234"));
    QCOMPARE(mb.bytes(), init_line + dial_line + "+++");
    // "BUSY" comes 5 s after the dial; the box follows as soon as it has arrived.
    QVERIFY2(box_ms > 6500 && box_ms < 6550, qPrintable(QString::number(box_ms)));
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void ModemConnectTest::quiet_busy_waits_out_the_30_seconds()
{
    ModemBench mb;
    mb.modem().set_number("5551234", SimModem::Outcome::Busy);
    QString reply;
    QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, true));
    QVERIFY(mb.tb.prompts.calls.empty());
    QCOMPARE(mb.bytes(), init_line + dial_line + "+++");
    const double escape_ms = mb.ms_of("+++");
    QVERIFY2(escape_ms > 1500 + 30000 && escape_ms <= 1500 + 30020, qPrintable(QString::number(escape_ms)));
}

void ModemConnectTest::quiet_modem_busy_gives_up_with_box()
{
    // The line is busy but the modem says nothing: only the carrier wait's end tells.
    ModemBench mb;
    mb.modem().set_number("5551234", SimModem::Outcome::QuietBusy);
    QString reply;
    QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, false));
    QCOMPARE(mb.tb.prompts.boxes(), QStringList({"Unable to connect to the modem"}));
    QCOMPARE(mb.tb.prompts.calls[0].title, QString("Sorry..."));
    QVERIFY(mb.ms_of("+++") > 31500);
}

void ModemConnectTest::no_carrier_in_30_seconds()
{
    ModemBench mb;
    mb.modem().set_number("5551234", SimModem::Outcome::NoAnswer);
    QString reply = "untouched";
    QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, false));
    QCOMPARE(reply, QString("untouched"));
    QCOMPARE(mb.bytes(), init_line + dial_line + "+++");
    const double escape_ms = mb.ms_of("+++");
    QVERIFY2(escape_ms > 31500 && escape_ms <= 31520, qPrintable(QString::number(escape_ms)));
    QCOMPARE(mb.tb.prompts.boxes(), QStringList({"Unable to connect to the modem"}));
    // The escape abandoned the call the modem was still trying.
    QVERIFY(!mb.modem().dialing());
    QVERIFY(!mb.modem().carrier());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void ModemConnectTest::leftover_carrier_is_hung_up_first()
{
    ModemBench mb;
    mb.modem().start_connected();
    CaptionLog captions(&mb.window);
    QString reply;
    QVERIFY(module1::modem_connect("5551234", reply, &mb.window, false));
    const auto w = mb.writes();
    QVERIFY(w.size() >= 4);
    QCOMPARE(w[0], qMakePair(1500.0, QByteArray("+++")));
    QCOMPARE(w[1], qMakePair(3000.0, QByteArray("ATH0\r\n")));
    QCOMPARE(w[2], qMakePair(3500.0, init_line));
    QCOMPARE(w[3], qMakePair(4500.0, dial_line));
    QCOMPARE(captions.captions, QStringList({"Still connected....disconnecting", "Dialing...5551234", "Connected..."}));
}

void ModemConnectTest::stuck_carrier_is_given_up_after_30_seconds()
{
    ModemBench mb;
    mb.modem().carrier_stuck = true;
    QString reply;
    module1::modem_connect("5551234", reply, &mb.window, true);
    const auto w = mb.writes();
    int attempts = 0;
    for (const auto& [ms, bytes] : w)
        if (bytes == "ATH0\r\n")
            ++attempts;
    QCOMPARE(attempts, 10);
    // Dialling goes ahead after the last attempt.
    QCOMPARE(mb.ms_of(dial_line), 30000.0 + 500 + 1000);
}

void ModemConnectTest::wrong_family_or_silent_far_end_is_refused()
{
    for (const auto outcome : {SimModem::Outcome::OtherModel, SimModem::Outcome::NoMeter}) {
        ModemBench mb;
        mb.modem().set_number("5551234", outcome, "RQ5822K");
        QString reply;
        QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, false));
        QVERIFY(mb.tb.prompts.calls.empty());
        QVERIFY(mb.modem().carrier());  // connected, but not to a meter it accepts
    }
}

void ModemConnectTest::nothing_happens_without_an_open_serial_link()
{
    {
        ModemBench mb;
        mb.tb.serial.close();
        QString reply;
        QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, false));
        QVERIFY(mb.tap.writes.empty());
        QCOMPARE(mb.tb.clock.now_us(), mb.t0);
    }
    {
        ModemBench mb;
        g().serial_in_use = false;
        QString reply;
        QVERIFY(!module1::modem_connect("5551234", reply, &mb.window, false));
        QVERIFY(mb.tap.writes.empty());
        QVERIFY(mb.tb.prompts.calls.empty());
    }
}

QTEST_MAIN(ModemConnectTest)
#include "test_modem_connect.moc"
