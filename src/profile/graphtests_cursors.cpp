// The profile window's cursors, zoom and pulse analysis: their controls and handlers. The rules are in
// cursor_model and pulse_analysis; this file wires them to the window.
#include "link/globals.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "profile/cursor_model.h"
#include "profile/graphtests.h"
#include "profile/graphtests_shared.h"
#include "profile/pulse_analysis.h"
#include "profile/pulse_define.h"
#include "util/number_text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cmath>

using namespace profile_window;

namespace {

const QString kPower = QStringLiteral("##0.000");

// A read-only result box. Results change with every trace: a plain box on its own ground repaints at a
// fraction of the cost of a styled frame with the group box behind it.
QLineEdit* result_box(const QString& tip)
{
    auto* box = new QLineEdit;
    box->setReadOnly(true);
    box->setFrame(false);
    box->setToolTip(tip);
    box->setFixedWidth(78);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);
    return box;
}

// Re-enables a button on every way out of its handler.
class DisabledWhile {
public:
    explicit DisabledWhile(QPushButton* button) : button_(button) { button_->setEnabled(false); }
    ~DisabledWhile() { button_->setEnabled(true); }
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QPushButton* button_;
};

// The readouts let the window repaint; during a run the pass yields right after them, which serves.
void yield_after_readout(const graphtests& w)
{
    if (!w.run_in_progress())
        clk().yield();
}

}  // namespace

// ============================================================================================== building

QWidget* graphtests::build_cursor_moves()
{
    auto* box = new QGroupBox(QStringLiteral("Cursor Moves"));
    C1TPRL = new QPushButton(QStringLiteral("<< Cursor 1 to peak"));
    C1TPLR = new QPushButton(QStringLiteral("Cursor 1 to peak >>"));
    C2TPRL = new QPushButton(QStringLiteral("<< Cursor 2 to peak"));
    C2TPLR = new QPushButton(QStringLiteral("Cursor 2 to peaks >>"));
    COC[0] = new QPushButton(QStringLiteral("Center on C1"));
    COC[1] = new QPushButton(QStringLiteral("Center on C2"));
    Zoom_Between = new QPushButton(QStringLiteral("Zoom to Cursors"));
    Zoom_out = new QPushButton(QStringLiteral("Zoom Out"));
    Link_cursors_check = new QCheckBox(QStringLiteral("Link Cursors"));
    Difference_Needed = new QLineEdit(QStringLiteral("10"));
    Difference_Needed->setToolTip(QStringLiteral("Search for peaks that are X dBm in size"));
    Difference_Needed->setFixedWidth(48);
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(2);
    grid->addWidget(C1TPRL, 0, 0);
    grid->addWidget(C1TPLR, 0, 1);
    grid->addWidget(COC[0], 0, 2);
    grid->addWidget(C2TPRL, 1, 0);
    grid->addWidget(C2TPLR, 1, 1);
    grid->addWidget(COC[1], 1, 2);
    grid->addWidget(Zoom_Between, 2, 0);
    grid->addWidget(Zoom_out, 2, 1);
    grid->addWidget(Link_cursors_check, 2, 2);
    auto* difference = new QHBoxLayout;
    difference->addWidget(new QLabel(QStringLiteral("Difference needed")));
    difference->addWidget(Difference_Needed);
    difference->addWidget(new QLabel(QStringLiteral("dBm")));
    difference->addStretch(1);
    grid->addLayout(difference, 3, 0, 1, 3);
    return box;
}

QWidget* graphtests::build_pulse_page()
{
    auto* page = new QWidget;
    Pulse_label = new QLabel(QStringLiteral("You must have just one pulse visible on the display area."));
    Pulse_label->setWordWrap(true);
    Pulse_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Time_frame = new QGroupBox(QStringLiteral("Time Measurements (mS)"));
    Rise_Time_Value = result_box(QStringLiteral("Time taken from rising Proximal to Distal point"));
    Fall_Time_Value = result_box(QStringLiteral("Time taken from Falling Distal to Proximal point"));
    Pulse_duration_value = result_box(QStringLiteral("Width of pulse"));
    Pulse_Rep = result_box(QStringLiteral("Period of pulse"));
    Rep_Freq = result_box(QStringLiteral("Frequency of pulse"));
    Duty_cycle_Value = result_box(QStringLiteral("Duty cycle of pulse %"));
    Off_time = result_box(QStringLiteral("Time when pulse is off in the period"));
    Power_frame = new QGroupBox(QStringLiteral("Power Measurements (dBm)"));
    top_line_Value = result_box(QStringLiteral("The Top amplitude of the pulse"));
    bottom_line_Value = result_box(QStringLiteral("Base line of signal (noise floor)"));
    Pulse_power = result_box(QStringLiteral("Power between pulse's mesial points"));
    Peak_Power = result_box(QStringLiteral("Peak Power measured on graph"));
    Overshoot = result_box(QStringLiteral("Peak power - Top Line"));
    Average_power = result_box(QStringLiteral("Average of entire pulse period"));

    const auto fill = [](QGroupBox* frame, std::initializer_list<std::pair<const char*, QLineEdit*>> rows) {
        auto* grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        int k = 0;
        for (const auto& [caption, box] : rows) {
            grid->addWidget(new QLabel(QString::fromLatin1(caption)), k / 2, (k % 2) * 2);
            grid->addWidget(box, k / 2, (k % 2) * 2 + 1);
            ++k;
        }
    };
    fill(Time_frame, {{"Rise Time", Rise_Time_Value},
                      {"Fall Time", Fall_Time_Value},
                      {"Width", Pulse_duration_value},
                      {"Period", Pulse_Rep},
                      {"Frequency", Rep_Freq},
                      {"Duty Cycle", Duty_cycle_Value},
                      {"Off Time", Off_time}});
    fill(Power_frame, {{"Top Line", top_line_Value},
                       {"Base Line", bottom_line_Value},
                       {"Pulse Power", Pulse_power},
                       {"Peak Power", Peak_Power},
                       {"Overshoot", Overshoot},
                       {"Average", Average_power}});

    Define_pulse_button = new QPushButton(QStringLiteral("Define Pulse"));
    Define_pulse_button->setToolTip(QStringLiteral("Change the Distal, Mesial, Proximal places"));
    Auto_cursors = new QPushButton(QStringLiteral("Auto Cursors"));
    Show_Lines_Check = new QCheckBox(QStringLiteral("Show Lines"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Define_pulse_button);
    buttons->addWidget(Auto_cursors);
    buttons->addWidget(Show_Lines_Check);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(page);
    layout->addWidget(Pulse_label, 0, 0, 1, 2);
    layout->addWidget(Time_frame, 0, 0);
    layout->addWidget(Power_frame, 0, 1);
    layout->addLayout(buttons, 0, 2);
    layout->setColumnStretch(3, 1);
    // Until a trace has been analysed there are no results to show.
    Time_frame->hide();
    Power_frame->hide();
    Show_Lines_Check->hide();
    Define_pulse_button->setEnabled(false);
    return page;
}

void graphtests::wire_cursor_controls()
{
    connect(C1TPLR, &QPushButton::clicked, this, guarded_slot([this] { C1TPLR_Click(); }));
    connect(C1TPRL, &QPushButton::clicked, this, guarded_slot([this] { C1TPRL_Click(); }));
    connect(C2TPLR, &QPushButton::clicked, this, guarded_slot([this] { C2TPLR_Click(); }));
    connect(C2TPRL, &QPushButton::clicked, this, guarded_slot([this] { C2TPRL_Click(); }));
    for (int i = 0; i < 2; ++i)
        connect(COC[i], &QPushButton::clicked, this, guarded_slot([this, i] { COC_Click(i); }));
    connect(Zoom_Between, &QPushButton::clicked, this, guarded_slot([this] { Zoom_Between_Click(); }));
    connect(Zoom_out, &QPushButton::clicked, this, guarded_slot([this] { Zoom_out_Click(); }));
    connect(Link_cursors_check, &QCheckBox::clicked, this, guarded_slot([this] { Link_cursors_check_Click(); }));
    connect(Auto_cursors, &QPushButton::clicked, this, guarded_slot([this] { Auto_cursors_Click(); }));
    connect(Show_Lines_Check, &QCheckBox::clicked, this, guarded_slot([this] { Show_Lines_Check_Click(); }));
    connect(Define_pulse_button, &QPushButton::clicked, this, guarded_slot([this] { Define_pulse_button_Click(); }));
    connect(Auto_Setup, &QPushButton::clicked, this, guarded_slot([this] { Auto_Setup_Click(); }));
    // The mouse handlers only move indices and flags: no instrument call, nothing to guard.
    connect(graph, &CanvasWidget::mouse_down, this,
            [this](double x, double, Qt::MouseButton button) { graph_MouseDown(button, x); });
    connect(graph, &CanvasWidget::mouse_move, this,
            [this](double x, double, Qt::MouseButtons buttons) { graph_MouseMove(buttons & Qt::LeftButton, x); });
    connect(graph, &CanvasWidget::mouse_up, this, [this](double, double, Qt::MouseButton) { graph_MouseUp(); });
    graph->set_before_frame([this] {
        if (cursor_labels_pending)
            place_cursor_labels();
    });
    // The floating labels paint their own ground, so a new reading does not repaint the graph under them.
    for (QLabel* l : {cur1_data, cur2_data}) {
        l->setStyleSheet(QString());
        QPalette palette = l->palette();
        palette.setColor(QPalette::Window, graph->canvas().back_color());
        palette.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(palette);
        l->setAutoFillBackground(true);
    }
    for (QWidget* w : {form_, static_cast<QWidget*>(Pulse_Graph_Frame)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

// ============================================================================================== cursors

void graphtests::update_cursors()
{
    seconds_per_point = capture_period_s / 200;
    const profile_cursors::Pair p = profile_cursors::from_gate(sample_delay_ms, gate_width_ms, seconds_per_point);
    cursor1_index = p.c1;
    cursor2_index = p.c2;
}

void graphtests::update_cursor_data()
{
    const double t1 = cursor1_index * double(seconds_per_point);
    const double t2 = cursor2_index * double(seconds_per_point);
    cursor_time_diff = float(std::abs(t2 - t1));
    const auto reading = [this](int index) { return double(graph_trace[std::size_t(index)]) / 1024.0; };
    const bool valid1 = cursor1_index < 200 && trace_valid;
    const bool valid2 = cursor2_index < 200 && trace_valid;
    cur1_data->setText(profile_cursors::floating_label(valid1, valid1 ? reading(cursor1_index) : 0, t1));
    cur2_data->setText(profile_cursors::floating_label(valid2, valid2 ? reading(cursor2_index) : 0, t2));
    Pwr_diff_data->setText(valid1 && valid2 ? numtext::format(reading(cursor2_index) - reading(cursor1_index), kPower)
                                            : QString());
    // Placed with the graph's next frame: a label that narrows uncovers graph, and that is repainted then.
    cursor_labels_pending = true;
    graph->request_frame();
    cur1_data->show();
    cur2_data->show();
    yield_after_readout(*this);
}

void graphtests::place_cursor_labels()
{
    // From the graph's size as laid out now: called again whenever the graph is resized.
    cursor_labels_pending = false;
    int which = 1;
    for (auto [label, index] : {std::pair{cur1_data, cursor1_index}, std::pair{cur2_data, cursor2_index}}) {
        // Every trace comes through here: a label is resized and moved only when that changes anything.
        if (const QSize hint = label->sizeHint(); hint != label->size())
            label->resize(hint);
        if (const QPoint corner = profile_cursors::label_corner(which++, index, label->size(), graph->width());
            corner != label->pos())
            label->move(corner);
    }
}

void graphtests::cursor_readout()
{
    if (SSTab1->currentIndex() >= 5 || cursor_panel_hidden)
        return;
    const double c1 = graph_trace[std::size_t(cursor1_index)] / 1024.0;
    const double c2 = graph_trace[std::size_t(cursor2_index)] / 1024.0;
    cursor1_data->setText(numtext::format(c1, kPower));
    Cursor2_data->setText(numtext::format(c2, kPower));
    Pwr_diff_data->setText(numtext::format(c2 - c1, kPower));
    cursor_time_diff = float(std::abs(cursor2_index - cursor1_index) * double(seconds_per_point));
    const profile_cursors::ShownTime t = profile_cursors::shown_time(cursor_time_diff);
    Time_diff_Data->setText(t.value);
    time_label->setText(t.unit);
    // From the cursors as they stand now, not as they stood when the trace came in.
    average_between_cursors();
    Avg_Power_Data->setText(numtext::format(avg_power_between_cursors, kPower));
    yield_after_readout(*this);
}

void graphtests::draw_cursors()
{
    if (SSTab1->currentIndex() > 4)
        return;
    profile_cursors::draw(graph->canvas(), {cursor1_index, cursor2_index}, Link_cursors_check->isChecked(),
                          double(y_top) * 1024, double(y_bottom) * 1024);
}

void graphtests::average_between_cursors()
{
    avg_power_between_cursors = profile_cursors::average_between(graph_trace.data(), {cursor1_index, cursor2_index});
}

void graphtests::lock_cursors()
{
    if (Lock_to_min_max->isChecked() && Track_min_max_check->isChecked()) {
        cursor1_index = trace_min_index;
        cursor2_index = trace_max_index;
    }
}

// ---- mouse

namespace {
bool cursors_locked(const QCheckBox* lock, const QCheckBox* track) { return lock->isChecked() && track->isChecked(); }
}  // namespace

void graphtests::graph_MouseDown(Qt::MouseButton button, double)
{
    if (cursors_locked(Lock_to_min_max, Track_min_max_check))
        return;
    if (button == Qt::LeftButton)
        cursor_dragging = true;
}

void graphtests::graph_MouseMove(bool button_down, double x)
{
    if (cursors_locked(Lock_to_min_max, Track_min_max_check))
        return;
    if (!cursor_dragging || !button_down) {
        drag_target = profile_cursors::hit_target(x, {cursor1_index, cursor2_index});
        if (drag_target != 0)
            graph->setCursor(Qt::SizeHorCursor);
        else
            graph->unsetCursor();
        return;
    }
    if (drag_target == 0)
        return;
    const profile_cursors::Pair p = profile_cursors::dragged(drag_target, x, {cursor1_index, cursor2_index},
                                                             Link_cursors_check->isChecked());
    cursor1_index = p.c1;
    cursor2_index = p.c2;
    cursor_redraw_pending = true;
}

void graphtests::graph_MouseUp()
{
    if (cursors_locked(Lock_to_min_max, Track_min_max_check))
        return;
    cursor_dragging = false;
    cursor_redraw_pending = true;
    drag_target = 0;
    graph->unsetCursor();
}

void graphtests::Form_MouseMove()
{
    drag_target = 0;
    cursor_dragging = false;
    graph->unsetCursor();
}

void graphtests::Timer1_Timer()
{
    // Never inside another tick, and never between a request and its reply: the work waits a tick.
    if (!cursor_redraw_pending || in_timer_ || exchange_open_)
        return;
    cursor_redraw_pending = false;
    in_timer_ = true;
    const struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{in_timer_};
    draw_graph();
    update_cursor_data();
    cursor_readout();
    sample_and_gate_update();
    Do_Pulse_Info();
    clk().yield();
}

// ---- buttons

namespace {
void step_cursor(graphtests& w, int which, bool rightwards)
{
    const profile_cursors::Pair p = profile_cursors::stepped(
        w.graph_trace.data(), {w.cursor1_index, w.cursor2_index}, which, rightwards,
        profile_cursors::step_threshold(w.Difference_Needed->text()), w.Link_cursors_check->isChecked());
    w.cursor1_index = p.c1;
    w.cursor2_index = p.c2;
    w.draw_graph();
    w.update_cursor_data();
    w.sample_and_gate_update();
    w.cursor_readout();
}
}  // namespace

void graphtests::C1TPLR_Click() { step_cursor(*this, 1, true); }
void graphtests::C1TPRL_Click() { step_cursor(*this, 1, false); }
void graphtests::C2TPLR_Click() { step_cursor(*this, 2, true); }
void graphtests::C2TPRL_Click() { step_cursor(*this, 2, false); }

namespace {

// One burst to show what a zoom or a centring changed, unless a run is going (its next pass shows it).
void show_when_idle(graphtests& w)
{
    if (!w.run_in_progress()) {
        w.run_once = true;
        w.start_test();
    }
}

// The display after a zoom: the delays and the span into the fields and boxes, then to the meter.
void apply_zoom(graphtests& w, const profile_cursors::Delays& z, const QString& ddp_text, const QString& sample_text)
{
    w.display_delay_ms = float(z.display_delay_ms);
    w.DDP->setText(ddp_text);
    w.right_x_axis->setText(numtext::str_single(float(z.span_ms)));
    w.sample_delay_ms = float(z.sample_delay_ms);
    w.sample_delay_data->setText(sample_text);
    w.capture_span_ms = float(z.span_ms);
    w.update_DDP();
    w.update_sample_delay();
    w.update_collection_period();
    w.update_cursors();
    show_when_idle(w);
}

}  // namespace

void graphtests::COC_Click(int index)
{
    const DisabledWhile disabled(COC[index]);
    const profile_cursors::Delays d =
        profile_cursors::centred(index, display_delay_ms, sample_delay_ms, gate_width_ms, capture_span_ms);
    display_delay_ms = float(d.display_delay_ms);
    DDP->setText(numtext::str_single(display_delay_ms));
    sample_delay_ms = float(d.sample_delay_ms);
    sample_delay_data->setText(numtext::str_single(sample_delay_ms));
    update_DDP();
    update_sample_delay();
    update_cursors();
    draw_cursors();
    show_when_idle(*this);
}

void graphtests::Zoom_Between_Click()
{
    const DisabledWhile disabled(Zoom_Between);
    if (const auto z = profile_cursors::zoomed_in(display_delay_ms, sample_delay_ms, gate_width_ms))
        apply_zoom(*this, *z, numtext::str_single(float(z->display_delay_ms)), QStringLiteral("0"));
    else
        platform().prompts->beep();
}

void graphtests::Zoom_out_Click()
{
    const DisabledWhile disabled(Zoom_out);
    if (const auto z = profile_cursors::zoomed_out(display_delay_ms, sample_delay_ms, capture_span_ms))
        apply_zoom(*this, *z, numtext::cstr_single(float(z->display_delay_ms)),
                   numtext::str_single(float(z->sample_delay_ms)));
    else
        platform().prompts->beep();
}

void graphtests::Link_cursors_check_Click() { draw_graph(); }

void graphtests::Auto_cursors_Click() { Auto_Place_Cursors(); }

// ============================================================================================== pulse

void graphtests::Do_Pulse_Info()
{
    if (SSTab1->currentIndex() >= 5)
        return;
    // The levels of the trace now shown, not of whatever trace was last analysed.
    calculate_Min_Max_Value();
    const pulse_analysis::OnePulse one = pulse_analysis::check_one_pulse(
        graph_trace.data(), cursor1_index, cursor2_index, level_min, level_max, true);
    pulse_analysis::Texts t;
    if (one.found) {
        if (!Pulse_label->isHidden()) {
            Pulse_label->hide();
            Show_Lines_Check->show();
            Time_frame->show();
            Power_frame->show();
            Define_pulse_button->setEnabled(true);
        }
        Calculate_top_bottom();
        const Globals& gs = g();
        pulse_analysis::Input in;
        in.trace = graph_trace.data();
        in.cursor_a = cursor1_index;
        in.cursor_b = cursor2_index;
        in.pulse_top = pulse_top;
        in.pulse_bottom = pulse_bottom;
        in.fractions = {gs.pulse_distal, gs.pulse_mesial, gs.pulse_proximal};
        in.span_ms = capture_span_ms;
        in.peak_power_dbm = numtext::val(Peak_Power->text());
        pulse_result = pulse_analysis::analyse(in);
        t = pulse_analysis::texts(pulse_result);
        pulse_found = true;
    } else {
        if (Pulse_label->isHidden()) {
            Show_Lines_Check->hide();
            Time_frame->hide();
            Power_frame->hide();
            Define_pulse_button->setEnabled(false);
            Pulse_label->show();
        }
        Pulse_label->setText(pulse_analysis::hint_text());
        t = pulse_analysis::not_available();
        pulse_found = false;
    }
    const std::pair<QLineEdit*, const QString*> boxes[] = {
        {top_line_Value, &t.top_line},   {bottom_line_Value, &t.bottom_line}, {Rise_Time_Value, &t.rise_time},
        {Fall_Time_Value, &t.fall_time}, {Pulse_duration_value, &t.width},    {Pulse_power, &t.pulse_power},
        {Overshoot, &t.overshoot},       {Pulse_Rep, &t.repetition},          {Rep_Freq, &t.frequency},
        {Duty_cycle_Value, &t.duty_cycle}, {Off_time, &t.off_time},           {Average_power, &t.average_power},
    };
    // Only what changed is repainted.
    for (const auto& [box, text] : boxes)
        if (box->text() != *text)
            box->setText(*text);
}

void graphtests::show_pulse_lines()
{
    if (pulse_found)
        pulse_analysis::draw_lines(graph->canvas(), pulse_result, capture_span_ms);
}

void graphtests::refresh_pulse_info()
{
    Do_Pulse_Info();
    draw_graph();
}

void graphtests::Auto_Place_Cursors()
{
    cursor1_index = 0;
    cursor2_index = 199;
    calculate_Min_Max_Value();
    const pulse_analysis::Gate gate = pulse_analysis::auto_gate(graph_trace.data(), level_min, level_max);
    const float ms_per_point = capture_span_ms / 200;
    sample_delay_ms = ms_per_point * float(gate.first);
    sample_delay_data->setText(numtext::str_single(sample_delay_ms));
    gate_width_ms = ms_per_point * float(gate.last - gate.first);
    gate_width_data->setText(numtext::str_single(gate_width_ms));
    update_sample_delay();
    update_gate_width();
    update_cursors();
    update_cursor_data();
    // The figures shown are those between the cursors just placed, not the ones before.
    cursor_readout();
    Do_Pulse_Info();
    draw_graph();
}

void graphtests::Show_Lines_Check_Click()
{
    show_lines = Show_Lines_Check->isChecked();
    if (run_stopped)
        draw_graph();
}

void graphtests::Define_pulse_button_Click()
{
    {
        pulse_define window(this);
        window.exec();
    }
    refresh_pulse_info();
}
