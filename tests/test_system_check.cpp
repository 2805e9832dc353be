// The link check run before a mode opens and by "Perform System Check".
#include "frame/sorvdemo.h"
#include "frame/system_check.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/gpib_driver.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_meter.h"
#include "support/caption_log.h"
#include "support/test_bench.h"

#include <QEvent>
#include <QWidget>
#include <QtTest>

namespace {

BenchDescription meter_with(const QString& model, const QString& version, const QString& serial = "101507")
{
    BenchDescription d;
    d.model = model;
    d.software_version = version;
    d.serial_number = serial;
    return d;
}

const QString no_meter_gpib =
    "You do not have an Tolmare RQ581xK or RQ582xK Power Meter Connected to the GPIB at address13";
const QString no_meter_serial =
    "You do not have an Tolmare RQ581xK or RQ582xK Power Meter Connected to Serial Port1";
const QString write_problem = "I had problems writting to the RQ58xxK Device - Please check your system.";

}  // namespace

class SystemCheckTest : public QObject {
    Q_OBJECT
private slots:
    void gpib_check_caption_sequence_and_traffic();
    void revision_rules();
    void unknown_model_shows_box_and_passes();
    void silent_meter_fails_after_model_box();
    void failed_interface_reset_fails();
    void no_link_or_link_error_fails();
    void generator_series();
    void generator_write_error_fails();
    void generator_of_another_make_gets_no_traffic();
    void closed_serial_port_is_opened_first();
    void modem_without_phone_number_fails();
    void modem_connection_sets_model_and_passes();
    void failed_modem_connection_fails_and_closes_port();
    void perform_system_check_menu();
};

void SystemCheckTest::gpib_check_caption_sequence_and_traffic()
{
    TestBench tb(TestBench::Link::Gpib);
    QWidget w;
    w.setWindowTitle("Pelmora");
    CaptionLog log(&w);
    const qint64 t0 = tb.clock.now_us();
    QVERIFY(module1::check_instruments(&w));
    QVERIFY(g().instruments_ok);
    QCOMPARE(g().meter_model, QString("RQ5822K"));
    QVERIFY(tb.prompts.boxes().isEmpty());
    QCOMPARE(log.captions,
             QStringList({"Pelmora - Reseting GPIB...", "Pelmora", "Pelmora - Checking modem connection...",
                          "Pelmora - testing Sorvane.", "Pelmora - Testing Tolmare Sweeper", "Pelmora"}));
    QCOMPARE(tb.meter_sent(), QStringList({"*IDN?"}));
    QCOMPARE(tb.generator_sent(), QStringList({"OI"}));
    // Interface clear, 500 ms, device clear, 2 s before the identity query.
    qint64 ifc = -1, devclear = -1, idn = -1;
    for (const auto& e : tb.log().entries()) {
        if (e.kind == "ifc" && ifc < 0)
            ifc = e.t_us;
        if (e.kind == "devclear" && devclear < 0)
            devclear = e.t_us;
        if (e.kind == "send" && e.bytes == "*IDN?")
            idn = e.t_us;
    }
    QVERIFY(ifc >= t0 && devclear >= ifc + 500'000 && idn >= devclear + 2'000'000);
}

void SystemCheckTest::revision_rules()
{
    {
        // Below the requirement: a box asking for 2.02, titled with the revision found; the check passes.
        TestBench tb(TestBench::Link::Gpib, meter_with("RQ5811K", "2.01"));
        QVERIFY(module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(),
                 QStringList({"Your Power Meter does not have the correct software revision. Need 2.02 or greater"}));
        QCOMPARE(tb.prompts.calls[0].title, QString("Software Revision 2.01"));
        QCOMPARE(g().meter_model, QString("RQ5811K"));
    }
    {
        TestBench tb(TestBench::Link::Gpib, meter_with("RQ5822K", "0.9"));
        QVERIFY(module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(),
                 QStringList({"Your Power Meter does not have the correct software revision. Need 1.00 or greater"}));
        QCOMPARE(tb.prompts.calls[0].title, QString("Software Revision 0.9"));
    }
    for (const auto& [model, version, serial] :
         {std::tuple{"RQ5821K", "1.00", "101507"}, std::tuple{"RQ5812K", "2.02", "101507"},
          // A short serial number puts the version before character 20: still read as the fourth field.
          std::tuple{"RQ5812K", "2.02", "1"}, std::tuple{"RQ5811K", "3.1", ""}}) {
        TestBench tb(TestBench::Link::Gpib, meter_with(model, version, serial));
        QVERIFY(module1::check_instruments(nullptr));
        QVERIFY2(tb.prompts.boxes().isEmpty(), qPrintable(tb.prompts.boxes().join('|')));
    }
    QCOMPARE(module1::identity_revision("TOLMARE,RQ5812K,1,2.02\n"), 2.02);
    QCOMPARE(module1::identity_revision("TOLMARE,RQ5812K\n"), 0.0);
    QCOMPARE(module1::identity_model("TOLMARE,RQ5812K,1,2.02"), QString("RQ5812K"));
    QCOMPARE(module1::identity_model("no comma here"), QString());
}

void SystemCheckTest::unknown_model_shows_box_and_passes()
{
    {
        TestBench tb(TestBench::Link::Gpib, meter_with("RQ5899K", "9.9"));
        QVERIFY(module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({no_meter_gpib}));
        QCOMPARE(tb.prompts.calls[0].title, QString("Pelmora"));
        QCOMPARE(tb.generator_sent(), QStringList({"OI"}));  // the generator is still tested
    }
    {
        TestBench tb(TestBench::Link::Serial, meter_with("XY5822K", "1.0"));
        QVERIFY(module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({no_meter_serial}));
        QCOMPARE(g().meter_model, QString("XY5822K"));
    }
}

void SystemCheckTest::silent_meter_fails_after_model_box()
{
    {
        TestBench tb(TestBench::Link::Gpib);
        tb.meter().silent = true;
        QWidget w;
        w.setWindowTitle("Pelmora");
        QVERIFY(!module1::check_instruments(&w));
        QVERIFY(!g().instruments_ok);
        QCOMPARE(tb.prompts.boxes(), QStringList({no_meter_gpib}));
        QVERIFY(tb.generator_sent().isEmpty());
        QCOMPARE(w.windowTitle(), QString("Pelmora"));
    }
    {
        TestBench tb(TestBench::Link::Serial);
        tb.bench.serial_meter().silent = true;
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({no_meter_serial}));
    }
}

void SystemCheckTest::failed_interface_reset_fails()
{
    TestBench tb(TestBench::Link::Gpib);
    tb.bench.bus().fail_next("dev_clear", GpibDriver::ENOL);
    QWidget w;
    w.setWindowTitle("Pelmora");
    QVERIFY(!module1::check_instruments(&w));
    QCOMPARE(tb.prompts.boxes(), QStringList({"No listeners error (ENOL) on GPIB startup"}));
    QVERIFY(tb.meter_sent().isEmpty());
    QCOMPARE(w.windowTitle(), QString("Pelmora"));
}

void SystemCheckTest::no_link_or_link_error_fails()
{
    {
        TestBench tb(TestBench::Link::None);
        QWidget w;
        w.setWindowTitle("Pelmora");
        QVERIFY(!module1::check_instruments(&w));
        QCOMPARE(tb.prompts.boxes(), QStringList({write_problem}));
        QCOMPARE(w.windowTitle(), QString("Pelmora"));
    }
    {
        // An error left set by the last driver call, before the identity query.
        TestBench tb(TestBench::Link::Serial);
        g().ibsta = qint16(vbib32::ERR);
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({write_problem}));
        QVERIFY(tb.meter_sent().isEmpty());
    }
}

void SystemCheckTest::generator_series()
{
    for (const auto& [identity, passes] :
         {std::pair{"4717A, 10 MHz - 20 GHz", true}, std::pair{"46XX", true}, std::pair{"4820B", true},
          std::pair{"4517A", false}, std::pair{"4900", false}, std::pair{"A4 SYNTH", false}, std::pair{"", false}}) {
        BenchDescription d;
        d.generator_identity = identity;
        TestBench tb(TestBench::Link::Gpib, d);
        QWidget w;
        w.setWindowTitle("Pelmora");
        QCOMPARE(module1::check_instruments(&w), passes);
        QCOMPARE(g().instruments_ok, passes);
        QCOMPARE(tb.prompts.boxes(),
                 passes ? QStringList()
                        : QStringList({"I dont seem to have an Tolmare 47xxx or 48xxx series sweeper attached."}));
        QCOMPARE(w.windowTitle(), QString("Pelmora"));
    }
}

void SystemCheckTest::generator_write_error_fails()
{
    TestBench tb(TestBench::Link::Gpib);
    tb.bench.bus().no_listener(tb.bench.description().generator_address);
    QVERIFY(!module1::check_instruments(nullptr));
    QCOMPARE(tb.prompts.boxes(),
             QStringList({"I had problems writting to the Sweeper Device - Please check your system."}));
    QVERIFY(!g().instruments_ok);
}

void SystemCheckTest::generator_of_another_make_gets_no_traffic()
{
    TestBench tb(TestBench::Link::Gpib);
    g().other_synth = true;
    QVERIFY(module1::check_instruments(nullptr));
    g().other_synth = false;
    g().maker_synth = false;
    QVERIFY(module1::check_instruments(nullptr));
    for (const auto& e : tb.log().entries())
        QVERIFY(e.address != tb.bench.description().generator_address);
}

void SystemCheckTest::closed_serial_port_is_opened_first()
{
    {
        TestBench tb(TestBench::Link::Serial);
        tb.serial.close();
        QVERIFY(module1::check_instruments(nullptr));
        QVERIFY(tb.serial.is_open());
        QCOMPARE(tb.meter_sent(), QStringList({"*IDN?"}));
    }
    {
        TestBench tb(TestBench::Link::Serial);
        tb.serial.close();
        tb.serial.busy_elsewhere = true;
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({"Port already in use...please choose the other port."}));
        QCOMPARE(tb.prompts.calls[0].title, QString("Pelmora"));
    }
    {
        TestBench tb(TestBench::Link::Serial);
        tb.serial.close();
        tb.serial.set_endpoint(nullptr);
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({"Error: Invalid port number"}));
        QCOMPARE(tb.prompts.calls[0].title, QString("Sorry..."));
    }
}

void SystemCheckTest::modem_without_phone_number_fails()
{
    TestBench tb(TestBench::Link::Modem);
    g().phone_number.clear();
    QWidget w;
    w.setWindowTitle("Pelmora");
    CaptionLog log(&w);
    QVERIFY(!module1::check_instruments(&w));
    QCOMPARE(tb.prompts.boxes(), QStringList({"Please configure a modem phone number to dial."}));
    QCOMPARE(tb.prompts.calls[0].title, QString("No Phone number supplied"));
    QVERIFY(tb.serial.written.isEmpty());
    QCOMPARE(log.captions, QStringList({"Pelmora - Checking modem connection...", "Pelmora"}));
}

void SystemCheckTest::modem_connection_sets_model_and_passes()
{
    TestBench tb(TestBench::Link::Modem, meter_with("RQ5812K", "2.10"));
    QWidget w;
    w.setWindowTitle("Pelmora");
    CaptionLog log(&w);
    QVERIFY(module1::check_instruments(&w));
    QVERIFY(tb.prompts.boxes().isEmpty());
    QCOMPARE(g().meter_model, QString("RQ5812K"));
    QVERIFY(tb.serial.is_open());
    QVERIFY(tb.bench.modem().in_data_state());
    QCOMPARE(log.captions, QStringList({"Pelmora - Checking modem connection...",
                                        "Pelmora - Trying to connect to remote Power Meter", "Dialing...5551234",
                                        "Connected...", "Pelmora"}));
    // The identity is read once, over the modem.
    QCOMPARE(tb.meter_sent(), QStringList({"*IDN?"}));
}

void SystemCheckTest::failed_modem_connection_fails_and_closes_port()
{
    {
        TestBench tb(TestBench::Link::Modem, meter_with("RQ5812K", "2.10"));
        tb.bench.modem().set_number("5551234", SimModem::Outcome::Busy);
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(),
                 QStringList({"Line is busy...", "Couldnt connect/recognise sorvane. Disconnecting...."}));
        QVERIFY(!tb.serial.is_open());
        QVERIFY(!g().instruments_ok);
    }
    {
        // The RQ582xK family is refused over the modem.
        TestBench tb(TestBench::Link::Modem);
        QVERIFY(!module1::check_instruments(nullptr));
        QCOMPARE(tb.prompts.boxes(), QStringList({"Couldnt connect/recognise sorvane. Disconnecting...."}));
        QVERIFY(!tb.serial.is_open());
        QVERIFY(!tb.bench.modem().carrier());  // closing the port hung up
    }
}

void SystemCheckTest::perform_system_check_menu()
{
    TestBench tb(TestBench::Link::Gpib);
    sorvdemo w;
    w.menuReset_Click();
    QCOMPARE(tb.prompts.boxes(), QStringList({"Your system appears to be ok."}));
    QCOMPARE(w.windowTitle(), QString("Pelmora"));

    // A failed check says nothing more and clears the passed state.
    tb.prompts.clear();
    tb.bench.bus().no_listener(tb.bench.description().generator_address);
    w.menuReset_Click();
    QCOMPARE(tb.prompts.boxes(),
             QStringList({"I had problems writting to the Sweeper Device - Please check your system."}));
    QVERIFY(!g().instruments_ok);
}

QTEST_MAIN(SystemCheckTest)
#include "test_system_check.moc"
