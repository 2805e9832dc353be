// The trace block decoder with any bytes and any byte count the link may report.
// Input: 4 bytes of the reported count (signed, little-endian), then the buffer.
#include "frame/trace_block.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    qint32 count = 0;
    std::memcpy(&count, data, 4);
    const QByteArray buffer(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    TracePoints previous{};
    previous.fill(-1.0f);
    const TraceDecode d = decode_trace_block(buffer, count, previous);
    if (d.count < 0 || d.count > trace_block::kPoints)
        __builtin_trap();
    if (d.count > 0 && (d.min_index < 0 || d.min_index >= d.count || d.max_index < 0 || d.max_index >= d.count))
        __builtin_trap();
    // Points the block did not cover keep what they held.
    for (int k = d.count; k < trace_block::kTraceCapacity; ++k)
        if (d.points[k] != -1.0f)
            __builtin_trap();
    return 0;
}
