// The amplifier test's rules without a window: gain and compression from a trace, the frequency plan,
// the offset commands and the results of a run.
#include "sweep/amp_rules.h"

#include <QtTest>

using namespace amp_rules;

class AmpRulesTest : public QObject {
    Q_OBJECT
private slots:
    void gain_and_compression_from_a_trace();
    void frequency_plans_and_refusals();
    void offset_and_frequency_commands();
    void results_ranges_and_cursor();
};

void AmpRulesTest::gain_and_compression_from_a_trace()
{
    // Gain 20 dB, compression growing from point 120 on by 0.05 dB a point (1.000 dB at point 140).
    float trace[200];
    for (int i = 0; i < 200; ++i)
        trace[i] = float(20 * 1024 - (i > 120 ? (i - 120) * 0.05 * 1024 : 0));
    const QString gain = gain_text(gain_db(trace));
    QCOMPARE(gain, QString("20.000 dB"));
    const struct {
        double left, right;
        QString expected;
    } axes[] = {{-10, 10, "4.000 dBm"}, {-30, 0, "-9.000 dBm"}};
    for (const auto& a : axes)
        QCOMPARE(compression_text(compression_dbm(trace, gain, a.left, a.right)), a.expected);
    // Exactly 1.000 dB at point 100 counts: with -10..10 that is 0 dBm.
    float step[200];
    for (int i = 0; i < 200; ++i)
        step[i] = i < 100 ? 20480.0f : 19456.0f;
    QCOMPARE(compression_text(compression_dbm(step, gain_text(gain_db(step)), -10, 10)), QString("0.000 dBm"));
    // Never 1 dB down: "N/A".
    float flat[200];
    std::fill(std::begin(flat), std::end(flat), 20480.0f - 1000.0f);
    QCOMPARE(compression_text(compression_dbm(flat, gain_text(gain_db(flat)), -10, 10)), QString("N/A"));
    // A point keeps the values shown; one that no single-precision value holds is none.
    const auto m = measure(trace, -30, 0);
    QVERIFY(m && m->gain == 20.0f && m->compression == -9.0f && m->compression_text == "-9.000 dBm");
    QCOMPARE(measure(flat, -10, 10)->compression, kNoCompression);
    QVERIFY(!measure(trace, -1e39, 1e39));
}

void AmpRulesTest::frequency_plans_and_refusals()
{
    const struct {
        QString start, stop, step;
        QList<double> frequencies;
        QString refusal;
    } cases[] = {
        {"1", "1", "0.1", {1.0}, ""},
        {"0.05", "0.35", "0.1", {0.05, 0.15, 0.25, 0.35}, ""},
        {"1", "2", "0.3", {1.0, 1.3, 1.6, 1.9}, ""},
        {"2", "1", "0.1", {}, "Please change starting frequency"},
        {"0", "600", "0.1", {}, "Please change the Stepping frequency"},
        {"1", "2", "0", {}, "Please enter a frequency step greater than 0."},
        {"1", "2", "abc", {}, "Please enter a frequency step greater than 0."},
        {"1", "2", "-0.5", {}, "Please enter a frequency step greater than 0."},
        {"+1", "1.5e0", ".25", {1.0, 1.25, 1.5}, ""},
        // Only a well-formed number goes on to the instruments; a start at or below 0 never.
        {"abc", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {"1;*RST", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {"nan", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {"1e999", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {" 1", "2\t", "0.1 ", {1.0, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.9, 2.0}, ""},
        {"1e-400", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {QString(QChar(0x0661)), "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {"-5", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {"0", "2", "0.1", {}, "Please enter a start frequency greater than 0."},
        {"1", "1.79769313486232E+308", "0.1", {}, "Please enter a stop frequency greater than 0."},
        {"1", "", "0.1", {}, "Please enter a stop frequency greater than 0."},
        {"1", "2e", "0.1", {}, "Please enter a stop frequency greater than 0."},
        {"1", "2", "0.1.1", {}, "Please enter a frequency step greater than 0."},
    };
    for (const auto& c : cases) {
        const Plan p = frequency_plan(c.start, c.stop, c.step);
        QCOMPARE(p.refusal ? p.refusal->text : QString(), c.refusal);
        QCOMPARE(int(p.frequencies.size()), c.frequencies.size());
        for (int i = 0; i < c.frequencies.size(); ++i)
            QVERIFY(qAbs(p.frequencies[std::size_t(i)] - c.frequencies[i]) < 1e-12);
    }
    QCOMPARE(frequency_plan("2", "1", "1").refusal->title, QString("Start frequency too high"));
    QCOMPARE(frequency_plan("0", "600", "0.1").refusal->title, QString("Too many frequency points"));
    // 5000 steps are allowed: 5001 points.
    QCOMPARE(frequency_plan("1", "501", "0.1").frequencies.size(), std::size_t(5001));
    // A single frequency: the start box alone, by the same rule; the commands carry the trimmed text.
    for (const char* bad : {"abc", "1;*RST", "-5", "0", "1e999", "", "1e-400"})
        QCOMPARE(single_plan(bad).refusal->title, QString("Start frequency"));
    QCOMPARE(single_plan("1 ").start, QString("1"));
    QCOMPARE(frequency_plan("\t0.05", "1", "0.1").start, QString("0.05"));
}

void AmpRulesTest::offset_and_frequency_commands()
{
    QCOMPARE(offset_commands("A", 1, 10.5, 0), QStringList({"OFFTYP A, FIXED", "OFFFIX A,  10.5"}));
    QCOMPARE(offset_commands("B", 1, -3, 0), QStringList({"OFFTYP B, FIXED", "OFFFIX B, -3"}));
    QCOMPARE(offset_commands("A", 2, 0, 7), QStringList({"OFFTYP A, TABLE", "OFFTBL A,  7"}));
    QCOMPARE(offset_commands("B", 0, 5, 7), QStringList({"OFFTYP B, OFF"}));
    QCOMPARE(generator_frequency_command(0.05), QString("F1 .05 GH"));
    QCOMPARE(generator_frequency_command(0.05 + 2 * 0.1), QString("F1 .25 GH"));
    QCOMPARE(meter_frequency_command("B", 12.5), QString("CFFRQ B, 12.5GHZ"));
}

void AmpRulesTest::results_ranges_and_cursor()
{
    Results r;
    QCOMPARE(cursor_readout(r, 0).frequency, QString("N/A"));
    r.add(1.0, 20.5f, kNoCompression);
    QVERIFY(!r.has_compression_range());
    r.add(1.5, 21.0f, -9.0f);
    r.add(2.0, 19.0f, -7.5f);
    r.add(2.5, 20.0f, kNoCompression);
    QCOMPARE(r.gain_max(), 21.0f);
    QCOMPARE(r.gain_min(), 19.0f);
    QVERIFY(r.has_compression_range());
    QCOMPARE(r.comp_max(), -7.5f);
    QCOMPARE(r.comp_min(), -9.0f);
    const Readout a = cursor_readout(r, 3);
    QCOMPARE(a.gain, QString("20"));
    QCOMPARE(a.compression, QString("N/A"));
    QCOMPARE(a.frequency, QString("2.500"));
    QCOMPARE(cursor_readout(r, 1).compression, QString("-9"));
    // A new run starts its ranges afresh.
    r.clear();
    r.add(3.0, 10.0f, kNoCompression);
    QCOMPARE(r.gain_max(), 10.0f);
    QVERIFY(!r.has_compression_range());
}

QTEST_MAIN(AmpRulesTest)
#include "test_amp_rules.moc"
