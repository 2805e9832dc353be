// The source-sweep rules without a window: sweep programming, entry boxes, cursors, zoom and centring,
// the calibration store, the data file's rows and the resize layout.
#include "sweep/sweep_rules.h"

#include <QtTest>
#include <functional>

using namespace sweep_rules;

class SweepRulesTest : public QObject {
    Q_OBJECT
private slots:
    void generator_and_meter_programming_by_sweep_kind();
    void entry_boxes_send_only_what_they_may();
    void set_ups_send_only_what_the_entry_rule_lets_out();
    void cursor_zoom_and_centring_rules_data();
    void cursor_zoom_and_centring_rules();
    void cursor_texts_and_their_values();
    void turning_points_and_dragging();
    void axis_limits_auto_scale_and_rates();
    void calibration_store();
    void data_file_rows();
    void resize_layout_limits_and_beeps();
};

void SweepRulesTest::generator_and_meter_programming_by_sweep_kind()
{
    SweepFields f;
    f.analog_start = "2";
    f.analog_stop = "4";
    f.analog_time = ".05";
    f.step_start = "1.5";
    f.step_stop = "2.5";
    f.step_steps = "100";
    f.step_dwell = ".001";
    const struct {
        int kind;
        bool level_sweep;
        bool rf;
        QStringList generator;
        QStringList meter;
    } cases[] = {
        {Analog, false, true,
         {"RF0", "SF1 SWP\r\n", "SWT.05SEC", "F1 2GH", "F2 4GH", "L1 0.00DM", "RF1"},
         {"SRCMOD FREQ", "CFSRC A, VGHZ; CFSRC B, VGHZ", "SRCSTFRQ 2GHz;SRCSPFRQ 4GHz"}},
        {Step, false, false,
         {"RF0", "SF1 SSP\r\n", "SNS 100SPS", "SDT .001SEC", "F1 1.5GH", "F2 2.5GH", "L1 0.00DM", "RF0"},
         {"SRCMOD FREQ", "CFSRC A, VGHZ; CFSRC B, VGHZ", "SRCSTFRQ 1.5GHz;SRCSPFRQ 2.5GHz"}},
        {Cw, false, false, {"RF0", "CF1\r\n", "F1 2.0GH", "PDT 0.002SEC", "RF0 L1 -10.00DM", "L2 10.00DM",
                            "PNS 50SPS LSP", "RF0"}, {"SRCMOD FREQ", "CFSRC A, VGHZ; CFSRC B, VGHZ"}},
        {Cw, true, true,
         {"RF0", "CF1\r\n", "F1 2.0GH", "PDT 0.002SEC", "RF0 L1 -10.00DM", "L2 10.00DM", "PNS 50SPS LSP", "RF1"},
         {"SRCMOD POWER", "CFSRC A, FREQ; CFSRC B, FREQ", "CFFRQ A,2.0GHZ", "CFFRQ B,2.0GHZ",
          "SRCSTPWR -10.00; SRCSPPWR 10.00"}},
    };
    for (const auto& c : cases) {
        QCOMPARE(generator_setup(f, c.kind, c.rf), c.generator);
        QCOMPARE(meter_sweep_commands(f, c.level_sweep, c.kind), c.meter);
    }
}

void SweepRulesTest::entry_boxes_send_only_what_they_may()
{
    const struct {
        Box box;
        QString text;
        QString command;  // empty: nothing is sent
    } cases[] = {
        {Box::AnalogStart, "2.5", "F1 2.5GH"}, {Box::AnalogStart, "0", ""},      {Box::AnalogStop, "4", "F2 4GH"},
        {Box::AnalogTime, ".1", "SWT .1SEC"},  {Box::AnalogTime, "", ""},        {Box::CwFreq, "3", "CF1 3GH"},
        {Box::CwFreq, "abc", ""},              {Box::StepStart, "1", "F1 1GH"},  {Box::StepStop, "-1", ""},
        {Box::StepSteps, "0", ""},             {Box::StepSteps, "20", "SNS 20SPS"}, {Box::StepDwell, ".01", "SDT .01SEC"},
        {Box::Level, "-5", "L1 -5DM"},         {Box::LevelDwell, "0", ""},       {Box::LevelDwell, "-5", ""},
        {Box::LevelDwell, ".01", "PDT .01SEC"}, {Box::LevelSteps, "0", ""},     {Box::LevelSteps, "-5", ""},
        {Box::LevelStart, "-20", "L1 -20DM LSP"}, {Box::LevelSteps, "20", "PNS 20SPS"},
        // Blanks and tabs round a number are trimmed; the command carries the trimmed text.
        {Box::AnalogStart, " 2", "F1 2GH"},    {Box::AnalogStop, "2 ", "F2 2GH"}, {Box::StepDwell, "0.5\t", "SDT 0.5SEC"},
        {Box::StepStart, "1e-400", ""},
        {Box::LevelStop, "5", "L2 5DM  LSP"},
        // Half-typed or not a number at all: nothing from a change, whatever the box.
        {Box::Level, "", ""},                  {Box::Level, "1;*RST", ""},      {Box::LevelStop, "abc", ""},
        {Box::AnalogStart, "2;*RST", ""},      {Box::CwFreq, "1e999", ""},
        // A level no generator takes.
        {Box::Level, "1e39", ""},              {Box::LevelStart, "-1e39", ""},
    };
    for (const auto& c : cases) {
        const auto got = box_command(c.box, c.text);
        QCOMPARE(got.value_or(QString()), c.command);
    }

    // The meter's range follows a change of either end only while both are numbers in order.
    const struct {
        bool level;
        QString start, stop, range;  // range empty: none
    } ranges[] = {{false, "2", "2", ""}, {false, "5", "4", ""}, {false, "", "4", ""}, {false, " 2", "4 ", "SRCSTFRQ 2GHz;SRCSPFRQ 4GHz"},
                  {false, "2", "4;*RST", ""}, {false, "0", "4", ""}, {true, "-10", "-5", "SRCSTPWR -10; SRCSPPWR -5"},
                  {true, "-", "-10", ""}, {true, "-1", "-10", ""}};
    for (const auto& r : ranges) {
        SweepFields f;
        (r.level ? f.level_start : f.analog_start) = r.start;
        (r.level ? f.level_stop : f.analog_stop) = r.stop;
        QCOMPARE(meter_range_command(f, r.level, r.level ? Cw : Analog).value_or(QString()), r.range);
    }
}

void SweepRulesTest::set_ups_send_only_what_the_entry_rule_lets_out()
{
    const QStringList level_meter{"SRCMOD POWER", "CFSRC A, FREQ; CFSRC B, FREQ", "CFFRQ A,2.0GHZ", "CFFRQ B,2.0GHZ"};
    const QStringList freq_meter{"SRCMOD FREQ", "CFSRC A, VGHZ; CFSRC B, VGHZ"};
    const struct {
        const char* name;
        std::function<void(SweepFields&)> typed;
        int kind;
        bool at_load;
        QStringList generator;
        QStringList meter;
    } cases[] = {
        {"empty start level", [](SweepFields& f) { f.level_start = ""; }, Cw, false,
         {"RF0", "CF1\r\n", "F1 2.0GH", "PDT 0.002SEC", "L2 10.00DM", "PNS 50SPS LSP", "RF0"}, level_meter},
        {"levels out of order", [](SweepFields& f) { f.level_start = "20"; f.level_stop = "10"; }, Cw, false,
         {"RF0", "CF1\r\n", "F1 2.0GH", "PDT 0.002SEC", "RF0 L1 20DM", "L2 10DM", "PNS 50SPS LSP", "RF0"}, level_meter},
        {"level sweep steps and dwell not above 0", [](SweepFields& f) { f.level_steps = "0"; f.level_dwell = "-5"; }, Cw,
         false, {"RF0", "CF1\r\n", "F1 2.0GH", "RF0 L1 -10.00DM", "L2 10.00DM", "RF0"},
         level_meter + QStringList{"SRCSTPWR -10.00; SRCSPPWR 10.00"}},
        {"analog start below 0", [](SweepFields& f) { f.analog_start = "-5"; f.analog_stop = "4"; f.analog_time = ".1"; },
         Analog, false, {"RF0", "SF1 SWP\r\n", "SWT.1SEC", "F2 4GH", "L1 0.00DM", "RF0"}, freq_meter},
        {"step start 1e-400, level no number", [](SweepFields& f) { f.step_start = "1e-400"; f.step_stop = "2"; f.level = "1;*RST"; },
         Step, false, {"RF0", "SF1 SSP\r\n", "F2 2GH", "RF0"}, freq_meter},
        {"blanks round the step boxes", [](SweepFields& f) {
             f.step_start = " 1"; f.step_stop = "2 "; f.step_steps = "\t10"; f.step_dwell = "0.5\t"; }, Step, false,
         {"RF0", "SF1 SSP\r\n", "SNS 10SPS", "SDT 0.5SEC", "F1 1GH", "F2 2GH", "L1 0.00DM", "RF0"},
         freq_meter + QStringList{"SRCSTFRQ 1GHz;SRCSPFRQ 2GHz"}},
        {"the window's load: empty boxes as they stand", [](SweepFields&) {}, Analog, true,
         {"RF0", "SF1 SWP\r\n", "SWTSEC", "F1 GH", "F2 GH", "L1 0.00DM", "RF0"},
         freq_meter + QStringList{"SRCSTFRQ GHz;SRCSPFRQ GHz"}},
        {"empty boxes after the load", [](SweepFields&) {}, Analog, false, {"RF0", "SF1 SWP\r\n", "L1 0.00DM", "RF0"}, freq_meter},
    };
    for (const auto& c : cases) {
        SweepFields f;
        c.typed(f);
        QVERIFY2(generator_setup(f, c.kind, false, c.at_load) == c.generator, c.name);
        QVERIFY2(meter_sweep_commands(f, c.kind == Cw, c.kind, c.at_load) == c.meter, c.name);
    }
}

void SweepRulesTest::cursor_zoom_and_centring_rules_data()
{
    QTest::addColumn<bool>("frequency");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("right");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("x2");
    QTest::addColumn<double>("centre");
    // Expected: zoom out, zoom between, centre.
    QTest::addColumn<QList<double>>("expected");
    QTest::newRow("freq 2..4") << true << 2.0 << 4.0 << 3.0 << 2.5 << 3.5 << QList<double>{1.5, 4.5, 2.5, 3.0, 2.5, 4.5};
    // The start never falls below the lowest frequency the boxes send.
    QTest::newRow("freq clamp") << true << 0.01 << 2.0 << 1.0 << 1.2 << 0.5
                                << QList<double>{0.001, 2.4975, 1.0, 1.2, 0.001, 1.495};
    QTest::newRow("freq 2..8 centre on 6.5") << true << 2.0 << 8.0 << 6.5 << 3.0 << 6.5
                                             << QList<double>{0.5, 9.5, 3.0, 6.5, 3.5, 9.5};
    QTest::newRow("level -10..10") << false << -10.0 << 10.0 << 5.0 << -2.0 << -15.0
                                   << QList<double>{-15, 15, -2, 5, -25, -5};
    QTest::newRow("level 0..20") << false << 0.0 << 20.0 << 1.0 << 1.0 << 2.0 << QList<double>{-5, 25, 1, 1, -8, 12};
}

void SweepRulesTest::cursor_zoom_and_centring_rules()
{
    QFETCH(bool, frequency);
    QFETCH(double, left);
    QFETCH(double, right);
    QFETCH(double, x1);
    QFETCH(double, x2);
    QFETCH(double, centre);
    QFETCH(QList<double>, expected);
    const auto out = zoom_out(left, right, frequency);
    const auto between = zoom_between(x1, x2);
    const auto centred = centre_on(left, right, centre, frequency);
    const QList<double> got{out.first, out.second, between.first, between.second, centred.first, centred.second};
    for (int i = 0; i < got.size(); ++i)
        QVERIFY2(qAbs(got[i] - expected[i]) < 1e-9, qPrintable(QString("%1: %2 != %3").arg(i).arg(got[i]).arg(expected[i])));
}

void SweepRulesTest::cursor_texts_and_their_values()
{
    // Cursor x: index x span / 200 + start, for a frequency and a level axis.
    QCOMPARE(cursor_x(100, 2, 4, 2), 3.0);
    QCOMPARE(cursor_x(134, -10, 10, -10), 3.4);
    QCOMPARE(cursor_label(1, -3.01171875, 2.1, false), QString("C1: -3.012 dB @ 2.100GHz"));
    QCOMPARE(cursor_label(2, 0.5, -7.25, true), QString("C2: 0.500 dB @ -7.250dBm"));
    QCOMPARE(diff_label(-0.0004), QString("0.000 dB"));
    QCOMPARE(diff_label(12.3456), QString("12.346 dB"));
    QCOMPARE(value_after_at("C2: -1.000 dB @ 6.500GHz"), 6.5);
    QCOMPARE(value_after_at("C1: 0.000 dB @ -7.250dBm"), -7.25);
    QCOMPARE(value_after_at(""), 0.0);
    QCOMPARE(axis_text(2), QString("2.000"));
    QCOMPARE(axis_text(1.23456), QString("1.23456"));
    QCOMPARE(axis_text(-10), QString("-10.000"));
}

void SweepRulesTest::turning_points_and_dragging()
{
    float rising[200], dip[200];
    for (int i = 0; i < 200; ++i) {
        rising[i] = float(i);
        dip[i] = float(std::abs(i - 120));
    }
    const struct {
        const float* trace;
        int from;
        bool right;
        int to;
    } cases[] = {
        {rising, 10, true, 10},  // no turning point: stays
        {rising, 150, false, 150},
        {dip, 100, true, 120},   // falls, then rises at the bottom of the dip
        {dip, 180, false, 120},
        {dip, 125, true, 125},
    };
    for (const auto& c : cases)
        QCOMPARE(turning_point(c.trace, c.from, c.right), c.to);
    QCOMPARE(drag_index(250), 199);
    QCOMPARE(drag_index(-4), 1);
    QCOMPARE(drag_index(57.4), 57);
    QCOMPARE(cursor_near(101, 100, 134), 1);
    QCOMPARE(cursor_near(132.6, 100, 134), 2);
    QCOMPARE(cursor_near(120, 100, 134), 0);
}

void SweepRulesTest::axis_limits_auto_scale_and_rates()
{
    QVERIFY(!accept_y_bottom(-80, 20));
    QVERIFY(accept_y_bottom(-79.99, 20));
    QVERIFY(!accept_y_bottom(20, 20));
    QVERIFY(!accept_y_top(30, -50));
    QVERIFY(accept_y_top(29.99, -50));
    QVERIFY(!accept_y_top(-50, -50));
    QCOMPARE(x_axis_command(false, true, 2.5f), QString("SRCSTFRQ  2.5GHZ"));
    QCOMPARE(x_axis_command(true, false, -3), QString("SRCSPPWR -3"));
    QCOMPARE(gate_delay_command(0.005f), QString("GTDLY  .005"));
    QCOMPARE(gate_width_command(0.0017f), QString("GTGW  .0017"));
    QCOMPARE(channel_command(3).value_or(""), QString("CHCFG 1, B-A"));
    QVERIFY(!channel_command(-1));
    QCOMPARE(averaging_count("OFF"), 0);
    QCOMPARE(averaging_count("256"), 256);
    const TraceExtremes flat{-1024, -1024, 0, 0, true};
    QVERIFY(!auto_scale(flat, true));
    const TraceExtremes e{-20480, 5120, 3, 9, true};
    QVERIFY(!auto_scale(e, false));
    QCOMPARE(auto_scale(e, true)->first, 5.0f);
    QCOMPARE(auto_scale(e, true)->second, -20.0f);
    QVERIFY(!rates(0));
    QCOMPARE(rates(10'000)->ms_per_trace, QString("10.00"));
    QCOMPARE(rates(10'000)->points_per_second, QString("20000.0"));
}

void SweepRulesTest::calibration_store()
{
    TraceValues block;
    block.count = 200;
    for (int i = 0; i < 200; ++i)
        block.values[std::size_t(i)] = -1024 * (i % 7);
    TracePoints trace{};
    CalStore cal;
    // A capture that receives nothing leaves the calibration invalid.
    cal.begin_capture();
    cal.take(TraceValues{}, trace);
    cal.end_capture();
    QVERIFY(!cal.valid());
    // Three passes, then valid; the trace is raw until applied.
    cal.begin_capture();
    for (int pass = 1; pass <= 3; ++pass) {
        cal.take(block, trace);
        QCOMPARE(cal.count_pass(), pass == 3);
    }
    cal.end_capture();
    QVERIFY(cal.valid());
    QCOMPARE(cal.passes_left(), 3);
    QCOMPARE(trace[5], -5120.0f);
    cal.toggle_applied();
    cal.take(block, trace);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(trace[std::size_t(i)], 0.0f);
    // A capture while applied still stores the raw points.
    TraceValues shifted = block;
    for (auto& v : shifted.values)
        v += 2048;
    cal.begin_capture();
    cal.take(shifted, trace);
    cal.end_capture();
    QCOMPARE(trace[0], 2048.0f);
    QCOMPARE(cal.reference()[0], 2048.0f);
    // A short block corrects only the points it covers.
    TraceValues part = shifted;
    part.count = 2;
    trace.fill(7);
    cal.take(part, trace);
    QCOMPARE(trace[1], 0.0f);
    QCOMPARE(trace[2], 7.0f);
}

void SweepRulesTest::data_file_rows()
{
    float trace[200];
    for (int i = 0; i < 200; ++i)
        trace[i] = -20480 - 512 * i;
    trace[0] = -20992;  // -20.5 dB
    const QStringList freq = data_file_body("ID\r\n", false, 2, 4, trace).split("\r\n");
    QCOMPARE(freq.mid(0, 4), QStringList({"", "ID", "Point\tFreq Start\tFreq End\tdBm Average", " 0  2  2.01 -20.5 "}));
    QCOMPARE(freq.size(), 204);  // 3 + 200 rows, then the empty text after the last CR LF
    QCOMPARE(freq.last(), QString());
    trace[199] = -20480;
    const QStringList level = data_file_body("", true, -10, 10, trace).split("\r\n");
    QCOMPARE(level[1], QString("Point\tPwr Start\tPwr End\tdBm Average"));
    QCOMPARE(level[2], QString(" 0 -10 -9.9 -20.5 "));
    QCOMPARE(level[201], QString(" 199  9.9  10 -20 "));
}

void SweepRulesTest::resize_layout_limits_and_beeps()
{
    const QRectF graph(900, 500, 5000, 3000);
    const struct {
        QSizeF client, tab, want_client;
        double graph_width, graph_height;
        int beeps;
    } cases[] = {
        {{14000, 9000}, {6000, 4000}, {14000, 9000}, 6700, 8380, 0},
        {{12000, 4500}, {6000, 4000}, {12000, 4500}, 4700, 3880, 0},  // exactly at both limits
        {{10000, 9000}, {6000, 4000}, {12000, 9000}, 4700, 8380, 1},
        {{14000, 3000}, {6000, 4000}, {14000, 4500}, 6700, 3880, 1},
        {{100, 100}, {6000, 4000}, {12000, 4500}, 4700, 3880, 2},
        // A narrow tab leaves the graph no width: it keeps its own, on top of both limits' beeps.
        {{2300, 9000}, {1000, 4000}, {2300, 9000}, 5000, 8380, 1},
        {{1500, 100}, {1000, 4000}, {2000, 4500}, 5000, 3880, 3},
    };
    for (const auto& c : cases) {
        const ResizeLayout l = resize_layout(c.client, c.tab, graph);
        QCOMPARE(l.client, c.want_client);
        QCOMPARE(l.beeps, c.beeps);
        QCOMPARE(l.tab, QRectF(QPointF(0, 500), c.tab));
        QCOMPARE(l.frame, QRectF(c.tab.width(), 0, c.want_client.width() - c.tab.width(), c.want_client.height()));
        QCOMPARE(l.graph, QRectF(900, 500, c.graph_width, c.graph_height));
    }
}

QTEST_MAIN(SweepRulesTest)
#include "test_sweep_rules.moc"
