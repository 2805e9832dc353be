// The simulated bench in profile mode: the generator's signal and the meter's traces, triggers,
// averaging, automatic scale and timing, each checked against values worked out by hand.
#include "frame/trace_block.h"
#include "platform/clock.h"
#include "sim/generator_signal.h"
#include "sim/meter_profile.h"
#include "sim/meter_readout.h"
#include "sim/sim_bench.h"
#include "sim/sim_generator.h"
#include "sim/sim_meter.h"

#include <QtTest>
#include <cmath>
#include <optional>

namespace {

GeneratorSignal pulse_train()
{
    GeneratorSignal s;
    s.rf_on = true;
    s.level_dbm = -10;
    s.pulse_on = true;
    s.period_s = 1e-3;
    s.width_s = 1e-4;
    s.rise_s = 1e-5;
    s.fall_s = 2e-5;
    s.off_ratio_db = 80;
    return s;
}

// A bench on its own clock with the meter in profile mode and no noise.
struct Bench {
    VirtualClock clock;
    SimBench bench;
    SimMeter& meter = bench.meter();
    SimGenerator& generator = bench.generator();

    explicit Bench(const BenchDescription& description = {}) : bench(clock, description)
    {
        meter.numbers[sim_profile::kNoiseDb] = 0;
        meter.numbers[sim_profile::kFloorNoiseDb] = 0;
        meter.receive_message("OPMD PROFILE;GTSRC CONT");
        // 2 ms across the graph: 10 us a point.
        meter.receive_message("GRPRD  .002");
        generator.receive_message("RF1; L1 -10 DM");
    }
    void at_ms(double ms) { clock.advance_us(qint64(std::llround(ms * 1000)) - clock.now_us()); }
    // Asks for a trace; the points in 1/1024 dB, or nothing when no reply comes within 5 s.
    std::optional<std::array<qint32, 200>> trace()
    {
        meter.receive_message("OGBD");
        if (!meter.reply_pending())
            return std::nullopt;
        ready_at_us = meter.reply_ready_at_us();
        clock.advance_us(ready_at_us - clock.now_us());
        const QByteArray block = meter.take_reply();
        if (block.size() != trace_block::kBlockSize)
            return std::nullopt;
        return decode_trace_values(block, block.size()).values;
    }
    qint64 ready_at_us = -1;
};

constexpr qint32 db(double v) { return qint32(v * 1024); }

}  // namespace

class SimProfileTest : public QObject {
    Q_OBJECT
private slots:
    void pulse_edges_are_linear_in_db();
    void crossings_are_exact_on_the_edges();
    void crossings_that_cannot_happen();
    void pulse_sync_edges();
    void am_waveforms();
    void crossings_of_a_modulated_signal();
    void generator_settings_reach_the_signal();

    void trace_only_in_profile_mode();
    void sensors_see_the_path_loss_and_a_constant_difference();
    void calibrator_and_missing_sensor();
    void free_running_capture_follows_the_request_time();
    void external_trigger_on_the_pulse_sync();
    void internal_trigger_on_a_level_crossing();
    void no_trigger_no_reply();
    void averaging_is_a_moving_average_answered_at_once();
    void long_spans_show_the_envelope();
    void floor_noise_adds_as_power();
    void automatic_scale_rule();
    void standing_signal_is_the_readouts_data();
    void standing_signal_is_the_readouts();
};

void SimProfileTest::pulse_edges_are_linear_in_db()
{
    const GeneratorSignal s = pulse_train();
    QCOMPARE(s.power_dbm(0), -90.0);
    QCOMPARE(s.power_dbm(5e-6), -50.0);   // half-way up the 10 us rise
    QCOMPARE(s.power_dbm(1e-5), -10.0);
    QCOMPARE(s.power_dbm(9e-5), -10.0);
    QCOMPARE(s.power_dbm(1e-4), -10.0);   // the fall starts at the width
    QCOMPARE(s.power_dbm(1.1e-4), -50.0); // half-way down the 20 us fall
    QCOMPARE(s.power_dbm(1.2e-4), -90.0);
    QCOMPARE(s.power_dbm(0.5e-3), -90.0);
    // Locked to time 0: the same a period later.
    QCOMPARE(s.power_dbm(3e-3 + 2.5e-6), s.power_dbm(2.5e-6));
    GeneratorSignal off = s;
    off.rf_on = false;
    QCOMPARE(off.power_dbm(5e-5), GeneratorSignal::kNoPower);
    // A pulse shorter than its rise never reaches the top.
    GeneratorSignal short_pulse = s;
    short_pulse.width_s = 5e-6;
    QCOMPARE(short_pulse.power_dbm(5e-6), -50.0);
    QCOMPARE(short_pulse.power_dbm(1.0e-5), -70.0);
}

void SimProfileTest::crossings_are_exact_on_the_edges()
{
    const GeneratorSignal s = pulse_train();
    // -30 dBm lies 60 of 80 dB up the rise: 7.5 us into it; on the fall 5 us in.
    QCOMPARE(s.next_crossing(0.3e-3, -30, true, 0, 1).value(), 1e-3 + 7.5e-6);
    QCOMPARE(s.next_crossing(0.3e-3, -30, false, 0, 1).value(), 1e-3 + 1e-4 + 5e-6);
    // An offset (the path to a sensor) moves the signal, not the level.
    QCOMPARE(s.next_crossing(0.3e-3, -40, true, -10, 1).value(), 1e-3 + 7.5e-6);
    // Two samples on an edge interpolate exactly to the crossing.
    const double t1 = 1e-3 + 2e-6, t2 = 1e-3 + 9e-6;
    const double p1 = s.power_dbm(t1), p2 = s.power_dbm(t2);
    const double crossing = t1 + (-30 - p1) / (p2 - p1) * (t2 - t1);
    QVERIFY(std::abs(crossing - (1e-3 + 7.5e-6)) < 1e-15);
}

void SimProfileTest::crossings_that_cannot_happen()
{
    const GeneratorSignal s = pulse_train();
    QVERIFY(!s.next_crossing(0, -5, true, 0, 1));    // above the top
    QVERIFY(!s.next_crossing(0, -95, true, 0, 1));   // below the off level
    QVERIFY(!s.next_crossing(0.3e-3, -30, true, 0, 0.5e-3));  // not within the horizon
    GeneratorSignal cw = s;
    cw.pulse_on = false;
    QVERIFY(!cw.next_crossing(0, -30, true, 0, 1));
    GeneratorSignal off = s;
    off.rf_on = false;
    QVERIFY(!off.next_crossing(0, -30, true, 0, 1));
}

void SimProfileTest::pulse_sync_edges()
{
    const GeneratorSignal s = pulse_train();
    QCOMPARE(s.next_sync_edge(0.3e-3, true).value(), 1e-3);
    QCOMPARE(s.next_sync_edge(0.3e-3, false).value(), 1.1e-3);
    QCOMPARE(s.next_sync_edge(2e-3, true).value(), 2e-3);
    QCOMPARE(s.next_sync_edge(0.05e-3, false).value(), 0.1e-3);
    GeneratorSignal cw = s;
    cw.pulse_on = false;
    QVERIFY(!cw.next_sync_edge(0, true));
}

void SimProfileTest::am_waveforms()
{
    GeneratorSignal s;
    s.rf_on = true;
    s.am_on = true;
    s.am_depth_pct = 50;
    s.am_rate_hz = 1000;
    const auto w = [&](int waveform, double t) {
        s.am_waveform = waveform;
        return s.am_waveform_value(t);
    };
    QCOMPARE(w(1, 0.25e-3), 1.0);
    QVERIFY(std::abs(w(1, 0.75e-3) + 1.0) < 1e-12);
    QCOMPARE(w(2, 0.1e-3), 1.0);
    QCOMPARE(w(2, 0.6e-3), -1.0);
    QCOMPARE(w(3, 0.25e-3), -0.5);
    QCOMPARE(w(4, 0.25e-3), 0.5);
    QCOMPARE(w(7, 0), -1.0);
    QCOMPARE(w(7, 0.5e-3), 1.0);
    QCOMPARE(w(9, 0.25e-3), 0.0);
    // Depth on the field amplitude: 1.5 times at the sine's peak.
    s.am_waveform = 1;
    QCOMPARE(s.power_dbm(0.25e-3), 20 * std::log10(1.5));
    // The noise waveforms hold a seeded value for 1/rate, within -1..1.
    for (int waveform : {5, 6}) {
        double sum = 0, squares = 0;
        for (int n = 0; n < 4000; ++n) {
            const double v = w(waveform, (n + 0.3) * 1e-3);
            QVERIFY(v >= -1 && v <= 1);
            QCOMPARE(w(waveform, (n + 0.8) * 1e-3), v);
            sum += v;
            squares += v * v;
        }
        const double mean = sum / 4000, sd = std::sqrt(squares / 4000 - mean * mean);
        QVERIFY(std::abs(mean) < 0.05);
        QVERIFY(std::abs(sd - (waveform == 5 ? 1.0 / 3 : 1.0 / std::sqrt(3.0))) < 0.03);
    }
    // Full depth down to nothing: at most 100 dB down.
    s.am_depth_pct = 100;
    s.am_waveform = 2;
    QCOMPARE(s.am_db(0.7e-3), -100.0);
}

void SimProfileTest::crossings_of_a_modulated_signal()
{
    GeneratorSignal s;
    s.rf_on = true;
    s.am_on = true;
    s.am_waveform = 1;
    s.am_depth_pct = 50;
    s.am_rate_hz = 1000;
    // The sine rises through its middle (0 dB) at each whole millisecond and falls through it half-way.
    QVERIFY(std::abs(s.next_crossing(0.1e-3, 0, true, 0, 1).value() - 1e-3) < 1e-9);
    QVERIFY(std::abs(s.next_crossing(0.1e-3, 0, false, 0, 1).value() - 0.5e-3) < 1e-9);
    QVERIFY(!s.next_crossing(0.1e-3, 4, true, 0, 1));  // above the peak of 3.52 dB
}

void SimProfileTest::generator_settings_reach_the_signal()
{
    VirtualClock clock;
    SimBench bench(clock);
    SimGenerator& gen = bench.generator();
    GeneratorSignal s = signal_of(gen, 2e-6, 3e-6);
    QVERIFY(!s.rf_on);
    QCOMPARE(s.period_s, 1e-3);
    QCOMPARE(s.width_s, 1e-4);
    gen.receive_message("RF1; L1 -12.5 DM");
    gen.receive_message("PER 2.5 MS");
    gen.receive_message("PW 0.25 MS");
    gen.receive_message("IP");
    gen.receive_message("AMW3");
    gen.receive_message("ADP1 30 PCT");
    gen.receive_message("AMR 2.5 KH");
    gen.receive_message("AM7");
    s = signal_of(gen, 2e-6, 3e-6);
    QVERIFY(s.rf_on && s.pulse_on && s.am_on);
    QCOMPARE(s.level_dbm, -12.5);
    QCOMPARE(s.period_s, 2.5e-3);
    QCOMPARE(s.width_s, 2.5e-4);
    QCOMPARE(s.am_waveform, 3);
    QCOMPARE(s.am_depth_pct, 30.0);
    QCOMPARE(s.am_rate_hz, 2500.0);
    QCOMPARE(s.fall_s, 3e-6);
}

void SimProfileTest::trace_only_in_profile_mode()
{
    Bench b;
    b.meter.receive_message("OPMD DIGIT");
    QVERIFY(!b.trace());
    QVERIFY(b.meter.errors().contains("-221,\"Settings conflict\""));
    b.meter.receive_message("OPMD PROFILE");
    QVERIFY(b.trace());
    // Another mode may add a trace of its own.
    sim_profile::add_trace_mode(b.meter, "SRCSWP", [](SimMeter& m, const SimMeter::Command&) {
        m.reply_raw(make_trace_block({}), 0);
    });
    b.meter.receive_message("OPMD SRCSWP");
    QCOMPARE(b.trace().value()[0], 0);
}

void SimProfileTest::sensors_see_the_path_loss_and_a_constant_difference()
{
    Bench b;
    const auto all = [](const std::array<qint32, 200>& t, qint32 v) {
        return std::all_of(t.begin(), t.end(), [v](qint32 x) { return x == v; });
    };
    QVERIFY(all(b.trace().value(), db(-11)));
    b.meter.receive_message("CHCFG 1, B");
    QVERIFY(all(b.trace().value(), db(-21)));
    b.meter.receive_message("CHCFG 1, B-A");
    QVERIFY(all(b.trace().value(), db(-10)));
    // With the signal's noise on, A-B stays exactly 10 dB: the noise is common to both sensors.
    b.meter.numbers[sim_profile::kNoiseDb] = 0.5;
    b.meter.receive_message("CHCFG 1, A-B");
    QVERIFY(all(b.trace().value(), db(10)));
    b.meter.receive_message("CHCFG 1, A");
    const auto noisy = b.trace().value();
    QVERIFY(!all(noisy, db(-11)));
    // RF off: the floor.
    b.meter.numbers[sim_profile::kNoiseDb] = 0;
    b.generator.receive_message("RF0");
    QVERIFY(all(b.trace().value(), db(-60)));
}

void SimProfileTest::calibrator_and_missing_sensor()
{
    BenchDescription d;
    d.sensor_b_fitted = false;
    VirtualClock clock;
    SimBench bench(clock, d);
    SimMeter& m = bench.meter();
    m.numbers[sim_profile::kNoiseDb] = 0;
    m.numbers[sim_profile::kFloorNoiseDb] = 0;
    m.receive_message("OPMD PROFILE;GTSRC CONT;RFCAL ON;CHCFG 1, A-B");
    bench.generator().receive_message("RF1; L1 -10 DM");
    m.receive_message("OGBD");
    clock.advance_us(m.reply_ready_at_us() - clock.now_us());
    const auto v = decode_trace_values(m.take_reply(), 811).values;
    // A on the 0 dBm calibrator, B missing at -100 dBm.
    QCOMPARE(v[0], db(100));
    QCOMPARE(v[199], db(100));
}

void SimProfileTest::free_running_capture_follows_the_request_time()
{
    Bench b;
    b.generator.receive_message("IP");  // 1 ms period, 0.1 ms wide, 2 us edges
    b.at_ms(0.25);
    const auto t = b.trace().value();
    // Point k is at 0.25 ms + k x 10 us: pulses start at points 75 and 175.
    QCOMPARE(t[74], db(-60));
    QCOMPARE(t[75], db(-60));  // the rise starts here, from below the floor
    QCOMPARE(t[76], db(-11));
    QCOMPARE(t[85], db(-11));  // the fall starts at the width
    QCOMPARE(t[86], db(-60));
    QCOMPARE(t[176], db(-11));
    QCOMPARE(std::count(t.begin(), t.end(), db(-11)), 20);
    // Ready when the 2 ms capture has ended plus 1 ms of processing.
    QCOMPARE(b.ready_at_us, qint64(250 + 2000 + 1000));
}

void SimProfileTest::external_trigger_on_the_pulse_sync()
{
    Bench b;
    b.generator.receive_message("IP");
    b.meter.receive_message("GTSRC EXTTTL;GTXTTL RISE");
    b.at_ms(0.25);
    auto t = b.trace().value();
    QCOMPARE(t[0], db(-60));
    QCOMPARE(t[1], db(-11));
    QCOMPARE(t[10], db(-11));
    QCOMPARE(t[11], db(-60));
    QCOMPARE(t[101], db(-11));
    QCOMPARE(b.ready_at_us, qint64(1000 + 2000 + 1000));
    // The display delay moves the capture after the trigger.
    b.meter.receive_message("DTRGD  .5ms");
    b.at_ms(10.25);
    t = b.trace().value();
    QCOMPARE(t[50], db(-60));
    QCOMPARE(t[51], db(-11));
    QCOMPARE(b.ready_at_us, qint64(11000 + 500 + 2000 + 1000));
    // On the falling edge of the sync.
    b.meter.receive_message("DTRGD  0ms;GTXTTL FALL");
    b.at_ms(20.25);
    t = b.trace().value();
    QCOMPARE(t[0], db(-11));
    QCOMPARE(t[1], db(-60));
}

void SimProfileTest::internal_trigger_on_a_level_crossing()
{
    Bench b;
    b.meter.numbers[sim_profile::kRiseUs] = 8;
    b.meter.numbers[sim_profile::kFallUs] = 8;
    b.generator.receive_message("IP");
    // Sensor A: top -11 dBm, off -91. -31 dBm is 60 of 80 dB up the 8 us rise: 6 us in.
    b.meter.receive_message("GTSRC INTA;GTTYP RISE;TRGLVL 1,-31");
    b.at_ms(0.25);
    auto t = b.trace().value();
    QCOMPARE(t[0], db(-31));
    QCOMPARE(t[1], db(-11));
    QCOMPARE(b.ready_at_us, qint64(1006 + 2000 + 1000));
    // Falling: 20 dB down the 8 us fall, 2 us after the width.
    b.meter.receive_message("GTTYP FALL");
    b.at_ms(10.25);
    t = b.trace().value();
    QCOMPARE(t[0], db(-31));
    QCOMPARE(t[1], db(-60));
    // Sensor B sees everything 10 dB lower: its -41 dBm crossing is at the same instant.
    b.meter.receive_message("GTSRC INTB;GTTYP RISE;TRGLVL 1,-41");
    b.at_ms(20.25);
    t = b.trace().value();
    QCOMPARE(t[0], db(-31));
}

void SimProfileTest::no_trigger_no_reply()
{
    Bench b;
    // External trigger without pulse modulation.
    b.meter.receive_message("GTSRC EXTTTL");
    QVERIFY(!b.trace());
    // Internal trigger on a steady level.
    b.meter.receive_message("GTSRC INTA;TRGLVL 1,-20");
    QVERIFY(!b.trace());
    b.generator.receive_message("IP");
    // Above the pulse top, and below the sensor's floor.
    b.meter.receive_message("TRGLVL 1,-5");
    QVERIFY(!b.trace());
    b.meter.receive_message("TRGLVL 1,-70");
    QVERIFY(!b.trace());
    b.meter.receive_message("TRGLVL 1,-30");
    QVERIFY(b.trace());
    // Nothing stays queued from the silent requests.
    b.clock.advance_ms(5000);
    QVERIFY(!b.meter.reply_pending());
}

void SimProfileTest::averaging_is_a_moving_average_answered_at_once()
{
    Bench b;
    b.meter.numbers[sim_profile::kNoiseDb] = 1.0;
    const auto spread = [](const std::array<qint32, 200>& t) {
        double sum = 0, squares = 0;
        for (qint32 v : t) {
            sum += v / 1024.0;
            squares += (v / 1024.0) * (v / 1024.0);
        }
        return std::sqrt(squares / 200 - (sum / 200) * (sum / 200));
    };
    const double single = spread(b.trace().value());
    b.meter.receive_message("GRSWS ON;GRSWP A, 16");
    b.at_ms(100);
    const double averaged = spread(b.trace().value());
    QVERIFY(single > 0.8 && single < 1.2);
    QVERIFY(averaged < single / 2.5);
    // The average of the traces already captured: ready after the processing time alone.
    QCOMPARE(b.ready_at_us, qint64(100000 + 1000));
    // Averaging off again: one capture.
    b.meter.receive_message("GRSWS OFF");
    b.at_ms(200);
    b.trace();
    QCOMPARE(b.ready_at_us, qint64(200000 + 2000 + 1000));
}

void SimProfileTest::long_spans_show_the_envelope()
{
    // 1 ms pulses 0.1 ms wide: at 2 ms a point is an instant (the tests above); from 50 ms on, where a
    // point's bin outlasts the pulse, the point is the peak over its bin.
    struct Case {
        const char* period;
        int on_points;
    };
    const Case cases[] = {
        {"GRPRD  .05", 50},   // 250 us bins: every fourth bin holds a pulse's top
        {"GRPRD  .2", 200},   // 1 ms bins: every bin holds one
        {"GRPRD  .5", 200},   // 2.5 ms bins: the envelope, no comb
    };
    for (const Case& c : cases) {
        Bench b;
        b.generator.receive_message("IP");
        b.meter.receive_message(c.period);
        const auto t = b.trace().value();
        QCOMPARE(int(std::count(t.begin(), t.end(), db(-11))), c.on_points);
        QCOMPARE(int(std::count(t.begin(), t.end(), db(-60))), 200 - c.on_points);
    }
}

void SimProfileTest::floor_noise_adds_as_power()
{
    Bench b;
    b.meter.numbers[sim_profile::kFloorNoiseDb] = 1.0;
    // RF off: the floor. Its noise is even in power (mean power at the floor) and so uneven in dB.
    b.generator.receive_message("RF0");
    double mw = 0, dbs = 0;
    int n = 0, above = 0;
    for (int i = 0; i < 20; ++i) {
        b.at_ms(10.0 * (i + 1));
        const auto t = b.trace().value();
        for (qint32 v : t) {
            mw += std::pow(10.0, v / 10240.0);
            dbs += v / 1024.0;
            above += v > db(-60) ? 1 : 0;
            ++n;
        }
    }
    QVERIFY(std::abs(10 * std::log10(mw / n) + 60) < 0.05);
    QVERIFY(dbs / n < -60.1 && dbs / n > -60.3);
    QVERIFY(above > n * 45 / 100 && above < n * 55 / 100);
    // A signal 39 dB above the floor keeps its level.
    b.generator.receive_message("RF1");
    b.at_ms(500);
    const auto t = b.trace().value();
    for (qint32 v : t)
        QVERIFY(std::abs(v - db(-11)) <= 1);
}

void SimProfileTest::automatic_scale_rule()
{
    Bench b;
    const auto ask = [&](const char* query) {
        b.meter.receive_message(query);
        b.clock.advance_ms(10);
        return b.meter.take_reply();
    };
    QCOMPARE(ask("GRYT?"), QByteArray("GRYT 20.00\n"));
    QCOMPARE(ask("GRYB?"), QByteArray("GRYB -50.00\n"));
    // A steady -11 dBm: top 5 above the next multiple of 5 up, bottom 5 below the next one down.
    b.meter.receive_message("GRAUTO");
    QCOMPARE(ask("GRYT?"), QByteArray("GRYT -5.00\n"));
    QCOMPARE(ask("GRYB?"), QByteArray("GRYB -20.00\n"));
    // Pulses down to the -60 dBm floor.
    b.generator.receive_message("IP");
    b.meter.receive_message("GRAUTO");
    QCOMPARE(ask("GRYB?"), QByteArray("GRYB -65.00\n"));
    b.meter.receive_message("GRYT 10;GRYB -30.5");
    QCOMPARE(ask("GRYT?"), QByteArray("GRYT 10.00\n"));
    QCOMPARE(ask("GRYB?"), QByteArray("GRYB -30.50\n"));
    b.meter.receive_message("*RST");
    QCOMPARE(ask("GRYT?"), QByteArray("GRYT 20.00\n"));
}

QTEST_APPLESS_MAIN(SimProfileTest)
#include "test_sim_profile.moc"

void SimProfileTest::standing_signal_is_the_readouts_data()
{
    QTest::addColumn<bool>("pulsed");
    QTest::addColumn<QString>("channel");
    QTest::newRow("CW, A") << false << "A";
    QTest::newRow("CW, B") << false << "B";
    QTest::newRow("pulsed, A") << true << "A";
    QTest::newRow("pulsed, B") << true << "B";
}

void SimProfileTest::standing_signal_is_the_readouts()
{
    // No program drives the generator (a serial line): the traces show what the readout reads.
    QFETCH(bool, pulsed);
    QFETCH(QString, channel);
    BenchDescription d;
    d.tdma_frame = true;
    Bench b(d);
    b.bench.set_standing_signal({pulsed, 1.0, 0.1});
    b.meter.receive_message(("CHCFG 1, " + channel).toLatin1());
    const qint32 reading = db(sim_readout::channel_value(b.meter, channel));
    const auto trace = b.trace().value();
    const auto [lo, hi] = std::minmax_element(trace.begin(), trace.end());
    QCOMPARE(*hi, reading);
    QCOMPARE(*lo == reading, !pulsed);
    // The external trigger: the pulse sync when pulsed, else the TDMA frame (slot 0 at -5 dBm on A).
    b.meter.receive_message("CHCFG 1, A;GTSRC EXTTTL;GRPRD 4.6ms");
    const auto t = b.trace().value();
    QCOMPARE(*std::max_element(t.begin(), t.end()), pulsed ? db(-10) : db(-5));
}
