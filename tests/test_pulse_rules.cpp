// The profile graph's cursor rules, the pulse analysis and the automatic set-up's rules, without the
// window, against traces whose answers are worked out by hand.
#include "platform/canvas.h"
#include "profile/auto_setup.h"
#include "profile/cursor_model.h"
#include "profile/profile_run.h"
#include "profile/pulse_analysis.h"

#include <QtTest>
#include <array>
#include <cmath>

using Trace = std::array<float, 200>;
using profile_cursors::Pair;

namespace {

Trace flat(double dbm)
{
    Trace t;
    t.fill(float(dbm * 1024));
    return t;
}

// Rectangular pulses of a whole number of points: points start + k x every .. + width - 1 are on.
Trace pulses(int count, int start, int every, int width, double on = 0, double off = -40)
{
    Trace t = flat(off);
    for (int k = 0; k < count; ++k)
        for (int i = 0; i < width; ++i)
            t[std::size_t(start + k * every + i)] = float(on * 1024);
    return t;
}

pulse_analysis::Input input(const Trace& t, int c1, int c2, double top_dbm, double bottom_dbm, double span_ms)
{
    pulse_analysis::Input in;
    in.trace = t.data();
    in.cursor_a = c1;
    in.cursor_b = c2;
    in.pulse_top = float(top_dbm * 1024);
    in.pulse_bottom = float(bottom_dbm * 1024);
    in.span_ms = span_ms;
    return in;
}

// The analysis as the window runs it between two cursors.
pulse_analysis::Texts analysed(const Trace& t, int c1, int c2, double span_ms)
{
    const auto [lo, hi] = std::minmax_element(t.begin() + 2, t.end());
    const float level_min = std::min(*lo, t[0]);
    const float level_max = std::max(*hi, t[0]);
    if (!pulse_analysis::check_one_pulse(t.data(), c1, c2, level_min, level_max, true).found)
        return pulse_analysis::not_available();
    const profile_run::PulseLevels levels = profile_run::top_bottom(t.data(), c1, c2, level_min, level_max);
    pulse_analysis::Input in = input(t, c1, c2, levels.top / 1024.0, levels.bottom / 1024.0, span_ms);
    in.peak_power_dbm = level_max / 1024.0;
    return pulse_analysis::texts(pulse_analysis::analyse(in));
}

QStringList all(const pulse_analysis::Texts& t)
{
    return {t.top_line,   t.bottom_line, t.rise_time, t.fall_time, t.width,    t.pulse_power,
            t.overshoot,  t.repetition,  t.frequency, t.duty_cycle, t.off_time, t.average_power};
}

}  // namespace

class PulseRulesTest : public QObject {
    Q_OBJECT
private slots:
    void cursors_from_the_gate();
    void average_between_the_cursors();
    void times_and_floating_labels();
    void dragging();
    void steps();
    void centring_and_zooms();
    void cursor_drawing();

    void which_traces_hold_one_pulse();
    void analysis_of_closed_form_traces();
    void analysis_with_missing_inputs_shows_not_available();
    void analysis_never_overflows();
    void auto_cursors_gate();
    void level_lines();
    void pulse_definition_limits();
    void automatic_set_up_counts_pulses();
};

void PulseRulesTest::cursors_from_the_gate()
{
    struct Case {
        float delay_ms, width_ms, seconds_per_point;
        Pair expected;
    };
    const Case cases[] = {
        {0.005f, 0.0017f, 0.01f / 200, {0, 0}},  // the load's gate: a sliver at the start
        {1.0f, 2.0f, 0.01f / 200, {20, 60}},
        {-1.0f, 1.0f, 0.01f / 200, {0, 0}},      // before the display: 0
        {9.0f, 5.0f, 0.01f / 200, {180, 199}},   // past the end: 199
        {5000.0f, 1.0f, 0.01f / 200, {199, 199}},  // beyond 32767 points: taken as 200
        {0.0f, 0.0f, 0.0f, {0, 0}},              // no period at all
    };
    for (const Case& c : cases)
        QCOMPARE(profile_cursors::from_gate(c.delay_ms, c.width_ms, c.seconds_per_point), c.expected);
    QCOMPARE(profile_cursors::locked(12, 150), (Pair{12, 150}));
}

void PulseRulesTest::average_between_the_cursors()
{
    Trace t = flat(-10);
    t[50] = 0;
    // Equal cursors give that point's power, not 0.
    QCOMPARE(profile_cursors::average_between(t.data(), {50, 50}), 0.0);
    QCOMPARE(profile_cursors::average_between(t.data(), {10, 10}), -10.0);
    // 0 and -10 dBm: 10 log10(1.1 / 2); the order of the cursors does not matter.
    QCOMPARE(profile_cursors::average_between(t.data(), {51, 50}), 10 * std::log10(1.1 / 2));
    // Points far beyond any real power are summed without overflow.
    t[60] = 2.0e9f;
    t[61] = 2.0e9f;
    QVERIFY(std::abs(profile_cursors::average_between(t.data(), {60, 61}) - 2.0e9 / 1024) < 1e-6);
}

void PulseRulesTest::times_and_floating_labels()
{
    struct Case {
        double seconds;
        const char* value;
        const char* unit;
    };
    const Case cases[] = {
        {1.0, "1.000", "S"},          {0.5, "500.000", "ms"},      {20e-6, "20.000", "us"},
        {0.0, "0.000", "us"},         {2.5, "2.500", "S"},         {0.9999999, "1.000", "S"},
        {0.0009999999, "1.000", "ms"}, {0.0015, "1.500", "ms"},
    };
    for (const Case& c : cases) {
        const profile_cursors::ShownTime t = profile_cursors::shown_time(c.seconds);
        QCOMPARE(t.value, QString(c.value));
        QCOMPARE(t.unit, QString(c.unit));
    }
    QCOMPARE(profile_cursors::floating_label(true, -12.3456, 0.00125), QString("-12.346 dBm @ 1.250ms"));
    QCOMPARE(profile_cursors::floating_label(false, 0, 3e-6), QString("--.-- dBm @ 3.000us"));
    // Right of the cursor, unless 1.75 label widths would pass the right edge.
    QCOMPARE(profile_cursors::label_left(10, 20), 11.0);
    QCOMPARE(profile_cursors::label_left(164, 20), 165.0);
    QCOMPARE(profile_cursors::label_left(165, 20), 168.0);
}

void PulseRulesTest::dragging()
{
    QCOMPARE(profile_cursors::hit_target(20.6, {20, 60}), 1);
    QCOMPARE(profile_cursors::hit_target(58.6, {20, 60}), 2);
    QCOMPARE(profile_cursors::hit_target(40, {20, 60}), 0);
    QCOMPARE(profile_cursors::hit_target(60, {60, 60}), 1);  // cursor 1 first when both are there
    struct Case {
        int target;
        double x;
        Pair from;
        bool linked;
        Pair expected;
    };
    const Case cases[] = {
        {1, 30.4, {20, 60}, false, {30, 60}},
        {2, 80.5, {20, 60}, false, {20, 80}},    // halves to even
        {1, -5, {20, 60}, false, {1, 60}},       // cursor 1 stops at 1
        {1, -5, {5, 4}, true, {1, 0}},           // ... while the linked cursor 2 reaches 0
        {2, 250, {150, 190}, true, {159, 199}},
        {1, 190, {150, 190}, true, {190, 199}},  // the linked cursor stays on the trace
        {0, 100, {20, 60}, true, {20, 60}},      // a drag away from both cursors moves nothing
    };
    for (const Case& c : cases)
        QCOMPARE(profile_cursors::dragged(c.target, c.x, c.from, c.linked), c.expected);
}

void PulseRulesTest::steps()
{
    QCOMPARE(profile_cursors::step_threshold("10"), 10240.0);
    QCOMPARE(profile_cursors::step_threshold("12.5 dB"), 12800.0);  // its leading number
    QCOMPARE(profile_cursors::step_threshold("many"), 0.0);
    // Steps of 20 dB at 50/51 (up) and 60/61 (down).
    const Trace t = pulses(1, 51, 0, 10, 0, -20);
    const double ten = 10240;
    struct Case {
        Pair from;
        int which;
        bool rightwards;
        bool linked;
        Pair expected;
    };
    const Case cases[] = {
        {{10, 100}, 1, true, false, {50, 100}},   // point 51 - point 50 is the step
        {{10, 100}, 2, false, false, {10, 61}},   // point 60 - point 61
        {{10, 30}, 1, true, true, {50, 70}},      // the linked cursor keeps the distance
        {{10, 190}, 1, true, true, {50, 199}},    // ... and stays on the trace
        {{70, 100}, 1, true, false, {70, 100}},   // no step: neither moves
        {{198, 5}, 1, true, false, {198, 5}},     // nothing beyond 198 to scan
    };
    for (const Case& c : cases)
        QCOMPARE(profile_cursors::stepped(t.data(), c.from, c.which, c.rightwards, ten, c.linked), c.expected);
    // The scans end at 198 rightwards and at 1 leftwards.
    Trace edge = flat(-20);
    edge[199] = 0;
    edge[0] = 0;
    QCOMPARE(profile_cursors::find_step(edge.data(), 150, true, ten), std::optional<int>(198));
    QCOMPARE(profile_cursors::find_step(edge.data(), 50, false, ten), std::optional<int>(1));
}

void PulseRulesTest::centring_and_zooms()
{
    using profile_cursors::Delays;
    const auto same = [](const Delays& a, const Delays& b) {
        return std::abs(a.display_delay_ms - b.display_delay_ms) < 1e-9 &&
               std::abs(a.sample_delay_ms - b.sample_delay_ms) < 1e-9 && std::abs(a.span_ms - b.span_ms) < 1e-9;
    };
    // Centring: the gate edge in the middle of the span; the gate stays, no delay below 0.
    QVERIFY(same(profile_cursors::centred(0, 20, 3, 1, 10), {18, 5, 10}));
    QVERIFY(same(profile_cursors::centred(1, 20, 3, 1, 10), {19, 4, 10}));
    QVERIFY(same(profile_cursors::centred(0, 0, 3, 1, 10), {0, 3, 10}));
    QVERIFY(same(profile_cursors::centred(1, 10, 3, 8, 10), {13, 0, 10}));  // a gate longer than half the span
    // Zoom to the gate.
    QVERIFY(same(*profile_cursors::zoomed_in(2, 3, 1), {5, 0, 1}));
    QVERIFY(!profile_cursors::zoomed_in(2, 3, 0));
    // Zoom out: the span doubles, the display starts half a span earlier but not before 0, the gate stays.
    QVERIFY(same(*profile_cursors::zoomed_out(8, 3, 10), {3, 8, 20}));
    QVERIFY(same(*profile_cursors::zoomed_out(2, 3, 10), {0, 5, 20}));
    QVERIFY(same(*profile_cursors::zoomed_out(0, 0, 3500), {0, 0, 7000}));
    QVERIFY(!profile_cursors::zoomed_out(0, 0, 3500.5));
}

void PulseRulesTest::cursor_drawing()
{
    Canvas canvas;
    canvas.set_draw_style(Canvas::DrawStyle::Dot);
    profile_cursors::draw(canvas, {20, 60}, true, 20 * 1024, -50 * 1024);
    const auto& ops = canvas.ops();
    QCOMPARE(int(ops.size()), 5);
    QCOMPARE(ops[0].style, Canvas::DrawStyle::Dash);
    QCOMPARE(ops[0].x1, 20.0);
    QCOMPARE(ops[0].y1, -50.0 * 1024);
    QCOMPARE(ops[0].y2, 20.0 * 1024);
    QCOMPARE(ops[1].x1, 60.0);
    // The link line 5 % of the height below the top, solid, a dot at each end.
    QCOMPARE(ops[2].style, Canvas::DrawStyle::Solid);
    QCOMPARE(ops[2].y1, 20.0 * 1024 - 70 * 1024 * 0.05);
    QCOMPARE(ops[3].kind, Canvas::Op::Circle);
    QCOMPARE(ops[4].x1, 60.0);
    QCOMPARE(canvas.draw_style(), Canvas::DrawStyle::Dot);
}

void PulseRulesTest::which_traces_hold_one_pulse()
{
    using pulse_analysis::check_one_pulse;
    const auto found = [](const Trace& t, int c1, int c2, bool quick) {
        const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
        return check_one_pulse(t.data(), c1, c2, *lo, *hi, quick).found;
    };
    QVERIFY(found(pulses(1, 50, 0, 4), 40, 70, true));
    QVERIFY(!found(pulses(2, 50, 20, 4), 40, 90, true));            // two between the cursors
    QVERIFY(!found(pulses(2, 50, 20, 4), 40, 72, true));            // one, then the start of a second
    QVERIFY(!found(pulses(1, 50, 0, 1), 40, 70, true));             // one point wide
    QVERIFY(found(pulses(1, 50, 0, 2), 40, 70, true));              // two points wide
    QVERIFY(!found(pulses(1, 50, 0, 4, -30, -39.9), 40, 70, true));  // under 10 dB between the extremes
    QVERIFY(!found(flat(-20), 0, 199, true));
    // High at the lower cursor: refused by the quick check, found without it.
    const Trace early = pulses(2, 0, 100, 10);
    QVERIFY(!found(early, 5, 150, true));
    QVERIFY(found(early, 5, 150, false));
    // A pulse touching either end of the trace is no complete pulse.
    QVERIFY(!found(pulses(1, 190, 0, 10), 150, 199, false));
    QVERIFY(!found(pulses(1, 0, 0, 10), 0, 50, false));
    const auto one = check_one_pulse(pulses(3, 20, 50, 5).data(), 0, 199, -40 * 1024, 0, false);
    QCOMPARE(one.count, 3);
    QCOMPARE(one.rise, 20);
    QCOMPARE(one.fall, 25);
}

void PulseRulesTest::analysis_of_closed_form_traces()
{
    // 5 pulses of 4 points at 0 dBm over -40 dBm, 5 ms across the graph (0.025 ms a point). Pulse power
    // over points 9..13 (one off, four on) divided by 4; average power over points 10..50 (five on)
    // divided by 40: 10 log10((5 + 36e-4) / 40).
    QCOMPARE(all(analysed(pulses(5, 10, 40, 4), 5, 30, 5)),
             QStringList({"0.000", "-40.000", "0.0200", "0.0200", "0.100", "0.000", "0.000", "1.0000", "1.00KHz",
                          "10.00%", "0.9000", "-9.028"}));
    // A trapezoid in dB, corners on sample instants: up 10 dB a point from -40 at 20 to 0 at 24, down
    // from 0 at 40 to -40 at 44; 10 ms across (0.05 ms a point). Proximal -36 dBm crossed at 20.4 and
    // 43.6, mesial -20 at 22 and 42, distal -4 at 23.6 and 40.4. Pulse power over 23..40 (-10 dBm and
    // 17 points at 0) divided by 17: 10 log10(17.1 / 17). One edge only: no repetition.
    Trace trapezoid = flat(-40);
    for (int i = 21; i <= 43; ++i)
        trapezoid[std::size_t(i)] = float(std::min({0.0, -40.0 + 10 * (i - 20), -40.0 + 10 * (44 - i)}) * 1024);
    QCOMPARE(all(analysed(trapezoid, 10, 60, 10)),
             QStringList({"0.000", "-40.000", "0.1600", "0.1600", "1.000", "0.025", "0.000", "N/A", "N/A", "N/A",
                          "N/A", "N/A"}));
    // The right cursor on 199: the last crossing searched lies between 198 and 199.
    const pulse_analysis::Texts last = analysed(pulses(1, 150, 0, 49), 100, 199, 10);
    QCOMPARE(last.width, QString("2.450"));
    // No single pulse: nothing to show.
    QCOMPARE(all(analysed(pulses(2, 50, 20, 4), 40, 90, 5)), all(pulse_analysis::not_available()));
    QCOMPARE(all(analysed(flat(-30), 0, 199, 5)).count("N/A"), 12);
    // Noise of +-0.5 dB on top and base moves the figures only a little.
    Trace noisy = pulses(5, 10, 40, 4);
    for (std::size_t i = 0; i < noisy.size(); ++i)
        noisy[i] += float(512 * std::sin(double(i) * 2.3));
    const pulse_analysis::Texts n = analysed(noisy, 5, 30, 5);
    QVERIFY(std::abs(n.width.toDouble() - 0.1) < 0.002);
    QVERIFY(std::abs(n.rise_time.toDouble() - 0.02) < 0.001);
    QCOMPARE(n.repetition, QString("1.0000"));
    QCOMPARE(n.frequency, QString("1.00KHz"));
}

void PulseRulesTest::analysis_with_missing_inputs_shows_not_available()
{
    // The cursors hold only the rise of a pulse: no fall, no width, no pulse power, and without a width
    // neither duty cycle nor off time; the repetition still comes from the whole trace.
    const Trace t = pulses(5, 10, 40, 4);
    pulse_analysis::Input in = input(t, 5, 11, 0, -40, 5);
    const pulse_analysis::Texts r = pulse_analysis::texts(pulse_analysis::analyse(in));
    QCOMPARE(r.rise_time, QString("0.0200"));
    for (const QString& v : {r.fall_time, r.width, r.pulse_power, r.duty_cycle, r.off_time})
        QCOMPARE(v, QString("N/A"));
    QCOMPARE(r.repetition, QString("1.0000"));
    QCOMPARE(r.frequency, QString("1.00KHz"));
    // Edges 1 point apart over a span so short that the period shows as 0.0000: no division by zero.
    Trace comb = flat(-40);
    for (int i = 0; i < 200; i += 2)
        comb[std::size_t(i)] = 0;
    in.trace = comb.data();
    in.span_ms = 0.001;
    const pulse_analysis::Texts z = pulse_analysis::texts(pulse_analysis::analyse(in));
    for (const QString& v : {z.repetition, z.frequency, z.duty_cycle, z.off_time})
        QCOMPARE(v, QString("N/A"));
}

void PulseRulesTest::analysis_never_overflows()
{
    const Trace t = pulses(2, 20, 100, 10, 1.9e6, -40);
    const pulse_analysis::Input in = input(t, 10, 60, 1.9e6, -40, 10);
    const pulse_analysis::Result r = pulse_analysis::analyse(in);
    QVERIFY(r.pulse_power && std::isfinite(*r.pulse_power) && std::abs(*r.pulse_power - 1.9e6) < 1e-3);
    QVERIFY(r.average_power && std::isfinite(*r.average_power));
}

void PulseRulesTest::auto_cursors_gate()
{
    const auto gate = [](const Trace& t) {
        const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
        const pulse_analysis::Gate g = pulse_analysis::auto_gate(t.data(), *lo, *hi);
        return std::pair{g.first, g.last};
    };
    QCOMPARE(gate(pulses(3, 50, 50, 5)), std::pair(40, 65));
    QCOMPARE(gate(pulses(1, 5, 0, 5)), std::pair(0, 20));
    QCOMPARE(gate(pulses(1, 180, 0, 15)), std::pair(170, 199));
    QCOMPARE(gate(flat(-20)), std::pair(0, 10));  // no pulse
}

void PulseRulesTest::level_lines()
{
    const Trace t = pulses(5, 10, 40, 4);
    const pulse_analysis::Input in = input(t, 5, 30, 0, -40, 5);
    Canvas canvas;
    pulse_analysis::draw_lines(canvas, pulse_analysis::analyse(in), 5);
    const auto& ops = canvas.ops();
    // Top and base across the plot, three level lines, six verticals; all dotted, style put back.
    QCOMPARE(int(ops.size()), 2 + 3 + 6);
    for (const Canvas::Op& op : ops)
        QCOMPARE(op.style, Canvas::DrawStyle::Dot);
    QCOMPARE(canvas.draw_style(), Canvas::DrawStyle::Solid);
    QCOMPARE(ops[0].x2, 200.0);
    QCOMPARE(ops[1].y1, -40.0 * 1024);
    // The proximal line (-36 dBm) from its rise (9.1) 5 points out to its fall (13.9) 5 points out.
    QCOMPARE(ops[2].y1, -36.0 * 1024);
    QVERIFY(std::abs(ops[2].x1 - 4.1) < 1e-9 && std::abs(ops[2].x2 - 18.9) < 1e-9);
    QCOMPARE(ops[3].kind, Canvas::Op::Line);
    QCOMPARE(ops[3].y1, -40.0 * 1024);
    QCOMPARE(ops[3].y2, 0.0);
}

void PulseRulesTest::pulse_definition_limits()
{
    struct Case {
        double d, m, p;
        const char* error;
    };
    const Case cases[] = {
        {90, 50, 10, nullptr},
        {95, 5, 1, nullptr},
        {50, 50, 10, "Invalid values\r\nDistal > Mesial > Proximal"},
        {90, 50, 60, "Invalid values\r\nDistal > Mesial > Proximal"},
        {96, 50, 10, "Values must be between 5 and 95 %"},
        {90, 4.9, 1, "Values must be between 5 and 95 %"},
        {90, 50, 0.5, "Values must be between 1 and 99 %"},
        {0, 50, 10, "Values must be between 5 and 95 %"},  // a text that is no number
    };
    for (const Case& c : cases) {
        const auto error = pulse_analysis::definition_error(c.d, c.m, c.p);
        QCOMPARE(error.value_or(QString()), c.error ? QString(c.error) : QString());
    }
}

void PulseRulesTest::automatic_set_up_counts_pulses()
{
    struct Case {
        Trace trace;
        int transitions;
        bool accepted;
    };
    const Case cases[] = {
        {pulses(4, 10, 40, 4), 4, false},
        {pulses(5, 10, 40, 4), 5, true},
        {pulses(9, 10, 20, 4), 9, true},
        {pulses(10, 10, 19, 4), 10, false},
        {pulses(5, 0, 40, 4), 4, false},  // starting high: the first pulse counts only after a low point
        {flat(-20), 0, false},
    };
    for (const Case& c : cases) {
        const auto [lo, hi] = std::minmax_element(c.trace.begin(), c.trace.end());
        const int n = auto_setup::transitions(c.trace.data(), *lo, *hi);
        QCOMPARE(n, c.transitions);
        QCOMPARE(auto_setup::accepted(n), c.accepted);
    }
    QCOMPARE(auto_setup::kSpansMs.front(), 0.2f);
    QCOMPARE(auto_setup::kSpansMs.back(), 500.0f);
}

QTEST_MAIN(PulseRulesTest)
#include "test_pulse_rules.moc"
