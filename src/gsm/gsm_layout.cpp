#include "gsm/gsm_layout.h"

#include "platform/canvas.h"

#include <algorithm>
#include <cmath>

namespace gsm {

std::optional<Layout> layout_for(QSizeF outer, int slot_count, int label_count)
{
    Layout l;
    const float frame_w = float(outer.width() - 3 * kFrameLeft);
    const float frame_h = float(outer.height() - 5 * kFrameTop);
    const float graph_w = frame_w - float(2 * kGraphLeft);
    const float graph_h = frame_h - float(kGraphTop) - float(1.5 * kLabelHeight);
    if (!(graph_w > 0) || !(graph_h > 0) || slot_count < 1)
        return std::nullopt;
    l.frame = QRectF(kFrameLeft, kFrameTop, frame_w, frame_h);
    l.graph = QRectF(kGraphLeft, kGraphTop, graph_w, graph_h);
    const float label_w = graph_w / float(slot_count);
    for (int n = 1; n <= label_count; ++n)
        l.labels.emplace_back(kGraphLeft + (n - 1) * double(graph_w) / slot_count, kGraphTop + double(graph_h), label_w,
                              kLabelHeight);
    return l;
}

double label_point_size(double base_points, double label_width, const std::function<double(double)>& needed_width)
{
    const double needed = needed_width(base_points);
    if (!(needed > label_width))
        return base_points;
    // From where the width in proportion to the size would fit, down until the measured text fits.
    double points = std::min(base_points - 0.5, std::floor(2 * base_points * label_width / needed) / 2);
    while (points > kSmallestLabelPoints && needed_width(points) > label_width)
        points -= 0.5;
    return std::max(kSmallestLabelPoints, points);
}

void set_graph_scale(Canvas& graph, int slot_count) { graph.scale(0, 20, std::max(slot_count, 1), -50); }

void draw_slots(Canvas& graph, const SlotAverages& averages, int slot_count)
{
    graph.cls();
    const int n = std::min<int>(slot_count, int(averages.size()));
    for (int i = 0; i < n; ++i) {
        const auto& a = averages[std::size_t(i)];
        if (!a)
            continue;
        graph.box(i, -50, i + 1, *a, kBarColor, true);
        graph.box(i, -50, i + 1, *a, graph.fore_color(), false);
    }
}

void draw_page(Canvas& page, const SlotAverages& averages, int slot_count)
{
    const int count = std::max(slot_count, 1);
    page.scale(0, 30, count, -50);
    const double text_h = page.text_height(QStringLiteral("999.999dBm"));
    const int n = std::min<int>(slot_count, int(averages.size()));
    for (int i = 0; i < n; ++i) {
        const auto& a = averages[std::size_t(i)];
        if (a)
            page.box(i, -50, i + 1, *a, kBarColor, true);
        // Above the bar, centred on its slot; never off the page.
        const QString text = slot_label_text(a);
        const double w = page.text_width(text);
        const double x = std::clamp(i + 0.5 - w / 2, 0.0, std::max(0.0, count - w));
        const double top = a ? double(*a) : -50.0;
        const double y = std::clamp(top + 1.2 * text_h, -50.0 + text_h, 30.0);
        page.set_current(x, y);
        page.print(text);
    }
}

}  // namespace gsm
