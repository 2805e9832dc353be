#pragma once
#include "stats/amplitude_histogram.h"

#include <QString>
#include <optional>

// The profile window's amplitude statistics: every point of each collected trace goes into the histogram,
// with the sample count, the highest trace maximum, the mean level and the collection time.
namespace profile_stats {

inline constexpr float kNoPeak = -102400.0f;
inline constexpr float kDefaultBucketSize = 0.1f;

class ProfileStats {
public:
    stats::Histogram histogram{kDefaultBucketSize};
    float stats_peak = kNoPeak;
    float stats_mean = 0;

    qint64 sample_count() const { return histogram.total(); }
    // Adds one trace (points in 1/1024 dB; trace_max its highest point as the decoding found it). The
    // collection clock (monotonic, in microseconds) starts with the first trace after a restart.
    void add_trace(const float* points, int count, float trace_max, qint64 now_us);
    // Empties the statistics and stops the clock.
    void restart();
    // A new bucket size (which empties the statistics).
    void set_bucket_size(float size);
    bool clock_running() const { return start_us_.has_value(); }

    // The label texts: "0" / "N/A" until a trace has been added.
    QString samples_text() const;
    QString peak_text() const;
    QString mean_text() const;
    QString peak_to_mean_text() const;
    // Minutes since the clock started, "#0.00".
    QString time_text(qint64 now_us) const;

private:
    std::optional<qint64> start_us_;
};

// The answer to "Enter new bucket size": nothing (empty: leave everything), a size, or a refusal.
struct BucketAnswer {
    enum Kind { Empty, Refused, Accepted } kind = Empty;
    float size = 0;
};
BucketAnswer read_bucket_answer(const QString& answer);
// "Buckets 0.05dB".
QString bucket_caption(float size);

}  // namespace profile_stats
