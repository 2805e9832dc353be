#include "stats/amplitude_histogram.h"

#include <cmath>
#include <limits>

namespace stats {

long long round_even(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = double(std::numeric_limits<long long>::min());
    constexpr double hi = 9.2233720368547748e18;  // below 2^63, representable
    if (v <= lo)
        return std::numeric_limits<long long>::min();
    if (v >= hi)
        return std::numeric_limits<long long>::max();
    const double f = std::floor(v);
    const double d = v - f;
    long long r = static_cast<long long>(f);
    if (d > 0.5 || (d == 0.5 && (r & 1) != 0))
        ++r;
    return r;
}

int clamp_bucket(long long index)
{
    return index < 0 ? 0 : index > kLastBucket ? kLastBucket : int(index);
}

int clamp_bucket(double index)
{
    return clamp_bucket(round_even(index));
}

int bucket_of(float value_dbm, float bucket_size)
{
    const float diff = kScaleTopDbm - value_dbm;
    return clamp_bucket(round_even(double(diff) / double(bucket_size)));
}

float bucket_power(int index, float bucket_size)
{
    return kScaleTopDbm - float(index) * bucket_size;
}

float running_mean(float mean, qint64 n, double sum, qint64 k)
{
    if (n + k <= 0)
        return mean;
    return float((sum + double(mean) * double(n)) / double(n + k));
}

void Histogram::set_bucket_size(float size)
{
    bucket_size_ = size;
    clear();
}

void Histogram::clear()
{
    counts_.fill(0);
    total_ = 0;
}

qint64 Histogram::sum(int first, int last) const
{
    first = first < 0 ? 0 : first;
    last = last > kLastBucket ? kLastBucket : last;
    qint64 s = 0;
    for (int i = first; i <= last; ++i)
        s += counts_[std::size_t(i)];
    return s;
}

int Histogram::fullest(int first, int last) const
{
    first = first < 0 ? 0 : first;
    last = last > kLastBucket ? kLastBucket : last;
    int best = -1;
    qint64 best_count = 0;
    for (int i = first; i <= last; ++i) {
        if (counts_[std::size_t(i)] > best_count) {
            best_count = counts_[std::size_t(i)];
            best = i;
        }
    }
    return best;
}

}  // namespace stats
