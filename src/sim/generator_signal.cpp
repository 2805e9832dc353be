#include "sim/generator_signal.h"

#include "sim/sim_generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A well-mixed 64-bit value from a seed and an index (splitmix64), for the noise waveforms: the same
// instant always gives the same value, so a trace and a trigger search agree.
quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in (0, 1).
double unit(quint64 bits) { return (double(bits >> 11) + 0.5) / 9007199254740992.0; }

double frac(double x) { return x - std::floor(x); }

}  // namespace

double GeneratorSignal::pulse_db(double t) const
{
    if (!pulse_on || period_s <= 0)
        return 0.0;
    const double off = -off_ratio_db;
    const double width = std::clamp(width_s, 0.0, period_s);
    const double tau = t - std::floor(t / period_s) * period_s;
    const double rise_rate = rise_s > 0 ? off_ratio_db / rise_s : 0.0;  // dB per second
    const double fall_rate = fall_s > 0 ? off_ratio_db / fall_s : 0.0;
    // Highest level the pulse reaches: short pulses end before their rise is complete.
    const double peak = rise_s > 0 ? std::min(0.0, off + rise_rate * width) : (width > 0 ? 0.0 : off);
    if (tau < width)
        return rise_s > 0 ? std::min(0.0, off + rise_rate * tau) : 0.0;
    if (fall_s > 0)
        return std::max(off, peak - fall_rate * (tau - width));
    return off;
}

double GeneratorSignal::am_waveform_value(double t) const
{
    if (!am_on || am_rate_hz <= 0)
        return 0.0;
    const double x = am_rate_hz * t;
    const double f = frac(x);
    switch (am_waveform) {
    case 1: return std::sin(2.0 * std::numbers::pi * f);
    case 2: return f < 0.5 ? 1.0 : -1.0;
    case 3: return 2.0 * f - 1.0;
    case 4: return 1.0 - 2.0 * f;
    case 5: {
        const quint64 n = quint64(qint64(std::floor(x)));
        const quint64 a = mix(mix(seed) ^ (n * 2));
        const quint64 b = mix(mix(seed) ^ (n * 2 + 1));
        const double z = std::sqrt(-2.0 * std::log(unit(a))) * std::cos(2.0 * std::numbers::pi * unit(b));
        return std::clamp(z / 3.0, -1.0, 1.0);
    }
    case 6: {
        const quint64 n = quint64(qint64(std::floor(x)));
        return 2.0 * unit(mix(mix(seed + 7) ^ n)) - 1.0;
    }
    case 7: return 1.0 - 4.0 * std::abs(f - 0.5);
    default: return 0.0;
    }
}

double GeneratorSignal::am_db(double t) const
{
    if (!am_on || am_depth_pct <= 0 || am_rate_hz <= 0)
        return 0.0;
    const double m = std::clamp(am_depth_pct / 100.0, 0.0, 1.0);
    const double a = 1.0 + m * am_waveform_value(t);
    return 20.0 * std::log10(std::max(a, 1.0e-5));
}

double GeneratorSignal::power_dbm(double t) const
{
    if (!rf_on)
        return kNoPower;
    return level_dbm + pulse_db(t) + am_db(t);
}

double GeneratorSignal::peak_dbm(double t0, double t1) const
{
    if (!rf_on)
        return kNoPower;
    if (!(t1 > t0))
        return power_dbm(t0);
    double pulse = 0.0;
    if (pulse_on && period_s > 0) {
        const double width = std::clamp(width_s, 0.0, period_s);
        // The top: held from the end of the rise to the start of the fall (a point for short pulses).
        const double top_from = rise_s > 0 ? std::min(rise_s, width) : 0.0;
        const double top = rise_s > 0 ? std::min(0.0, -off_ratio_db + off_ratio_db / rise_s * width)
                                      : (width > 0 ? 0.0 : -off_ratio_db);
        // The last top that starts by the end of the bin; the bin reaches it unless it ends before.
        const double n = std::floor((t1 - top_from) / period_s);
        if (t1 - t0 >= period_s || n * period_s + width >= t0)
            pulse = top;
        else
            pulse = std::max(pulse_db(t0), pulse_db(t1));
    }
    double am = 0.0;
    if (am_on && am_depth_pct > 0 && am_rate_hz > 0) {
        const double m = std::clamp(am_depth_pct / 100.0, 0.0, 1.0);
        const bool periodic = am_waveform != 5 && am_waveform != 6;
        double w = -1.0;
        if (periodic && (t1 - t0) * am_rate_hz >= 1.0) {
            w = 1.0;
        } else if (!periodic) {
            // Noise holds one value a cell: the highest of the cells the bin touches.
            const double first = std::floor(t0 * am_rate_hz);
            const double last = std::floor(t1 * am_rate_hz);
            if (last - first > 4096)
                w = 1.0;
            for (double c = first; c <= last && w < 1.0; ++c)
                w = std::max(w, am_waveform_value(std::max(t0, c / am_rate_hz)));
        } else {
            for (int k = 0; k <= 64; ++k)
                w = std::max(w, am_waveform_value(t0 + (t1 - t0) * k / 64.0));
        }
        am = 20.0 * std::log10(std::max(1.0 + m * w, 1.0e-5));
    }
    return level_dbm + pulse + am;
}

double GeneratorSignal::shortest_feature_s() const
{
    double shortest = 0.0;
    const auto take = [&](double feature) {
        if (feature > 0 && (shortest == 0.0 || feature < shortest))
            shortest = feature;
    };
    if (pulse_on && period_s > 0) {
        const double width = std::clamp(width_s, 0.0, period_s);
        take(width);
        take(period_s - width);
    }
    if (am_on && am_depth_pct > 0 && am_rate_hz > 0)
        take(0.25 / am_rate_hz);
    return shortest;
}

std::optional<double> GeneratorSignal::next_sync_edge(double t, bool rising) const
{
    if (!pulse_on || period_s <= 0)
        return std::nullopt;
    const double phase = rising ? 0.0 : std::clamp(width_s, 0.0, period_s);
    double n = std::ceil((t - phase) / period_s);
    double edge = n * period_s + phase;
    if (edge < t)
        edge = (n + 1) * period_s + phase;
    return edge;
}

std::optional<double> GeneratorSignal::next_crossing(double t, double level, bool rising, double offset_db,
                                                     double horizon_s) const
{
    if (!rf_on || horizon_s < 0)
        return std::nullopt;
    const bool modulated = am_on && am_depth_pct > 0 && am_rate_hz > 0;
    const double end = t + horizon_s;

    if (!modulated) {
        if (!pulse_on || period_s <= 0 || off_ratio_db <= 0)
            return std::nullopt;  // a steady level never crosses
        // Where on a pulse the level lies, measured from the pulse's start.
        const double on = level_dbm + offset_db;
        const double off = on - off_ratio_db;
        const double width = std::clamp(width_s, 0.0, period_s);
        const double peak =
            rise_s > 0 ? std::min(on, off + off_ratio_db * width / rise_s) : (width > 0 ? on : off);
        if (level < off || level >= peak)
            return std::nullopt;
        double tau;
        if (rising) {
            tau = rise_s > 0 ? rise_s * (level - off) / off_ratio_db : 0.0;
        } else {
            tau = width + (fall_s > 0 ? fall_s * (peak - level) / off_ratio_db : 0.0);
            if (tau >= period_s)
                return std::nullopt;  // the next pulse starts before the fall gets down there
        }
        double n = std::ceil((t - tau) / period_s);
        double when = n * period_s + tau;
        if (when < t)
            when = (n + 1) * period_s + tau;
        if (when > end)
            return std::nullopt;
        return when;
    }

    // Modulated: step through the signal, then close in on the crossing.
    double step = 1.0 / am_rate_hz / 64.0;
    if (pulse_on && period_s > 0) {
        for (double feature : {rise_s, fall_s, width_s, period_s - width_s})
            if (feature > 0)
                step = std::min(step, feature / 4.0);
    }
    const bool periodic_am = am_waveform != 5 && am_waveform != 6;
    double limit = end;
    if (!pulse_on && periodic_am)
        limit = std::min(limit, t + 1.0 / am_rate_hz + 2.0 * step);  // one cycle shows every crossing
    constexpr double max_steps = 4.0e6;
    limit = std::min(limit, t + step * max_steps);

    const auto value = [&](double x) { return power_dbm(x) + offset_db; };
    const auto before = [&](double v) { return rising ? v <= level : v > level; };
    double prev_t = t;
    double prev_v = value(t);
    for (double x = t + step; x <= limit + step * 0.5; x += step) {
        const double v = value(x);
        if (before(prev_v) && !before(v)) {
            double lo = prev_t, hi = x;
            for (int i = 0; i < 64 && hi - lo > 1e-13; ++i) {
                const double mid = 0.5 * (lo + hi);
                if (before(value(mid)))
                    lo = mid;
                else
                    hi = mid;
            }
            return hi;
        }
        prev_t = x;
        prev_v = v;
    }
    return std::nullopt;
}

GeneratorSignal signal_of(const SimGenerator& generator, double rise_s, double fall_s)
{
    GeneratorSignal s;
    s.rf_on = generator.rf_on;
    s.level_dbm = generator.level_dbm;
    s.pulse_on = generator.pulse_on;
    if (generator.received(QStringLiteral("PER")))
        s.period_s = generator.number(QStringLiteral("PER"));
    if (generator.received(QStringLiteral("PW")))
        s.width_s = generator.number(QStringLiteral("PW"));
    s.rise_s = rise_s;
    s.fall_s = fall_s;
    s.am_on = generator.am_on;
    s.am_waveform = generator.am_waveform;
    s.am_depth_pct = generator.number(QStringLiteral("ADP1"));
    s.am_rate_hz = generator.number(QStringLiteral("AMR"));
    s.seed = generator.bench().seed;
    return s;
}
