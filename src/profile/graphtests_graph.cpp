// The profile window's graph: the layout of both graph frames on a resize, the trace drawing and the
// axes with their entry boxes.
#include "frame/sorvdemo.h"
#include "frame/ui_scopes.h"
#include "graph/trace_graph.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "profile/graphtests_shared.h"
#include "profile/profile_graph.h"
#include "util/number_text.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <optional>

using namespace profile_window;

namespace {

// Pixels for a length in twips on this screen.
int twips(const QWidget* w, int t) { return std::max(1, t * w->logicalDpiX() / 1440); }

}  // namespace

void graphtests::Form_Resize()
{
    if (in_resize_)
        return;
    in_resize_ = true;
    setWindowTitle(QStringLiteral("Please wait...resizing display..."));
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    const Qt::WindowStates state = sub ? sub->windowState() : windowState();
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QSize grown(std::max(width(), kMinWidth), std::max(height(), kMinHeight));
        if (grown != size()) {
            if (sub)
                sub->resize(sub->size() + (grown - size()));
            resize(grown);
        }
    }
    if (const sorvdemo* main = sorvdemo::instance(); main && (main->width() < kMinWidth || main->height() < kMinHeight)) {
        in_resize_ = false;
        return;
    }

    const int w = form_->width();
    const int h = form_->height();
    const int tab_height = std::min(SSTab1->sizeHint().height(), std::max(120, h / 2));
    SSTab1->setGeometry(0, 0, w, tab_height);
    Pulse_Graph_Frame->setGeometry(0, tab_height, w, std::max(0, h - tab_height));
    PDF_Graph_Frame->setGeometry(0, tab_height, w, std::max(0, h - tab_height));

    const int right_margin = twips(this, 120);
    const int strip = twips(this, 400);
    const int box_h = 22;
    const int box_w = top_y_axis->width();

    // Profile graph: the y boxes on its left, the x texts in the strip below it.
    {
        const int fw = Pulse_Graph_Frame->width();
        const int fh = Pulse_Graph_Frame->height();
        const int left = box_w + 12;
        const int top = 6;
        const int gw = std::max(20, fw - left - right_margin);
        const int gh = std::max(20, fh - top - strip);
        graph->setGeometry(left, top, gw, gh);
        top_y_axis->move(4, top);
        y_top_label->move(4, top + box_h);
        Label5->move(4 + (box_w - Label5->sizeHint().width()) / 2, top + gh / 2 - Label5->sizeHint().height() / 2);
        bottom_y_axis->move(4, top + gh - box_h);
        y_bottom_label->move(4, top + gh - 2 * box_h);
        const int below = top + gh + (strip - box_h) / 2;
        x_lh_label->setGeometry(left, below, 80, box_h);
        Label6->setGeometry(left + gw - Label6->sizeHint().width(), below, Label6->sizeHint().width(), box_h);
        right_x_axis->move(Label6->x() - right_x_axis->width() - 4, below);
        min_max_label->setGeometry(left + 90, below, std::max(0, right_x_axis->x() - left - 100), box_h);
        profile_graph::set_graph_scale(graph->canvas(), y_top, y_bottom);
        place_cursor_labels();
    }

    // Statistics graph: the power boxes by its top and bottom edges with the shift buttons between them,
    // the share boxes by its ends below it with the step buttons between them.
    {
        const int fw = PDF_Graph_Frame->width();
        const int fh = PDF_Graph_Frame->height();
        const int left = box_w + 12;
        const int top = 6;
        const int scroll_w = Stats_Cursor_Scroll->sizeHint().width();
        const int gw = std::max(20, fw - left - right_margin - scroll_w);
        const int gh = std::max(20, fh - top - strip);
        PDF_Graph->setGeometry(left, top, gw, gh);
        Stats_Cursor_Scroll->setGeometry(left + gw + right_margin / 2, top, scroll_w, gh);
        Top_PDF_Scale->move(4, top);
        Bot_PDF_Scale->move(4, top + gh - box_h);
        const int middle = top + gh / 2;
        Shift_up_button->move(4 + (box_w - 28) / 2, middle - box_h - 14);
        Label13->move(4 + (box_w - Label13->sizeHint().width()) / 2, middle - box_h / 2);
        Shift_down_button->move(4 + (box_w - 28) / 2, middle + 14);
        const int below = top + gh + (strip - box_h) / 2;
        X_PDF_Start->move(left, below);
        X_PDF_Stop->move(left + gw - X_PDF_Stop->width(), below);
        const int centre = left + gw / 2;
        Decrease_PDF_X_Scale->move(centre - 28 - 16, below);
        Label16->move(centre - Label16->sizeHint().width() / 2, below);
        Increase_PDF_X_Scale->move(centre + 16, below);
    }

    update_Stats_Scale();
    setWindowTitle(QStringLiteral("Graphical display screen"));
    in_resize_ = false;
}

// ============================================================================================== graph

void graphtests::draw_graph()
{
    if (SSTab1->currentIndex() >= 5)
        return;
    Canvas& canvas = graph->canvas();
    canvas.cls();
    if (GraphLines->isChecked())
        draw_graph_lines();
    canvas.mark_static_layer();
    if (show_lines)
        show_pulse_lines();
    draw_cursors();
    if (trace_valid)
        trace_graph::draw_trace(canvas, graph_trace.data(), y_top, y_bottom);
    clk().yield();
}

void graphtests::draw_graph_lines() { trace_graph::draw_graph_lines(graph->canvas()); }

void graphtests::write_x_axis(float span, float left_edge)
{
    right_x_axis->setText(profile_graph::x_axis_span_text(span));
    x_lh_label->setText(profile_graph::x_axis_left_text(left_edge));
    clk().yield();
}

void graphtests::write_y_axis(float top, float bottom)
{
    y_top_label->setText(profile_graph::y_axis_label_text(top));
    y_bottom_label->setText(profile_graph::y_axis_label_text(bottom));
    top_y_axis->setText(y_top_label->text());
    bottom_y_axis->setText(y_bottom_label->text());
    if (profile_graph::set_graph_scale(graph->canvas(), top, bottom))
        draw_graph();
    else
        prompts().beep();
    clk().yield();
}

void graphtests::update_y_axis() { send_meter(trace_graph::y_axis_command(y_top, y_bottom), QStringLiteral("Y axis set ")); }

void graphtests::auto_scale_y_Click()
{
    Globals& gs = g();
    vbib32::Send(gs.gpib_board, gs.meter_address, "GRAUTO", vbib32::NLend);
    vbib32::Send(gs.gpib_board, gs.meter_address, "GRAUTO", vbib32::NLend);
    gpibgen::gpib_error(QStringLiteral("AutoScale"));
    const auto ask = [&](const char* query) -> std::optional<QString> {
        QByteArray buffer = vbib32::fixed_buffer(50);
        {
            const ExchangeScope exchange(exchange_open_);
            vbib32::Send(gs.gpib_board, gs.meter_address, query, vbib32::NLend);
            vbib32::Receive(gs.gpib_board, gs.meter_address, buffer, vbib32::STOPend);
        }
        if (gpibgen::gpib_error(QStringLiteral("Get Y scale")) > 0)
            return std::nullopt;
        return vbib32::text_of(buffer);
    };
    const std::optional<QString> bottom_reply = ask("GRYB?");
    const std::optional<QString> top_reply = ask("GRYT?");
    // A failed read, a reply without a number or an upside-down scale leaves the graph as it is.
    const auto scale = profile_graph::auto_y_scale(bottom_reply, top_reply);
    if (!scale)
        return;
    y_bottom = scale->bottom;
    y_top = scale->top;
    update_y_axis();
    write_y_axis(y_top, y_bottom);
}

void graphtests::y_box_entered(int key_code, QLineEdit* box, float& value, bool (*accept)(double, double),
                               float other)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    const double v = numtext::val(box->text());
    if (accept(v, other)) {
        value = float(v);
        update_y_axis();
        write_y_axis(y_top, y_bottom);
    }
    box->setText(profile_graph::y_axis_label_text(value));
}

void graphtests::top_y_axis_KeyPress(int key_code)
{
    y_box_entered(key_code, top_y_axis, y_top, &profile_graph::accept_y_top, y_bottom);
}

void graphtests::bottom_y_axis_KeyPress(int key_code)
{
    y_box_entered(key_code, bottom_y_axis, y_bottom, &profile_graph::accept_y_bottom, y_top);
}

void graphtests::right_x_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    const double v = numtext::val(right_x_axis->text());
    if (profile_graph::accept_x_span(v, x_left_edge_ms)) {
        capture_span_ms = float(v);
        update_collection_period();
        write_x_axis(capture_span_ms, x_left_edge_ms);
        update_cursors();
        graph->canvas().cls();
        draw_cursors();
    }
    right_x_axis->setText(profile_graph::x_axis_span_text(capture_span_ms));
}

void graphtests::GraphLines_Click() { draw_graph(); }

void graphtests::Cursor_Controls_Click()
{
    cursor_panel_hidden = !cursor_panel_hidden;
    Frame3->setVisible(!cursor_panel_hidden);
    update_cursor_data();
    cursor_readout();
    clk().yield();
}
