#include "link/globals.h"
#include "link/gpibgen.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"

#include <QtTest>

// The simulated bench as the program's default GPIB driver: bus timing and errors, the meter's status
// model and parser, and the generator's mnemonics.
class TestSimBench : public QObject {
    Q_OBJECT

private:
    static constexpr int meter_addr = 13;
    static constexpr int gen_addr = 5;

    // Sends a message and reads its reply whole, the way the program does.
    static QByteArray ask(SimGpibBus& bus, int address, const QByteArray& message, int max = 256)
    {
        bus.send(0, address, message, GpibDriver::NLend);
        QByteArray buffer(max, ' ');
        bus.receive(0, address, buffer, max, GpibDriver::STOPend);
        return buffer.left(bus.status().cnt);
    }
    static QByteArray ask_meter(TestBench& tb, const QByteArray& message) { return ask(tb.bench.bus(), meter_addr, message); }
    // The bench's bus carrying bytes in no time, with the given timeout code.
    static SimGpibBus& timed_bus(TestBench& tb, int timeout_code)
    {
        SimGpibBus& bus = tb.bench.bus();
        bus.us_per_byte = 0;
        bus.ibtmo(0, timeout_code);
        return bus;
    }

private slots:
    // ---- bus ------------------------------------------------------------------------------------------

    void read_times_out_after_the_set_time_in_virtual_time()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        QCOMPARE(bus.ibfind(QStringLiteral("GPIB0")), 0);
        for (const auto& [code, seconds] : {std::pair{12, 3.0}, std::pair{13, 10.0}}) {
            bus.ibtmo(0, code);
            QByteArray buffer("untouched");
            const qint64 start = tb.clock.now_us();
            bus.receive(0, meter_addr, buffer, buffer.size(), GpibDriver::STOPend);
            QCOMPARE(tb.clock.now_us() - start, qint64(seconds * 1e6));
            QCOMPARE(bus.status().sta, GpibDriver::ERR | GpibDriver::TIMO | GpibDriver::CMPL);
            QCOMPARE(bus.status().err, GpibDriver::EABO);
            QCOMPARE(bus.status().cnt, 0);
            QCOMPARE(buffer, QByteArray("untouched"));
        }
    }

    void unknown_board_name_and_unit_fail_with_edvr()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        QCOMPARE(bus.ibfind(QStringLiteral("GPIB1")), -1);
        QCOMPARE(bus.status().sta & GpibDriver::ERR, GpibDriver::ERR);
        QCOMPARE(bus.status().err, GpibDriver::EDVR);
        bus.ibtmo(3, 12);
        QCOMPARE(bus.status().err, GpibDriver::EDVR);
        QCOMPARE(bus.timeout_code(), 13);
    }

    void empty_address_has_no_listener()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, 7, "*IDN?", GpibDriver::NLend);
        QCOMPARE(bus.status().sta, GpibDriver::ERR | GpibDriver::CMPL);
        QCOMPARE(bus.status().err, GpibDriver::ENOL);
        int status = -1;
        bus.read_status_byte(0, 7, &status);
        QCOMPARE(bus.status().err, GpibDriver::ENOL);
        QCOMPARE(status, -1);
        bus.dev_clear(0, 7);
        QCOMPARE(bus.status().err, GpibDriver::ENOL);
        QVERIFY(tb.log().sent(7).isEmpty());
        // A device that stops listening is refused the same way; nothing reaches it.
        bus.no_listener(meter_addr);
        bus.send(0, meter_addr, "OPMD PROFILE", GpibDriver::NLend);
        QCOMPARE(bus.status().err, GpibDriver::ENOL);
        QCOMPARE(tb.meter().operating_mode(), QStringLiteral("DIGIT"));
    }

    void partial_reads_keep_the_rest_for_the_next_read()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, meter_addr, "*IDN?", GpibDriver::NLend);
        QByteArray buffer(12, '.');
        bus.receive(0, meter_addr, buffer, 10, GpibDriver::STOPend);
        QCOMPARE(buffer, QByteArray("TOLMARE,RQ.."));
        QCOMPARE(bus.status().cnt, 10);
        QCOMPARE(bus.status().sta & GpibDriver::END, 0);
        QByteArray rest(40, ' ');
        bus.receive(0, meter_addr, rest, 40, GpibDriver::STOPend);
        QCOMPARE(rest.left(bus.status().cnt), QByteArray("5822K,101507,1.12\n"));
        QCOMPARE(bus.status().sta, GpibDriver::CMPL | GpibDriver::END);

        // A new message drops what was left unread.
        bus.send(0, meter_addr, "*IDN?", GpibDriver::NLend);
        bus.receive(0, meter_addr, buffer, 4, GpibDriver::STOPend);
        QCOMPARE(ask_meter(tb, "RDMODE?"), QByteArray("STAND\n"));
    }

    void addressed_talker_is_read_repeatedly()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        QByteArray buffer(8, ' ');
        bus.rcv_resp_msg(0, buffer, 8, GpibDriver::STOPend);
        QCOMPARE(bus.status().err, GpibDriver::EADR);
        bus.send(0, meter_addr, "RDMODE?", GpibDriver::NLend);
        bus.receive_setup(0, meter_addr);
        bus.rcv_resp_msg(0, buffer, 3, GpibDriver::STOPend);
        QCOMPARE(buffer, QByteArray("STA     "));
        bus.rcv_resp_msg(0, buffer, 8, GpibDriver::STOPend);
        QCOMPARE(buffer.left(bus.status().cnt), QByteArray("ND\n"));
        QCOMPARE(bus.status().sta, GpibDriver::CMPL | GpibDriver::END);
        // An interface clear unaddresses the talker.
        bus.send_ifc(0);
        bus.rcv_resp_msg(0, buffer, 8, GpibDriver::STOPend);
        QCOMPARE(bus.status().err, GpibDriver::EADR);
    }

    void serial_poll_clears_the_latched_request()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, meter_addr, "*SRE 16;*IDN?", GpibDriver::NLend);
        tb.clock.advance_ms(5);
        QVERIFY(tb.meter().requesting_service());
        int status = 0;
        bus.read_status_byte(0, meter_addr, &status);
        QCOMPARE(status, 16 | 64);
        QVERIFY(!tb.meter().requesting_service());
        bus.read_status_byte(0, meter_addr, &status);
        QCOMPARE(status, 16);
        QByteArray buffer(100, ' ');
        bus.receive(0, meter_addr, buffer, 100, GpibDriver::STOPend);
        bus.read_status_byte(0, meter_addr, &status);
        QCOMPARE(status, 0);
    }

    void wait_for_service_request_wakes_when_the_meter_is_done()
    {
        TestBench tb;
        SimGpibBus& bus = timed_bus(tb, 13);
        bus.send(0, meter_addr, "*ESE 1;*SRE 32;CAL A;*OPC", GpibDriver::NLend);
        qint64 start = tb.clock.now_us();
        bus.ibwait(0, GpibDriver::SRQI | GpibDriver::TIMO);
        QCOMPARE(bus.status().sta, GpibDriver::CMPL | GpibDriver::SRQI);
        QCOMPARE(tb.clock.now_us() - start, qint64(3'000'000));

        // No request within the time-out: TIMO without ERR.
        bus.ibtmo(0, 11);
        bus.send(0, meter_addr, "*CLS;CAL A;*OPC", GpibDriver::NLend);
        start = tb.clock.now_us();
        bus.ibwait(0, GpibDriver::SRQI | GpibDriver::TIMO);
        QCOMPARE(bus.status().sta, GpibDriver::CMPL | GpibDriver::TIMO);
        QCOMPARE(tb.clock.now_us() - start, qint64(1'000'000));
    }

    void transfer_time_is_charged_per_byte()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.us_per_byte = 2;
        const qint64 start = tb.clock.now_us();
        bus.send(0, meter_addr, "DISP OFF", GpibDriver::NLend);
        QCOMPARE(tb.clock.now_us() - start, qint64(16));
        QVERIFY(!tb.meter().display_on);
    }

    void injected_faults()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.fail_next(QStringLiteral("send"), GpibDriver::EABO);
        bus.send(0, meter_addr, "OPMD PROFILE", GpibDriver::NLend);
        QCOMPARE(bus.status().err, GpibDriver::EABO);
        QCOMPARE(tb.meter().operating_mode(), QStringLiteral("DIGIT"));
        QVERIFY(tb.log().sent(meter_addr).isEmpty());
        bus.send(0, meter_addr, "OPMD PROFILE", GpibDriver::NLend);
        QCOMPARE(bus.status().sta, GpibDriver::CMPL);
        QCOMPARE(tb.meter().operating_mode(), QStringLiteral("PROFILE"));

        bus.always_timeout(meter_addr);
        bus.ibtmo(0, 12);
        QCOMPARE(ask_meter(tb, "*IDN?"), QByteArray());
        QCOMPARE(bus.status().err, GpibDriver::EABO);
        bus.always_timeout(meter_addr, false);

        tb.meter().silent = true;
        QCOMPARE(ask_meter(tb, "*IDN?"), QByteArray());
        tb.meter().silent = false;
        tb.meter().garble_next = true;
        const QByteArray garbled = ask_meter(tb, "*IDN?");
        QCOMPARE(garbled.size(), 28);
        QVERIFY(!garbled.startsWith("TOLMARE"));
        QVERIFY(garbled.endsWith('\n'));
        QCOMPARE(ask_meter(tb, "*IDN?"), QByteArray("TOLMARE,RQ5822K,101507,1.12\n"));
    }

    void registration_answers_registered_then_already_registered()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        QCOMPARE(bus.register_globals(), 0);
        QCOMPARE(bus.register_globals(), 1);
        bus.unregister_globals();
        QCOMPARE(bus.register_globals(), 0);
        bus.register_result = 3;
        QCOMPARE(bus.register_globals(), 3);
    }

    // ---- status model ---------------------------------------------------------------------------------

    void opc_under_ese_and_sre_raises_a_request_with_esb()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, meter_addr, "*ESE 49;*SRE 48;OPMD PROFILE;*OPC", GpibDriver::NLend);
        QVERIFY(tb.meter().requesting_service());
        int status = 0;
        bus.read_status_byte(0, meter_addr, &status);
        QCOMPARE(status, 32 | 64);
        QCOMPARE(ask_meter(tb, "*ESR?"), QByteArray("1\n"));
        QCOMPARE(ask_meter(tb, "*ESR?"), QByteArray("0\n"));
        QCOMPARE(tb.meter().status_byte() & 32, 0);
    }

    void rst_keeps_the_enable_registers_and_cls_keeps_them_too()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, meter_addr, "*ESE 49;*SRE 48;OPMD PROFILE;GTDLY 5ms;DISP OFF;*RST", GpibDriver::NLend);
        QCOMPARE(ask_meter(tb, "*ESE?"), QByteArray("49\n"));
        QCOMPARE(ask_meter(tb, "*SRE?"), QByteArray("48\n"));
        QCOMPARE(ask_meter(tb, "OPMD?"), QByteArray("DIGIT\n"));
        QCOMPARE(ask_meter(tb, "GTDLY?"), QByteArray("0\n"));
        QVERIFY(tb.meter().display_on);

        bus.send(0, meter_addr, "BOGUS;*OPC", GpibDriver::NLend);
        QCOMPARE(tb.meter().esr(), 33);
        bus.send(0, meter_addr, "*CLS", GpibDriver::NLend);
        QCOMPARE(tb.meter().esr(), 0);
        QVERIFY(tb.meter().errors().isEmpty());
        QCOMPARE(tb.meter().ese(), 49);
        QCOMPARE(tb.meter().sre(), 48);
        QVERIFY(!tb.meter().requesting_service());
    }

    void opc_query_after_zero_answers_only_when_done()
    {
        TestBench tb;
        SimGpibBus& bus = timed_bus(tb, 12);
        const qint64 start = tb.clock.now_us();
        bus.send(0, meter_addr, "ZERO A; *OPC?", GpibDriver::NLend);
        int timeouts = 0;
        QByteArray reply;
        for (int i = 0; i < 10 && reply.isEmpty(); ++i) {
            QByteArray buffer(256, ' ');
            bus.receive(0, meter_addr, buffer, 256, GpibDriver::STOPend);
            if (bus.status().sta & GpibDriver::ERR)
                ++timeouts;
            else
                reply = buffer.left(bus.status().cnt);
        }
        QCOMPARE(timeouts, 3);
        QCOMPARE(reply, QByteArray("1\n"));
        QCOMPARE(tb.clock.now_us() - start, qint64(10'001'000));
    }

    void commands_wait_behind_a_reading_mode_change()
    {
        TestBench tb;
        SimGpibBus& bus = timed_bus(tb, 13);
        bus.send(0, meter_addr, "RDMODE CDMA", GpibDriver::NLend);
        const qint64 start = tb.clock.now_us();
        QCOMPARE(ask_meter(tb, "RDMODE?"), QByteArray("CDMA\n"));
        QCOMPARE(tb.clock.now_us() - start, qint64(tb.meter().rdmode_change_ms * 1000 + 1000));
        // Asking for the mode already set costs nothing.
        bus.send(0, meter_addr, "RDMODE cdma", GpibDriver::NLend);
        QCOMPARE(tb.meter().next_event_us(), -1);
    }

    void device_clear_drops_pending_commands_and_replies()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, meter_addr, "CAL A;OPMD PROFILE;*IDN?", GpibDriver::NLend);
        bus.dev_clear(0, meter_addr);
        tb.clock.advance_ms(5000);
        QVERIFY(!tb.meter().reply_pending());
        QCOMPARE(tb.meter().operating_mode(), QStringLiteral("DIGIT"));
    }

    // ---- parser ---------------------------------------------------------------------------------------

    void parser_ignores_case_blanks_and_empty_commands()
    {
        TestBench tb;
        QCOMPARE(ask_meter(tb, "  *ese 49 ; ;*Sre\t48;  *ese?   "), QByteArray("49\n"));
        QCOMPARE(tb.meter().sre(), 48);
        tb.bench.bus().send(0, meter_addr, "gtdly 5ms;Avg A, MOV, 16;AVG b, Auto,;trglvl 1,-20.5;GRPRD .01      ",
                            GpibDriver::NLend);
        QCOMPARE(tb.meter().value(QStringLiteral("GTDLY")), QStringLiteral("5ms"));
        QCOMPARE(tb.meter().value(QStringLiteral("AVG A")), QStringLiteral("MOV,16"));
        QCOMPARE(tb.meter().value(QStringLiteral("AVG B")), QStringLiteral("Auto"));
        QCOMPARE(tb.meter().value(QStringLiteral("TRGLVL 1")), QStringLiteral("-20.5"));
        QCOMPARE(tb.meter().value(QStringLiteral("GRPRD")), QStringLiteral(".01"));
        QCOMPARE(ask_meter(tb, "AVG? A"), QByteArray("MOV,16\n"));
        QCOMPARE(tb.meter().errors(), QStringList());
    }

    void number_arguments_with_units_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("ms") << "5ms" << 0.005 << true;
        QTest::newRow("leading blank and point") << " .005ms" << 5e-6 << true;
        QTest::newRow("plain negative") << "-50" << -50.0 << true;
        QTest::newRow("upper-case MS") << "1.7MS" << 0.0017 << true;
        QTest::newRow("microseconds") << "250us" << 250e-6 << true;
        QTest::newRow("exponent and blank") << "5e-3 s" << 0.005 << true;
        QTest::newRow("GHz") << "2GHZ" << 2e9 << true;
        QTest::newRow("kHz") << "10 kHz" << 1e4 << true;
        QTest::newRow("dBm") << "-10.5dBm" << -10.5 << true;
        QTest::newRow("generator dBm") << "-10.00DM" << -10.0 << true;
        QTest::newRow("generator GHz") << " .05 GH" << 5e7 << true;
        QTest::newRow("no digits") << "." << 0.0 << false;
        QTest::newRow("word") << "AUTO" << 0.0 << false;
        QTest::newRow("unknown unit") << "5 parsecs" << 0.0 << false;
        QTest::newRow("empty") << "" << 0.0 << false;
    }

    void number_arguments_with_units()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, ok);
        bool parsed = !ok;
        const double v = SimMeter::number_arg(text, 1.0, &parsed);
        QCOMPARE(parsed, ok);
        QVERIFY2(qAbs(v - value) <= 1e-12 * qMax(1.0, qAbs(value)), qPrintable(QString::number(v)));
    }

    void bare_numbers_take_the_callers_scale()
    {
        QCOMPARE(SimMeter::number_arg(QStringLiteral("5"), 1e-3), 0.005);
        QCOMPARE(SimMeter::number_arg(QStringLiteral("5s"), 1e-3), 5.0);
    }

    void bad_command_sets_esr_and_fills_the_error_list()
    {
        TestBench tb;
        QCOMPARE(ask_meter(tb, "*CLS;FROB 3;*ESR?"), QByteArray("32\n"));
        QCOMPARE(ask_meter(tb, "ERRLST"), QByteArray("-113,\"Undefined header\"\n"));
        QCOMPARE(ask_meter(tb, "ERRLST"), QByteArray("0,\"No errors\"\n"));
        // Several errors are listed together; a bad value is an execution error.
        QCOMPARE(ask_meter(tb, "OPMD SIDEWAYS;*ESE;*ESR?"), QByteArray("48\n"));
        QCOMPARE(ask_meter(tb, "ERRLST"),
                 QByteArray("-224,\"Illegal parameter value\";-109,\"Missing parameter\"\n"));
    }

    void unread_reply_is_dropped_by_the_next_message()
    {
        TestBench tb;
        tb.bench.bus().send(0, meter_addr, "*IDN?", GpibDriver::NLend);
        tb.clock.advance_ms(2);
        QCOMPARE(ask_meter(tb, "*ESR?"), QByteArray("4\n"));
        QCOMPARE(ask_meter(tb, "ERRLST"), QByteArray("-410,\"Query INTERRUPTED\"\n"));
    }

    void identity_and_sensors()
    {
        TestBench tb;
        QCOMPARE(ask_meter(tb, "*IDN?"), QByteArray("TOLMARE,RQ5822K,101507,1.12\n"));
        QCOMPARE(ask_meter(tb, "SENTYP A"), QByteArray("RQ5531,8841\n"));
        QCOMPARE(ask_meter(tb, "sentyp B"), QByteArray("RQ5531,8842\n"));

        BenchDescription single;
        single.model = QStringLiteral("RQ5821K");
        TestBench one(TestBench::Link::Gpib, single);
        QCOMPARE(ask_meter(one, "SENTYP B"), QByteArray("NO SENSOR\n"));
        QCOMPARE(ask_meter(one, "AVG B, Auto,;*ESR?"), QByteArray("16\n"));
        QCOMPARE(ask_meter(one, "ERRLST"), QByteArray("-241,\"Hardware missing\"\n"));

        BenchDescription unfitted;
        unfitted.sensor_b_fitted = false;
        TestBench no_b(TestBench::Link::Gpib, unfitted);
        QCOMPARE(ask_meter(no_b, "SENTYP B"), QByteArray("NO SENSOR\n"));
    }

    void zeroing_with_rf_on_leaves_an_offset()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        bus.send(0, gen_addr, "RF1", GpibDriver::NLend);
        bus.send(0, meter_addr, "ZERO A", GpibDriver::NLend);
        QCOMPARE(tb.meter().zero_offset_db(QStringLiteral("A")), 0.5);
        QCOMPARE(tb.meter().zero_offset_db(QStringLiteral("B")), 0.0);
        bus.send(0, gen_addr, "RF0", GpibDriver::NLend);
        tb.clock.advance_ms(10000);
        bus.send(0, meter_addr, "ZERO A", GpibDriver::NLend);
        QCOMPARE(tb.meter().zero_offset_db(QStringLiteral("A")), 0.0);
    }

    // ---- generator ------------------------------------------------------------------------------------

    void generator_identity_and_mnemonics()
    {
        TestBench tb;
        SimGpibBus& bus = tb.bench.bus();
        SimGenerator& gen = tb.generator();
        QCOMPARE(ask(bus, gen_addr, "OI"), QByteArray("4717A, 10 MHz - 20 GHz, REV 3.1\n"));
        bus.send(0, gen_addr, "RF1; L1 -10 DM", GpibDriver::NLend);
        QVERIFY(gen.rf_on);
        QCOMPARE(gen.level_dbm, -10.0);
        QCOMPARE(gen.value(QStringLiteral("L1")), QStringLiteral("-10 DM"));
        bus.send(0, gen_addr, "RF0 L1 -3.50DM", GpibDriver::NLend);
        QVERIFY(!gen.rf_on);
        QCOMPARE(gen.level_dbm, -3.5);
        bus.send(0, gen_addr, "SF1 SWP\r\n", GpibDriver::NLend);
        QCOMPARE(gen.sweep_mode, QStringLiteral("SWP"));
        bus.send(0, gen_addr, "SWT5SEC", GpibDriver::NLend);
        QCOMPARE(gen.number(QStringLiteral("SWT")), 5.0);
        bus.send(0, gen_addr, "F1 .05 GH", GpibDriver::NLend);
        QCOMPARE(gen.frequency_hz, 5e7);
        bus.send(0, gen_addr, "F12 GH;AMW3;AM7;IP;PER 10 MS", GpibDriver::NLend);
        QCOMPARE(gen.frequency_hz, 2e9);
        QCOMPARE(gen.am_waveform, 3);
        QVERIFY(gen.am_on);
        QVERIFY(gen.pulse_on);
        QCOMPARE(gen.number(QStringLiteral("PER")), 0.01);
        QVERIFY(gen.syntax_errors.isEmpty());
        bus.send(0, gen_addr, "XYZZY 3", GpibDriver::NLend);
        QCOMPARE(gen.syntax_errors.size(), 2);
    }

    // ---- end to end -----------------------------------------------------------------------------------

    void configure_with_opc_goes_out_in_order()
    {
        TestBench tb;
        tb.clear_log();
        const qint64 start = tb.clock.now_us();
        QVERIFY(gpibgen::configure_with_opc(
            QStringLiteral("*RST;DISP ON;OPMD PROFILE;GTDLY 5ms;GTGW 1.7ms;GRPRD 10ms; GRDATA OFF"), 13, 0,
            meter_addr));
        const QStringList expected{
            QStringLiteral("register -1 0"),
            QStringLiteral("send 13 *CLS;*ESE 0;*SRE 0"),
            QStringLiteral("send 13 *CLS;*ESE 49;*SRE 48;*RST;DISP ON;OPMD PROFILE;GTDLY 5ms;GTGW 1.7ms;"
                           "GRPRD 10ms; GRDATA OFF;*OPC"),
            QStringLiteral("tmo -1 13"),
            QStringLiteral("wait -1 SRQI"),
            QStringLiteral("poll 13 96"),
            QStringLiteral("send 13 *ESR?               "),
            QStringLiteral("receive 13 1\n"),
            QStringLiteral("send 13 *CLS;*ESE 0;*SRE 0"),
        };
        QCOMPARE(tb.log().lines(), expected);
        QVERIFY(tb.prompts.calls.empty());
        QCOMPARE(tb.meter().operating_mode(), QStringLiteral("PROFILE"));
        QCOMPARE(tb.meter().value(QStringLiteral("GTGW")), QStringLiteral("1.7ms"));
        QCOMPARE(tb.meter().sre(), 0);
        QVERIFY(!tb.meter().requesting_service());
        // Two pauses of 100 ms, the rest is transfer time and one reply's latency.
        QVERIFY(tb.clock.now_us() - start >= 200'000);
        QVERIFY(tb.clock.now_us() - start < 202'000);
    }
};

QTEST_GUILESS_MAIN(TestSimBench)
#include "test_sim_bench.moc"
