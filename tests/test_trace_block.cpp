#include "frame/trace_block.h"

#include <QtTest>

namespace {

std::array<qint32, trace_block::kPoints> ramp()
{
    std::array<qint32, trace_block::kPoints> v{};
    for (int k = 0; k < trace_block::kPoints; ++k)
        v[k] = -40960 + 100 * k;
    return v;
}

}  // namespace

class TestTraceBlock : public QObject {
    Q_OBJECT

private slots:
    void signed_little_endian_points()
    {
        QByteArray block = make_trace_block({});
        const char bytes[] = {'\x00', '\x00', '\x00', '\x80',   // -2^31
                              '\xFF', '\xFF', '\xFF', '\xFF',   // -1
                              '\x01', '\x02', '\x03', '\x04',   // 0x04030201
                              '\x00', '\xFC', '\xFF', '\xFF'};  // -1024: -1 dBm
        block.replace(trace_block::kHeaderSize, int(sizeof bytes), bytes, int(sizeof bytes));

        const TraceValues raw = decode_trace_values(block, block.size());
        QCOMPARE(raw.values[0], qint32(-2147483647 - 1));
        QCOMPARE(raw.values[1], qint32(-1));
        QCOMPARE(raw.values[2], qint32(0x04030201));
        QCOMPARE(raw.values[3], qint32(-1024));

        const TraceDecode trace = decode_trace_block(block, block.size());
        QCOMPARE(trace.points[0], -2147483648.0f);
        QCOMPARE(trace.points[0] / 1024, -2097152.0f);
        QCOMPARE(trace.points[1], -1.0f);
    }

    void full_block_round_trip()
    {
        const auto values = ramp();
        const QByteArray block = make_trace_block(values);
        QCOMPARE(block.size(), trace_block::kBlockSize);
        QCOMPARE(block.left(10), QByteArray("OGBD #3800"));
        QCOMPARE(block.back(), '\n');

        const TraceDecode trace = decode_trace_block(block, 811);
        QCOMPARE(trace.count, 200);
        for (int k = 0; k < 200; ++k)
            QCOMPARE(trace.points[k], float(values[k]));
        // The final byte is no point, and nothing beyond point 199 is written.
        QCOMPARE(trace.points[200], 0.0f);

        // The block sits in a larger, blank-filled reply buffer: still 200 points.
        QByteArray buffer = block + QByteArray(1600 - 811, ' ');
        QCOMPARE(decode_trace_block(buffer, 1600).count, 200);
    }

    void only_whole_groups_within_the_count()
    {
        const auto values = ramp();
        const QByteArray block = make_trace_block(values);
        TracePoints previous{};
        previous.fill(7.0f);

        // 10 header bytes and 22 data bytes: five whole points, the sixth group is incomplete.
        TraceDecode trace = decode_trace_block(block, 32, previous);
        QCOMPARE(trace.count, 5);
        QCOMPARE(trace.points[4], float(values[4]));
        QCOMPARE(trace.points[5], 7.0f);  // not covered: keeps its earlier value
        QCOMPARE(trace.points[199], 7.0f);

        QCOMPARE(decode_trace_values(block, 50).count, 10);
        QCOMPARE(decode_trace_values(block, 13).count, 0);
        QCOMPARE(decode_trace_values(block, 0).count, 0);
        QCOMPARE(decode_trace_values(block, -5).count, 0);
        QCOMPARE(decode_trace_values(block, 810).count, 200);
        QCOMPARE(decode_trace_values(block, 809).count, 199);
    }

    void never_reads_past_the_bytes_received()
    {
        const QByteArray block = make_trace_block(ramp());
        // A view of the first 30 bytes of the block: the rest of the memory holds real points, which a
        // decoder trusting the reported count would pick up.
        const QByteArray received = QByteArray::fromRawData(block.constData(), 30);
        const TraceValues raw = decode_trace_values(received, 811);
        QCOMPARE(raw.count, 5);
        QCOMPARE(raw.values[5], qint32(0));

        const TraceDecode trace = decode_trace_block(QByteArray(), 811);
        QCOMPARE(trace.count, 0);
        QVERIFY(!trace.extremes_valid());
    }

    void only_a_whole_block_is_a_trace()
    {
        const QByteArray block = make_trace_block(ramp());
        QByteArray announces_999 = block;
        announces_999.replace(4, 6, " #3999");
        // The block in a larger blank buffer is whole; short, long, over-reported or mislabelled is not.
        QVERIFY(is_trace_block(block, 811) && is_trace_block(block + QByteArray(213, ' '), 811));
        for (const auto& [bytes, count] : {std::pair{block.left(810), 810L}, {block + '\n', 812L}, {block.left(400), 811L},
                                           {announces_999, 811L}, {QByteArray(811, '\xA7'), 811L}})
            QVERIFY(!is_trace_block(bytes, count));
    }

    void extremes_rule()
    {
        std::array<qint32, 200> v{};
        v.fill(-5120);
        TraceDecode t = decode_trace_block(make_trace_block(v), 811);
        QCOMPARE(t.min_index, 0);
        QCOMPARE(t.max_index, 0);
        QCOMPARE(t.min, -5120.0f);
        QCOMPARE(t.max, -5120.0f);
        QVERIFY(t.extremes_valid());

        // Point 1 takes no part, however low or high it is.
        v[1] = -100000;
        v[150] = -9000;
        t = decode_trace_block(make_trace_block(v), 811);
        QCOMPARE(t.min, -9000.0f);
        QCOMPARE(t.min_index, 150);
        v[1] = 100000;
        t = decode_trace_block(make_trace_block(v), 811);
        QCOMPARE(t.max_index, 0);

        // Ties keep the earlier point; the first point sets both extremes.
        v.fill(0);
        v[0] = 10;
        v[20] = 30;
        v[40] = 30;
        v[60] = -30;
        v[80] = -30;
        v[199] = -30;
        t = decode_trace_block(make_trace_block(v), 811);
        QCOMPARE(t.max_index, 20);
        QCOMPARE(t.min_index, 60);
        v[20] = v[40] = 0;
        t = decode_trace_block(make_trace_block(v), 811);
        QCOMPARE(t.max_index, 0);
        QCOMPARE(t.max, 10.0f);

        // The last point counts too, and a short trace only looks at what it decoded.
        v[199] = -31;
        t = decode_trace_block(make_trace_block(v), 811);
        QCOMPARE(t.min_index, 199);
        t = decode_trace_block(make_trace_block(v), 10 + 4 * 61);
        QCOMPARE(t.min_index, 60);
    }

    void extremes_of_a_corrected_trace()
    {
        // The sweep mode corrects points before taking extremes: the same rule over any float trace.
        const float points[4] = {5, -100, 3, 9};
        const TraceExtremes e = trace_extremes(points, 4);
        QVERIFY(e.valid);
        QCOMPARE(e.min, 3.0f);
        QCOMPARE(e.min_index, 2);
        QCOMPARE(e.max, 9.0f);
        QCOMPARE(e.max_index, 3);
        QVERIFY(!trace_extremes(points, 0).valid);
    }
};

QTEST_APPLESS_MAIN(TestTraceBlock)
#include "test_trace_block.moc"
