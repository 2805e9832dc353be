// The amplitude histogram, the statistics graph's rules and its drawing.
#include "platform/canvas.h"
#include "stats/amplitude_histogram.h"
#include "stats/stats_graph.h"
#include "stats/stats_painter.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

using namespace stats;

namespace {

// The lines drawn, to 1e-4 (rows come from single-precision bucket sizes).
QList<QLineF> lines(const Canvas& c)
{
    const auto r = [](double v) { return std::round(v * 1e4) / 1e4; };
    QList<QLineF> out;
    for (const auto& op : c.ops())
        if (op.kind == Canvas::Op::Line)
            out << QLineF(r(op.x1), r(op.y1), r(op.x2), r(op.y2));
    return out;
}

StatsGraph graph_with(const ScaleWindow& w, float b = 0.1f, GraphRules rules = GraphRules::profile())
{
    StatsGraph g(rules);
    g.set_bucket_size(b);
    g.apply(w);
    return g;
}

}  // namespace

class StatsGraphTest : public QObject {
    Q_OBJECT
private slots:
    void bucket_rule();
    void histogram_counts_and_shares();
    void windows_are_applied_only_whole();
    void coordinates_and_cursor_range();
    void readouts();
    void scale_buttons();
    void mouse_zoom_and_drag();
    void pdf_drawing();
    void cdf_drawing();
};

void StatsGraphTest::bucket_rule()
{
    struct Case {
        double v;
        long long even;
    };
    for (const Case& c : {Case{20.5, 20}, {21.5, 22}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3}, {7.0, 7}})
        QCOMPARE(round_even(c.v), c.even);

    struct Reading {
        float dbm, size;
        int bucket;
    };
    const Reading readings[] = {
        {-10.75f, 0.1f, 307},  // 30.75 / 0.1f is just below 307.5 in double (307.5 in single)
        {-0.25f, 0.5f, 40},    {-0.75f, 0.5f, 42}, {25.0f, 0.1f, 0},  {-60.0f, 0.01f, 7000},
        {-10.0f, 0.01f, 3000}, {-13.0f, 0.01f, 3300}, {20.0f, 1.0f, 0}, {-6980.0f, 1.0f, 7000},
        {-1e30f, 0.01f, 7000}, {1e30f, 0.01f, 0},
    };
    for (const Reading& r : readings)
        QCOMPARE(bucket_of(r.dbm, r.size), r.bucket);
    QCOMPARE(bucket_power(3000, 0.01f), 20.0f - 3000 * 0.01f);
    QCOMPARE(running_mean(-10.0f, 200, -20.0 * 200, 200), -15.0f);
    QCOMPARE(running_mean(0.0f, 0, -2000.0, 200), -10.0f);
    static_assert(sizeof(Histogram().count(0)) == 8 && sizeof(Histogram().total()) == 8);
}

void StatsGraphTest::histogram_counts_and_shares()
{
    Histogram h(0.5f);
    QRandomGenerator rng(7);
    for (int k = 0; k < 5000; ++k)
        h.add(float(rng.bounded(80.0) - 55.0));
    QCOMPARE(h.total(), 5000);
    for (int i : {0, 1, 40, 69, 70, 139, 140, 7000}) {
        qint64 below = 0, above = 0;
        for (int j = 0; j < kBucketCount; ++j)
            (j >= i ? below : above) += h.counts()[std::size_t(j)];
        QCOMPARE(h.at_or_below(i), below);
        QCOMPARE(h.above(i), above);
        QCOMPARE(h.share(below) + h.share(above), 1.0);
    }
    QCOMPARE(h.above(0), 0);
    QCOMPARE(h.sum(-5, 99999), 5000);
    QCOMPARE(h.sum(9, 3), 0);

    Histogram t(0.1f);
    QCOMPARE(t.fullest(0, 7000), -1);
    for (float v : {-1.0f, -1.0f, -3.0f, -3.0f, -5.0f})
        t.add(v);
    QCOMPARE(t.fullest(0, 7000), 210);  // first of the two fullest
    QCOMPARE(t.fullest(211, 7000), 230);
    t.set_bucket_size(0.2f);
    QCOMPARE(t.total(), 0);
    QCOMPARE(t.bucket_size(), 0.2f);
}

void StatsGraphTest::windows_are_applied_only_whole()
{
    struct Case {
        ScaleWindow w;
        bool valid;
    };
    const Case cases[] = {
        {{20, -50, 0, 100}, true},  {{20.01, -50, 0, 100}, false}, {{20, -50.01, 0, 100}, false},
        {{-10, -10, 0, 100}, false}, {{-11, -10, 0, 100}, false},  {{0, -10, -0.1, 100}, false},
        {{0, -10, 50, 50}, false},   {{0, -10, 0, 100.5}, false},  {{0, -10, 99.9, 100}, true},
    };
    for (const Case& c : cases) {
        StatsGraph g;
        g.apply({-5, -20, 10, 40});
        QCOMPARE(g.apply(c.w), c.valid);
        const ScaleWindow kept{-5, -20, 10, 40};
        QVERIFY(g.window() == (c.valid ? c.w : kept));
    }
    StatsGraph g;
    QVERIFY(!g.apply_texts("abc", "-50", "0", "100"));
    QVERIFY(!g.apply_texts("-", "-50", "0", "100"));
    QVERIFY(g.apply_texts(" 10.5 ", "-50.00", "0.0", "100"));
    QCOMPARE(g.window().top, 10.5);

    // Each kind keeps its share window; switching brings it back (stop first).
    QVERIFY(g.apply({10, -50, 5, 60}));
    QCOMPARE(g.set_kind(GraphKind::Cdf), (BoxWrites{{BoxWrite::Stop, "100"}, {BoxWrite::Start, "0"}}));
    QVERIFY(g.apply({10, -50, 1, 2.5}));
    QCOMPARE(g.set_kind(GraphKind::Pdf), (BoxWrites{{BoxWrite::Stop, "60"}, {BoxWrite::Start, "5"}}));
    QCOMPARE(g.stored_share(GraphKind::Cdf), (std::array<double, 2>{1, 2.5}));
    g.reset_scale();
    QCOMPARE(g.stored_share(GraphKind::Cdf), (std::array<double, 2>{0, 100}));
}

void StatsGraphTest::coordinates_and_cursor_range()
{
    struct Case {
        ScaleWindow w;
        float b;
        GraphRules rules;
        QRectF coords;
        int first, last;
    };
    const Case cases[] = {
        {{20, -50, 0, 100}, 0.1f, GraphRules::profile(), QRectF(0, 0, 1, 701), 0, 700},
        {{20, -50, 0, 100}, 0.1f, GraphRules::peak_cdf(), QRectF(0, 0, 1, 700), 0, 700},
        {{20, -50, 0, 100}, 0.01f, GraphRules::peak_cdf(), QRectF(0, 0, 1, 7000), 0, 7000},
        {{-10.05, -20, 25, 50}, 0.1f, GraphRules::profile(), QRectF(0.25, 300.5, 0.25, 401 - 300.5), 300, 400},
        {{20, -50, 0, 100}, 0.005f, GraphRules::profile(), QRectF(0, 0, 1, 14001), 0, 7000},
    };
    for (const Case& c : cases) {
        const StatsGraph g = graph_with(c.w, c.b, c.rules);
        const QRectF r = g.coordinates();
        QVERIFY2(qAbs(r.left() - c.coords.left()) < 1e-9 && qAbs(r.top() - c.coords.top()) < 1e-4 &&
                     qAbs(r.right() - c.coords.right()) < 1e-9 && qAbs(r.bottom() - c.coords.bottom()) < 1e-9,
                 qPrintable(QString("%1 %2 %3 %4").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom())));
        QCOMPARE(g.cursor_first(), c.first);
        QCOMPARE(g.cursor_last(), c.last);
    }
    // A cursor left outside a narrowed window is brought to its edge.
    StatsGraph g;
    g.set_cursor(650);
    QVERIFY(g.apply({0, -10, 0, 100}));
    QCOMPARE(g.cursor(), 300);
    g.set_cursor(10);
    QCOMPARE(g.cursor(), 200);
    QCOMPARE(g.cursor_row(), 200.5);
}

void StatsGraphTest::readouts()
{
    Histogram h(0.1f);
    StatsGraph g = graph_with({0, -20, 0, 100});
    g.set_cursor(300);
    QCOMPARE(g.power_text(), QString("-10.000 dBm"));
    QCOMPARE(g.share_text(h), QString("N/A"));
    QVERIFY(!g.on_screen_text(h));
    QVERIFY(!g.jump_to_peak(h));
    QCOMPARE(g.cursor(), 300);

    // 8 readings: 1 at -5, 4 at -10, 2 at -15 (on screen), 1 at -30 (below the window).
    for (float v : {-5.0f, -10.0f, -10.0f, -10.0f, -10.0f, -15.0f, -15.0f, -30.0f})
        h.add(v);
    struct Case {
        GraphKind kind;
        GraphRules rules;
        int cursor;
        QString share, on_screen;
    };
    const Case cases[] = {
        {GraphKind::Pdf, GraphRules::profile(), 300, "50.00%", "87.50%"},
        {GraphKind::Cdf, GraphRules::profile(), 300, "87.50%", "87.50%"},
        {GraphKind::OneMinusCdf, GraphRules::profile(), 300, "12.50%", "87.50%"},
        {GraphKind::Cdf, GraphRules::profile(), 200, "100.00%", "87.50%"},
        {GraphKind::OneMinusCdf, GraphRules::profile(), 200, "0.00%", "87.50%"},
        {GraphKind::Pdf, GraphRules::peak_cdf(), 350, "25.00%", "87.50%"},
        // Cumulative shares at the range's ends (buckets 200 and 400): 100 % and 12.5 %.
        {GraphKind::Cdf, GraphRules::peak_cdf(), 350, "37.50%", "87.50%"},
        {GraphKind::OneMinusCdf, GraphRules::peak_cdf(), 350, "62.50%", "87.50%"},
    };
    for (const Case& c : cases) {
        StatsGraph k = graph_with({0, -20, 0, 100}, 0.1f, c.rules);
        k.set_kind(c.kind);
        k.set_cursor(c.cursor);
        QCOMPARE(k.share_text(h), c.share);
        QCOMPARE(k.on_screen_text(h).value_or("-"), c.on_screen);
    }
    QVERIFY(g.jump_to_peak(h));
    QCOMPARE(g.cursor(), 300);
    // A share that needs four decimals.
    Histogram fine(0.1f);
    for (int k = 0; k < 1600; ++k)
        fine.add(k == 0 ? -1.0f : -2.0f);
    StatsGraph p;
    p.set_cursor(210);
    QCOMPARE(p.share_text(fine), QString("0.0625%"));
    QCOMPARE(StatsGraph::above_or_below(GraphKind::OneMinusCdf), QString("are above"));
}

void StatsGraphTest::scale_buttons()
{
    using W = BoxWrite;
    // Power window moves.
    QCOMPARE(graph_with({0, -10, 0, 100}).zoom_out_power(), (BoxWrites{{W::Top, "5"}, {W::Bottom, "-15"}}));
    QCOMPARE(graph_with({20, -50, 0, 100}).zoom_out_power(), (BoxWrites{{W::Top, "20"}, {W::Bottom, "-50"}}));
    QCOMPARE(graph_with({0, -10, 0, 100}).shift_down(), (BoxWrites{{W::Top, "1"}, {W::Bottom, "-9"}}));
    QCOMPARE(graph_with({19.5, -10, 0, 100}).shift_down(), (BoxWrites{{W::Top, "20"}}));
    QCOMPARE(graph_with({0, -10, 0, 100}).shift_up(), (BoxWrites{{W::Bottom, "-11"}, {W::Top, "-1"}}));
    QCOMPARE(graph_with({-40, -49.5, 0, 100}).shift_up(), (BoxWrites{{W::Bottom, "-50"}}));
    QCOMPARE(graph_with({-10, -10.7, 0, 100}).shift_up(), (BoxWrites{{W::Bottom, "-10.77"}, {W::Top, "-10.07"}}));

    // Share steps: (start, stop) -> new stop text, or a beep; the peak rules widen to the whole axis.
    struct Step {
        double start, stop;
        bool widen, peak;
        QString text;
    };
    const Step steps[] = {
        {0, 95, true, false, "beep"}, {5, 95, true, false, "105"}, {0, 50, true, false, "60"},
        {0, 5, true, false, "6"},     {0, 0.5, true, false, "0.6"}, {0, 0.05, true, false, "0.06"},
        {0, 95, true, true, "100"},   {0, 100, true, true, "beep"}, {0, 0.01, false, false, "beep"},
        {0, 2, false, false, "1"},    {0, 100, false, false, "90"}, {0, 0.5, false, false, "0.4"},
        {0, 0.05, false, false, "0.04"}, {3, 18, false, true, "17"},
    };
    for (const Step& s : steps) {
        const StatsGraph g =
            graph_with({20, -50, s.start, s.stop}, 0.1f, s.peak ? GraphRules::peak_cdf() : GraphRules::profile());
        const auto r = s.widen ? g.widen_share() : g.narrow_share();
        QCOMPARE(r.beep ? QString("beep") : r.write.value().text, s.text);
        QVERIFY(r.beep || r.write->box == W::Stop);
    }
}

void StatsGraphTest::mouse_zoom_and_drag()
{
    StatsGraph g = graph_with({20, -50, 0, 100});
    g.set_cursor(100);
    // Tolerance: 700 / 50 = 14 rows about row 100.5.
    QVERIFY(g.near_cursor(100.5 + 13.9));
    QVERIFY(!g.near_cursor(100.5 - 14));
    QCOMPARE(g.drag_target(250.7).value_or(-1), 250);
    QCOMPARE(g.drag_target(700.4).value_or(-1), 700);
    QVERIFY(!g.drag_target(701));
    QVERIFY(!g.drag_target(-0.6));

    g.apply({0, -10, 10, 60});
    const auto near = [](QPointF a, QPointF b) { return (a - b).manhattanLength() < 1e-4; };
    QVERIFY(near(g.clamp_zoom_point(0.9, 50), QPointF(0.6, 200)));
    QVERIFY(near(g.clamp_zoom_point(0.05, 400), QPointF(0.1, 300)));

    const QSizeF pixel(0.001, 0.25);
    const auto z = g.zoom_to(QRectF(QPointF(0.2, 250), QPointF(0.45, 280)), pixel);
    QVERIFY(z.has_value());
    QCOMPARE(*z, (BoxWrites{{BoxWrite::Stop, "45"}, {BoxWrite::Start, "20"}, {BoxWrite::Bottom, "-8.000"},
                           {BoxWrite::Top, "-5.000"}}));
    QVERIFY(!g.zoom_to(QRectF(0.2, 250, 0.0005, 30), pixel));  // narrower than a pixel
    QVERIFY(!g.zoom_to(QRectF(0.2, 250, 0.2, 0.1), pixel));    // lower than a pixel
}

void StatsGraphTest::pdf_drawing()
{
    Histogram h(0.1f);
    for (int k = 0; k < 10; ++k)
        h.add(-10.0f);  // bucket 300
    StatsGraph g = graph_with({0, -20, 0, 100});
    Canvas c;
    apply_scale(c, g);
    QVERIFY(qAbs(c.user_scale().top() - 200) < 1e-4 && c.user_scale().bottom() == 401);
    draw_graph(c, h, g);
    // Down the axis to the bar, out to x = 1 over its row, back to the axis and on down.
    QCOMPARE(lines(c), (QList<QLineF>{QLineF(0, 199, 0, 199), QLineF(0, 199, 0, 300), QLineF(0, 300, 1, 300),
                                      QLineF(1, 300, 1, 301), QLineF(1, 301, 0, 301)}));

    // The peak rules hold a share beyond the share window at its edge; the profile's does not.
    for (const bool peak : {false, true}) {
        StatsGraph k = graph_with({0, -20, 0, 40}, 0.1f, peak ? GraphRules::peak_cdf() : GraphRules::profile());
        Canvas kc;
        draw_pdf(kc, h, k);
        QCOMPARE(lines(kc)[2].x2(), peak ? 0.4 : 1.0);
    }
    Canvas empty;
    draw_graph(empty, Histogram(0.1f), g);
    QVERIFY(empty.ops().empty());
}

void StatsGraphTest::cdf_drawing()
{
    Histogram h(0.1f);
    for (int k = 0; k < 4; ++k)
        h.add(-10.0f);  // bucket 300
    StatsGraph g = graph_with({0, -20, 0, 100});
    std::vector<float> drawn;
    Canvas c;
    g.set_kind(GraphKind::Cdf);
    draw_graph(c, h, g, &drawn);
    // Steps from 0 to 1 at the row, then up to the top edge.
    QCOMPARE(lines(c), (QList<QLineF>{QLineF(0, 301, 1, 301), QLineF(1, 301, 1, 300), QLineF(1, 300, 1, 200)}));
    QCOMPARE(drawn[7000], 0.0f);
    QCOMPARE(drawn[300], 1.0f);
    QCOMPARE(drawn[250], 1.0f);

    // 1-CDF with two buckets: 1 -> 0.5 at the lower, -> 0 at the upper.
    h.add(-15.0f);
    h.add(-15.0f);
    h.add(-15.0f);
    h.add(-15.0f);
    Canvas u;
    g.set_kind(GraphKind::OneMinusCdf);
    draw_graph(u, h, g, &drawn);
    QCOMPARE(lines(u), (QList<QLineF>{QLineF(1, 351, 0.5, 351), QLineF(0.5, 351, 0.5, 350),
                                      QLineF(0.5, 350, 0, 350), QLineF(0, 350, 0, 300), QLineF(0, 300, 0, 200)}));

    // A bucket below the window anchors the first visible step at its own row.
    Histogram low(0.1f);
    low.add(-30.0f);
    low.add(-10.0f);
    Canvas l;
    g.set_kind(GraphKind::Cdf);
    draw_graph(l, low, g);
    QCOMPARE(lines(l).first(), QLineF(0.5, 500, 1, 500));
}

QTEST_MAIN(StatsGraphTest)
#include "test_stats_graph.moc"
