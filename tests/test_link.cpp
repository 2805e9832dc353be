#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"

#include <QtTest>

// The instrument link over GPIB: status words, the status check and the completion-checked set-up,
// against the simulated bus.
class TestLink : public QObject {
    Q_OBJECT

private:
    static constexpr int meter_addr = 13;

    static QStringList box_texts(const TestBench& tb) { return tb.prompts.boxes(); }

private slots:
    // ---- status words ---------------------------------------------------------------------------------

    void status_words_are_the_low_16_bits_signed()
    {
        TestBench tb;
        vbib32::ibtmo(0, 12);
        QByteArray buffer = vbib32::fixed_buffer(20);
        vbib32::Receive(0, meter_addr, buffer);
        // ERR | TIMO | CMPL has bit 15 set: a negative 16-bit word.
        QCOMPARE(int(g().ibsta), int(qint16(0xC100)));
        QCOMPARE(int(g().iberr), 6);
        QCOMPARE(int(g().ibcnt), 0);

        // A count beyond 32767 keeps its full width in ibcntl only.
        tb.meter().on(QStringLiteral("BIG?"),
                      [](SimMeter& m, const SimMeter::Command&) { m.reply_raw(QByteArray(40000, 'x')); });
        vbib32::Send(0, meter_addr, "BIG?");
        QByteArray big = vbib32::fixed_buffer(40000);
        vbib32::Receive(0, meter_addr, big);
        QCOMPARE(g().ibcntl, 40000);
        QCOMPARE(int(g().ibcnt), 40000 - 65536);
        QCOMPARE(int(g().ibsta), 0x2100);
    }

    void send_to_no_address_does_nothing()
    {
        TestBench tb;
        g().ibsta = 0x1234;
        g().iberr = 7;
        g().ibcnt = 99;
        vbib32::Send(0, -1, "RF1");
        QCOMPARE(int(g().ibsta), 0x1234);
        QCOMPARE(int(g().iberr), 7);
        QCOMPARE(int(g().ibcnt), 99);
        QVERIFY(tb.log().entries().empty());
    }

    void receive_fills_the_front_of_the_fixed_buffer()
    {
        TestBench tb;
        vbib32::Send(0, meter_addr, "RDMODE?");
        QByteArray buffer = vbib32::fixed_buffer(50);
        vbib32::Receive(0, meter_addr, buffer);
        QCOMPARE(buffer.size(), 50);
        QCOMPARE(buffer, QByteArray("STAND\n").leftJustified(50, ' '));
        QCOMPARE(int(g().ibcnt), 6);
    }

    // ---- status check ---------------------------------------------------------------------------------

    void gpib_error_texts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("result");
        QTest::newRow("ENOL") << 2 << "No listeners error (ENOL) on Step " << 2;
        QTest::newRow("EARG, no blank before the bracket") << 4 << "Invalid argument error(EARG) on Step " << 4;
        QTest::newRow("EABO") << 6 << "Timed out (EABO) on Step " << 6;
        QTest::newRow("code 9 has no text") << 9 << "" << 9;
        QTest::newRow("ETAB") << 20 << "Table problem (ETAB) on Step " << 20;
        QTest::newRow("unknown code") << 21 << "" << 21;
        // The system error's code is 0; it must not read as success.
        QTest::newRow("EDVR") << 0 << "System error (EDVR) on Step " << gpibgen::system_error_result;
    }

    void gpib_error_texts()
    {
        QFETCH(int, code);
        QFETCH(QString, box);
        QFETCH(int, result);
        TestBench tb;
        g().ibsta = qint16(vbib32::ERR);
        g().iberr = qint16(code);
        QCOMPARE(gpibgen::gpib_error(QStringLiteral("Step ")), result);
        QVERIFY(result > 0);
        QCOMPARE(tb.prompts.calls.size(), size_t(1));
        QCOMPARE(tb.prompts.calls[0].text, box);
        QCOMPARE(tb.prompts.calls[0].title, QStringLiteral("GPIB Comms error"));
        QVERIFY(tb.prompts.calls[0].buttons == Prompts::Buttons::Ok);
    }

    void gpib_error_is_quiet_without_err_or_on_serial()
    {
        TestBench tb;
        g().ibsta = qint16(vbib32::TIMO | vbib32::SRQI);
        g().iberr = 6;
        QCOMPARE(gpibgen::gpib_error(QStringLiteral("x")), 0);
        g().ibsta = qint16(vbib32::ERR);
        g().serial_in_use = true;
        QCOMPARE(gpibgen::gpib_error(QStringLiteral("x")), 0);
        QVERIFY(tb.prompts.calls.empty());
    }

    // ---- registration ---------------------------------------------------------------------------------

    void registration_outcomes_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("registered") << 0 << "" << false << QStringList{"register"};
        QTest::newRow("already registered") << 1 << "" << false << QStringList{"register", "unregister", "register"};
        QTest::newRow("no threads") << 2 << "Operating System is not multi-threaded. Quitting the Program!" << true
                                    << QStringList{"register", "unregister"};
        QTest::newRow("unable") << 3 << "Unable to register GPIB thread globals. Quitting the Program!" << true
                                << QStringList{"register", "unregister"};
        QTest::newRow("unknown") << 7 << "Unknown Error for Registering GPIB Globals!!! Quitting the Program!"
                                 << true << QStringList{"register"};
    }

    void registration_outcomes()
    {
        QFETCH(int, result);
        QFETCH(QString, box);
        QFETCH(bool, ends);
        QFETCH(QStringList, calls);
        TestBench tb;
        tb.bench.bus().register_result = result;
        vbib32::Send(0, meter_addr, "DISP ON");
        QStringList kinds;
        for (const WireLog::Entry& e : tb.log().entries())
            if (e.kind != QLatin1String("send"))
                kinds << e.kind;
        QCOMPARE(kinds, calls);
        QCOMPARE(tb.end_system_called, ends);
        if (box.isEmpty()) {
            QVERIFY(tb.prompts.calls.empty());
        } else {
            QCOMPARE(box_texts(tb), QStringList{box});
            QVERIFY(tb.prompts.calls[0].icon == Prompts::Icon::Critical);
            QCOMPARE(tb.prompts.calls[0].title, QStringLiteral("Pelmora"));
        }
        // Registration happens once: a second call goes straight to the driver.
        tb.clear_log();
        if (!ends) {
            vbib32::Send(0, meter_addr, "DISP ON");
            QCOMPARE(tb.log().entries().size(), size_t(1));
        }
    }

    void no_registration_off_gpib()
    {
        TestBench tb(TestBench::Link::None);
        vbib32::Send(0, meter_addr, "DISP ON");
        vbib32::ibsre(0, 1);
        for (const WireLog::Entry& e : tb.log().entries())
            QVERIFY(e.kind != QLatin1String("register"));
        QVERIFY(tb.meter_sent().isEmpty());
    }

    // ---- completion-checked set-up --------------------------------------------------------------------

    void configure_reports_a_command_error_with_the_error_list()
    {
        TestBench tb;
        QVERIFY(!gpibgen::configure_with_opc(QStringLiteral("OPMD PROFILE;FROB"), 13, 0, meter_addr));
        const QString list = QStringLiteral("-113,\"Undefined header\"\n").leftJustified(40, QLatin1Char(' '));
        QCOMPARE(box_texts(tb), (QStringList{QStringLiteral("Command or Execution error. \r\n\r\n") + list,
                                             QStringLiteral("Could not setup device")}));
        QVERIFY(tb.prompts.calls[0].icon == Prompts::Icon::Critical);
        QVERIFY(tb.prompts.calls[1].icon == Prompts::Icon::Critical);
        QCOMPARE(tb.meter_sent().last(), QStringLiteral("*CLS;*ESE 0;*SRE 0"));
        QVERIFY(tb.meter_sent().contains(QStringLiteral("ERRLST              ")));
    }

    void configure_without_the_esb_bit()
    {
        TestBench tb;
        // The query's answer raises the request (MAV) long before the mode change completes.
        QVERIFY(!gpibgen::configure_with_opc(QStringLiteral("RDMODE?;RDMODE CDMA"), 13, 0, meter_addr));
        QCOMPARE(box_texts(tb),
                 (QStringList{QStringLiteral("Did not get ESB bit!"), QStringLiteral("Could not setup device")}));
        QVERIFY(tb.prompts.calls[0].icon == Prompts::Icon::Exclamation);
        QCOMPARE(tb.prompts.calls[0].title, QStringLiteral("Pelmora"));
        QCOMPARE(tb.meter_sent().last(), QStringLiteral("*CLS;*ESE 0;*SRE 0"));
    }

    void configure_without_a_service_request_in_time()
    {
        TestBench tb;
        const qint64 start = tb.clock.now_us();
        // Zeroing takes 10 s; the caller waits 3 s.
        QVERIFY(!gpibgen::configure_with_opc(QStringLiteral("ZERO A"), 12, 0, meter_addr));
        QCOMPARE(box_texts(tb), QStringList{QStringLiteral("Could not setup device")});
        const double elapsed_s = (tb.clock.now_us() - start) / 1e6;
        QVERIFY(elapsed_s >= 3.2 && elapsed_s < 3.3);
        // The closing clear leaves no request armed for the zeroing's late completion.
        QCOMPARE(tb.meter_sent().last(), QStringLiteral("*CLS;*ESE 0;*SRE 0"));
        tb.clock.advance_ms(20000);
        QVERIFY(!tb.meter().requesting_service());
        QCOMPARE(tb.meter().sre(), 0);
    }

    void configure_succeeds_after_a_slow_step()
    {
        TestBench tb;
        QVERIFY(gpibgen::configure_with_opc(QStringLiteral("CAL A"), 13, 0, meter_addr));
        QVERIFY(tb.prompts.calls.empty());
    }

    void configure_raises_when_a_framing_send_fails()
    {
        {
            TestBench tb;
            tb.bench.bus().no_listener(meter_addr);
            try {
                gpibgen::configure_with_opc(QStringLiteral("DISP ON"), 13, 0, meter_addr);
                QFAIL("no error raised");
            } catch (const AppError& e) {
                QCOMPARE(e.number(), AppError::meter);
            }
            QCOMPARE(box_texts(tb), QStringList{QStringLiteral("No listeners error (ENOL) on Start configure clear events")});
        }
        {
            // The driver's system error stops the set-up too, though its code is 0.
            TestBench tb;
            tb.bench.bus().fail_next(QStringLiteral("send"), GpibDriver::EDVR);
            QVERIFY_THROWS_EXCEPTION(AppError, gpibgen::configure_with_opc(QStringLiteral("DISP ON"), 13, 0, meter_addr));
            QCOMPARE(box_texts(tb), QStringList{QStringLiteral("System error (EDVR) on Start configure clear events")});
            QVERIFY(tb.meter_sent().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
