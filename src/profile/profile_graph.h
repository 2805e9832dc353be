#pragma once
#include <QString>
#include <optional>

class Canvas;

// The profile graph's scale, axes and entry limits, apart from the window: x runs from 0 to 200 (one unit
// per trace point), y from top x 1024 to bottom x 1024. The grid, the trace and the y-axis command are the
// shared trace graph's (graph/trace_graph.h).
namespace profile_graph {

constexpr int kCommandWidthPeriod = 30;  // "GRPRD ..." out of a 30-character buffer

// Sets the graph's coordinate system (0, top x 1024)-(200, bottom x 1024). Equal top and bottom would be
// a degenerate scale: nothing changes and false is returned (the caller beeps).
bool set_graph_scale(Canvas& canvas, double top, double bottom);

// Axis texts, Format(v, "#0.00").
QString y_axis_label_text(double v);
QString x_axis_span_text(double span_ms);
QString x_axis_left_text(double left_ms);

// Collection period in seconds for the x-axis span and left edge in ms: (span - left) / 1000.
float collection_period(float span_ms, float left_ms);
// "GRPRD " & Str(collection_period(span, left)), padded with blanks to 30 characters.
QString collection_period_command(float span_ms, float left_ms);

// Entry-box limits; v is the numeric value of the box's text.
bool accept_y_top(double v, double bottom);     // bottom < v < 30
bool accept_y_bottom(double v, double top);     // -50 < v < top
bool accept_x_span(double v, double left_ms);   // left < v <= 7000

// The meter's "GRYB?"/"GRYT?" replies are a header, a blank and the value: the numeric value of the text
// after the first blank, or of the whole reply when it has no blank (0 when there is no number).
double parse_scale_reply(const QString& reply);
// The same, or nothing when that text holds no number at all.
std::optional<float> scale_reply_value(const QString& reply);

struct YScale {
    float top = 0;
    float bottom = 0;
};
// The automatic y scale from the two replies (nullopt = the read failed). A failed read, a reply without
// a number, or a bottom not below the top leaves the scale as it is (nullopt).
std::optional<YScale> auto_y_scale(const std::optional<QString>& bottom_reply,
                                   const std::optional<QString>& top_reply);

}  // namespace profile_graph
