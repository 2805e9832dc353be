#pragma once
#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

class Canvas;

// The two cursors of the profile graph, apart from the window. Cursor 1 marks the gate's start and
// cursor 2 its end, as point indices 0 to 199; nothing keeps them ordered.
namespace profile_cursors {

constexpr int kFirst = 0;
constexpr int kLast = 199;

struct Pair {
    int c1 = 0;
    int c2 = 0;
    bool operator==(const Pair&) const = default;
};

// The cursors of a gate: the sample delay and the gate width in points (a count beyond 32767 points is
// taken as 200), rounded halves to even, each kept within 0..199.
Pair from_gate(float sample_delay_ms, float gate_width_ms, float seconds_per_point);

// Lock to the trace's extremes: cursor 1 on the lowest point, cursor 2 on the highest.
inline Pair locked(int min_index, int max_index) { return {min_index, max_index}; }

// Power mean of the points between the cursors inclusive, in dBm, from points in 1/1024 dB. Equal
// cursors give that point's power. Summed relative to the largest point, so no value overflows.
double average_between(const float* trace, Pair cursors);

// A time as shown: in seconds ("S") from 1 s, in ms from 1 ms, else in us; the unit is chosen on the
// value as it will be shown, so 0.9999999 s reads 1.000 S, never 1000.000 ms.
struct ShownTime {
    QString value;  // Format(v, "##0.000")
    QString unit;   // "S", "ms" or "us"
};
ShownTime shown_time(double seconds);

// A floating label: "-12.345 dBm @ 1.250ms", or "--.-- dBm @ ..." without a valid reading.
QString floating_label(bool valid, double dbm, double seconds);
// Left edge of a floating label in graph units (0..200), for a label w units wide.
double label_left(int index, double label_width_units);
// Top-left corner in pixels of the floating label of cursor which (1 or 2) at index, on a graph
// graph_width pixels wide: placed in graph units, its top at the plot's top, cursor 2's label two label
// heights lower.
QPoint label_corner(int which, int index, QSize label, int graph_width);

// The cursor under the pointer at graph position x: 1 or 2 within one point of it, else 0.
int hit_target(double x, Pair cursors);
// A drag of cursor target (1 or 2) to graph position x: it stops at 1..199; a linked cursor moves by the
// same number of points and stops at 0..199.
Pair dragged(int target, double x, Pair cursors, bool linked);

// The step threshold in 1/1024 dB from the "Difference needed" text (its leading number).
double step_threshold(const QString& difference_text);
// The first index, scanning from the cursor away in the given direction (rightwards up to 198,
// leftwards down to 1), where the neighbouring point differs by more than the threshold.
std::optional<int> find_step(const float* trace, int from, bool rightwards, double threshold);
// Cursor which (1 or 2) moved to the next step; a linked cursor moves by as many points and stays on
// the trace. No step: the cursors stay.
Pair stepped(const float* trace, Pair cursors, int which, bool rightwards, double threshold, bool linked);

// The gate and display delays in ms after a centring or a zoom.
struct Delays {
    double display_delay_ms = 0;
    double sample_delay_ms = 0;
    double span_ms = 0;
};
// "Center on C1" (edge 0) or "Center on C2" (edge 1): the display delay puts the gate's start or end in
// the middle of the span; the gate keeps its place, neither delay goes below 0.
Delays centred(int edge, double display_delay_ms, double sample_delay_ms, double gate_width_ms, double span_ms);
// Zoom to the gate: the span becomes the gate; nothing for a gate of no width (or beyond the longest
// span).
std::optional<Delays> zoomed_in(double display_delay_ms, double sample_delay_ms, double gate_width_ms);
// Zoom out: the span doubles around the display, the gate keeps its place; nothing when the doubled span
// would pass the longest span.
std::optional<Delays> zoomed_out(double display_delay_ms, double sample_delay_ms, double span_ms);
constexpr double kLongestSpanMs = 7000;

// Colours of the cursor lines and of the link line.
inline const QColor kCursor1Color{0, 255, 255};
inline const QColor kCursor2Color{255, 0, 255};
inline const QColor kLinkColor{255, 255, 255};
// Dashed cursor lines over the whole plot (y from top to bottom in graph units); linked cursors are
// joined 5 % below the top, with a dot at each end.
void draw(Canvas& canvas, Pair cursors, bool linked, double top_units, double bottom_units);

}  // namespace profile_cursors
