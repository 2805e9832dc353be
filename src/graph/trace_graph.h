#pragma once
#include <QColor>
#include <QString>

class Canvas;

// The trace graph the profile and source-sweep windows draw alike: one x unit per trace point, y in
// 1/1024 dB, so traces are drawn unscaled; and the meter's command that sets its y scale.
namespace trace_graph {

constexpr int kTracePoints = 200;
constexpr double kUnitsPerDb = 1024.0;
constexpr int kCommandWidthYAxis = 50;  // "GRYT ...;GRYB ..." goes out of a 50-character buffer
// The grid's one colour.
inline const QColor kGridColor{128, 128, 128};

// Dotted grid: 21 vertical lines at ScaleLeft + k x ScaleWidth / 20 and 11 horizontal lines at
// ScaleTop + k x ScaleHeight / 10, each across the whole scale; the draw style is restored afterwards.
void draw_graph_lines(Canvas& canvas);

// The trace in the fore colour: a point at (0, point 0), unclamped (off the scale it is simply not seen),
// then lines to (i, point i) for i = 1 to 199, each clamped to bottom x 1024 .. top x 1024.
// points holds at least 200 values in 1/1024 dB.
void draw_trace(Canvas& canvas, const float* points, double top, double bottom);

// "GRYT " & Str(top) & ";GRYB " & Str(bottom), padded with blanks to 50 characters.
QString y_axis_command(float top, float bottom);

}  // namespace trace_graph
