#include "profile/profile_page.h"

#include "graph/trace_graph.h"
#include "platform/canvas.h"
#include "util/number_text.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

namespace profile_page {

namespace {

// Text centred on (x, y) on a page whose y grows upwards.
void print_centred(Canvas& c, const QString& text, double x, double y)
{
    c.set_current(x - c.text_width(text) / 2, y + c.text_height(text) / 2);
    c.print(text);
}

// Lines from (x, y) downwards, one text height apart, each TAB moving on to the next column of 14
// character widths at least a space past the text before it on every line, so that the parts after a
// TAB start together (the page places the parts itself so that every printer back end shows them alike).
void print_columns(Canvas& c, const QStringList& lines, double x, double y)
{
    const double column = c.text_width(QStringLiteral("n")) * 14;
    const double space = c.text_width(QStringLiteral(" "));
    std::vector<QStringList> parts;
    for (const QString& line : lines)
        parts.push_back(line.split(QLatin1Char('\t')));
    double at = x;
    for (int k = 0;; ++k) {
        double end = at;
        bool any = false;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (k >= parts[i].size())
                continue;
            any = true;
            c.set_current(at, y + c.y_down() * double(i) * c.text_height());
            c.print(parts[i][k]);
            end = std::max(end, at + c.text_width(parts[i][k]));
        }
        if (!any)
            break;
        at = x + std::ceil((end + space - x) / column) * column;
    }
}

}  // namespace

std::optional<QString> draw(Canvas& c, const Inputs& in)
{
    const double top = in.top * 1024, bottom = in.bottom * 1024;
    const double h = top - bottom;
    if (h == 0)
        return QStringLiteral("the graph's top and bottom are the same, so it has no height to print.");
    const double margin = (h * 100 / 80 - h) / 2;
    c.scale(-25, top + margin, 225, bottom - margin);
    const double th = c.text_height(QStringLiteral("X"));
    const double gap = c.text_width(QStringLiteral("X")) / 2;
    const int points = trace_graph::kTracePoints;

    c.set_fore_color(Qt::black);
    c.set_draw_style(Canvas::DrawStyle::Solid);
    c.set_draw_width(2);
    c.line(0, bottom, 0, top);
    c.line(0, bottom, points, bottom);

    // Power labels with their ticks; time labels under the ends of the time axis.
    c.set_draw_width(1);
    double widest = 0;
    for (int k = 0; k <= 10; ++k) {
        const double level = in.bottom + k * (in.top - in.bottom) / 10;
        const double y = level * 1024;
        c.line(-gap, y, 0, y);
        const QString label = numtext::format(level, QStringLiteral("##0.00"));
        widest = std::max(widest, c.text_width(label));
        c.set_current(-2 * gap - c.text_width(label), y + c.text_height(label) / 2);
        c.print(label);
    }
    // The unit in the middle of the left margin, or further left when the labels reach there.
    const QString unit = QStringLiteral("dBm");
    print_centred(c, unit, std::min(-12.5, -3 * gap - widest - c.text_width(unit) / 2), (top + bottom) / 2);
    c.set_current(0, bottom - th / 4);
    c.print(QStringLiteral("0.00ms"));
    const QString right = in.period_ms + QStringLiteral("ms");
    c.set_current(points - c.text_width(right), bottom - th / 4);
    c.print(right);

    if (in.grid) {
        c.set_draw_style(Canvas::DrawStyle::Dot);
        for (int x = 0; x <= points; x += 10)
            c.line(x, bottom, x, top, trace_graph::kGridColor);
        for (int k = 0; k <= 10; ++k)
            c.line(0, bottom + k * h / 10, points, bottom + k * h / 10, trace_graph::kGridColor);
        c.set_draw_style(Canvas::DrawStyle::Solid);
    }

    // The trace, held inside the graph as on the screen.
    const double lo = std::min(top, bottom), hi = std::max(top, bottom);
    const auto at = [&](int k) { return std::clamp(in.points ? double(in.points[k]) : 0.0, lo, hi); };
    c.set_draw_width(2);
    c.set_current(0, at(0));
    for (int k = 1; k < points; ++k)
        c.line_to(k, at(k));

    // The cursors, numbered above the graph.
    c.set_draw_width(1);
    c.set_draw_style(Canvas::DrawStyle::Dash);
    const std::pair<int, QString> cursors[] = {{in.cursor1, QStringLiteral("1")}, {in.cursor2, QStringLiteral("2")}};
    for (const auto& [index, number] : cursors) {
        c.line(index, in.cursor_top * 1024, index, in.cursor_bottom * 1024);
        print_centred(c, number, index, top + th);
    }
    c.set_draw_style(Canvas::DrawStyle::Solid);

    print_columns(c,
                  {QStringLiteral("Cursor  1: ") + in.cursor1_text + QLatin1Char('\t') + QStringLiteral("Delta Time: ") +
                       in.delta_time + in.time_unit,
                   QStringLiteral("Cursor  2: ") + in.cursor2_text + QLatin1Char('\t') + QStringLiteral("Delta Pwr: ") +
                       in.delta_power + QStringLiteral("dB")},
                  0, bottom - 2 * th);

    // The comment in large type across the top of the page.
    const QFont normal = c.font();
    QFont large = normal;
    large.setPointSizeF((normal.pointSizeF() > 0 ? normal.pointSizeF() : 10.0) * 2.5);
    c.set_font(large);
    c.set_current(100 - c.text_width(in.comment) / 2, top + margin);
    c.print(in.comment);
    c.set_font(normal);
    return std::nullopt;
}

}  // namespace profile_page
