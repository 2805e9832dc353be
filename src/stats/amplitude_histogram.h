#pragma once
#include <QtGlobal>
#include <array>

// The amplitude histogram the statistics windows share: 7001 power buckets, bucket i standing for
// 20 - i x bucket size dBm (power falls as the index rises).
namespace stats {

inline constexpr int kBucketCount = 7001;
inline constexpr int kLastBucket = kBucketCount - 1;
inline constexpr float kScaleTopDbm = 20.0f;
inline constexpr float kMinBucketSize = 0.01f;
inline constexpr float kMaxBucketSize = 1.0f;

// Nearest whole number, halves to the even neighbour (20.5 gives 20, 21.5 gives 22), whatever the
// floating-point rounding mode. Clamped to the long long range; NaN gives 0.
long long round_even(double v);
// Into 0..7000.
int clamp_bucket(long long index);
int clamp_bucket(double index);
// The bucket of a reading: round((20 - value) / size), the difference taken in single precision and the
// quotient in double, clamped.
int bucket_of(float value_dbm, float bucket_size);
// The power a bucket stands for, in single precision as shown.
float bucket_power(int index, float bucket_size);
// A new running mean of n earlier values after k more whose sum is sum (double arithmetic, single result).
float running_mean(float mean, qint64 n, double sum, qint64 k);

class Histogram {
public:
    explicit Histogram(float bucket_size = 0.1f) : bucket_size_(bucket_size) {}

    float bucket_size() const { return bucket_size_; }
    // A new size empties the histogram.
    void set_bucket_size(float size);
    void clear();
    // Counts one reading; returns its bucket.
    int add(float value_dbm)
    {
        const int i = bucket_of(value_dbm, bucket_size_);
        ++counts_[std::size_t(i)];
        ++total_;
        return i;
    }

    qint64 count(int index) const { return counts_[std::size_t(clamp_bucket(static_cast<long long>(index)))]; }
    // Readings in the histogram.
    qint64 total() const { return total_; }
    // Readings in buckets first..last (clamped; empty when first > last).
    qint64 sum(int first, int last) const;
    // Readings at or below the power of bucket i (buckets i..7000), and strictly above it (0..i-1).
    qint64 at_or_below(int index) const { return sum(index, kLastBucket); }
    qint64 above(int index) const { return sum(0, index - 1); }
    // The same as shares of all readings; 0 without readings.
    double share(qint64 readings) const { return total_ > 0 ? double(readings) / double(total_) : 0.0; }
    // The fullest bucket of first..last (clamped), the first among equals; -1 when all are empty.
    int fullest(int first, int last) const;
    const std::array<qint64, kBucketCount>& counts() const { return counts_; }

private:
    std::array<qint64, kBucketCount> counts_{};
    qint64 total_ = 0;
    float bucket_size_;
};

}  // namespace stats
