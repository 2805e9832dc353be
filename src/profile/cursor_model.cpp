#include "profile/cursor_model.h"

#include "platform/canvas.h"
#include "util/number_text.h"

#include <algorithm>
#include <cmath>

namespace profile_cursors {
namespace {

int clamp_index(long v) { return int(std::clamp<long>(v, kFirst, kLast)); }

// A time in points; beyond 32767 points it counts as 200.
float points_of(float ms, float seconds_per_point)
{
    const float a = ms / 1000.0f / seconds_per_point;
    return a > 32767.0f ? 200.0f : a;
}

const QString kPower = QStringLiteral("##0.000");

}  // namespace

Pair from_gate(float sample_delay_ms, float gate_width_ms, float seconds_per_point)
{
    const long c1 = numtext::clng(points_of(sample_delay_ms, seconds_per_point));
    const long c2 = c1 + numtext::clng(points_of(gate_width_ms, seconds_per_point));
    return {clamp_index(c1), clamp_index(c2)};
}

double average_between(const float* trace, Pair cursors)
{
    const int lo = std::clamp(std::min(cursors.c1, cursors.c2), kFirst, kLast);
    const int hi = std::clamp(std::max(cursors.c1, cursors.c2), kFirst, kLast);
    const double top = *std::max_element(trace + lo, trace + hi + 1);
    double sum = 0;
    for (int i = lo; i <= hi; ++i)
        sum += std::pow(10.0, (double(trace[i]) - top) / 10240.0);
    return top / 1024.0 + 10.0 * std::log10(sum / (hi - lo + 1));
}

ShownTime shown_time(double seconds)
{
    const double t = std::abs(seconds);
    struct Unit {
        double scale;
        const char* name;
    };
    constexpr Unit units[] = {{1e6, "us"}, {1e3, "ms"}, {1.0, "S"}};
    int u = t >= 1 ? 2 : (t * 1000 >= 1 ? 1 : 0);
    QString text = numtext::format(seconds * units[u].scale, kPower);
    // A value that rounds up to a thousand reads better in the next unit.
    while (u < 2 && std::abs(numtext::val(text)) >= 1000) {
        ++u;
        text = numtext::format(seconds * units[u].scale, kPower);
    }
    return {text, QString::fromLatin1(units[u].name)};
}

QString floating_label(bool valid, double dbm, double seconds)
{
    const ShownTime t = shown_time(seconds);
    return (valid ? numtext::format(dbm, kPower) : QStringLiteral("--.--")) + QStringLiteral(" dBm @ ") + t.value +
           t.unit;
}

double label_left(int index, double label_width_units)
{
    if (index + 1 + 1.75 * label_width_units > 200)
        return 198 - 1.5 * label_width_units;
    return index + 1;
}

QPoint label_corner(int which, int index, QSize label, int graph_width)
{
    if (graph_width <= 0)
        return {0, 0};
    const double per_unit = graph_width / 200.0;
    const double left = label_left(index, label.width() / per_unit);
    return {int(std::lround(left * per_unit)), which == 2 ? 2 * label.height() : 0};
}

int hit_target(double x, Pair cursors)
{
    const int xi = numtext::cint(x);
    if (std::abs(xi - cursors.c1) <= 1)
        return 1;
    if (std::abs(xi - cursors.c2) <= 1)
        return 2;
    return 0;
}

Pair dragged(int target, double x, Pair cursors, bool linked)
{
    if (target != 1 && target != 2)
        return cursors;
    const int to = std::clamp(numtext::cint(x), 1, kLast);
    int& moved = target == 1 ? cursors.c1 : cursors.c2;
    int& other = target == 1 ? cursors.c2 : cursors.c1;
    const int by = to - moved;
    moved = to;
    if (linked)
        other = clamp_index(long(other) + by);
    return cursors;
}

double step_threshold(const QString& difference_text)
{
    return numtext::val(numtext::str_double(numtext::val(difference_text) * 1024.0));
}

std::optional<int> find_step(const float* trace, int from, bool rightwards, double threshold)
{
    if (rightwards) {
        for (int i = std::max(from + 1, 0); i <= kLast - 1; ++i)
            if (std::abs(double(trace[i + 1]) - trace[i]) > threshold)
                return i;
    } else {
        for (int i = std::min(from - 1, kLast); i >= 1; --i)
            if (std::abs(double(trace[i - 1]) - trace[i]) > threshold)
                return i;
    }
    return std::nullopt;
}

Pair stepped(const float* trace, Pair cursors, int which, bool rightwards, double threshold, bool linked)
{
    int& moved = which == 1 ? cursors.c1 : cursors.c2;
    int& other = which == 1 ? cursors.c2 : cursors.c1;
    const auto to = find_step(trace, moved, rightwards, threshold);
    if (!to)
        return cursors;
    if (linked)
        other = clamp_index(long(other) + (*to - moved));
    moved = *to;
    return cursors;
}

Delays centred(int edge, double display_delay_ms, double sample_delay_ms, double gate_width_ms, double span_ms)
{
    const double gate_start = display_delay_ms + sample_delay_ms;
    const double mark = gate_start + (edge == 1 ? gate_width_ms : 0.0);
    // The gate stays where it is: the display may start no later than the gate does.
    const double display = std::clamp(mark - span_ms / 2, 0.0, std::max(0.0, gate_start));
    return {display, gate_start - display, span_ms};
}

std::optional<Delays> zoomed_in(double display_delay_ms, double sample_delay_ms, double gate_width_ms)
{
    if (!(gate_width_ms > 0) || gate_width_ms > kLongestSpanMs)
        return std::nullopt;
    return Delays{display_delay_ms + sample_delay_ms, 0.0, gate_width_ms};
}

std::optional<Delays> zoomed_out(double display_delay_ms, double sample_delay_ms, double span_ms)
{
    if (span_ms * 2 > kLongestSpanMs)
        return std::nullopt;
    const double display = std::max(0.0, display_delay_ms - span_ms / 2);
    return Delays{display, display_delay_ms + sample_delay_ms - display, span_ms * 2};
}

void draw(Canvas& canvas, Pair cursors, bool linked, double top_units, double bottom_units)
{
    const Canvas::DrawStyle style = canvas.draw_style();
    canvas.set_draw_style(Canvas::DrawStyle::Dash);
    canvas.line(cursors.c1, bottom_units, cursors.c1, top_units, kCursor1Color);
    canvas.line(cursors.c2, bottom_units, cursors.c2, top_units, kCursor2Color);
    canvas.set_draw_style(Canvas::DrawStyle::Solid);
    if (linked) {
        const double y = top_units + (bottom_units - top_units) / 100 * 5;
        canvas.line(cursors.c1, y, cursors.c2, y, kLinkColor);
        canvas.circle(cursors.c1, y, 0.6, kLinkColor, true);
        canvas.circle(cursors.c2, y, 0.6, kLinkColor, true);
    }
    canvas.set_draw_style(style);
}

}  // namespace profile_cursors
