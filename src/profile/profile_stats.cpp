#include "profile/profile_stats.h"

#include "stats/stats_graph.h"
#include "util/number_text.h"

namespace profile_stats {

void ProfileStats::add_trace(const float* points, int count, float trace_max, qint64 now_us)
{
    if (count <= 0)
        return;
    if (!start_us_)
        start_us_ = now_us;
    float sum = 0;
    for (int k = 0; k < count; ++k) {
        const float value = points[k] / 1024.0f;
        histogram.add(value);
        sum += value;
    }
    const float m = trace_max / 1024.0f;
    if (m > stats_peak)
        stats_peak = m;
    // The count before this trace weights the earlier mean.
    stats_mean = stats::running_mean(stats_mean, sample_count() - count, sum, count);
}

void ProfileStats::restart()
{
    histogram.clear();
    stats_peak = kNoPeak;
    stats_mean = 0;
    start_us_.reset();
}

void ProfileStats::set_bucket_size(float size)
{
    histogram.set_bucket_size(size);
    restart();
}

QString ProfileStats::samples_text() const
{
    if (sample_count() == 0)
        return QStringLiteral("0");
    return numtext::format(double(sample_count()), QStringLiteral("###,###,###,###"));
}

namespace {
const QString kNotAvailable = QStringLiteral("N/A");
const QString kLevel = QStringLiteral("##0.000");
}  // namespace

QString ProfileStats::peak_text() const
{
    return sample_count() ? numtext::format_single(stats_peak, kLevel) : kNotAvailable;
}

QString ProfileStats::mean_text() const
{
    return sample_count() ? numtext::format_single(stats_mean, kLevel) : kNotAvailable;
}

QString ProfileStats::peak_to_mean_text() const
{
    return sample_count() ? numtext::format_single(stats_peak - stats_mean, kLevel) : kNotAvailable;
}

QString ProfileStats::time_text(qint64 now_us) const
{
    if (!start_us_)
        return kNotAvailable;
    return numtext::format(double(now_us - *start_us_) / 60e6, QStringLiteral("#0.00"));
}

BucketAnswer read_bucket_answer(const QString& answer)
{
    if (answer.isEmpty())
        return {};
    const auto v = stats::StatsGraph::box_number(answer);
    if (!v || *v < stats::kMinBucketSize || *v > stats::kMaxBucketSize)
        return {BucketAnswer::Refused, 0};
    return {BucketAnswer::Accepted, float(*v)};
}

QString bucket_caption(float size)
{
    return QStringLiteral("Buckets ") + numtext::format_single(size, QStringLiteral("0.0#")) + QStringLiteral("dB");
}

}  // namespace profile_stats
