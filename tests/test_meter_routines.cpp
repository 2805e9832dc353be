// Averaging, zeroing and calibration, the sensor and identity queries, and the interface reset.
#include "frame/meter_routines.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/gpib_driver.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "sim/sim_serial_meter.h"
#include "support/test_bench.h"

#include <QPointer>
#include <QWidget>
#include <QtTest>

namespace {

BenchDescription meter_model(const QString& model)
{
    BenchDescription d;
    d.model = model;
    return d;
}

// Times of the meter's GPIB reads, in ms since t0, and whether each failed.
QList<QPair<double, bool>> reads(const WireLog& log, qint64 t0)
{
    QList<QPair<double, bool>> out;
    for (const auto& e : log.entries()) {
        if (e.kind == "receive")
            out.append({(e.t_us - t0) / 1000.0, false});
        else if (e.kind == "error" && e.bytes.startsWith("receive"))
            out.append({(e.t_us - t0) / 1000.0, true});
    }
    return out;
}

}  // namespace

class MeterRoutinesTest : public QObject {
    Q_OBJECT
private slots:
    void set_averaging_texts_and_order();
    void set_averaging_reports_only_the_moving_average();
    void zero_reads_until_one_with_window_disabled();
    void zero_over_serial_repeats_the_read();
    void zero_follows_the_generator_rf_state();
    void calibration_phrase_and_timing();
    void silent_meter_is_given_up_on();
    void window_gone_during_zero();
    void sensor_present_check();
    void single_channel_test();
    void sensor_types_and_header();
    void sensor_types_from_short_replies();
    void reset_gpib_steps();
};

void MeterRoutinesTest::set_averaging_texts_and_order()
{
    TestBench tb(TestBench::Link::Gpib);
    module1::set_averaging("A", 16);
    QCOMPARE(tb.meter_sent(), QStringList({"GRSWS ON", "Avg A, MOV, 16", "GRSWP A, 16"}));
    tb.clear_log();
    module1::set_averaging("B", -1);
    QCOMPARE(tb.meter_sent(), QStringList({"AVG B, Auto,"}));
    tb.clear_log();
    module1::set_averaging("A", 0);
    QCOMPARE(tb.meter_sent(), QStringList({"GRSWS OFF"}));
    QVERIFY(tb.meter().errors().isEmpty());
    QVERIFY(tb.prompts.boxes().isEmpty());

    // The same texts over the serial link.
    TestBench ts(TestBench::Link::Serial);
    module1::set_averaging("B", 128);
    QCOMPARE(ts.meter_sent(), QStringList({"GRSWS ON", "Avg B, MOV, 128", "GRSWP B, 128"}));
}

void MeterRoutinesTest::set_averaging_reports_only_the_moving_average()
{
    TestBench tb(TestBench::Link::Gpib);
    tb.bench.bus().no_listener(tb.bench.description().meter_address);
    module1::set_averaging("A", -1);
    module1::set_averaging("A", 0);
    QVERIFY(tb.prompts.boxes().isEmpty());
    module1::set_averaging("A", 4);
    QCOMPARE(tb.prompts.boxes(), QStringList({"No listeners error (ENOL) on Set Averaging on A"}));
    QCOMPARE(tb.prompts.calls[0].title, QString("GPIB Comms error"));
}

void MeterRoutinesTest::zero_reads_until_one_with_window_disabled()
{
    TestBench tb(TestBench::Link::Gpib);
    vbib32::ibtmo(0, 12);  // 3 s reads
    tb.meter().zero_ms = 15000;
    QWidget w;
    w.setWindowTitle("Readout - Setting up...");
    bool seen_disabled = false;
    tb.clock.on_yield = [&] {
        if (!w.isEnabled() && w.windowTitle() == "Readout - Setting up... - Please Wait...Zeroing")
            seen_disabled = true;
    };
    tb.clear_log();
    const qint64 t0 = tb.clock.now_us();
    module1::zero_sensor(&w, "A");
    QCOMPARE(tb.meter_sent(), QStringList({"ZERO A; *OPC?"}));
    // 8 s pause, then reads that time out at 3 s each until the answer comes at 15 s.
    const auto r = reads(tb.log(), t0);
    QCOMPARE(r.size(), 3);
    QVERIFY(r[0].second && r[1].second && !r[2].second);
    QVERIFY(r[0].first >= 11000 && r[0].first < 11010);
    QVERIFY(r[2].first >= 15000 && r[2].first < 15010);
    QVERIFY(seen_disabled);
    QVERIFY(w.isEnabled());
    QCOMPARE(w.windowTitle(), QString("Readout - Setting up..."));
    QVERIFY(tb.prompts.boxes().isEmpty());
}

void MeterRoutinesTest::zero_over_serial_repeats_the_read()
{
    TestBench tb(TestBench::Link::Serial);
    tb.meter().zero_ms = 25000;
    QWidget w;
    const qint64 t0 = tb.clock.now_us();
    module1::zero_sensor(&w, "B");
    QCOMPARE(tb.meter_sent(), QStringList({"ZERO B; *OPC?"}));
    // The first read gives up after 10 s without a byte; the second gets "1" at 25 s.
    const double done_ms = (tb.clock.now_us() - t0) / 1000.0;
    QVERIFY2(done_ms >= 25000 && done_ms < 25100, qPrintable(QString::number(done_ms)));
    QVERIFY(tb.prompts.boxes().isEmpty());
    QVERIFY(w.isEnabled());
}

void MeterRoutinesTest::zero_follows_the_generator_rf_state()
{
    TestBench tb(TestBench::Link::Gpib);
    const int synth = tb.bench.description().generator_address;
    QWidget w;
    vbib32::Send(0, synth, "RF1");
    module1::zero_sensor(&w, "A");
    QCOMPARE(tb.meter().zero_offset_db("A"), tb.meter().zero_error_db);
    vbib32::Send(0, synth, "RF0");
    module1::zero_sensor(&w, "A");
    QCOMPARE(tb.meter().zero_offset_db("A"), 0.0);
    QVERIFY(tb.prompts.boxes().isEmpty());
}

void MeterRoutinesTest::calibration_phrase_and_timing()
{
    TestBench tb(TestBench::Link::Gpib);
    QWidget w;
    w.setWindowTitle("Readout");
    QStringList captions;
    tb.clock.on_yield = [&] {
        if (captions.isEmpty() || captions.back() != w.windowTitle())
            captions << w.windowTitle();
    };
    const qint64 t0 = tb.clock.now_us();
    module1::cal_sensor(&w, "B");
    QCOMPARE(tb.meter_sent(), QStringList({"CAL B; *OPC?"}));
    QCOMPARE(captions, QStringList({"Readout - Please Wait...Calibrating to 0dBm"}));
    QCOMPARE(w.windowTitle(), QString("Readout"));
    // One second's pause, then one read that waits for the answer at 3 s.
    const auto r = reads(tb.log(), t0);
    QCOMPARE(r.size(), 1);
    QVERIFY(r[0].first >= 3000 && r[0].first < 3010);
}

void MeterRoutinesTest::silent_meter_is_given_up_on()
{
    for (const bool zeroing : {true, false}) {
        TestBench tb(TestBench::Link::Gpib);
        tb.meter().silent = true;
        QWidget w;
        w.setWindowTitle("Readout");
        const qint64 t0 = tb.clock.now_us();
        if (zeroing)
            module1::zero_sensor(&w, "A");
        else
            module1::cal_sensor(&w, "A");
        const double bound = zeroing ? module1::zero_bound_ms : module1::cal_bound_ms;
        const double took = (tb.clock.now_us() - t0) / 1000.0;
        QVERIFY2(took >= bound && took < bound + 10100, qPrintable(QString::number(took)));
        QCOMPARE(tb.prompts.boxes(), QStringList({zeroing ? "Sensor A did not report the end of zeroing."
                                                          : "Sensor A did not report the end of calibration."}));
        QVERIFY(w.isEnabled());
        QCOMPARE(w.windowTitle(), QString("Readout"));
        // The meter is cleared, so a late answer cannot pass for the next reply.
        QCOMPARE(tb.log().entries().back().kind, QString("devclear"));
    }
    {
        // No link at all: the bound still ends the wait.
        TestBench tb(TestBench::Link::None);
        QWidget w;
        module1::zero_sensor(&w, "A");
        QCOMPARE(tb.prompts.boxes(), QStringList({"Sensor A did not report the end of zeroing."}));
    }
}

void MeterRoutinesTest::window_gone_during_zero()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<QWidget> w = new QWidget;
    tb.clock.on_yield = [&] { delete w.data(); };
    module1::zero_sensor(w, "A");
    QVERIFY(w.isNull());
    QVERIFY(tb.prompts.boxes().isEmpty());
}

void MeterRoutinesTest::sensor_present_check()
{
    BenchDescription d;
    d.sensor_b_fitted = false;
    TestBench tb(TestBench::Link::Gpib, d);
    QVERIFY(module1::check_sensor_present("A"));
    QVERIFY(!module1::check_sensor_present("B"));
    QCOMPARE(tb.meter_sent(), QStringList({"SENTYP A", "SENTYP B"}));
    // Any case counts.
    tb.meter().on("SENTYP", [](SimMeter& m, const SimMeter::Command&) { m.reply("no sensor"); });
    QVERIFY(!module1::check_sensor_present("A"));

    TestBench ts(TestBench::Link::Serial, d);
    QVERIFY(module1::check_sensor_present("A"));
    QVERIFY(!module1::check_sensor_present("B"));
}

void MeterRoutinesTest::single_channel_test()
{
    for (const auto& [model, single] : {std::pair{"RQ5811K", true}, std::pair{"RQ5821K", true},
                                        std::pair{"RQ5812K", false}, std::pair{"RQ5822K", false}}) {
        TestBench tb(TestBench::Link::Gpib, meter_model(model));
        QCOMPARE(module1::is_single_channel_meter(0, 13), single);
        TestBench ts(TestBench::Link::Serial, meter_model(model));
        QCOMPARE(module1::is_single_channel_meter(0, 13), single);
    }
    {
        // The model must be followed by a second comma within the reply.
        TestBench tb(TestBench::Link::Gpib);
        tb.meter().on("*IDN?", [](SimMeter& m, const SimMeter::Command&) { m.reply("TOLMARE,RQ5811K"); });
        QVERIFY(!module1::is_single_channel_meter(0, 13));
    }
    {
        TestBench tb(TestBench::Link::Gpib, meter_model("RQ5811K"));
        tb.meter().silent = true;
        QVERIFY(!module1::is_single_channel_meter(0, 13));
        QCOMPARE(tb.prompts.boxes(), QStringList({"Timed out (EABO) on ID "}));
    }
}

void MeterRoutinesTest::sensor_types_and_header()
{
    {
        TestBench tb(TestBench::Link::Gpib, meter_model("RQ5812K"));
        module1::SensorTypes ids;
        QVERIFY(module1::get_sensor_types(ids));
        QCOMPARE(tb.meter_sent(), QStringList({"*IDN?", "SENTYP A", "SENTYP B"}));
        QCOMPARE(module1::identity_header(ids),
                 QString("Power Meter Model: \tRQ5812K\r\nSerial Number: \t101507\r\nSoftware version: \t1.12\r\n"
                         "Sensor A Type: \tRQ5531\r\nSensor A Ser.  \t8841\r\nSensor B Type: \tRQ5531\r\n"
                         "Sensor B Ser.  \t8842\r\n"));
    }
    {
        TestBench tb(TestBench::Link::Serial, meter_model("RQ5811K"));
        module1::SensorTypes ids;
        QVERIFY(module1::get_sensor_types(ids));
        QCOMPARE(tb.meter_sent(), QStringList({"*IDN?", "SENTYP A"}));
        QVERIFY(!ids.two_inputs);
        QCOMPARE(ids.sensor_a_serial, QString("8841"));
        QCOMPARE(ids.sensor_b_type, QString("N/A"));
        QCOMPARE(ids.sensor_b_serial, QString("N/A"));
        QCOMPARE(module1::identity_header(ids).count("\r\n"), 5);
    }
    {
        // Another model: identity filled, sensors left alone, false.
        TestBench tb(TestBench::Link::Gpib, meter_model("RQ9999K"));
        module1::SensorTypes ids;
        ids.sensor_a_type = "kept";
        QVERIFY(!module1::get_sensor_types(ids));
        QCOMPARE(ids.meter_model, QString("RQ9999K"));
        QCOMPARE(ids.serial_number, QString("101507"));
        QCOMPARE(ids.software_version, QString("1.12"));
        QCOMPARE(ids.sensor_a_type, QString("kept"));
        QCOMPARE(tb.meter_sent(), QStringList({"*IDN?"}));
    }
}

void MeterRoutinesTest::sensor_types_from_short_replies()
{
    for (const QByteArray& idn : {QByteArray("TOLMARE"), QByteArray(""), QByteArray("TOLMARE,RQ5822K"),
                                 QByteArray(60, 'x')}) {
        TestBench tb(TestBench::Link::Gpib);
        tb.meter().on("*IDN?", [idn](SimMeter& m, const SimMeter::Command&) { m.reply(idn); });
        tb.meter().on("SENTYP", [](SimMeter& m, const SimMeter::Command&) { m.reply("RQ5531"); });
        module1::SensorTypes ids;
        const bool known = module1::get_sensor_types(ids);
        QCOMPARE(known, idn == "TOLMARE,RQ5822K");
        if (known) {
            QVERIFY(ids.serial_number.isEmpty() && ids.software_version.isEmpty());
            QCOMPARE(ids.sensor_a_type, QString("RQ5531"));  // a sensor reply without a comma
            QVERIFY(ids.sensor_a_serial.isEmpty());
        }
    }
    {
        // No reply at all.
        TestBench tb(TestBench::Link::Gpib);
        tb.meter().silent = true;
        module1::SensorTypes ids;
        QVERIFY(!module1::get_sensor_types(ids));
        QVERIFY(ids.meter_model.isEmpty());
    }
}

void MeterRoutinesTest::reset_gpib_steps()
{
    {
        TestBench tb(TestBench::Link::Gpib);
        QWidget w;
        w.setWindowTitle("Pelmora");
        QString during;
        tb.prompts.on_call = [&](const RecordingPrompts::Call&) { during = w.windowTitle(); };
        tb.bench.bus().fail_next("dev_clear", GpibDriver::EABO);
        const qint64 t0 = tb.clock.now_us();
        QVERIFY(!module1::reset_gpib(&w));
        QCOMPARE(tb.prompts.boxes(), QStringList({"Timed out (EABO) on GPIB startup"}));
        QCOMPARE(during, QString("Pelmora - Reseting GPIB..."));
        QCOMPARE(w.windowTitle(), QString("Pelmora"));
        QVERIFY(tb.clock.now_us() - t0 >= 2'500'000);
        QVERIFY(g().gpib_board_ud_valid);
        QVERIFY(tb.bench.bus().remote_enabled());
        tb.prompts.clear();
        QVERIFY(module1::reset_gpib(&w));
        QVERIFY(tb.prompts.boxes().isEmpty());
    }
    {
        // The serial link has nothing to reset.
        TestBench tb(TestBench::Link::Serial);
        QVERIFY(module1::reset_gpib(nullptr));
        QVERIFY(tb.log().entries().empty());
        QCOMPARE(tb.clock.now_us(), qint64(0));
    }
}

QTEST_MAIN(MeterRoutinesTest)
#include "test_meter_routines.moc"
