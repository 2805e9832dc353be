#pragma once
#include <QString>
#include <QtGlobal>
#include <optional>

// Rules of the profile window's acquisition, apart from the window.
namespace profile_run {

// Request and read of one pass.
constexpr int kBlockBytes = 811;
constexpr int kReplyBufferSize = 1600;
// A run once makes this many passes, good blocks or not.
constexpr int kRunOncePasses = 3;

// The rate figures of a pass that took elapsed_us: graphs per second Format(1 / t, "###0.00") and readings
// per second Format(value of that text x 200, "####0"). Nothing when the pass took no measurable time
// (the labels then keep their figures).
struct RateTexts {
    QString graphs_per_second;
    QString readings_per_second;
};
std::optional<RateTexts> rate_texts(qint64 elapsed_us);

// Lowest and highest trace levels since the last reset, in 1/1024 dB. Kept in 64 bits: any 32-bit trace
// value, once rounded, fits.
class MinMaxTracker {
public:
    static constexpr qint64 kStartMin = 204800;    // +200 dBm
    static constexpr qint64 kStartMax = -204800;   // -200 dBm
    void reset()
    {
        min_ = kStartMin;
        max_ = kStartMax;
    }
    void add(float trace_min, float trace_max);
    qint64 min() const { return min_; }
    qint64 max() const { return max_; }
    // "Min: -12.345dBm       Max: 3.000dBm"
    QString label_text() const;

private:
    qint64 min_ = kStartMin;
    qint64 max_ = kStartMax;
};

// The sensor a channel configuration needs before a run (by list index: 0 A, 1 B, 2 A-B, 3 B-A; the
// difference configurations need only A), and the measurement's name for the box; nothing for another
// index.
struct SensorNeed {
    QString sensor;
    QString measurement;
};
std::optional<SensorNeed> sensor_needed(int channel_index);
// "Trying to Measure B" CR LF "Please connect a sensor to input B."
QString missing_sensor_text(const SensorNeed& need);

// Pulse top and base between two point indices, in 1/1024 dB: the fullest bucket of a 0.02 dB histogram of
// the points within 5 dB below the highest level (and above the middle), and of a 0.26 dB histogram of the
// points within 13 dB above the lowest; among equal counts the higher bucket wins.
struct PulseLevels {
    float top = 0;
    float bottom = 0;
};
PulseLevels top_bottom(const float* trace, int cursor_a, int cursor_b, float level_min, float level_max);

}  // namespace profile_run
