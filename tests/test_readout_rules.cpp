// Readout rules without widgets: command texts, reading and rate texts, visibility.
#include "readout/readout_rules.h"

#include <QtTest>

using namespace readout;

class ReadoutRulesTest : public QObject {
    Q_OBJECT
private slots:
    void reading_texts();
    void replies_that_are_not_readings();
    void rate_figures_exact_and_degenerate();
    void sensor_command_texts();
    void trigger_command_texts();
    void custom_frame_visibility_table();
    void link_dependent_texts();
    void fit_to_work_area_rules();
};

void ReadoutRulesTest::reading_texts()
{
    QCOMPARE(reading_text(2, place_reading("12.3454\n")), QString("A-B 12.345 dBm"));
    QCOMPARE(reading_text(0, place_reading("-10.0125\n")), QString("A -10.013 dBm"));
    QCOMPARE(reading_text(5, place_reading("  .5\n")), QString("B/A 0.500 dBm"));
    QCOMPARE(reading_text(3, place_reading("-0.0001\n")), QString("B-A 0.000 dBm"));
    QCOMPARE(placeholder_text(4), QString("A/B --.--- dBm"));
    QCOMPARE(measure_command(3), QString("CHCFG 1, B-A"));
    // A reply longer than the buffer is cut at 32 characters; a short one is padded with blanks.
    QCOMPARE(place_reading(QByteArray(40, '1')).size(), 32);
    QCOMPARE(place_reading("1\n"), QByteArray("1\n") + QByteArray(30, ' '));
}

void ReadoutRulesTest::replies_that_are_not_readings()
{
    QVERIFY(is_reading(" -10.0\n"));
    QVERIFY(is_reading("+.5"));
    QVERIFY(is_reading("7"));
    QVERIFY(!is_reading(""));
    QVERIFY(!is_reading(QByteArray(32, ' ')));
    QVERIFY(!is_reading("\xC3\x9F\xE0\n"));
    QVERIFY(!is_reading("-.\n"));
    QVERIFY(!is_reading("ERR\n"));
    // Whatever the shown value is read from counts: a stray line end or blank before the digits.
    QVERIFY(is_reading("\n-10.5\n"));
    QCOMPARE(reading_text(0, place_reading("\n-10.5\n")), QString("A -10.500 dBm"));
    QVERIFY(is_reading("- 3.25"));
    QCOMPARE(reading_text(1, place_reading("- 3.25")), QString("B -3.250 dBm"));
    QVERIFY(!is_reading("\r-10.5"));
    // Numbers a single cannot hold are garbled replies, not powers; the largest singles are readings.
    QVERIFY(!is_reading("1e999"));
    QVERIFY(!is_reading("-1E39\n"));
    QVERIFY(!is_reading("3.4028236e38"));
    QVERIFY(is_reading("-3.4028235e38"));
    QVERIFY(is_reading("1e-999"));
}

void ReadoutRulesTest::rate_figures_exact_and_degenerate()
{
    // 50 readings in 125 ms: 2.50 ms each, 400 a second.
    RateFigures r = rate_figures(125'000, 50);
    QCOMPARE(r.avg_time, QString("2.50"));
    QCOMPARE(r.rdgs_per_sec, QString("400"));
    QCOMPARE(r.ms_per_reading, 2.5f);

    r = rate_figures(1'000, 500);
    QCOMPARE(r.avg_time, QString("0.00"));
    QCOMPARE(r.rdgs_per_sec, QString("500000"));

    // No measurable time: no division by zero.
    r = rate_figures(0, 50);
    QCOMPARE(r.avg_time, QString("0.00"));
    QCOMPARE(r.rdgs_per_sec, QString("N/A"));

    // No reading at all.
    r = rate_figures(3'000'000, 0);
    QCOMPARE(r.avg_time, QString("N/A"));
    QCOMPARE(r.rdgs_per_sec, QString("N/A"));

    r = rate_figures(3'000, 1);
    QCOMPARE(r.avg_time, QString("3.00"));
    QCOMPARE(r.rdgs_per_sec, QString("333"));
}

void ReadoutRulesTest::sensor_command_texts()
{
    QCOMPARE(averaging_count("AUTO"), -1);
    QCOMPARE(averaging_count("OFF"), 0);
    QCOMPARE(averaging_count("256"), 256);
    QCOMPARE(range_hold_command(0, 0), QString("RGH A, 0"));
    QCOMPARE(range_hold_command(1, 5), QString("RGH B, 5"));
    const char* const modes[] = {"SENMM A, DEFAULT", "SENMM A, MOD", "SENMM A, CUSTOM",
                                 "SENMM B, DEFAULT", "SENMM B, MOD", "SENMM B, CUSTOM"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(sensor_mode_command(i), QString(modes[i]));
    QCOMPARE(rfcal_command(true), QString("RFCAL ON"));
    QCOMPARE(rfcal_command(false), QString("RFCAL OFF"));
}

void ReadoutRulesTest::trigger_command_texts()
{
    const char* const sources[] = {"CONT", "CONT", "EXTTTL", "INTA", "INTB"};
    for (int i = -1; i < 4; ++i) {
        QCOMPARE(trigger_source_command(i), QString("TRGSRC 1, ") + sources[i + 1]);
        QCOMPARE(edge_options_enabled(i), i >= 1);
    }
    QCOMPARE(trigger_source_items().at(2), QString("Interal Sensor A"));
    QCOMPARE(trigger_edge_command(0), QString("GTTYP RISE; GTXTTL RISE; TRGXTTL 1, RISE"));
    QCOMPARE(trigger_edge_command(1), QString("GTTYP FALL; GTXTTL FALL; TRGXTTL 1, FALL"));

    QCOMPARE(trigger_level_command(-50), QString("TRGLVL 1,-50"));
    QCOMPARE(trigger_level_command(-15.5), QString("TRGLVL 1,-15.5"));
    QCOMPARE(trigger_level_command(0), QString("TRGLVL 1, 0"));
    QCOMPARE(trigger_level_command(0.25), QString("TRGLVL 1, .25"));
}

void ReadoutRulesTest::custom_frame_visibility_table()
{
    // Rows: sensor A custom, sensor B custom; columns: channel A, B, A-B, B-A, A/B, B/A.
    struct Row {
        bool a, b;
        bool shown[6];
    };
    const Row table[] = {
        {false, false, {false, false, false, false, false, false}},
        {true, false, {true, false, true, true, true, true}},
        {false, true, {false, true, true, true, true, true}},
        {true, true, {true, true, true, true, true, true}},
    };
    for (const Row& row : table)
        for (int ch = 0; ch < 6; ++ch)
            QVERIFY2(custom_frame_visible(row.a, row.b, ch) == row.shown[ch],
                     qPrintable(QString("A custom %1, B custom %2, channel %3").arg(row.a).arg(row.b).arg(ch)));
}

void ReadoutRulesTest::link_dependent_texts()
{
    QCOMPARE(setup_command(false), QString("*RST; OPMD DIGIT;DISP ON; FAST OFF"));
    QCOMPARE(setup_command(true), QString("*RST; OPMD DIGIT"));
    QCOMPARE(leave_command(false), QString("*CLS;*ESE 49;*SRE 48;OPMD DIGIT;DISP ON;FAST OFF"));
    QCOMPARE(leave_command(true), QString("*CLS;*ESE 49;*SRE 48;OPMD DIGIT"));
    QVERIFY(has_reading_mode("RQ5822K"));
    QVERIFY(has_reading_mode("RQ5821K"));
    QVERIFY(!has_reading_mode("RQ5812K"));
    QVERIFY(!has_reading_mode("rq5822k"));
    QVERIFY(reading_mode_needs_change("CDMA\n"));
    QVERIFY(!reading_mode_needs_change("STAND\n"));
    QCOMPARE(fastest_first_command(),
             QString("*CLS;*ESE 49;*SRE 48;AVG A,OFF,;AVGLL A,OFF;CFSRC A,MAN;SENSTL A,10.0;DISP OFF"));
    QCOMPARE(fastest_second_command(true), QString("AVG B,OFF,;AVGLL B,OFF;CFSRC B,MAN;SENSTL B,10.0;*OPC"));
    QCOMPARE(fastest_second_command(false), QString("*OPC"));
}

void ReadoutRulesTest::fit_to_work_area_rules()
{
    const QRect work(0, 30, 1024, 700);
    QCOMPARE(fit_to_work_area(QRect(100, 100, 800, 600), work), QRect(100, 100, 800, 600));
    QCOMPARE(fit_to_work_area(QRect(100, 100, 800, 900), work), QRect(100, 30, 800, 700));
    QCOMPARE(fit_to_work_area(QRect(100, 100, 1200, 600), work), QRect(0, 100, 1024, 600));
    QCOMPARE(fit_to_work_area(QRect(-5, -5, 2000, 2000), work), work);
}

QTEST_APPLESS_MAIN(ReadoutRulesTest)
#include "test_readout_rules.moc"
