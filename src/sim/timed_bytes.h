#pragma once
#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <deque>

// Bytes on their way down a serial line, each with the virtual time it reaches the far side. A line
// carries one byte at a time, so a new burst starts only when the previous one has gone out.
class TimedBytes {
public:
    // Queues bytes leaving at start_us (or when the line is free), one every byte_us (0: all at once).
    void push(const QByteArray& bytes, qint64 start_us, double byte_us)
    {
        const qint64 start = std::max(start_us, free_at_us_);
        for (int i = 0; i < bytes.size(); ++i) {
            bytes_.push_back(bytes[i]);
            times_.push_back(start + qint64((i + 1) * byte_us + 0.5));
        }
        if (!times_.empty())
            free_at_us_ = std::max(free_at_us_, times_.back());
    }
    // Bytes that have arrived by now.
    int count_at(qint64 now_us) const
    {
        return int(std::upper_bound(times_.begin(), times_.end(), now_us) - times_.begin());
    }
    QByteArray take_at(qint64 now_us)
    {
        const int n = count_at(now_us);
        QByteArray out;
        out.reserve(n);
        for (int i = 0; i < n; ++i) {
            out.append(bytes_.front());
            bytes_.pop_front();
            times_.pop_front();
        }
        return out;
    }
    // Drops whatever has not arrived by now.
    void clear(qint64 now_us)
    {
        bytes_.clear();
        times_.clear();
        free_at_us_ = std::min(free_at_us_, now_us);
    }
    bool empty() const { return bytes_.empty(); }
    int size() const { return int(bytes_.size()); }
    // When the last queued byte arrives (the line is free from then on).
    qint64 free_at_us() const { return free_at_us_; }
    // When the next queued byte arrives; -1 when nothing is queued.
    qint64 next_at_us() const { return times_.empty() ? -1 : times_.front(); }

private:
    std::deque<char> bytes_;
    std::deque<qint64> times_;
    qint64 free_at_us_ = 0;
};
