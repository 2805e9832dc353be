#pragma once
#include "gsm/gsm_slots.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <vector>

class Canvas;

// Where the GSM window's controls go and how its bars are drawn, on screen and on the printed page.
namespace gsm {

// Sizes in twips (1/1440 inch), positions relative to the container, as the window was designed: a
// 9120 x 6150 client area inside a border of 135 x 345 (the outer size the rules start from).
constexpr double kClientWidth = 9120, kClientHeight = 6150;
constexpr double kBorderWidth = 135;
constexpr double kBorderHeight = 345;
constexpr double kFrameLeft = 120, kFrameTop = 120;
constexpr double kGraphLeft = 120, kGraphTop = 240;
constexpr double kLabelHeight = 255;
constexpr QRectF kResetButton{960, 0, 1455, 255};
// The smallest outer size the window may take: room for eight slot labels side by side (in a smaller font
// than the desktop's where need be) and a graph that still shows its bars.
constexpr double kMinOuterWidth = 8000, kMinOuterHeight = 4200;

struct Layout {
    QRectF frame;                // in the window's client area
    QRectF graph;                // in the frame
    std::vector<QRectF> labels;  // slot labels 1.., in the frame
};
// The layout for an outer window size; none when the size leaves the graph no room (the controls then
// stay as they are). label_count is the number of slot labels loaded (0 before the first set-up).
std::optional<Layout> layout_for(QSizeF outer, int slot_count, int label_count);

// The widest slot label of a level on the graph's scale ("#0.0#" and "dBm").
inline const QString kWidestLabelText = QStringLiteral("-88.88dBm");
constexpr double kSmallestLabelPoints = 6;
// The slot labels' point size: the window's own when the widest label's needed width (at a point size)
// is no more than a label's width, else the largest half point below it that fits, never below
// kSmallestLabelPoints.
double label_point_size(double base_points, double label_width, const std::function<double(double)>& needed_width);

// The bars' colour: red 0, green 128, blue 128.
inline const QColor kBarColor{0, 128, 128};

// The screen graph: 0 to slots across, 20 dBm at the top to -50 dBm at the bottom; one filled bar per
// slot from -50 dBm up to its average, outlined in the canvas's fore colour. A slot without a value has
// no bar.
void set_graph_scale(Canvas& graph, int slot_count);
void draw_slots(Canvas& graph, const SlotAverages& averages, int slot_count);

// The printed page: 0 to slots across, 30 dBm at the top to -50 dBm at the bottom; bars without outline,
// and each value printed above its bar, kept inside the page.
void draw_page(Canvas& page, const SlotAverages& averages, int slot_count);

}  // namespace gsm
