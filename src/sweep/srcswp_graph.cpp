// The source-sweep window's graph: drawing, the two cursors and their readouts, the axes and their boxes,
// zoom and centring, the pointer on the graph, and the graph's save.
#include "frame/ui_scopes.h"
#include "graph/trace_graph.h"
#include "platform/canvas.h"
#include "sweep/srcswp.h"
#include "sweep/srcswp_shared.h"
#include "sweep/sweep_file.h"
#include "util/number_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace sweep_rules;
using namespace srcswp_shared;

// ============================================================================================== graph

void srcswp::write_y_axis(float top, float bottom)
{
    y_top_label->setText(numtext::format_single(top, QStringLiteral("#0.00")));
    y_bottom_label->setText(numtext::format_single(bottom, QStringLiteral("#0.00")));
    top_y_axis->setText(y_top_label->text());
    bottom_y_axis->setText(y_bottom_label->text());
    graph->canvas().scale(1, double(top) * 1024, 200, double(bottom) * 1024);
    clk().yield();
}

void srcswp::draw_graph()
{
    Canvas& c = graph->canvas();
    c.cls();
    trace_graph::draw_graph_lines(c);
    draw_cursors();
    if (data_valid)
        trace_graph::draw_trace(c, graph_trace.data(), y_top, y_bottom);
}

void srcswp::draw_cursors()
{
    Canvas& c = graph->canvas();
    c.set_draw_style(Canvas::DrawStyle::Dash);
    for (int index : {cursor1_index, cursor2_index})
        c.line(index, double(y_top) * 1024, index, double(y_bottom) * 1024);
    c.set_draw_style(Canvas::DrawStyle::Solid);
}

void srcswp::update_cursors()
{
    const float spacing = 0.01f / kPoints;
    cursor1_index = int(numtext::fix(gate_delay / spacing + 0.5f));
    cursor2_index = cursor1_index + int(numtext::fix(gate_width / spacing + 0.5f));
}

void srcswp::update_cursor_data()
{
    if (!data_valid || !cursor_info_on) {
        for (QLabel* l : {cur1_data, cur2_data, diff_data})
            l->setVisible(false);
        return;
    }
    const double left = numtext::val(left_x_axis->text());
    const double right = numtext::val(right_x_axis->text());
    const bool level = level_sweep == 1;
    const double start = level ? double(sweep_start_level) : sweep_start_freq;
    const double c1 = graph_trace[std::size_t(cursor1_index)] / 1024.0;
    const double c2 = graph_trace[std::size_t(cursor2_index)] / 1024.0;
    cur1_data->setText(cursor_label(1, c1, cursor_x(cursor1_index, left, right, start), level));
    cur2_data->setText(cursor_label(2, c2, cursor_x(cursor2_index, left, right, start), level));
    diff_data->setText(diff_label(c2 - c1));
    const Canvas& c = graph->canvas();
    const double h = c.text_height();
    const double top = double(y_top) * 1024, bottom = double(y_bottom) * 1024;
    const double down = c.y_down();
    const auto left_edge = [](double at, double w) { return at + 1.75 * w > 200 ? 198 - 1.5 * w : at; };
    const double w1 = c.text_width(cur1_data->text());
    const double w2 = c.text_width(cur2_data->text());
    const double wd = c.text_width(diff_data->text());
    place_on_graph(cur1_data, left_edge(cursor1_index + 1, w1), top);
    place_on_graph(cur2_data, left_edge(cursor2_index + 1, w2), top + down * 2 * h);
    place_on_graph(diff_data, left_edge((cursor1_index + cursor2_index) / 2.0 - w1, wd), bottom - down * 2 * h);
}

void srcswp::place_on_graph(QLabel* label, double x, double y)
{
    const QRectF s = graph->canvas().user_scale();
    const double px = (x - s.left()) / s.width() * graph->width();
    const double py = (y - s.top()) / s.height() * graph->height();
    label->adjustSize();
    label->move(int(px), int(py));
    label->show();
    label->raise();
}

void srcswp::cursor_readout()
{
    if (cursor_info_on)
        return;
    const bool level = level_sweep == 1;
    const double start = level ? double(sweep_start_level) : sweep_start_freq;
    const double stop = level ? double(sweep_stop_level) : sweep_stop_freq;
    const double c1 = graph_trace[std::size_t(cursor1_index)] / 1024.0;
    const double c2 = graph_trace[std::size_t(cursor2_index)] / 1024.0;
    const QString f = QStringLiteral("##0.000");
    cursor1_data->setText(numtext::format(c1, f));
    Cursor2_data->setText(numtext::format(c2, f));
    Pwr_diff_data->setText(numtext::format(c2 - c1, f));
    Time_diff_Data->setText(numtext::format(cursor_x(cursor1_index, start, stop, start), f));
    Avg_Power_Data->setText(numtext::format(cursor_x(cursor2_index, start, stop, start), f));
    time_label->setText(level ? QStringLiteral("dBm") : QStringLiteral("GHz"));
    avg_pwr_label->setText(time_label->text());
}

void srcswp::update_screen_x_axis()
{
    const QSignalBlocker block_left(left_x_axis);
    const QSignalBlocker block_right(right_x_axis);
    if (level_sweep == 0) {
        if (Sweep_Type[2]->isChecked()) {
            sweep_start_freq = numtext::val(freq_step_start->text());
            sweep_stop_freq = numtext::val(freq_step_stop->text());
        } else if (Sweep_Type[0]->isChecked()) {
            sweep_start_freq = numtext::val(Freq_analog_start->text());
            sweep_stop_freq = numtext::val(freq_analog_stop->text());
        }
        left_x_axis->setText(axis_text(sweep_start_freq));
        right_x_axis->setText(axis_text(sweep_stop_freq));
        x1_label->setText(QStringLiteral("C1 FRQ"));
        x2_label->setText(QStringLiteral("C2 FRQ"));
        x_lh_label->setText(QStringLiteral("GHz"));
        x_rh_label->setText(QStringLiteral("GHz"));
    } else {
        left_x_axis->setText(axis_text(numtext::val(Level_sweep_start->text())));
        right_x_axis->setText(axis_text(numtext::val(level_sweep_stop->text())));
        x1_label->setText(QStringLiteral("C1 PWR"));
        x2_label->setText(QStringLiteral("C2 PWR"));
        x_lh_label->setText(QStringLiteral("dBm"));
        x_rh_label->setText(QStringLiteral("dBm"));
    }
    x_lh_label->adjustSize();
    x_rh_label->adjustSize();
    place_x_axis_boxes();
    clk().yield();
}

void srcswp::update_y_axis()
{
    send_meter(trace_graph::y_axis_command(y_top, y_bottom), QStringLiteral("Y axis set "));
}

void srcswp::auto_scale_graph()
{
    if (const auto scale = auto_scale(extremes, minmax_restart)) {
        y_top = scale->first;
        y_bottom = scale->second;
        write_y_axis(y_top, y_bottom);
        draw_graph();
    }
}

void srcswp::auto_scale_y_Click()
{
    auto_scale_graph();
    single_run_when_idle();
}

void srcswp::top_y_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    enter_y_end(y_axis_entry(true, top_y_axis->text(), y_bottom), y_top, top_y_axis, y_top_label);
}

void srcswp::bottom_y_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    enter_y_end(y_axis_entry(false, bottom_y_axis->text(), y_top), y_bottom, bottom_y_axis, y_bottom_label);
}

void srcswp::enter_y_end(std::optional<float> value, float& end, QLineEdit* box, const QLabel* in_force)
{
    if (value) {
        end = *value;
        update_y_axis();
        write_y_axis(y_top, y_bottom);
        draw_graph();
    } else {
        box->setText(in_force->text());
    }
    clk().yield();
}

void srcswp::left_x_axis_KeyPress(int key_code)
{
    if (key_code == kEnter)
        enter_x_end(true, left_x_axis);
}

void srcswp::right_x_axis_KeyPress(int key_code)
{
    if (key_code == kEnter)
        enter_x_end(false, right_x_axis);
}

void srcswp::enter_x_end(bool start, const QLineEdit* box)
{
    const Hourglass hourglass;
    const bool level = level_sweep == 1;
    const double other = level ? double(start ? sweep_stop_level : sweep_start_level)
                               : (start ? sweep_stop_freq : sweep_start_freq);
    // The other end's sweep box must have reached the meter: the figure read from "" or "nan" is 0, not
    // the meter's end, and would let this end be sent past it.
    const QLineEdit* other_box = level                      ? (start ? level_sweep_stop : Level_sweep_start)
                                 : Sweep_Type[2]->isChecked() ? (start ? freq_step_stop : freq_step_start)
                                 : Sweep_Type[0]->isChecked() ? (start ? freq_analog_stop : Freq_analog_start)
                                                              : nullptr;
    const bool other_sent = !other_box || entry::sendable(other_box->text(), level ? kLevel : entry::kAboveZero);
    // A refused end sends nothing; the boxes show the axis the instruments have again.
    if (const auto v = other_sent ? x_axis_entry(level, start, box->text(), other) : std::nullopt) {
        send_meter(x_axis_command(level, start, *v), x_axis_label(level, start));
        if (level)
            (start ? sweep_start_level : sweep_stop_level) = *v;
        else
            (start ? sweep_start_freq : sweep_stop_freq) = *v;
    }
    update_screen_x_axis();
}

void srcswp::cursor_to_turning_point(int cursor, bool to_right)
{
    int& index = cursor == 1 ? cursor1_index : cursor2_index;
    index = turning_point(graph_trace.data(), index, to_right);
    draw_graph();
    update_cursor_data();
    cursor_readout();
}

void srcswp::graph_MouseDown(double, double, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        mouse_down = true;
}

void srcswp::graph_MouseMove(double x, double y)
{
    const int ix = numtext::cint(x);
    mouse_posn->setText(QStringLiteral("X ") + numtext::str_int(ix) + QStringLiteral(",Y ") +
                        numtext::format(y / 1024, QStringLiteral("#0.000")));
    const Canvas& c = graph->canvas();
    const double h = c.text_height();
    const double bottom = double(y_bottom) * 1024;
    const double near_bottom = std::abs(y - bottom) < 2 * h;
    place_on_graph(mouse_posn, ix < 176 ? ix + 5 : ix - 25, near_bottom ? y - c.y_down() * 2 * h : y + c.y_down() * h);
    if (!mouse_down) {
        grabbed_cursor = cursor_near(x, cursor1_index, cursor2_index);
        if (grabbed_cursor != 0)
            graph->setCursor(Qt::SizeHorCursor);
        else
            graph->unsetCursor();
    } else if (grabbed_cursor != 0) {
        (grabbed_cursor == 1 ? cursor1_index : cursor2_index) = drag_index(x);
        redraw_pending = true;
    }
}

void srcswp::graph_MouseUp()
{
    update_cursor_data();
    cursor_readout();
    draw_graph();
    redraw_pending = false;
    mouse_down = false;
    grabbed_cursor = 0;
    graph->unsetCursor();
}

void srcswp::Zoom_Between_Click()
{
    Zoom_Between->setEnabled(false);
    const auto [start, stop] = zoom_between(value_after_at(cur1_data->text()), value_after_at(cur2_data->text()));
    if (write_sweep_range(start, stop))
        single_run_when_idle();
    Zoom_Between->setEnabled(true);
}

void srcswp::Zoom_out_Click()
{
    Zoom_out->setEnabled(false);
    const double left = numtext::val(left_x_axis->text());
    const double right = numtext::val(right_x_axis->text());
    const auto [start, stop] = zoom_out(left, right, level_sweep == 0);
    if (write_sweep_range(start, stop)) {
        update_screen_x_axis();
        single_run_when_idle();
    }
    Zoom_out->setEnabled(true);
}

void srcswp::COC_Click(int index)
{
    COC[index]->setEnabled(false);
    const double left = numtext::val(left_x_axis->text());
    const double right = numtext::val(right_x_axis->text());
    const double centre = value_after_at((index == 0 ? cur1_data : cur2_data)->text());
    const auto [start, stop] = centre_on(left, right, centre, level_sweep == 0);
    // "Center on" moves a frequency sweep between step and analog boxes by the chosen kind.
    if (write_sweep_range(start, stop)) {
        (index == 0 ? cursor1_index : cursor2_index) = kCentreIndex;
        single_run_when_idle();
    }
    COC[index]->setEnabled(true);
}

// ============================================================================================== data file

void srcswp::menuSaveGraph_Click()
{
    if (!data_valid) {
        prompts().message_box(QStringLiteral("You have no graph to save!"));
        return;
    }
    save_sweep_graph(this, level_sweep == 1, numtext::val(left_x_axis->text()), numtext::val(right_x_axis->text()),
                     graph_trace.data());
}
