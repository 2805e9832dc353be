#pragma once
#include <QByteArray>
#include <QtGlobal>
#include <array>

// The meter's "OGBD" trace block, shared by the profile, GSM and source-sweep modes:
// a 10-byte header ending in " #3800", 200 signed 32-bit little-endian points in 1/1024 dB, one final
// byte; 811 bytes in all.
namespace trace_block {
constexpr int kPoints = 200;
constexpr int kHeaderSize = 10;
constexpr int kBlockSize = kHeaderSize + 4 * kPoints + 1;  // 811
// Traces are held with room for indices up to 210.
constexpr int kTraceCapacity = 211;
}  // namespace trace_block

using TracePoints = std::array<float, trace_block::kTraceCapacity>;

// The raw integers of a block. Only whole 4-byte groups are read that lie within both the byte count
// the link reported and the bytes actually in the buffer, so a short or over-reported block never reads
// past what arrived.
struct TraceValues {
    std::array<qint32, trace_block::kPoints> values{};
    int count = 0;  // points decoded, 0 to 200
};
TraceValues decode_trace_values(const QByteArray& buffer, long byte_count);
// The reply is a whole block: exactly 811 bytes arrived and its header ends in " #3800". Anything else
// (short, long, garbled) is no trace at all; its bytes must not be taken for points.
bool is_trace_block(const QByteArray& buffer, long byte_count);

// Lowest and highest point of a trace: the first point sets both; after it only points 2 to 199 take
// part (point 1 never does), with strict comparisons, so on equal values the earlier index stays.
// valid is false when there were no points; the caller then keeps its earlier extremes.
struct TraceExtremes {
    float min = 0, max = 0;
    int min_index = 0, max_index = 0;
    bool valid = false;
};
TraceExtremes trace_extremes(const float* points, int count);

// A decoded trace in 1/1024 dB with its extremes. Points beyond count keep the values of previous
// (a short block fills only the points it covers).
struct TraceDecode {
    TracePoints points{};
    int count = 0;
    float min = 0, max = 0;
    int min_index = 0, max_index = 0;
    bool extremes_valid() const { return count > 0; }
    TraceExtremes extremes() const { return {min, max, min_index, max_index, count > 0}; }
};
TraceDecode decode_trace_block(const QByteArray& buffer, long byte_count, const TracePoints& previous = {});

// An 811-byte block of 200 values ("OGBD #3800", the data, LF), for the simulated meter and tests.
QByteArray make_trace_block(const std::array<qint32, trace_block::kPoints>& values);
