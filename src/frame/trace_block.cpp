#include "frame/trace_block.h"

#include <algorithm>

TraceValues decode_trace_values(const QByteArray& buffer, long byte_count)
{
    TraceValues out;
    // The link may report more bytes than the buffer holds; only what is really there is read.
    const long available = std::min<long>(byte_count, buffer.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.constData());
    long pos = trace_block::kHeaderSize;
    while (out.count < trace_block::kPoints && pos + 4 <= available) {
        const quint32 raw = quint32(bytes[pos]) | quint32(bytes[pos + 1]) << 8 | quint32(bytes[pos + 2]) << 16 |
                            quint32(bytes[pos + 3]) << 24;
        out.values[out.count++] = static_cast<qint32>(raw);
        pos += 4;
    }
    return out;
}

bool is_trace_block(const QByteArray& buffer, long byte_count)
{
    static const QByteArray kLength(" #3800");
    return byte_count == trace_block::kBlockSize && buffer.size() >= trace_block::kBlockSize &&
           buffer.mid(trace_block::kHeaderSize - kLength.size(), kLength.size()) == kLength;
}

TraceExtremes trace_extremes(const float* points, int count)
{
    TraceExtremes e;
    count = std::min(count, trace_block::kPoints);
    if (count <= 0)
        return e;
    e.min = e.max = points[0];
    e.valid = true;
    for (int k = 2; k < count; ++k) {
        if (points[k] < e.min) {
            e.min = points[k];
            e.min_index = k;
        } else if (points[k] > e.max) {
            e.max = points[k];
            e.max_index = k;
        }
    }
    return e;
}

TraceDecode decode_trace_block(const QByteArray& buffer, long byte_count, const TracePoints& previous)
{
    TraceDecode out;
    out.points = previous;
    const TraceValues values = decode_trace_values(buffer, byte_count);
    for (int k = 0; k < values.count; ++k)
        out.points[k] = static_cast<float>(values.values[k]);
    out.count = values.count;
    const TraceExtremes e = trace_extremes(out.points.data(), out.count);
    out.min = e.min;
    out.max = e.max;
    out.min_index = e.min_index;
    out.max_index = e.max_index;
    return out;
}

QByteArray make_trace_block(const std::array<qint32, trace_block::kPoints>& values)
{
    QByteArray block;
    block.reserve(trace_block::kBlockSize);
    block.append("OGBD #3800", trace_block::kHeaderSize);
    for (const qint32 v : values) {
        const auto u = static_cast<quint32>(v);
        const char b[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char((u >> 24) & 0xFF)};
        block.append(b, 4);
    }
    block.append('\n');
    return block;
}
