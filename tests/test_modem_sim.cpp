// The simulated Hayes modem in front of the serial meter: command parsing, echo, result codes, the
// dial outcomes, the "+++" guard times, hanging up and the carrier.

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/sim_meter.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_meter.h"
#include "sim/wire_log.h"
#include "support/rig_test.h"
#include "support/serial_line.h"

#include <QtTest>

namespace {

const QByteArray init_line("at&h1&r2x4v1q0f1s0=1e0\n");
const QByteArray identity("RTOLMARE,RQ5811K,101507,2.02\n");

BenchDescription bench_for_modem()
{
    BenchDescription b;
    b.model = QStringLiteral("RQ5811K");
    b.software_version = QStringLiteral("2.02");
    return b;
}

struct Rig : SimSerialLine {
    SimModem modem{line, clock, log, bench};
    FakeSerialPort port{&modem};
    QList<bool> carrier_changes;

    Rig() : SimSerialLine(bench_for_modem())
    {
        modem.on_carrier_change = [this](bool up) { carrier_changes << up; };
        port.open(nullptr, nullptr);
    }

    void write(const QByteArray& bytes) { port.write(bytes); }
    // Everything that reaches the port within the next ms milliseconds.
    QByteArray read_for(double ms)
    {
        QByteArray out;
        const qint64 end = clock.now_us() + qint64(ms * 1000);
        while (clock.now_us() < end) {
            clock.advance_us(std::min<qint64>(1000, end - clock.now_us()));
            out += port.read_all();
        }
        return out;
    }
    // Initialised as the program does it, then dialled and connected.
    void connect(const QByteArray& number = "5551234")
    {
        write(init_line);
        read_for(1000);
        write("ATD " + number + "\r\n");
        read_for(15100);
    }
    QStringList kinds(const QString& channel) const
    {
        QStringList out;
        for (const WireLog::Entry& e : log.entries())
            if (e.channel == channel)
                out << e.kind;
        return out;
    }
};

}  // namespace

class TestModemSim : public RigTest<Rig> {
    Q_OBJECT

private slots:
    void command_state_echo_and_result_codes()
    {
        rig->write("AT\r");
        QCOMPARE(rig->read_for(100), QByteArray("AT\r\r\nOK\r\n"));
        rig->write("at\r");
        QCOMPARE(rig->read_for(100), QByteArray("at\r\r\nOK\r\n"));
        rig->write("ATY\r");
        QCOMPARE(rig->read_for(100), QByteArray("ATY\r\r\nERROR\r\n"));
        // Not a command: echoed, not answered.
        rig->write("HELLO\r");
        QCOMPARE(rig->read_for(100), QByteArray("HELLO\r"));
        rig->write("ATV0\r");
        QCOMPARE(rig->read_for(100), QByteArray("ATV0\r0\r"));
        rig->write("ATV1 E0\r");
        QCOMPARE(rig->read_for(100), QByteArray("ATV1 E0\r\r\nOK\r\n"));
        rig->write("AT\r");
        QCOMPARE(rig->read_for(100), QByteArray("\r\nOK\r\n"));
        rig->write("ATQ1\r");
        rig->write("AT\r");
        QCOMPARE(rig->read_for(100), QByteArray());
        rig->write("ATQ0\r");
        QCOMPARE(rig->read_for(100), QByteArray("\r\nOK\r\n"));
    }

    void init_line_ends_with_line_feed()
    {
        rig->write(init_line);
        QCOMPARE(rig->read_for(100), init_line + "\r\nOK\r\n");
        QVERIFY(!rig->modem.echo());
        // CR LF: the LF is an empty line, not a second command.
        rig->write("AT\r\n");
        QCOMPARE(rig->read_for(100), QByteArray("\r\nOK\r\n"));
    }

    void dial_connects_to_the_meter_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("blank") << QByteArray("ATD 5551234\r\n");
        QTest::newRow("run together") << QByteArray("ATD5551234\r");
        QTest::newRow("tone, dashes") << QByteArray("atdt 555-1234\r\n");
    }
    void dial_connects_to_the_meter()
    {
        QFETCH(QByteArray, command);
        rig->write(init_line);
        rig->read_for(1000);
        rig->write(command);
        QCOMPARE(rig->read_for(14990), QByteArray());
        QVERIFY(!rig->port.carrier_detect());
        QCOMPARE(rig->read_for(30), QByteArray("\r\nCONNECT 9600\r\n"));
        QVERIFY(rig->port.carrier_detect());
        QCOMPARE(rig->carrier_changes, QList<bool>({true}));
        rig->write("*IDN?\r\n");
        QCOMPARE(rig->read_for(200), identity);
    }

    void busy_line()
    {
        rig->modem.set_number(QStringLiteral("5550001"), SimModem::Outcome::Busy);
        rig->write(init_line);
        rig->read_for(1000);
        rig->write("ATD 5550001\r\n");
        QCOMPARE(rig->read_for(4990), QByteArray());
        QCOMPARE(rig->read_for(20), QByteArray("\r\nBUSY\r\n"));
        QCOMPARE(rig->read_for(30000), QByteArray());
        QVERIFY(!rig->port.carrier_detect());
    }

    void quiet_busy_line_until_a_key_aborts()
    {
        rig->modem.set_number(QStringLiteral("5550002"), SimModem::Outcome::QuietBusy);
        rig->write(init_line);
        rig->read_for(1000);
        rig->write("ATD 5550002\r\n");
        QCOMPARE(rig->read_for(30000), QByteArray());
        QVERIFY(!rig->port.carrier_detect());
        rig->write("+++");
        QCOMPARE(rig->read_for(100), QByteArray("\r\nNO CARRIER\r\n"));
        QVERIFY(rig->kinds(QStringLiteral("modem")).contains(QStringLiteral("abort")));
    }

    void no_answer_outlasts_the_callers_wait()
    {
        rig->write(init_line);
        rig->read_for(1000);
        rig->write("ATD 5559999\r\n");  // not in the phone book
        QCOMPARE(rig->read_for(44990), QByteArray());
        QCOMPARE(rig->read_for(30), QByteArray("\r\nNO CARRIER\r\n"));
        rig->write("ATD 5559999@\r\n");
        QCOMPARE(rig->read_for(45100), QByteArray("\r\nNO ANSWER\r\n"));
        QVERIFY(rig->carrier_changes.isEmpty());
    }

    void another_model_answers()
    {
        rig->modem.set_number(QStringLiteral("5550003"), SimModem::Outcome::OtherModel, QStringLiteral("RQ5822K"));
        rig->connect("5550003");
        QVERIFY(rig->port.carrier_detect());
        rig->write("*IDN?\r\n");
        QCOMPARE(rig->read_for(200), QByteArray("RTOLMARE,RQ5822K,101507,2.02\n"));
        // Other replies pass untouched.
        rig->write("*ESE?\r\n");
        QCOMPARE(rig->read_for(200), QByteArray("R0\n"));
    }

    void connection_without_a_meter()
    {
        rig->modem.set_number(QStringLiteral("5550004"), SimModem::Outcome::NoMeter);
        rig->connect("5550004");
        QVERIFY(rig->port.carrier_detect());
        rig->write("*IDN?\r\n");
        QCOMPARE(rig->read_for(10000), QByteArray());
        QVERIFY(!rig->kinds(QStringLiteral("serial")).contains(QStringLiteral("send")));
    }

    void escape_needs_a_second_of_silence_around_it()
    {
        rig->connect();
        rig->read_for(1500);
        rig->write("+++");
        QCOMPARE(rig->read_for(990), QByteArray());
        QVERIFY(rig->modem.in_data_state());
        QCOMPARE(rig->read_for(20), QByteArray("\r\nOK\r\n"));
        QVERIFY(!rig->modem.in_data_state());
        QVERIFY(rig->port.carrier_detect());
        // Command state: the meter no longer hears the line.
        rig->write("AT\r\n");
        QCOMPARE(rig->read_for(100), QByteArray("\r\nOK\r\n"));
        rig->write("ATH0\r\n");
        QCOMPARE(rig->read_for(100), QByteArray("\r\nOK\r\n"));
        QVERIFY(!rig->port.carrier_detect());
        QCOMPARE(rig->carrier_changes, QList<bool>({true, false}));
        QVERIFY(!rig->log.sent(13).contains(QStringLiteral("AT")));
    }

    void plus_signs_inside_data_pass_through()
    {
        rig->connect();
        // No silence before.
        rig->write("*IDN?\r\n");
        QCOMPARE(rig->read_for(200), identity);
        rig->write("+++");
        QCOMPARE(rig->read_for(3000), QByteArray());
        QVERIFY(rig->modem.in_data_state());
        rig->write("\r\n");
        // Silence before, but data within the second after.
        rig->read_for(1500);
        rig->write("+++");
        rig->read_for(500);
        rig->write("X\r\n");
        QVERIFY(!rig->read_for(3000).contains("OK"));
        QVERIFY(rig->modem.in_data_state());
        QCOMPARE(rig->log.sent(13), QStringList({"*IDN?", "+++", "+++X"}));
    }

    void exit_sequence_hangs_up()
    {
        rig->connect();
        rig->write("!BYE");
        QCOMPARE(rig->line.sessions_ended(), 1);
        rig->read_for(1000);
        rig->write("+++");
        rig->read_for(100);
        rig->port.close();
        QVERIFY(!rig->modem.carrier());
        QStringList tail = rig->kinds(QStringLiteral("modem"));
        tail = tail.mid(tail.size() - 3);
        QCOMPARE(tail, QStringList({"escape", "hangup", "carrier"}));
    }

    void closing_the_port_hangs_up()
    {
        rig->connect();
        rig->port.close();
        QVERIFY(!rig->modem.carrier());
        QCOMPARE(rig->carrier_changes, QList<bool>({true, false}));
    }

    void connection_left_over()
    {
        rig->modem.start_connected();
        QVERIFY(rig->port.carrier_detect());
        rig->write("*IDN?\r\n");
        QCOMPARE(rig->read_for(200), identity);
        // The program's hang-up: pause, "+++", pause, "ATH0".
        rig->read_for(1500);
        rig->write("+++");
        rig->read_for(1500);
        rig->write("ATH0\r\n");
        rig->read_for(100);
        QVERIFY(!rig->port.carrier_detect());
    }

    void far_end_hangs_up()
    {
        rig->connect();
        rig->modem.drop_carrier();
        QCOMPARE(rig->read_for(100), QByteArray("\r\nNO CARRIER\r\n"));
        QVERIFY(!rig->port.carrier_detect());
        QVERIFY(!rig->modem.in_data_state());
    }

    void key_during_dialling_aborts()
    {
        rig->write(init_line);
        rig->read_for(1000);
        rig->write("ATD 5551234\r\n");
        rig->read_for(5000);
        rig->write("X");
        QCOMPARE(rig->read_for(20000), QByteArray("\r\nNO CARRIER\r\n"));
        QVERIFY(!rig->port.carrier_detect());
        QVERIFY(rig->carrier_changes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestModemSim)
#include "test_modem_sim.moc"
