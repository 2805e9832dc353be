// The source-sweep window: its controls and their wiring, the sends to the instruments, the menus and
// the tabs. Loading, the run loop, the set-up handlers and the graph are in the srcswp_*.cpp files.
#include "sweep/srcswp.h"

#include "frame/about_window.h"
#include "frame/form_area.h"
#include "frame/sorvdemo.h"
#include "frame/tab_page.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "sweep/srcswp_shared.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace sweep_rules;
using namespace srcswp_shared;

namespace {

const QString kCaption = QStringLiteral("Source Sweep mode");

// The client area, opening at the size the window asks for.
class SweepArea : public FormArea {
public:
    using FormArea::FormArea;
    QSize hint;
    QSize sizeHint() const override { return hint; }
};

QLineEdit* entry_box(const QString& text, const QString& tip = QString(), int width = 64)
{
    auto* box = new QLineEdit(text);
    box->setToolTip(tip);
    box->setFixedWidth(width);
    return box;
}

// Rewritten on every sweep: a box whose size stays put, so a new figure repaints only itself.
FixedLabel* readout_box()
{
    auto* l = new FixedLabel(QString(), QString());
    l->setMinimumWidth(64);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return l;
}

}  // namespace

// ============================================================================================== building

srcswp::srcswp(QWidget* parent) : ModeWindow(parent), reply_buffer(vbib32::fixed_buffer(kReplyBufferSize))
{
    setWindowTitle(kCaption);
    auto* area = new SweepArea(this);
    form_ = area;
    setCentralWidget(form_);
    build_menus();
    build_tabs();
    build_graph_frame();
    // The tab keeps the size it asks for; the window opens with room beside it for a graph as wide.
    SSTab1->resize(std::max(SSTab1->sizeHint().width(), SSTab1->tabBar()->sizeHint().width() + 8),
                   SSTab1->sizeHint().height());
    area->hint = QSize(SSTab1->width() * 2 + 120, kGraphTop + SSTab1->height() + 60);
    resize(sizeHint());
    area->on_resize = [this] { Form_Resize(); };
    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, guarded_slot([this] { Timer1_Timer(); }));
}

srcswp::~srcswp()
{
    if (please_wait_)
        delete please_wait_.data();
}

void srcswp::build_menus()
{
    const auto on = [this](void (srcswp::*handler)()) {
        return guarded_slot([this, handler] { (this->*handler)(); });
    };
    menuFileBar = menuBar()->addMenu(QStringLiteral("File"));
    menuSaveGraph = menuFileBar->addAction(QStringLiteral("&Save graph..."), this, on(&srcswp::menuSaveGraph_Click));
    menuPrinterSetup = menuFileBar->addAction(QStringLiteral("&Printer setup..."), this, on(&srcswp::menuPrinterSetup_Click));
    menuPrintGraph = menuFileBar->addAction(QStringLiteral("Print &Graph"), this, on(&srcswp::menuPrintGraph_Click));
    menuExit = menuFileBar->addAction(QStringLiteral("E&xit"), this, [this] { menuExit_Click(); });
    menuControlBar = menuBar()->addMenu(QStringLiteral("Control"));
    menuRunOnce = menuControlBar->addAction(QStringLiteral("Run &Once"), this, on(&srcswp::menuRunOnce_Click));
    menuRunCont = menuControlBar->addAction(QStringLiteral("Run &Continuous"), this, on(&srcswp::menuRunCont_Click));
    menuStop = menuControlBar->addAction(QStringLiteral("&Stop"), this, [this] { menuStop_Click(); });
    menuStop->setEnabled(false);
    menuDisplay = menuControlBar->addAction(QStringLiteral("Power Meter Display"), this, on(&srcswp::menuDisplay_Click));
    menuDisplay->setCheckable(true);
    menuHelpBar = menuBar()->addMenu(QStringLiteral("Help"));
    menuAbout = menuHelpBar->addAction(QStringLiteral("&About"), this, on(&srcswp::menuAbout_Click));
}

void srcswp::build_tabs()
{
    SSTab1 = new QTabWidget(form_);

    // Tab 0: the meter.
    auto* page0 = new QWidget;
    auto* frame4 = new QGroupBox(QStringLiteral("Channel configuration"));
    Chan_Config_combo = new QComboBox;
    Chan_Config_combo->addItems({QStringLiteral("Measure Sensor A"), QStringLiteral("Measure Sensor B"),
                                 QStringLiteral("Measure Sensor A-B"), QStringLiteral("Measure Sensor B-A")});
    seq_sync_check = new QCheckBox(QStringLiteral("Use Sequential Sync "));
    seq_sync_check->setChecked(true);
    auto* f4 = new QVBoxLayout(frame4);
    f4->addWidget(Chan_Config_combo);
    f4->addWidget(seq_sync_check);
    auto* frame10 = new QGroupBox(QStringLiteral("Averaging"));
    Averaging_combo = new QComboBox;
    Averaging_combo->addItems({QStringLiteral("OFF"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                               QStringLiteral("8"), QStringLiteral("16"), QStringLiteral("32"), QStringLiteral("64"),
                               QStringLiteral("128"), QStringLiteral("256")});
    Averaging_combo->setToolTip(QStringLiteral("Turn on averaging"));
    auto* f10 = new QVBoxLayout(frame10);
    f10->addWidget(Averaging_combo);
    f10->addStretch();
    add_frames_tab(SSTab1, page0, {frame4, frame10}, QStringLiteral("RQ58xxK"));

    // Tab 1: the generator.
    auto* page1 = new QWidget;
    auto* power_frame = new QGroupBox(QStringLiteral("Power Level Control"));
    Level_type[0] = new QRadioButton(QStringLiteral("Single power Level"));
    Level_type[1] = new QRadioButton(QStringLiteral("Level Sweep"));
    Level_type[0]->setChecked(true);
    Level_setup_frame = new QStackedWidget;
    auto* single = new QWidget;
    Level_Level = entry_box(QStringLiteral("0.00"), QStringLiteral("Level (dBm)"));
    auto* sg = new QGridLayout(single);
    add_entry_row(sg, 0, 0, QStringLiteral("Level"), Level_Level, QStringLiteral("dBm"));
    sg->setRowStretch(1, 1);
    auto* lsweep = new QWidget;
    Level_sweep_start = entry_box(QStringLiteral("-10.00"), QStringLiteral("Start level (dBm)"));
    level_sweep_stop = entry_box(QStringLiteral("10.00"), QStringLiteral("Stop level (dBm)"));
    level_sweep_steps = entry_box(QStringLiteral("50"), QStringLiteral("Number of steps"));
    level_sweep_dwell = entry_box(QStringLiteral("0.002"), QStringLiteral("Dwell per step (s)"));
    auto* lg = new QGridLayout(lsweep);
    add_entry_row(lg, 0, 0, QStringLiteral("Start"), Level_sweep_start, QStringLiteral("dBm"));
    add_entry_row(lg, 1, 0, QStringLiteral("Stop"), level_sweep_stop, QStringLiteral("dBm"));
    add_entry_row(lg, 0, 3, QStringLiteral("Steps"), level_sweep_steps);
    add_entry_row(lg, 1, 3, QStringLiteral("Dwell"), level_sweep_dwell, QStringLiteral("s"));
    Level_setup_frame->addWidget(single);
    Level_setup_frame->addWidget(lsweep);
    auto* pl = new QGridLayout(power_frame);
    pl->addWidget(Level_type[0], 0, 0);
    pl->addWidget(Level_type[1], 0, 1);
    pl->addWidget(Level_setup_frame, 1, 0, 1, 2);

    Frame2 = new QGroupBox(QStringLiteral("Frequency Sweep Setup"));
    Sweep_Type[0] = new QRadioButton(QStringLiteral("Analog"));
    Sweep_Type[1] = new QRadioButton(QStringLiteral("CW"));
    Sweep_Type[2] = new QRadioButton(QStringLiteral("Step"));
    Sweep_Type[0]->setChecked(true);
    Sweep_Type[1]->setEnabled(false);
    Freq_Setup_frame = new QStackedWidget;
    auto* analog = new QWidget;
    Freq_analog_start = entry_box(QString(), QStringLiteral("Start frequency (GHz)"));
    freq_analog_stop = entry_box(QString(), QStringLiteral("Stop frequency (GHz)"));
    freq_analog_time = entry_box(QString(), QStringLiteral("Sweep time (s)"));
    auto* ag = new QGridLayout(analog);
    add_entry_row(ag, 0, 0, QStringLiteral("Start"), Freq_analog_start, QStringLiteral("GHz"));
    add_entry_row(ag, 1, 0, QStringLiteral("Stop"), freq_analog_stop, QStringLiteral("GHz"));
    add_entry_row(ag, 0, 3, QStringLiteral("Time"), freq_analog_time, QStringLiteral("s"));
    auto* cw = new QWidget;
    freq_cw_freq = entry_box(QStringLiteral("2.0"), QStringLiteral("CW frequency (GHz)"));
    auto* cg = new QGridLayout(cw);
    add_entry_row(cg, 0, 0, QStringLiteral("Frequency"), freq_cw_freq, QStringLiteral("GHz"));
    cg->setRowStretch(1, 1);
    auto* step = new QWidget;
    freq_step_start = entry_box(QString(), QStringLiteral("Start frequency (GHz)"));
    freq_step_stop = entry_box(QString(), QStringLiteral("Stop frequency (GHz)"));
    freq_step_steps = entry_box(QString(), QStringLiteral("Number of steps"));
    freq_step_dwell = entry_box(QString(), QStringLiteral("Dwell per step (s)"));
    auto* stg = new QGridLayout(step);
    add_entry_row(stg, 0, 0, QStringLiteral("Start"), freq_step_start, QStringLiteral("GHz"));
    add_entry_row(stg, 1, 0, QStringLiteral("Stop"), freq_step_stop, QStringLiteral("GHz"));
    add_entry_row(stg, 0, 3, QStringLiteral("Steps"), freq_step_steps);
    add_entry_row(stg, 1, 3, QStringLiteral("Dwell"), freq_step_dwell, QStringLiteral("s"));
    Freq_Setup_frame->addWidget(analog);
    Freq_Setup_frame->addWidget(cw);
    Freq_Setup_frame->addWidget(step);
    auto* fl = new QGridLayout(Frame2);
    fl->addWidget(Sweep_Type[0], 0, 0);
    fl->addWidget(Sweep_Type[1], 0, 1);
    fl->addWidget(Sweep_Type[2], 0, 2);
    fl->addWidget(Freq_Setup_frame, 1, 0, 1, 3);
    RF_Output_Check = new QCheckBox(QStringLiteral("Sweeper RF Output"));
    // Stacked, so that the tab stays narrow beside the graph.
    auto* l1 = new QVBoxLayout(page1);
    l1->addWidget(Frame2);
    l1->addWidget(power_frame);
    l1->addWidget(RF_Output_Check);
    l1->addStretch(1);
    SSTab1->addTab(page1, QStringLiteral("Sweeper"));

    // Tab 2: calibration.
    auto* page2 = new QWidget;
    auto* calframe = new QGroupBox;
    do_calibration = new QPushButton(QStringLiteral("Collect cal data"));
    apply_cal_data = new QPushButton(QStringLiteral("Cal data NOT included"));
    apply_cal_data->hide();
    Cal_label = new QLabel(QStringLiteral("Connect the sensor to the RF output of the sweeper. Set the start and stop "
                                          "frequencies on the graph above"));
    Cal_label->setWordWrap(true);
    auto* cl = new QGridLayout(calframe);
    cl->addWidget(do_calibration, 0, 0);
    cl->addWidget(apply_cal_data, 1, 0);
    cl->addWidget(Cal_label, 0, 1, 2, 1);
    cl->setColumnStretch(1, 1);
    auto* l2 = new QHBoxLayout(page2);
    l2->addWidget(calframe, 1);
    SSTab1->addTab(page2, QStringLiteral("Calibration"));

    // Tab 3: cursor information and rates.
    auto* page3 = new QWidget;
    Frame3 = new QGroupBox(QStringLiteral("Cursor Info"));
    display_readout = new QCheckBox(QStringLiteral("Cursor Info"));
    display_readout->setChecked(true);
    cursor1_data = readout_box();
    Cursor2_data = readout_box();
    Pwr_diff_data = readout_box();
    Time_diff_Data = readout_box();
    Avg_Power_Data = readout_box();
    x1_label = new QLabel(QStringLiteral("C1 FRQ"));
    x2_label = new QLabel(QStringLiteral("C2 FRQ"));
    time_label = new QLabel(QStringLiteral("GHz"));
    avg_pwr_label = new QLabel(QStringLiteral("GHz"));
    auto* fg = new QGridLayout(Frame3);
    fg->addWidget(display_readout, 0, 0, 1, 3);
    add_entry_row(fg, 1, 0, QStringLiteral("Cursor 1"), cursor1_data, QStringLiteral("dB"));
    add_entry_row(fg, 2, 0, QStringLiteral("Cursor 2"), Cursor2_data, QStringLiteral("dB"));
    add_entry_row(fg, 3, 0, QStringLiteral("Delta PWR"), Pwr_diff_data, QStringLiteral("dB"));
    fg->addWidget(x1_label, 1, 3);
    fg->addWidget(Time_diff_Data, 1, 4);
    fg->addWidget(time_label, 1, 5);
    fg->addWidget(x2_label, 2, 3);
    fg->addWidget(Avg_Power_Data, 2, 4);
    fg->addWidget(avg_pwr_label, 2, 5);
    Frame1 = new QGroupBox(QStringLiteral("Stats"));
    graph_get_time = readout_box();
    Readings_per_second = readout_box();
    auto* sl = new QGridLayout(Frame1);
    sl->addWidget(graph_get_time, 0, 0);
    sl->addWidget(new QLabel(QStringLiteral("ms/trace")), 0, 1);
    sl->addWidget(Readings_per_second, 1, 0);
    sl->addWidget(new QLabel(QStringLiteral("rdgs/sec")), 1, 1);
    add_frames_tab(SSTab1, page3, {Frame3, Frame1}, QStringLiteral("General"));

    // Tab 4: cursors.
    auto* page4 = new QWidget;
    auto_scale_y = new QPushButton(QStringLiteral("Auto scale Y axis"));
    C1TPLR = new QPushButton(QStringLiteral("Cursor 1 to peaks ->"));
    C1TPRL = new QPushButton(QStringLiteral("<- Cursor 1 to peaks"));
    C2TPLR = new QPushButton(QStringLiteral("Cursor 2 to peaks ->"));
    C2TPRL = new QPushButton(QStringLiteral("<- Cursor 2 to peaks"));
    Zoom_Between = new QPushButton(QStringLiteral("Zoom to Cursors"));
    Zoom_out = new QPushButton(QStringLiteral("Zoom Out"));
    COC[0] = new QPushButton(QStringLiteral("Center on C1"));
    COC[1] = new QPushButton(QStringLiteral("Center on C2"));
    auto* g4 = new QGridLayout(page4);
    g4->addWidget(C1TPRL, 0, 0);
    g4->addWidget(C1TPLR, 0, 1);
    g4->addWidget(COC[0], 0, 2);
    g4->addWidget(C2TPRL, 1, 0);
    g4->addWidget(C2TPLR, 1, 1);
    g4->addWidget(COC[1], 1, 2);
    g4->addWidget(Zoom_Between, 0, 3);
    g4->addWidget(Zoom_out, 1, 3);
    g4->addWidget(auto_scale_y, 2, 3);
    g4->setColumnStretch(4, 1);
    SSTab1->addTab(page4, QStringLiteral("Cursors"));

    // Tab 5: the amplifier test.
    auto* page5 = new QWidget;
    build_amp_tab(page5);
    SSTab1->addTab(page5, QStringLiteral("Amp Gain/Comp"));

    // Wiring. The generator boxes act on every change of their text, as the program's own writes do.
    const auto change = [this](QLineEdit* box, Box which) {
        connect(box, &QLineEdit::textChanged, this, guarded_slot([this, box, which] { box_changed(which, box); }));
    };
    change(Freq_analog_start, Box::AnalogStart);
    change(freq_analog_stop, Box::AnalogStop);
    change(freq_analog_time, Box::AnalogTime);
    change(freq_cw_freq, Box::CwFreq);
    change(freq_step_start, Box::StepStart);
    change(freq_step_stop, Box::StepStop);
    change(freq_step_steps, Box::StepSteps);
    change(freq_step_dwell, Box::StepDwell);
    change(Level_Level, Box::Level);
    change(level_sweep_dwell, Box::LevelDwell);
    change(Level_sweep_start, Box::LevelStart);
    change(level_sweep_steps, Box::LevelSteps);
    change(level_sweep_stop, Box::LevelStop);
    connect(freq_cw_freq, &QLineEdit::editingFinished, this,
            guarded_slot([this] { box_changed(Box::CwFreq, freq_cw_freq); }));
    for (int i = 0; i < 2; ++i)
        connect(Level_type[i], &QRadioButton::clicked, this, guarded_slot([this, i] { Level_type_Click(i); }));
    for (int i = 0; i < 3; ++i)
        connect(Sweep_Type[i], &QRadioButton::clicked, this, guarded_slot([this, i] { Sweep_Type_Click(i); }));
    connect(RF_Output_Check, &QCheckBox::clicked, this, guarded_slot([this] { RF_Output_Check_Click(); }));
    connect(seq_sync_check, &QCheckBox::clicked, this, guarded_slot([this] { seq_sync_check_Click(); }));
    connect(Averaging_combo, &QComboBox::activated, this, guarded_slot([this] { Averaging_combo_Click(); }));
    connect(Chan_Config_combo, &QComboBox::activated, this, guarded_slot([this] { Chan_Config_combo_Click(); }));
    connect(display_readout, &QCheckBox::clicked, this, guarded_slot([this] { display_readout_Click(); }));
    connect(do_calibration, &QPushButton::clicked, this, guarded_slot([this] { do_calibration_Click(); }));
    connect(apply_cal_data, &QPushButton::clicked, this, guarded_slot([this] { apply_cal_data_Click(); }));
    connect(auto_scale_y, &QPushButton::clicked, this, guarded_slot([this] { auto_scale_y_Click(); }));
    connect(C1TPLR, &QPushButton::clicked, this, guarded_slot([this] { cursor_to_turning_point(1, true); }));
    connect(C1TPRL, &QPushButton::clicked, this, guarded_slot([this] { cursor_to_turning_point(1, false); }));
    connect(C2TPLR, &QPushButton::clicked, this, guarded_slot([this] { cursor_to_turning_point(2, true); }));
    connect(C2TPRL, &QPushButton::clicked, this, guarded_slot([this] { cursor_to_turning_point(2, false); }));
    connect(Zoom_Between, &QPushButton::clicked, this, guarded_slot([this] { Zoom_Between_Click(); }));
    connect(Zoom_out, &QPushButton::clicked, this, guarded_slot([this] { Zoom_out_Click(); }));
    for (int i = 0; i < 2; ++i)
        connect(COC[i], &QPushButton::clicked, this, guarded_slot([this, i] { COC_Click(i); }));
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, previous = 0](int current) mutable {
        const int was = previous;
        previous = current;
        guarded([this, was] { SSTab1_Click(was); });
    });
}

void srcswp::build_graph_frame()
{
    const auto enter = [this](QLineEdit* box, void (srcswp::*handler)(int)) {
        connect(box, &QLineEdit::returnPressed, this, guarded_slot([this, handler] { (this->*handler)(kEnter); }));
    };
    Sweep_Graph_Frame = new QFrame(form_);
    Sweep_Graph_Frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    graph = new CanvasWidget(Sweep_Graph_Frame);
    graph->setMouseTracking(true);
    // Moves over the window and these frames clear the pointer's readout and any drag; they need tracking
    // to be seen with no button held.
    for (QWidget* w : std::initializer_list<QWidget*>{form_, Sweep_Graph_Frame, Frame1, Frame2, graph}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    graph->canvas().set_back_color(Qt::black);
    graph->canvas().set_fore_color(QColor(255, 230, 0));
    top_y_axis = entry_box(QStringLiteral("20.00"), QStringLiteral("Top Y Axis Scale"), 56);
    bottom_y_axis = entry_box(QStringLiteral("-50.00"), QStringLiteral("Bottom Y Axis Scale"), 56);
    left_x_axis = entry_box(QString(), QStringLiteral("Sweep start"), 72);
    right_x_axis = entry_box(QString(), QStringLiteral("Sweep stop"), 72);
    for (QLineEdit* box : {top_y_axis, bottom_y_axis, left_x_axis, right_x_axis}) {
        box->setParent(Sweep_Graph_Frame);
        box->setFixedHeight(kBoxHeight);
        box->setAlignment(Qt::AlignRight);
    }
    y_unit_label = new QLabel(QStringLiteral("dB"), Sweep_Graph_Frame);
    // The scale in force, apart from the boxes, which may hold a text not yet entered: a refused entry is
    // put back from them.
    y_top_label = new QLabel(QStringLiteral("20.00"), Sweep_Graph_Frame);
    y_bottom_label = new QLabel(QStringLiteral("-50.00"), Sweep_Graph_Frame);
    y_top_label->hide();
    y_bottom_label->hide();
    x_lh_label = new QLabel(QStringLiteral("GHz"), Sweep_Graph_Frame);
    x_rh_label = new QLabel(QStringLiteral("GHz"), Sweep_Graph_Frame);
    cur1_data = new QLabel(graph);
    cur2_data = new QLabel(graph);
    diff_data = new QLabel(graph);
    mouse_posn = new QLabel(graph);
    on_graph = new QLabel(graph);
    for (QLabel* l : {cur1_data, cur2_data, diff_data, mouse_posn, on_graph}) {
        l->setStyleSheet(QStringLiteral("QLabel { color: white; }"));
        l->hide();
    }
    enter(top_y_axis, &srcswp::top_y_axis_KeyPress);
    enter(bottom_y_axis, &srcswp::bottom_y_axis_KeyPress);
    enter(left_x_axis, &srcswp::left_x_axis_KeyPress);
    enter(right_x_axis, &srcswp::right_x_axis_KeyPress);
    connect(graph, &CanvasWidget::mouse_down, this, [this](double x, double y, Qt::MouseButton b) { graph_MouseDown(x, y, b); });
    connect(graph, &CanvasWidget::mouse_move, this, [this](double x, double y, Qt::MouseButtons) { graph_MouseMove(x, y); });
    connect(graph, &CanvasWidget::mouse_up, this, guarded_slot([this] { graph_MouseUp(); }));

    build_amp_graph();
}

Canvas& srcswp::graph_canvas() { return graph->canvas(); }

// ============================================================================================== plumbing

void srcswp::send_meter(const QString& text, const QString& label)
{
    const Globals& gs = g();
    vbib32::Send(gs.gpib_board, gs.meter_address, text, vbib32::NLend);
    if (!label.isEmpty())
        gpibgen::gpib_error(label);
}

bool srcswp::send_generator(const QString& text, const QString& label)
{
    const Globals& gs = g();
    // Nothing reaches a generator on the serial link or when none of the maker's is configured.
    if (!gs.maker_synth || gs.serial_in_use)
        return true;
    vbib32::Send(gs.gpib_board, gs.synth_address, text, vbib32::NLend);
    return label.isEmpty() || gpibgen::gpib_error(label) == 0;
}

void srcswp::request_stop()
{
    // The main window's closing: the run ends after its pass and the window then closes.
    stop_requested = true;
    amp_stop_requested = true;
}

void srcswp::closeEvent(QCloseEvent* event)
{
    if (run_active_ || amp_test_active) {
        event->ignore();
        prompts().message_box(QStringLiteral("please stop the demo first."), Prompts::Buttons::Ok, Prompts::Icon::None,
                              QStringLiteral("Exit Source Sweep mode"));
        return;
    }
    ModeWindow::closeEvent(event);
}

bool srcswp::eventFilter(QObject* watched, QEvent* event)
{
    // The pointer off the graph: on the window, its frames, or gone from the graph by any way.
    const bool off_graph = (event->type() == QEvent::MouseMove && (watched == form_ || watched == Sweep_Graph_Frame)) ||
                           (event->type() == QEvent::Leave && watched == graph);
    if (off_graph)
        Form_MouseMove();
    else if (event->type() == QEvent::MouseMove && watched == Frame1)
        Frame1_MouseMove();
    else if (event->type() == QEvent::MouseMove && watched == Frame2)
        Frame2_MouseMove();
    return ModeWindow::eventFilter(watched, event);
}

SweepFields srcswp::fields() const
{
    SweepFields f;
    f.level = Level_Level->text();
    f.level_start = Level_sweep_start->text();
    f.level_stop = level_sweep_stop->text();
    f.level_steps = level_sweep_steps->text();
    f.level_dwell = level_sweep_dwell->text();
    f.analog_start = Freq_analog_start->text();
    f.analog_stop = freq_analog_stop->text();
    f.analog_time = freq_analog_time->text();
    f.step_start = freq_step_start->text();
    f.step_stop = freq_step_stop->text();
    f.step_steps = freq_step_steps->text();
    f.step_dwell = freq_step_dwell->text();
    f.cw_freq = freq_cw_freq->text();
    return f;
}

// ============================================================================================== menus

void srcswp::menuRunCont_Click()
{
    menuRunCont->setEnabled(false);
    menuRunOnce->setEnabled(false);
    menuStop->setEnabled(true);
    SSTab1->setTabEnabled(kAmpTab, false);
    SSTab1->setCurrentIndex(0);
    // A Run Once cut short must not make this run a single one.
    run_once = false;
    start_run();
    SSTab1->setTabEnabled(kAmpTab, g().maker_synth);
    menuRunCont->setEnabled(true);
    menuRunOnce->setEnabled(true);
    menuStop->setEnabled(false);
}

void srcswp::menuRunOnce_Click()
{
    menuRunCont->setEnabled(false);
    menuRunOnce->setEnabled(false);
    menuStop->setEnabled(false);
    run_once = true;
    start_run();
    menuRunCont->setEnabled(true);
    menuRunOnce->setEnabled(true);
}

void srcswp::menuStop_Click() { stop_requested = true; }

void srcswp::menuExit_Click()
{
    if (auto* sub = qobject_cast<QWidget*>(parentWidget()); sub && sub->inherits("QMdiSubWindow"))
        sub->close();
    else
        close();
}

void srcswp::menuAbout_Click()
{
    if (sorvdemo* main = sorvdemo::instance())
        main->show_help(QStringLiteral("source.txt"));
}

void srcswp::menuPrinterSetup_Click() { page_setup.setup(); }

void srcswp::menuPrintGraph_Click()
{
    prompts().message_box(QStringLiteral("Not available yet..."));
}

void srcswp::menuDisplay_Click()
{
    meter_display_on = !meter_display_on;
    send_meter(meter_display_on ? QStringLiteral("DISP ON") : QStringLiteral("DISP OFF"),
               meter_display_on ? QStringLiteral("Disp on ") : QStringLiteral("Disp off "));
    menuDisplay->setChecked(meter_display_on);
    for (FixedLabel* l : {cursor1_data, Cursor2_data, Pwr_diff_data, Time_diff_Data, Avg_Power_Data})
        l->setEnabled(meter_display_on);
}

void srcswp::SSTab1_Click(int)
{
    const int tab = SSTab1->currentIndex();
    const bool amp = tab == kAmpTab;
    if (!amp) {
        // Leaving the amplifier tab shows the sweep graph again.
        Sweep_Graph_Frame->show();
        Amp_Graph_Frame->hide();
        return;
    }
    Show_CompFreq_Graph_Check_Click();
    if (single_channel) {
        Single_label->show();
        Amp_Label->hide();
        AmpFrame->hide();
        return;
    }
    Single_label->hide();
    const bool usable = (level_sweep == 1 && sweep_type == Cw) || g().other_synth;
    AmpFrame->setVisible(usable);
    Amp_Label->setVisible(!usable);
}

void srcswp::Timer1_Timer()
{
    if (!redraw_pending)
        return;
    update_cursor_data();
    cursor_readout();
    draw_graph();
    redraw_pending = false;
    clk().yield();
}

void srcswp::Form_MouseMove()
{
    mouse_posn->hide();
    on_graph->hide();
    mouse_down = false;
    grabbed_cursor = 0;
    graph->unsetCursor();
}
