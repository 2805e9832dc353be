#include "profile/pulse_analysis.h"

#include "platform/canvas.h"
#include "util/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace pulse_analysis {
namespace {

const QString kPower = QStringLiteral("##0.000");
const QString kTime = QStringLiteral("#0.0000");
const QString kWidth = QStringLiteral("###0.000");

// A number as its control shows it, read back: later figures are worked out from what is shown.
double shown(double v, const QString& pattern) { return numtext::val(numtext::format(v, pattern)); }

// 10 log10 of the mean of the points' powers over first..last, the sum divided by divisor. Summed
// relative to the largest point, so that no point's power overflows.
double power_mean_dbm(const float* trace, int first, int last, double divisor)
{
    const double top = *std::max_element(trace + first, trace + last + 1);
    double sum = 0;
    for (int i = first; i <= last; ++i)
        sum += std::pow(10.0, (double(trace[i]) - top) / 10240.0);
    return top / 1024.0 + 10.0 * std::log10(sum / divisor);
}

struct Crossings {
    std::optional<Crossing> rising, falling;
};

// The last rising and the last falling crossing of level between points lo and hi (hi at most 198).
Crossings crossings_of(const float* trace, int lo, int hi, float level, double ms_per_point)
{
    Crossings c;
    for (int i = lo; i <= hi; ++i) {
        const float a = trace[i];
        const float b = trace[i + 1];
        const bool up = a <= level && b > level;
        const bool down = a > level && b <= level;
        if (!up && !down)
            continue;
        const Crossing x{(i + (double(level) - a) / (double(b) - a)) * ms_per_point, i};
        (up ? c.rising : c.falling) = x;
    }
    return c;
}

std::optional<double> difference(const std::optional<Crossing>& later, const std::optional<Crossing>& earlier)
{
    if (!later || !earlier)
        return std::nullopt;
    return later->time_ms - earlier->time_ms;
}

QString text_or_na(const std::optional<double>& v, const QString& pattern)
{
    return v ? numtext::format(*v, pattern) : kNotAvailable;
}

void repetition(const Input& in, Result& r)
{
    std::vector<int> edges;
    bool armed = false;
    const double low = r.proximal_dbm * 1024;
    const double high = r.distal_dbm * 1024;
    for (int i = 0; i < kPoints; ++i) {
        if (in.trace[i] < low)
            armed = true;
        else if (armed && in.trace[i] > high) {
            edges.push_back(i);
            armed = false;
        }
    }
    if (edges.size() < 2)
        return;
    r.average_power = power_mean_dbm(in.trace, edges[0], edges[1], edges[1] - edges[0]);
    const double spacing = double(edges.back() - edges.front()) / double(edges.size() - 1);
    const double period = shown(spacing * in.span_ms / kPoints, kTime);
    if (period <= 0)
        return;
    r.repetition = period;
    r.frequency_khz = 1.0 / period;
    if (r.width) {
        const double width = shown(*r.width, kWidth);
        r.duty = width / period;
        r.off_time = period - width;
    }
}

}  // namespace

OnePulse check_one_pulse(const float* trace, int cursor_a, int cursor_b, float level_min, float level_max,
                         bool quick_check)
{
    OnePulse out;
    const int lo = std::clamp(std::min(cursor_a, cursor_b), 0, kPoints - 1);
    const int hi = std::clamp(std::max(cursor_a, cursor_b), 0, kPoints - 1);
    const float level = level_min + (level_max - level_min) / 2;
    if (quick_check && trace[lo] > level)
        return out;
    if (std::abs(double(level_max) - level_min) < 10240)
        return out;
    bool seeking_fall = false;
    bool low = false, high = false;
    int r = 0;
    for (int i = lo; i <= hi; ++i) {
        const bool above = trace[i] > level;
        if (!seeking_fall) {
            if (!above && !high)
                low = true;
            if (above && low)
                high = true;
            if (low && high) {
                r = i;
                low = false;
                seeking_fall = true;
            }
        } else {
            if (!above && high)
                low = true;
            if (low && high) {
                low = high = false;
                seeking_fall = false;
                if (i - r >= 2) {
                    ++out.count;
                    if (out.rise == 0) {
                        out.rise = r;
                        out.fall = i;
                    }
                }
            }
        }
    }
    out.found = out.count == 1 && !high;
    return out;
}

std::optional<QString> definition_error(double d, double m, double p)
{
    const QString five_to_95 = QStringLiteral("Values must be between 5 and 95 %");
    if (!(d >= 5 && d <= 95) || !(m >= 5 && m <= 95))
        return five_to_95;
    if (!(p >= 1 && p <= 99))
        return QStringLiteral("Values must be between 1 and 99 %");
    if (!(d > m && m > p))
        return QStringLiteral("Invalid values\r\nDistal > Mesial > Proximal");
    return std::nullopt;
}

Result analyse(const Input& in)
{
    Result r;
    const float span = std::abs(in.pulse_top - in.pulse_bottom);
    r.distal_level = in.pulse_bottom + span * float(in.fractions.distal);
    r.mesial_level = in.pulse_bottom + span * float(in.fractions.mesial);
    r.proximal_level = in.pulse_bottom + span * float(in.fractions.proximal);
    r.distal_dbm = shown(r.distal_level / 1024.0, kPower);
    r.mesial_dbm = shown(r.mesial_level / 1024.0, kPower);
    r.proximal_dbm = shown(r.proximal_level / 1024.0, kPower);
    r.top_dbm = in.pulse_top / 1024.0;
    r.base_dbm = in.pulse_bottom / 1024.0;

    const int lo = std::clamp(std::min(in.cursor_a, in.cursor_b), 0, kPoints - 1);
    const int hi = std::min(std::clamp(std::max(in.cursor_a, in.cursor_b), 0, kPoints - 1), kPoints - 2);
    const double ms_per_point = in.span_ms / kPoints;
    const Crossings proximal = crossings_of(in.trace, lo, hi, r.proximal_level, ms_per_point);
    const Crossings mesial = crossings_of(in.trace, lo, hi, r.mesial_level, ms_per_point);
    const Crossings distal = crossings_of(in.trace, lo, hi, r.distal_level, ms_per_point);
    r.rise_proximal = proximal.rising;
    r.rise_mesial = mesial.rising;
    r.rise_distal = distal.rising;
    r.fall_proximal = proximal.falling;
    r.fall_mesial = mesial.falling;
    r.fall_distal = distal.falling;

    r.rise_time = difference(r.rise_distal, r.rise_proximal);
    r.fall_time = difference(r.fall_proximal, r.fall_distal);
    r.width = difference(r.fall_mesial, r.rise_mesial);
    if (r.width && !(*r.width > 0))
        r.width.reset();
    if (r.rise_distal && r.fall_distal && r.fall_distal->index > r.rise_distal->index) {
        const int d1 = r.rise_distal->index;
        const int d2 = r.fall_distal->index;
        r.pulse_power = power_mean_dbm(in.trace, d1, d2, d2 - d1);
    }
    r.overshoot = in.peak_power_dbm - in.pulse_top / 1024.0;
    repetition(in, r);
    return r;
}

Texts texts(const Result& r)
{
    Texts t;
    t.top_line = numtext::format(r.top_dbm, kPower);
    t.bottom_line = numtext::format(r.base_dbm, kPower);
    t.rise_time = text_or_na(r.rise_time, kTime);
    t.fall_time = text_or_na(r.fall_time, kTime);
    t.width = text_or_na(r.width, kWidth);
    t.pulse_power = text_or_na(r.pulse_power, kPower);
    t.overshoot = text_or_na(r.overshoot, kPower);
    t.repetition = text_or_na(r.repetition, kTime);
    t.frequency = text_or_na(r.frequency_khz, QStringLiteral("###0.00KHz"));
    t.duty_cycle = text_or_na(r.duty, QStringLiteral("#0.00%"));
    t.off_time = text_or_na(r.off_time, kTime);
    t.average_power = text_or_na(r.average_power, kPower);
    return t;
}

Texts not_available()
{
    Texts t;
    for (QString* s : {&t.top_line, &t.bottom_line, &t.rise_time, &t.fall_time, &t.width, &t.pulse_power,
                       &t.overshoot, &t.repetition, &t.frequency, &t.duty_cycle, &t.off_time, &t.average_power})
        *s = kNotAvailable;
    return t;
}

QString hint_text()
{
    return QStringLiteral("Pulse information is not availible. Please Check:-\r\n\r\n"
                          "1) Trigger source is set on Power Meter\r\n"
                          "2) 1 pulse is inbetween cursors\r\n"
                          "3) Pulse is over 3 pixels wide on display");
}

Gate auto_gate(const float* trace, float level_min, float level_max)
{
    const OnePulse p = check_one_pulse(trace, 0, kPoints - 1, level_min, level_max, false);
    return {std::max(0, p.rise - 10), std::min(kPoints - 1, p.fall + 10)};
}

void draw_lines(Canvas& canvas, const Result& r, double span_ms)
{
    if (!(span_ms > 0))
        return;
    const auto x_of = [&](const std::optional<Crossing>& c, double shift) -> std::optional<double> {
        if (!c)
            return std::nullopt;
        return c->time_ms * kPoints / span_ms + shift;
    };
    const double top = numtext::val(numtext::format(r.top_dbm, kPower)) * 1024;
    const double base = numtext::val(numtext::format(r.base_dbm, kPower)) * 1024;
    const Canvas::DrawStyle style = canvas.draw_style();
    canvas.set_draw_style(Canvas::DrawStyle::Dot);
    canvas.line(0, top, kPoints, top, kLevelColor);
    canvas.line(0, base, kPoints, base, kLevelColor);
    const std::array<std::pair<std::optional<double>, std::optional<double>>, 3> levels{{
        {x_of(r.rise_proximal, -5), x_of(r.fall_proximal, 5)},
        {x_of(r.rise_mesial, -5), x_of(r.fall_mesial, 5)},
        {x_of(r.rise_distal, -5), x_of(r.fall_distal, 5)},
    }};
    const std::array<double, 3> dbm{r.proximal_dbm, r.mesial_dbm, r.distal_dbm};
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const auto& [rise, fall] = levels[k];
        if (rise && fall)
            canvas.line(*rise, dbm[k] * 1024, *fall, dbm[k] * 1024, kLevelColor);
        for (const auto& x : {rise, fall})
            if (x)
                canvas.line(*x, base, *x, top, kEdgeColor);
    }
    canvas.set_draw_style(style);
}

}  // namespace pulse_analysis
