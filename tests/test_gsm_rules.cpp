// The GSM slot window's rules without the window: the slot split, the texts shown, sent and saved, the
// check of a typed configuration, the layout and the bars on screen and page.
#include "gsm/gsm_layout.h"
#include "gsm/gsm_slots.h"
#include "platform/canvas.h"

#include <QtTest>
#include <cfloat>
#include <numeric>

using namespace gsm;

namespace {

FrameDescription frame_of(int slot_count, float width, int in, int out) { return {slot_count, width, in, out}; }

// A trace whose point k reads k dBm: a slot's average is then the mean of its indices.
std::vector<float> ramp_trace()
{
    std::vector<float> t(200);
    std::iota(t.begin(), t.end(), 0.0f);
    return t;
}

}  // namespace

class GsmRulesTest : public QObject {
    Q_OBJECT
private slots:
    void slot_points_data();
    void slot_points();
    void split_averages_and_slots_without_points();
    void command_and_label_texts();
    void configuration_texts_checked_data();
    void configuration_texts_checked();
    void data_file_lines();
    void layout_data();
    void layout();
    void screen_bars();
    void page_keeps_its_values_on_the_page();
};

void GsmRulesTest::slot_points_data()
{
    QTest::addColumn<int>("slot_count");
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("count");
    // W = 25, S = 5, E = 2: points 6 + 25i to 23 + 25i; point 0 never.
    QTest::newRow("defaults slot 0") << 8 << 20 << 10 << 0 << 6 << 23 << 18;
    QTest::newRow("defaults slot 7") << 8 << 20 << 10 << 7 << 181 << 198 << 18;
    // W = 66.67, S = 13, E = 6: j 14..60; slot 1 from 80.67 -> 81 to 126.67 -> 127.
    QTest::newRow("3 slots slot 0") << 3 << 20 << 10 << 0 << 14 << 60 << 47;
    QTest::newRow("3 slots slot 1") << 3 << 20 << 10 << 1 << 81 << 127 << 47;
    QTest::newRow("1 slot") << 1 << 20 << 10 << 0 << 41 << 180 << 140;
    // Nothing left out at the end: j reaches W, and the last slot would read point 200.
    QTest::newRow("no end share, last slot") << 8 << 0 << 0 << 7 << 176 << 199 << 24;
    QTest::newRow("no shares, 1 slot") << 1 << 0 << 0 << 0 << 1 << 199 << 199;
    // 7 slots: W = 28.57, S = E = 2: j 3..26, plus 171.43 for slot 6.
    QTest::newRow("7 slots slot 6") << 7 << 10 << 10 << 6 << 174 << 197 << 24;
}

void GsmRulesTest::slot_points()
{
    QFETCH(int, slot_count);
    QFETCH(int, in);
    QFETCH(int, out);
    QFETCH(int, slot);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, count);
    const std::vector<int> p = gsm::slot_points(frame_of(slot_count, 575, in, out), slot);
    QCOMPARE(int(p.size()), count);
    QCOMPARE(p.front(), first);
    QCOMPARE(p.back(), last);
    QVERIFY(std::is_sorted(p.begin(), p.end()));
}

void GsmRulesTest::split_averages_and_slots_without_points()
{
    const std::vector<float> t = ramp_trace();
    // Defaults: the mean of 6 + 25i .. 23 + 25i is 14.5 + 25i.
    const SlotAverages a = split_slots(t.data(), FrameDescription{});
    QCOMPARE(int(a.size()), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(a[std::size_t(i)].value(), 14.5f + 25 * i);
    // Halves round to even: with 16 slots (W = 12.5, S = 2, E = 1) slot 1 takes 3 + 12.5 = 15.5 -> 16 up
    // to 11 + 12.5 = 23.5 -> 24, but 4 + 12.5 = 16.5 -> 16 as well: two points share index 16.
    const std::vector<int> p16 = gsm::slot_points(frame_of(16, 100, 20, 10), 1);
    QCOMPARE(p16, std::vector<int>({16, 16, 18, 18, 20, 20, 22, 22, 24}));
    // 200 slots: one point a slot from point 1 on, so the last slot would read point 200; it has no
    // value, never a division by 0.
    const SlotAverages last_empty = split_slots(t.data(), frame_of(200, 10, 20, 10));
    QCOMPARE(int(last_empty.size()), 200);
    QCOMPARE(last_empty[0].value(), 1.0f);
    QCOMPARE(last_empty[198].value(), 199.0f);
    QVERIFY(!last_empty[199]);
    // A dBm trace from the block's 1/1024 dB.
    TracePoints raw{};
    raw[0] = -5120;
    raw[199] = 1536;
    const std::vector<float> dbm = trace_dbm(raw);
    QCOMPARE(dbm[0], -5.0f);
    QCOMPARE(dbm[199], 1.5f);
}

void GsmRulesTest::command_and_label_texts()
{
    QCOMPARE(frame_period_command(FrameDescription{}), QString("GRPRD 4.6ms"));
    QCOMPARE(frame_period_command(frame_of(3, 575, 20, 10)), QString("GRPRD 1.725ms"));
    QCOMPARE(frame_period_command(frame_of(1, 576.9231f, 20, 10)), QString("GRPRD 0.5769231ms"));
    QCOMPARE(frame_period_command(frame_of(16, 577, 20, 10)), QString("GRPRD 9.232ms"));

    QCOMPARE(averaging_commands(0), QStringList({"GRSWS OFF"}));
    QCOMPARE(averaging_commands(1), QStringList({"GRSWS ON", "GRSWP A, 1"}));
    QCOMPARE(averaging_commands(4), QStringList({"GRSWS ON", "GRSWP A, 8"}));
    QCOMPARE(averaging_commands(9), QStringList({"GRSWS ON", "GRSWP A, 256"}));

    QCOMPARE(slot_label_text(-12.5f), QString("-12.5dBm"));
    QCOMPARE(slot_label_text(0.0f), QString("0.0dBm"));
    QCOMPARE(slot_label_text(-5.125f), QString("-5.13dBm"));
    QCOMPARE(slot_label_text(-0.001f), QString("0.0dBm"));
    QCOMPARE(slot_label_text(std::nullopt), QString("N/A"));
    QCOMPARE(mouse_label_text(3, -20.0f), QString("Slot 3: -20.0dBm"));
    QCOMPARE(mouse_label_text(8, std::nullopt), QString("Slot 8: N/A"));

    // The slot under the mouse: numbered from 1, none outside.
    QCOMPARE(slot_at(0.0, 8), std::optional<int>(1));
    QCOMPARE(slot_at(3.99, 8), std::optional<int>(4));
    QCOMPARE(slot_at(7.999, 8), std::optional<int>(8));
    QCOMPARE(slot_at(8.0, 8), std::optional<int>());
    QCOMPARE(slot_at(-0.01, 8), std::optional<int>());
    QCOMPARE(slot_at(std::nan(""), 8), std::optional<int>());

    QCOMPARE(default_comment(FrameDescription{}), QString("GSM signal"));
    QCOMPARE(default_comment(frame_of(3, 575, 20, 10)), QString());
}

void GsmRulesTest::configuration_texts_checked_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("slot_count");  // 0: refused
    QTest::addColumn<float>("width");
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::addColumn<int>("field");
    QTest::newRow("defaults") << QStringList{"8", "575", "20", "10"} << 8 << 575.0f << 20 << 10 << -1;
    QTest::newRow("blanks and halves") << QStringList{" 4 ", "577.5", "2.5", "0"} << 4 << 577.5f << 2 << 0 << -1;
    QTest::newRow("one slot, all but one point out") << QStringList{"1", "1", "99", "0"} << 1 << 1.0f << 99 << 0 << -1;
    QTest::newRow("no slots") << QStringList{"0", "575", "20", "10"} << 0 << 0.0f << 0 << 0 << 0;
    QTest::newRow("slots not a number") << QStringList{"eight", "575", "20", "10"} << 0 << 0.0f << 0 << 0 << 0;
    QTest::newRow("more slots than points") << QStringList{"201", "575", "20", "10"} << 0 << 0.0f << 0 << 0 << 0;
    QTest::newRow("16-bit overflow") << QStringList{"40000", "575", "20", "10"} << 0 << 0.0f << 0 << 0 << 0;
    QTest::newRow("zero width") << QStringList{"8", "0", "20", "10"} << 0 << 0.0f << 0 << 0 << 1;
    QTest::newRow("empty width") << QStringList{"8", "", "20", "10"} << 0 << 0.0f << 0 << 0 << 1;
    QTest::newRow("width past single") << QStringList{"8", "1e39", "20", "10"} << 0 << 0.0f << 0 << 0 << 1;
    // Widths whose frame period would go out as 0 ms or 8.001414E-43 ms.
    QTest::newRow("width 1e-44") << QStringList{"8", "1e-44", "20", "10"} << 0 << 0.0f << 0 << 0 << 1;
    QTest::newRow("width 1e-40") << QStringList{"8", "1e-40", "20", "10"} << 0 << 0.0f << 0 << 0 << 1;
    QTest::newRow("width with blanks and tabs") << QStringList{"8", " 0.577 ", "\t20", "10\t"} << 8 << 0.577f << 20 << 10 << -1;
    QTest::newRow("width not one number") << QStringList{"8", "575;*RST", "20", "10"} << 0 << 0.0f << 0 << 0 << 1;
    QTest::newRow("exclusion not one number") << QStringList{"8", "575", "20", "1,0"} << 0 << 0.0f << 0 << 0 << 3;
    QTest::newRow("negative exclusion") << QStringList{"8", "575", "-1", "10"} << 0 << 0.0f << 0 << 0 << 2;
    QTest::newRow("exclusion over 100") << QStringList{"8", "575", "20", "101"} << 0 << 0.0f << 0 << 0 << 3;
    QTest::newRow("nothing left") << QStringList{"8", "575", "60", "40"} << 0 << 0.0f << 0 << 0 << 2;
    QTest::newRow("200 slots with shares") << QStringList{"200", "23", "20", "10"} << 0 << 0.0f << 0 << 0 << 2;
}

void GsmRulesTest::configuration_texts_checked()
{
    QFETCH(QStringList, texts);
    QFETCH(int, slot_count);
    QFETCH(float, width);
    QFETCH(int, in);
    QFETCH(int, out);
    QFETCH(int, field);
    const auto r = parse_config({texts[0], texts[1], texts[2], texts[3]});
    if (slot_count == 0) {
        const auto* refusal = std::get_if<Refusal>(&r);
        QVERIFY(refusal);
        QCOMPARE(refusal->field, field);
        QVERIFY(!refusal->text.isEmpty());
        return;
    }
    const auto* f = std::get_if<FrameDescription>(&r);
    QVERIFY(f);
    QCOMPARE(*f, frame_of(slot_count, width, in, out));
    // The period goes out as a normal single.
    const QString period = frame_period_command(*f).mid(6).chopped(2);
    QVERIFY2(period.toFloat() >= FLT_MIN, qPrintable(period));
    // What the window shows for it reads back the same.
    const ConfigTexts shown = config_texts(*f);
    QCOMPARE(std::get<FrameDescription>(parse_config(shown)), *f);
}

void GsmRulesTest::data_file_lines()
{
    const SlotAverages a{-5.0f, -60.0f, -60.0f, -20.0f, -60.0f, -60.0f, -60.0f, -60.0f};
    QCOMPARE(data_file_text(FrameDescription{}, a, "15/01/2026", "GSM signal", "."),
             QString("TDMA Slot Data\r\n15/01/2026\r\n\r\nGSM signal\r\n\r\n"
                     "Slots: \t8\r\nSlot Width: \t575\tus\r\nExclude into slot: \t115\tus\r\n"
                     "Exclude just before end of slot: \t57.5\tus\r\n\r\nSlot\tAverage Power (dBm)\r\n"
                     "1\t-5\r\n2\t-60\r\n3\t-60\r\n4\t-20\r\n5\t-60\r\n6\t-60\r\n7\t-60\r\n8\t-60\r\n"));
    // Singles to 7 digits, with a desktop's "," for "."; a slot without points.
    QCOMPARE(data_file_text(frame_of(2, 577.7f, 15, 5), {-12.345678f, std::nullopt}, "d", "", ","),
             QString("TDMA Slot Data\r\nd\r\n\r\n\r\n\r\nSlots: \t2\r\nSlot Width: \t577,7\tus\r\n"
                     "Exclude into slot: \t86,655\tus\r\nExclude just before end of slot: \t28,885\tus\r\n\r\n"
                     "Slot\tAverage Power (dBm)\r\n1\t-12,34568\r\n2\tN/A\r\n"));
}

void GsmRulesTest::layout_data()
{
    QTest::addColumn<QSizeF>("outer");
    QTest::addColumn<int>("slot_count");
    QTest::addColumn<int>("labels");
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<QRectF>("graph");
    QTest::addColumn<QRectF>("last_label");
    QTest::newRow("designed") << QSizeF(9255, 6495) << 8 << 8 << QRectF(120, 120, 8895, 5895)
                              << QRectF(120, 240, 8655, 5272.5) << QRectF(120 + 7 * 1081.875, 5512.5, 1081.875, 255);
    QTest::newRow("before the labels") << QSizeF(9255, 6495) << 8 << 0 << QRectF(120, 120, 8895, 5895)
                                       << QRectF(120, 240, 8655, 5272.5) << QRectF();
    QTest::newRow("3 slots, larger") << QSizeF(12360, 9000) << 3 << 3 << QRectF(120, 120, 12000, 8400)
                                     << QRectF(120, 240, 11760, 7777.5) << QRectF(120 + 7840, 8017.5, 3920, 255);
    QTest::newRow("graph height zero") << QSizeF(9255, 1222.5) << 8 << 8 << QRectF() << QRectF() << QRectF();
    QTest::newRow("graph width zero") << QSizeF(600, 6495) << 8 << 8 << QRectF() << QRectF() << QRectF();
    QTest::newRow("minimised") << QSizeF(0, 0) << 8 << 8 << QRectF() << QRectF() << QRectF();
}

void GsmRulesTest::layout()
{
    QFETCH(QSizeF, outer);
    QFETCH(int, slot_count);
    QFETCH(int, labels);
    QFETCH(QRectF, frame);
    QFETCH(QRectF, graph);
    QFETCH(QRectF, last_label);
    const auto l = layout_for(outer, slot_count, labels);
    if (frame.isNull()) {
        QVERIFY(!l);
        return;
    }
    QVERIFY(l);
    QCOMPARE(l->frame, frame);
    QCOMPARE(l->graph, graph);
    QCOMPARE(int(l->labels.size()), labels);
    if (labels > 0) {
        QCOMPARE(l->labels.back(), last_label);
        // Label 1 starts at the graph's left edge, the last ends at its right edge.
        QCOMPARE(l->labels.front().left(), graph.left());
        QCOMPARE(l->labels.back().right(), graph.right());
    }
    // The minimum size always lays out.
    QVERIFY(layout_for(QSizeF(kMinOuterWidth, kMinOuterHeight), 8, 8));
}

void GsmRulesTest::screen_bars()
{
    Canvas c;
    set_graph_scale(c, 3);
    QCOMPARE(c.user_scale(), QRectF(QPointF(0, 20), QPointF(3, -50)));
    draw_slots(c, {-5.0f, std::nullopt, 30.0f}, 3);
    // A filled bar and its outline per slot with a value.
    QCOMPARE(int(c.ops().size()), 4);
    const auto& fill = c.ops()[0];
    QCOMPARE(fill.kind, Canvas::Op::Box);
    QVERIFY(fill.filled);
    QCOMPARE(fill.color, QColor(0, 128, 128));
    QCOMPARE(QRectF(QPointF(fill.x1, fill.y1), QPointF(fill.x2, fill.y2)), QRectF(QPointF(0, -50), QPointF(1, -5)));
    QVERIFY(!c.ops()[1].filled);
    QCOMPARE(c.ops()[1].color, c.fore_color());
    QCOMPARE(c.ops()[2].x1, 2.0);
    QCOMPARE(c.ops()[2].y2, 30.0);
}

void GsmRulesTest::page_keeps_its_values_on_the_page()
{
    Canvas page;
    page.set_device(QSizeF(4960, 7016), 600);
    // Before any run every value is 0; a value above the page's top, one below its bottom, none at all.
    const SlotAverages a{0.0f, 45.0f, -80.0f, std::nullopt, -12.5f, 0.0f, 0.0f, 0.0f};
    draw_page(page, a, 8);
    QCOMPARE(page.user_scale(), QRectF(QPointF(0, 30), QPointF(8, -50)));
    QStringList texts;
    for (const Canvas::Op& op : page.ops()) {
        if (op.kind == Canvas::Op::Box) {
            QVERIFY(op.filled);
            QCOMPARE(op.color, QColor(0, 128, 128));
            QCOMPARE(op.y1, -50.0);
            continue;
        }
        QCOMPARE(op.kind, Canvas::Op::Print);
        texts << op.text;
        const double w = page.text_width(op.text);
        const double h = page.text_height(op.text);
        QVERIFY2(op.x1 >= 0 && op.x1 + w <= 8, qPrintable(op.text));
        QVERIFY2(op.y1 <= 30 && op.y1 - h >= -50, qPrintable(op.text));
    }
    QCOMPARE(texts, QStringList({"0.0dBm", "45.0dBm", "-80.0dBm", "N/A", "-12.5dBm", "0.0dBm", "0.0dBm", "0.0dBm"}));
    // Each value over its own slot.
    const auto fifth = std::find_if(page.ops().begin(), page.ops().end(),
                                    [](const Canvas::Op& op) { return op.text == "-12.5dBm"; });
    QVERIFY(fifth->x1 > 4 && fifth->x1 < 5);
}

QTEST_MAIN(GsmRulesTest)
#include "test_gsm_rules.moc"
