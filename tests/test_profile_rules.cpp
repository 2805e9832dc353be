// The profile window's rules without the window: setting texts, entry-box limits, the generator level
// bar, the rate figures, the min/max tracker, the sensor check and the pulse top and base levels.
#include "profile/profile_run.h"
#include "profile/profile_settings.h"

#include <QtTest>
#include <array>
#include <limits>

using namespace profile_settings;
using namespace profile_run;

class ProfileRulesTest : public QObject {
    Q_OBJECT
private slots:
    void meter_setting_texts();
    void generator_setting_texts();
    void entry_box_limits();
    void generator_level_bar();
    void rate_figures();
    void rate_figures_of_a_pass_without_measurable_time();
    void tracker_label_and_reset();
    void tracker_holds_any_32_bit_trace_value();
    void sensor_needed_by_channel_configuration();
    void pulse_levels_of_a_clean_pulse();
    void pulse_levels_between_equal_cursors_count_one_point();
    void pulse_levels_ties_go_to_the_higher_bucket();
};

void ProfileRulesTest::meter_setting_texts()
{
    // Singles go out in the Str form, units written out.
    QCOMPARE(sample_delay_command(0.005f), QString("GTDLY  .005ms"));
    QCOMPARE(gate_width_command(0.0017f), QString("GTGW  .0017ms"));
    QCOMPARE(display_delay_command(0.0f), QString("DTRGD  0ms"));
    QCOMPARE(sample_delay_command(1.0f), QString("GTDLY  1ms"));
    QCOMPARE(trigger_level_command(-15.0f), QString("TRGLVL 1,-15"));
    QCOMPARE(trigger_level_command(2.5f), QString("TRGLVL 1, 2.5"));
    QCOMPARE(trigger_type_command("RISE"), QString("GTTYP RISE; GTXTTL RISE"));
    QCOMPARE(trigger_type_command("FALL"), QString("GTTYP FALL; GTXTTL FALL"));
    // No selection counts as continuous.
    QCOMPARE(trigger_source_command(-1), QString("GTSRC CONT"));
    QCOMPARE(trigger_source_command(0), QString("GTSRC CONT"));
    QCOMPARE(trigger_source_command(1), QString("GTSRC EXTTTL"));
    QCOMPARE(trigger_source_command(2), QString("GTSRC INTA"));
    QCOMPARE(trigger_source_command(3), QString("GTSRC INTB"));
    QCOMPARE(channel_config_command(0).value(), QString("CHCFG 1, A"));
    QCOMPARE(channel_config_command(1).value(), QString("CHCFG 1, B"));
    QCOMPARE(channel_config_command(2).value(), QString("CHCFG 1, A-B"));
    QCOMPARE(channel_config_command(3).value(), QString("CHCFG 1, B-A"));
    QVERIFY(!channel_config_command(-1));
    QVERIFY(!channel_config_command(4));
    QCOMPARE(range_hold_command(0), QString("RGH A, 0"));
    QCOMPARE(range_hold_command(2), QString("RGH A, 2"));
    QCOMPARE(display_command(false), QString("DISP OFF"));
    QCOMPARE(rf_calibrator_command(true), QString("RFCAL ON"));
    QCOMPARE(averaging_count("OFF"), 0);
    QCOMPARE(averaging_count("128"), 128);
    QCOMPARE(averaging_count("256"), 256);
}

void ProfileRulesTest::generator_setting_texts()
{
    // The boxes go out as typed, trimmed.
    QCOMPARE(sweeper_power_command("-10").value(), QString("RF1; L1 -10 DM"));
    QCOMPARE(sweeper_power_command(" 5").value(), QString("RF1; L1 5 DM"));
    QCOMPARE(pulse_period_command("1.0").value(), QString("PER 1.0 MS"));
    QCOMPARE(pulse_width_command("0.10").value(), QString("PW 0.10 MS"));
    QCOMPARE(mod_depth_command("10.0").value(), QString("ADP1 10.0 PCT"));
    QCOMPARE(mod_rate_command("10.0").value(), QString("AMR 10.0 KH"));
    QCOMPARE(mod_type_command(0), QString("AMW1"));
    QCOMPARE(mod_type_command(6), QString("AMW7"));
    QCOMPARE(mod_type_command(7), QString("AMW"));
    QCOMPARE(mod_type_command(-1), QString("AMW"));
    QCOMPARE(pulse_mode_command(true), QString("IP"));
    QCOMPARE(pulse_mode_command(false), QString("P0"));
    QCOMPARE(mod_mode_command(true), QString("AM7"));
    QCOMPARE(mod_mode_command(false), QString("AM0"));
}

void ProfileRulesTest::entry_box_limits()
{
    QVERIFY(accept_ms_box(1));
    QVERIFY(accept_ms_box(0));
    QVERIFY(!accept_ms_box(1.0001));
    QVERIFY(!accept_ms_box(-0.1));
    QCOMPARE(ms_box_text(0.0017f), QString("0.0017"));
    QCOMPARE(ms_box_text(0.005f), QString("0.0050"));
    QCOMPARE(ms_box_text(0.123456f), QString("0.123456"));
    QCOMPARE(ms_box_text(1.0f), QString("1.0000"));
}

void ProfileRulesTest::generator_level_bar()
{
    QCOMPARE(power_position("-10").value(), 7000);
    QCOMPARE(power_position("20").value(), 10000);
    QCOMPARE(power_position("-80").value(), 0);
    QVERIFY(!power_position("20.01"));
    QVERIFY(!power_position("-81"));
    // No level leaves the bar where it is.
    QVERIFY(!power_position("-"));
    // Halves go to the even position.
    QCOMPARE(power_position("-10.555").value(), 6944);
    QCOMPARE(power_position("-10.545").value(), 6946);

    QCOMPARE(power_level(7999), -0.01);
    QCOMPARE(power_drag_text(7999), QString("-.01"));
    QCOMPARE(power_drag_text(8000), QString(" 0"));
    QCOMPARE(power_drag_text(10000), QString(" 20"));
    QCOMPARE(power_drag_text(0), QString("-80"));
    // The box is rewritten only when it says another level, or none.
    QVERIFY(!power_box_rewrite(7000, "-10"));
    QVERIFY(!power_box_rewrite(7999, "-.01"));
    QCOMPARE(power_box_rewrite(6944, "-10.555").value(), QString("-10.56"));
    QCOMPARE(power_box_rewrite(8000, "junk").value(), QString("0.00"));
    QCOMPARE(power_box_rewrite(8050, "0").value(), QString("0.50"));
}

void ProfileRulesTest::rate_figures()
{
    const auto r = rate_texts(10'000);
    QVERIFY(r);
    QCOMPARE(r->graphs_per_second, QString("100.00"));
    QCOMPARE(r->readings_per_second, QString("20000"));
    // Readings follow the graphs figure as shown, not the unrounded rate.
    const auto s = rate_texts(11'811);
    QCOMPARE(s->graphs_per_second, QString("84.67"));
    QCOMPARE(s->readings_per_second, QString("16934"));
    const auto t = rate_texts(3);
    QCOMPARE(t->graphs_per_second, QString("333333.33"));
    QCOMPARE(t->readings_per_second, QString("66666666"));
}

void ProfileRulesTest::rate_figures_of_a_pass_without_measurable_time()
{
    QVERIFY(!rate_texts(0));
    QVERIFY(!rate_texts(-1'000'000));
}

void ProfileRulesTest::tracker_label_and_reset()
{
    MinMaxTracker t;
    QCOMPARE(t.min(), qint64(204800));
    QCOMPARE(t.max(), qint64(-204800));
    t.add(-12641, 3072);
    QCOMPARE(t.label_text(), QString("Min: -12.345dBm       Max: 3.000dBm"));
    // A trace inside the tracked range changes nothing.
    t.add(-100, 100);
    QCOMPARE(t.min(), qint64(-12641));
    QCOMPARE(t.max(), qint64(3072));
    t.reset();
    QCOMPARE(t.min(), qint64(204800));
    QCOMPARE(t.max(), qint64(-204800));
}

void ProfileRulesTest::tracker_holds_any_32_bit_trace_value()
{
    MinMaxTracker t;
    // The largest 32-bit value becomes 2^31 as a single; a 32-bit tracker would overflow here.
    t.add(float(std::numeric_limits<qint32>::min()), float(std::numeric_limits<qint32>::max()));
    QCOMPARE(t.min(), qint64(-2147483648LL));
    QCOMPARE(t.max(), qint64(2147483648LL));
    QCOMPARE(t.label_text(), QString("Min: -2097152.000dBm       Max: 2097152.000dBm"));
}

void ProfileRulesTest::sensor_needed_by_channel_configuration()
{
    QCOMPARE(sensor_needed(0)->sensor, QString("A"));
    QCOMPARE(sensor_needed(1)->sensor, QString("B"));
    // The difference configurations need only input A.
    QCOMPARE(sensor_needed(2)->sensor, QString("A"));
    QCOMPARE(sensor_needed(3)->sensor, QString("A"));
    QVERIFY(!sensor_needed(-1));
    QVERIFY(!sensor_needed(4));
    QCOMPARE(missing_sensor_text(*sensor_needed(1)),
             QString("Trying to Measure B\r\nPlease connect a sensor to input B."));
    QCOMPARE(missing_sensor_text(*sensor_needed(3)),
             QString("Trying to Measure B-A\r\nPlease connect a sensor to input A."));
}

void ProfileRulesTest::pulse_levels_of_a_clean_pulse()
{
    // 20 points at -30 dBm, 10 at 0 dBm, the rest at -30: a pulse 30 dB high.
    std::array<float, 211> trace{};
    trace.fill(-30720);
    for (int i = 20; i < 30; ++i)
        trace[std::size_t(i)] = 0;
    // Overshoot on two points and a little noise on the floor do not move the levels.
    trace[20] = 512;
    trace[21] = 256;
    trace[5] = -30720 + 300;
    const PulseLevels l = top_bottom(trace.data(), 0, 199, -30720, 512);
    // Top: the fullest 0.02 dB bucket below the highest point, 0 dBm here (0.5 dB below 512 / 1024).
    QCOMPARE(l.top, float(512 - 25 * 20.48));
    QCOMPARE(l.bottom, -30720.0f);
}

void ProfileRulesTest::pulse_levels_between_equal_cursors_count_one_point()
{
    std::array<float, 211> trace{};
    trace.fill(-20480);
    trace[50] = -1024;
    // Only point 50 is counted: it lies in the top band, the base histogram stays empty (bucket 0).
    const PulseLevels l = top_bottom(trace.data(), 50, 50, -20480, 0);
    QCOMPARE(l.top, float(0 - 50 * 20.48));
    QCOMPARE(l.bottom, -20480.0f);
    // Cursors given right to left count the same points.
    const PulseLevels r = top_bottom(trace.data(), 60, 40, -20480, 0);
    QCOMPARE(r.top, l.top);
}

void ProfileRulesTest::pulse_levels_ties_go_to_the_higher_bucket()
{
    std::array<float, 211> trace{};
    trace.fill(-30720);
    trace[10] = float(-1 * 20.48);  // top bucket 1
    trace[11] = float(-3 * 20.48);  // top bucket 3
    const PulseLevels l = top_bottom(trace.data(), 10, 11, -30720, 0);
    QCOMPARE(l.top, float(-3 * 20.48));
}

QTEST_APPLESS_MAIN(ProfileRulesTest)
#include "test_profile_rules.moc"
