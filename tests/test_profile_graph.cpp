#include "graph/trace_graph.h"
#include "platform/canvas.h"
#include "profile/profile_graph.h"
#include "profile/profile_page.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace profile_graph;
using namespace trace_graph;

class TestProfileGraph : public QObject {
    Q_OBJECT

private slots:
    void readout_lines_of_the_printed_page()
    {
        // Each TAB leaves a gap, and the parts after it start together on both lines.
        const QStringList cases[] = {{"-12.345 dBm @ 0.000us", "-12.345 dBm @ 1.350ms"},
                                     {"--.-- dBm @ 0.000us", "-120.345 dBm @ 100.000ms"},
                                     {"-4.4 dBm @ 4.4us", "1.1 dBm @ 1.1ms"}};
        const std::array<float, 200> points{};
        for (const QStringList& readings : cases) {
            Canvas c;
            profile_page::Inputs in;
            in.points = points.data();
            in.cursor1_text = readings[0];
            in.cursor2_text = readings[1];
            QVERIFY(!profile_page::draw(c, in));
            const auto span = [&](const char* start) {
                for (const Canvas::Op& o : c.ops())
                    if (o.kind == Canvas::Op::Print && o.text.startsWith(start))
                        return std::pair{o.x1, o.x1 + c.text_width(o.text)};
                return std::pair{0.0, 0.0};
            };
            const double tab = span("Delta Time").first;
            QCOMPARE(span("Delta Pwr").first, tab);
            const double end = std::max(span("Cursor  1").second, span("Cursor  2").second);
            QVERIFY2(tab - end >= c.text_width(" "), qPrintable(readings[1]));
        }
    }

    void scale_of_the_graph()
    {
        Canvas c;
        QVERIFY(set_graph_scale(c, 20, -50));
        QCOMPARE(c.user_scale(), QRectF(0, 20480, 200, -71680));
        // Equal top and bottom leave the scale as it was.
        QVERIFY(!set_graph_scale(c, 5, 5));
        QCOMPARE(c.user_scale(), QRectF(0, 20480, 200, -71680));
    }

    void trace_is_clamped_except_its_first_point()
    {
        Canvas c;
        set_graph_scale(c, 20, -50);
        c.set_fore_color(Qt::darkGreen);
        std::array<float, 211> points{};
        points.fill(-10240);
        points[0] = 30000;    // above the top, not clamped
        points[5] = 30000;    // above the top
        points[6] = -60000;   // below the bottom
        points[7] = 20480;    // exactly the top
        points[199] = -51201;
        draw_trace(c, points.data(), 20, -50);

        const auto& ops = c.ops();
        QCOMPARE(ops.size(), size_t(200));
        QCOMPARE(ops[0].kind, Canvas::Op::PSet);
        QCOMPARE(ops[0].x1, 0.0);
        QCOMPARE(ops[0].y1, 30000.0);
        for (int i = 1; i < 200; ++i) {
            const Canvas::Op& op = ops[i];
            QCOMPARE(op.kind, Canvas::Op::Line);
            QCOMPARE(op.color, QColor(Qt::darkGreen));
            // Each line starts where the previous one ended: the first from the unclamped point 0.
            QCOMPARE(op.x1, double(i - 1));
            QCOMPARE(op.y1, i == 1 ? 30000.0 : ops[i - 1].y2);
            QCOMPARE(op.x2, double(i));
        }
        QCOMPARE(ops[5].y2, 20480.0);
        QCOMPARE(ops[6].y2, -51200.0);
        QCOMPARE(ops[7].y2, 20480.0);
        QCOMPARE(ops[8].y2, -10240.0);
        QCOMPARE(ops[199].y2, -51200.0);
    }

    void trace_on_screen()
    {
        // A point above the top is drawn on the top edge; point 0 above the top is not seen.
        Canvas c;
        set_graph_scale(c, 20, -50);
        std::array<float, 211> points{};
        points.fill(-15360);
        points[0] = 1e9f;
        points[100] = 40000;
        draw_trace(c, points.data(), 20, -50);
        QImage image(200, 100, QImage::Format_RGB32);
        QPainter painter(&image);
        c.replay(painter, QRectF(0, 0, 200, 100));
        painter.end();
        QCOMPARE(image.pixelColor(100, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(150, 50), QColor(Qt::black));
        QCOMPARE(image.pixelColor(150, 49), QColor(Qt::white));
    }

    void grid_lines()
    {
        Canvas c;
        set_graph_scale(c, 20, -50);
        c.set_draw_style(Canvas::DrawStyle::Dash);
        draw_graph_lines(c);
        QCOMPARE(c.draw_style(), Canvas::DrawStyle::Dash);

        const auto& ops = c.ops();
        QCOMPARE(ops.size(), size_t(32));
        for (const Canvas::Op& op : ops) {
            QCOMPARE(op.kind, Canvas::Op::Line);
            QCOMPARE(op.style, Canvas::DrawStyle::Dot);
            QCOMPARE(op.color, kGridColor);
        }
        for (int k = 0; k <= 20; ++k) {
            const Canvas::Op& op = ops[k];
            QCOMPARE(op.x1, k * 10.0);
            QCOMPARE(op.x2, k * 10.0);
            QCOMPARE(op.y1, 20480.0);
            QCOMPARE(op.y2, -51200.0);
        }
        for (int k = 0; k <= 10; ++k) {
            const Canvas::Op& op = ops[21 + k];
            QCOMPARE(op.y1, 20480.0 - k * 7168.0);
            QCOMPARE(op.y2, op.y1);
            QCOMPARE(op.x1, 0.0);
            QCOMPARE(op.x2, 200.0);
        }
    }

    void command_texts()
    {
        const QString y = y_axis_command(20, -50);
        QCOMPARE(y.size(), 50);
        QCOMPARE(y, QStringLiteral("GRYT  20;GRYB -50") + QString(33, ' '));
        QCOMPARE(y_axis_command(0.5f, -12.25f).trimmed(), QStringLiteral("GRYT  .5;GRYB -12.25"));

        QCOMPARE(collection_period(10, 0), 0.01f);
        const QString p = collection_period_command(10, 0);
        QCOMPARE(p.size(), 30);
        QCOMPARE(p, QStringLiteral("GRPRD  .01") + QString(20, ' '));
        QCOMPARE(collection_period_command(7000, 0).trimmed(), QStringLiteral("GRPRD  7"));
        QCOMPARE(collection_period_command(12, 2).trimmed(), QStringLiteral("GRPRD  .01"));

        QCOMPARE(y_axis_label_text(-50), QStringLiteral("-50.00"));
        QCOMPARE(y_axis_label_text(0.5), QStringLiteral("0.50"));
        QCOMPARE(y_axis_label_text(-0.001), QStringLiteral("0.00"));
        QCOMPARE(x_axis_span_text(10), QStringLiteral("10.00"));
        QCOMPARE(x_axis_left_text(0), QStringLiteral("0.00"));
    }

    void entry_limits()
    {
        QVERIFY(!accept_y_top(30, -50));
        QVERIFY(accept_y_top(29.99, -50));
        QVERIFY(!accept_y_top(-50, -50));
        QVERIFY(accept_y_top(-49.99, -50));

        QVERIFY(!accept_y_bottom(-50, 20));  // the default bottom cannot be typed back
        QVERIFY(accept_y_bottom(-49.99, 20));
        QVERIFY(!accept_y_bottom(20, 20));
        QVERIFY(accept_y_bottom(19.99, 20));

        QVERIFY(!accept_x_span(0, 0));
        QVERIFY(!accept_x_span(2, 2));
        QVERIFY(accept_x_span(0.01, 0));
        QVERIFY(accept_x_span(7000, 0));
        QVERIFY(!accept_x_span(7000.01, 0));
    }

    void scale_replies()
    {
        QCOMPARE(parse_scale_reply(QStringLiteral("GRYB -50")), -50.0);
        QCOMPARE(parse_scale_reply(QStringLiteral("GRYT 12.5   ")), 12.5);
        // No blank: the whole reply is read.
        QCOMPARE(parse_scale_reply(QStringLiteral("-35.5")), -35.5);
        QCOMPARE(parse_scale_reply(QStringLiteral("GRYB")), 0.0);
        // Only the first blank ends the header.
        QCOMPARE(parse_scale_reply(QStringLiteral("GRYB - 20")), -20.0);

        QCOMPARE(scale_reply_value(QStringLiteral("GRYB -.5")), std::optional<float>(-0.5f));
        QCOMPARE(scale_reply_value(QStringLiteral("GRYB 0")), std::optional<float>(0.0f));
        QVERIFY(!scale_reply_value(QStringLiteral("GRYB")));
        QVERIFY(!scale_reply_value(QStringLiteral("GRYB ERR")));
        QVERIFY(!scale_reply_value(QString()));
        QVERIFY(!scale_reply_value(QStringLiteral("GRYT 1E+300")));
    }

    void automatic_y_scale()
    {
        const auto s = auto_y_scale(QStringLiteral("GRYB -40"), QStringLiteral("GRYT 10"));
        QVERIFY(s);
        QCOMPARE(s->top, 10.0f);
        QCOMPARE(s->bottom, -40.0f);
        QVERIFY(auto_y_scale(QStringLiteral("-40"), QStringLiteral("10")));

        // Anything doubtful leaves the scale alone.
        QVERIFY(!auto_y_scale(std::nullopt, QStringLiteral("GRYT 10")));
        QVERIFY(!auto_y_scale(QStringLiteral("GRYB -40"), std::nullopt));
        QVERIFY(!auto_y_scale(QStringLiteral(""), QStringLiteral("GRYT 10")));
        QVERIFY(!auto_y_scale(QStringLiteral("GRYB -40"), QStringLiteral("GRYT")));
        QVERIFY(!auto_y_scale(QStringLiteral("GRYB 10"), QStringLiteral("GRYT 10")));
        QVERIFY(!auto_y_scale(QStringLiteral("GRYB 15"), QStringLiteral("GRYT 10")));
    }
};

QTEST_MAIN(TestProfileGraph)
#include "test_profile_graph.moc"
