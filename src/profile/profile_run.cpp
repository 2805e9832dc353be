#include "profile/profile_run.h"

#include "util/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace profile_run {

std::optional<RateTexts> rate_texts(qint64 elapsed_us)
{
    if (elapsed_us <= 0)
        return std::nullopt;
    RateTexts r;
    r.graphs_per_second = numtext::format(1.0e6 / double(elapsed_us), QStringLiteral("###0.00"));
    r.readings_per_second = numtext::format(numtext::val(r.graphs_per_second) * 200.0, QStringLiteral("####0"));
    return r;
}

void MinMaxTracker::add(float trace_min, float trace_max)
{
    const auto whole = [](float v) { return qint64(std::nearbyint(double(v))); };
    if (trace_min < min_)
        min_ = whole(trace_min);
    if (trace_max > max_)
        max_ = whole(trace_max);
}

QString MinMaxTracker::label_text() const
{
    return QStringLiteral("Min: ") + numtext::format(double(min_) / 1024.0, QStringLiteral("##0.000dBm")) +
           QStringLiteral("       Max: ") + numtext::format(double(max_) / 1024.0, QStringLiteral("##0.000dBm"));
}

std::optional<SensorNeed> sensor_needed(int channel_index)
{
    switch (channel_index) {
    case 0: return SensorNeed{QStringLiteral("A"), QStringLiteral("Measure A")};
    case 1: return SensorNeed{QStringLiteral("B"), QStringLiteral("Measure B")};
    case 2: return SensorNeed{QStringLiteral("A"), QStringLiteral("Measure A-B")};
    case 3: return SensorNeed{QStringLiteral("A"), QStringLiteral("Measure B-A")};
    default: return std::nullopt;
    }
}

QString missing_sensor_text(const SensorNeed& need)
{
    return QStringLiteral("Trying to ") + need.measurement + QStringLiteral("\r\nPlease connect a sensor to input ") +
           need.sensor + QStringLiteral(".");
}

PulseLevels top_bottom(const float* trace, int cursor_a, int cursor_b, float level_min, float level_max)
{
    constexpr double top_band = 5120.0, top_step = 20.48;
    constexpr int top_buckets = 250;
    constexpr double bottom_band = 13312.0, bottom_step = 266.24;
    constexpr int bottom_buckets = 50;
    std::array<int, top_buckets + 1> top_hist{};
    std::array<int, bottom_buckets + 1> bottom_hist{};
    const double lmin = level_min, lmax = level_max;
    const double split = lmin + (lmax - lmin) / 2.0;
    const int lo = std::clamp(std::min(cursor_a, cursor_b), 0, 199);
    const int hi = std::clamp(std::max(cursor_a, cursor_b), 0, 199);
    // Rounds to nearest with halves to even (the default rounding mode).
    const auto bucket = [](double x, int last) { return int(std::clamp(std::nearbyint(x), 0.0, double(last))); };
    for (int i = lo; i <= hi; ++i) {
        const double v = trace[i];
        if (v >= lmax - top_band && v >= split)
            ++top_hist[std::size_t(bucket((lmax - v) / top_step, top_buckets))];
        else if (v <= lmin + bottom_band)
            ++bottom_hist[std::size_t(bucket((v - lmin) / bottom_step, bottom_buckets))];
    }
    const auto fullest = [](const auto& hist) {
        int best = 0, best_count = 0;
        for (int i = 0; i < int(hist.size()); ++i) {
            if (hist[std::size_t(i)] >= best_count) {
                best_count = hist[std::size_t(i)];
                best = i;
            }
        }
        // An empty histogram gives bucket 0.
        return best_count == 0 ? 0 : best;
    };
    PulseLevels r;
    r.top = float(lmax - fullest(top_hist) * top_step);
    r.bottom = float(lmin + fullest(bottom_hist) * bottom_step);
    return r;
}

}  // namespace profile_run
