#pragma once
#include <QString>
#include <optional>

class Canvas;

// The printed profile page: the trace on its axes (the graph in the middle 80 % of the page each way),
// the optional grid, the two cursors, the cursor readings and the comment in large type.
namespace profile_page {

struct Inputs {
    const float* points = nullptr;  // 200 values in 1/1024 dB
    double top = 20, bottom = -50;  // the power axis, dBm
    QString period_ms;              // the capture-period box's text
    bool grid = false;
    int cursor1 = 0, cursor2 = 0;            // point indices
    double cursor_top = 20, cursor_bottom = -50;  // the cursor lines' ends, dBm
    QString cursor1_text, cursor2_text, delta_time, time_unit, delta_power;
    QString comment;
};

// Draws the page on canvas (already set up for the printer). Returns the reason when the page cannot be
// laid out (a power axis without height); nothing is drawn then.
std::optional<QString> draw(Canvas& canvas, const Inputs& in);

}  // namespace profile_page
