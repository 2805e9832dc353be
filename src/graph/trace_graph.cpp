#include "graph/trace_graph.h"

#include "platform/canvas.h"
#include "util/number_text.h"

#include <algorithm>

namespace trace_graph {

void draw_graph_lines(Canvas& canvas)
{
    const Canvas::DrawStyle saved = canvas.draw_style();
    canvas.set_draw_style(Canvas::DrawStyle::Dot);
    const QRectF s = canvas.user_scale();
    const double left = s.left(), top = s.top(), width = s.width(), height = s.height();
    for (int k = 0; k <= 20; ++k) {
        const double x = left + k * width / 20;
        canvas.line(x, top, x, top + height, kGridColor);
    }
    for (int k = 0; k <= 10; ++k) {
        const double y = top + k * height / 10;
        canvas.line(left, y, left + width, y, kGridColor);
    }
    canvas.set_draw_style(saved);
}

void draw_trace(Canvas& canvas, const float* points, double top, double bottom)
{
    const double hi = std::max(top, bottom) * kUnitsPerDb;
    const double lo = std::min(top, bottom) * kUnitsPerDb;
    const QColor color = canvas.fore_color();
    canvas.pset(0, points[0], color);
    for (int i = 1; i < kTracePoints; ++i)
        canvas.line_to(i, std::clamp(static_cast<double>(points[i]), lo, hi), color);
}

QString y_axis_command(float top, float bottom)
{
    return numtext::pad_right(QStringLiteral("GRYT ") + numtext::str_single(top) + QStringLiteral(";GRYB ") +
                                  numtext::str_single(bottom),
                              kCommandWidthYAxis);
}

}  // namespace trace_graph
