// The simulated meter's CDMA reading mode: readings per channel and configuration, the envelope's peaks
// against their own distribution, peak hold on the virtual clock, scripted readings and faults.
#include "platform/clock.h"
#include "sim/meter_cdma.h"
#include "sim/sim_bench.h"
#include "sim/sim_meter.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A bench on its own clock with the meter in its CDMA reading mode, channel 1 peak, channel 2 average.
struct Bench {
    explicit Bench(const QString& model = QStringLiteral("RQ5822K"))
        : description([&] {
              BenchDescription d;
              d.model = model;
              return d;
          }()),
          bench(clock, description)
    {
        meter.numbers[sim_cdma::kAverageNoiseDb] = 0;
        meter.receive_message("OPMD DIGIT;RDMODE CDMA");
        clock.advance_ms(meter.rdmode_change_ms);
        meter.receive_message("CDMEAS 1, PEAK;CDMEAS 2, OFF;CHCFG 1, A;CHCFG 2, A;PCRH TIMED; PCRT 0");
    }
    // The reply to a query, taken when it is ready; none when no reply comes.
    std::optional<QByteArray> ask(const QByteArray& query)
    {
        meter.receive_message(query);
        if (!meter.reply_pending())
            return std::nullopt;
        ready_at_us = meter.reply_ready_at_us();
        clock.advance_us(std::max<qint64>(0, ready_at_us - clock.now_us()));
        return meter.take_reply().trimmed();
    }
    double reading(const QByteArray& query) { return ask(query).value_or("nan").toDouble(); }
    void at_s(double s) { clock.advance_us(qint64(std::llround(s * 1e6)) - clock.now_us()); }

    VirtualClock clock;
    BenchDescription description;
    SimBench bench;
    SimMeter& meter = bench.meter();
    qint64 ready_at_us = -1;
};

}  // namespace

class SimCdmaTest : public QObject {
    Q_OBJECT
private slots:
    void readings_by_reading_mode_and_configuration();
    void peaks_follow_their_distribution();
    void peak_hold_timed_manual_and_off();
    void scripted_readings_and_faults();
    void parser_refuses_bad_settings();
};

void SimCdmaTest::readings_by_reading_mode_and_configuration()
{
    Bench b;
    // Averages are exact without noise; a long hold reaches the crest factor (10 dB) exactly.
    b.meter.receive_message("PCRT 5");
    b.at_s(b.clock.now_us() / 1e6 + 4.0);
    struct Case {
        const char* configuration;
        const char* peak;
        const char* average;
    };
    const Case cases[] = {
        {"A", "0.00", "-10.00"},   {"B", "-10.00", "-20.00"}, {"A-B", "10.00", "10.00"},
        {"B-A", "-10.00", "-10.00"}, {"A/B", "10.00", "10.00"}, {"B/A", "0.10", "0.10"},
    };
    for (const Case& c : cases) {
        b.meter.receive_message(QByteArray("CHCFG 1, ") + c.configuration + ";CHCFG 2, " + c.configuration);
        QCOMPARE(*b.ask("o 1"), QByteArray(c.peak));
        QCOMPARE(*b.ask("O 2"), QByteArray(c.average));
    }
    // Each reading takes the modelled time.
    const qint64 asked = b.clock.now_us();
    b.ask("o 2");
    QCOMPARE(b.ready_at_us - asked, qint64(2000));

    // The standard reading mode answers the readout's reading instead (four decimals).
    b.meter.receive_message("CHCFG 1, A;RDMODE STAND");
    b.clock.advance_ms(b.meter.rdmode_change_ms);
    QVERIFY(b.ask("o 1")->contains(".") && b.ask("o 1")->split('.').value(1).size() == 4);

    // A single-input meter has no sensor B: its configurations read the missing sensor.
    Bench single(QStringLiteral("RQ5821K"));
    single.meter.receive_message("CHCFG 2, B");
    QCOMPARE(*single.ask("o 2"), QByteArray("-100.00"));
}

void SimCdmaTest::peaks_follow_their_distribution()
{
    // With no hold each peak covers one reading's 2 ms: 2000 envelope samples. Their median is where
    // (1 - e^-x)^2000 = 1/2, and none passes average + crest.
    Bench b;
    std::vector<double> peaks;
    for (int i = 0; i < 2001; ++i)
        peaks.push_back(b.reading("o 1"));
    std::sort(peaks.begin(), peaks.end());
    const double n = 2000;
    const double expected_median = -10.0 + 10.0 * std::log10(-std::log(1.0 - std::pow(0.5, 1.0 / n)));
    QVERIFY2(std::abs(peaks[1000] - expected_median) < 0.1,
             qPrintable(QStringLiteral("median %1, expected %2").arg(peaks[1000]).arg(expected_median)));
    QVERIFY(peaks.back() <= 0.0);
    QVERIFY(peaks.front() > -10.0);
    // The inverse itself, at points worked out by hand: one sample's median is ln 2; the crest clips.
    QCOMPARE(sim_cdma::peak_over_samples_db(0.5, 1, 10), 10.0 * std::log10(std::log(2.0)));
    QCOMPARE(sim_cdma::peak_over_samples_db(1.0 - 1e-12, 1, 10), 10.0);
}

void SimCdmaTest::peak_hold_timed_manual_and_off()
{
    Bench b;
    b.meter.numbers[sim_cdma::kSampleRate] = 1e5;
    // Timed reset every 5 s from the command: 4 s into a period the hold has seen 400,000 samples and
    // sits at the crest; just after the period's end it starts again from a few hundred samples.
    b.at_s(100.0);
    b.meter.receive_message("PCRT 5");
    b.at_s(104.0);
    QCOMPARE(b.reading("o 1"), 0.0);
    b.at_s(104.9);
    QCOMPARE(b.reading("o 1"), 0.0);
    b.at_s(105.0);
    const double fresh = b.reading("o 1");
    QVERIFY2(fresh < -0.5, qPrintable(QString::number(fresh)));
    // The average channel is not held.
    QCOMPARE(b.reading("o 2"), -10.0);

    // Manual: held from the command until MMRST, however long.
    b.meter.receive_message("PCRH MAN");
    b.at_s(200.0);
    QCOMPARE(b.reading("o 1"), 0.0);
    b.at_s(500.0);
    QCOMPARE(b.reading("o 1"), 0.0);
    b.meter.receive_message("MMRST");
    QVERIFY(b.reading("o 1") < -0.5);

    // Off (timed with 0 s): every reading covers its own 2 ms only, however long the meter ran.
    b.meter.receive_message("PCRH TIMED;PCRT 0");
    b.at_s(900.0);
    int below = 0;
    for (int i = 0; i < 20; ++i)
        below += b.reading("o 1") < -0.5;
    QVERIFY(below >= 18);
}

void SimCdmaTest::scripted_readings_and_faults()
{
    Bench b;
    sim_cdma::script_passes(b.meter, {{-10.0, -13.0}, {25.0, -80.0}});
    QCOMPARE(*b.ask("o 1"), QByteArray("-10.00"));
    QCOMPARE(*b.ask("o 2"), QByteArray("-13.00"));
    QCOMPARE(*b.ask("o 1"), QByteArray("25.00"));
    QCOMPARE(*b.ask("o 2"), QByteArray("-80.00"));
    QVERIFY(b.reading("o 1") <= 0.0);  // the script is used up: the signal again

    sim_cdma::Faults& f = sim_cdma::faults(b.meter);
    f.unanswered_reading = 1;
    f.reading_without_number = 2;
    QVERIFY(b.ask("o 1"));
    QVERIFY(!b.ask("o 2"));
    QCOMPARE(*b.ask("o 1"), QByteArray("----"));
    QVERIFY(b.ask("o 2"));

    QCOMPARE(*b.ask("RDMODE?"), QByteArray("CDMA"));
    f.silent_mode_query = true;
    QVERIFY(!b.ask("RDMODE?"));
}

void SimCdmaTest::parser_refuses_bad_settings()
{
    Bench b;
    QVERIFY(b.meter.errors().isEmpty());
    struct Case {
        const char* command;
        const char* error;
    };
    const Case cases[] = {
        {"CDMEAS 1, FAST", "-224"}, {"CDMEAS 3, PEAK", "-224"}, {"PCRH SOMETIMES", "-224"},
        {"PCRH", "-109"},           {"PCRT 31", "-222"},        {"PCRT abc", "-104"},
    };
    for (const Case& c : cases) {
        b.meter.receive_message(c.command);
        QVERIFY2(b.meter.errors().value(0).startsWith(QLatin1String(c.error)), c.command);
        b.ask("ERRLST");
    }
    b.meter.receive_message("PCRT 12;CDMEAS 2, PEAK");
    QVERIFY(b.meter.errors().isEmpty());
    QCOMPARE(*b.ask("PCRT?"), QByteArray("12"));
    QCOMPARE(*b.ask("CDMEAS? 2"), QByteArray("PEAK"));
}

QTEST_GUILESS_MAIN(SimCdmaTest)
#include "test_sim_cdma.moc"
