#include "profile/profile_graph.h"

#include "graph/trace_graph.h"
#include "platform/canvas.h"
#include "util/number_text.h"

#include <cmath>

namespace profile_graph {

bool set_graph_scale(Canvas& canvas, double top, double bottom)
{
    if (top == bottom)
        return false;
    canvas.scale(0, top * trace_graph::kUnitsPerDb, trace_graph::kTracePoints, bottom * trace_graph::kUnitsPerDb);
    return true;
}

QString y_axis_label_text(double v) { return numtext::format(v, QStringLiteral("#0.00")); }
QString x_axis_span_text(double span_ms) { return numtext::format(span_ms, QStringLiteral("#0.00")); }
QString x_axis_left_text(double left_ms) { return numtext::format(left_ms, QStringLiteral("#0.00")); }

float collection_period(float span_ms, float left_ms) { return (span_ms - left_ms) / 1000.0f; }

QString collection_period_command(float span_ms, float left_ms)
{
    return numtext::pad_right(QStringLiteral("GRPRD ") + numtext::str_single(collection_period(span_ms, left_ms)),
                              kCommandWidthPeriod);
}

bool accept_y_top(double v, double bottom) { return bottom < v && v < 30; }
bool accept_y_bottom(double v, double top) { return -50 < v && v < top; }
bool accept_x_span(double v, double left_ms) { return left_ms < v && v <= 7000; }

namespace {
QString scale_reply_text(const QString& reply)
{
    const qsizetype blank = reply.indexOf(u' ');
    return blank < 0 ? reply : reply.mid(blank + 1);
}
}  // namespace

double parse_scale_reply(const QString& reply) { return numtext::val(scale_reply_text(reply)); }

std::optional<float> scale_reply_value(const QString& reply)
{
    const QString text = scale_reply_text(reply);
    if (!numtext::val_finds_number(text))
        return std::nullopt;
    const auto v = static_cast<float>(numtext::val(text));
    // A value a Single cannot hold is no usable scale either.
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<YScale> auto_y_scale(const std::optional<QString>& bottom_reply, const std::optional<QString>& top_reply)
{
    if (!bottom_reply || !top_reply)
        return std::nullopt;
    const std::optional<float> bottom = scale_reply_value(*bottom_reply);
    const std::optional<float> top = scale_reply_value(*top_reply);
    if (!bottom || !top || !(*bottom < *top))
        return std::nullopt;
    return YScale{*top, *bottom};
}

}  // namespace profile_graph
