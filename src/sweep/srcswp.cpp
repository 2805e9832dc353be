#include "sweep/srcswp.h"

#include "frame/about_window.h"
#include "frame/meter_routines.h"
#include "frame/sorvdemo.h"
#include "graph/trace_graph.h"
#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "sweep/sweep_file.h"
#include "util/number_text.h"

#include <QAction>
#include <QApplication>
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
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace sweep_rules;

namespace {

constexpr int kEnter = 13;
// The graph's place in its frame: the y-axis boxes at its left, the x-axis boxes above it.
constexpr int kBoxHeight = 22;
constexpr int kGraphTop = 6 + kBoxHeight + 6;
constexpr int kAmpTab = 5;
const QString kCaption = QStringLiteral("Source Sweep mode");
const QString kRunningCal = QStringLiteral("Can`t Calibrate System when the demo is running. Stop the Demo first.");
const QString kAmpNotAvailable = QStringLiteral(
    "Amp Gain/Compression testing not available.\r\n\r\nPlease Set:-\r\nPower Sweep and CW Sweep in the 'Sweeper' section");

class FormArea : public QWidget {
public:
    explicit FormArea(QWidget* parent) : QWidget(parent) {}
    std::function<void()> on_resize;
    QSize hint;
    QSize sizeHint() const override { return hint; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (on_resize)
            on_resize();
    }
};

// The hourglass while a step works, the arrow back on every way out.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

Clock& clk() { return *platform().clock; }
Prompts& prompts() { return *platform().prompts; }

QLineEdit* entry_box(const QString& text, const QString& tip = QString(), int width = 64)
{
    auto* box = new QLineEdit(text);
    box->setToolTip(tip);
    box->setFixedWidth(width);
    return box;
}

QLabel* readout_box()
{
    auto* l = new QLabel;
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
    auto* area = new FormArea(this);
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
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1_Timer(); }); });
}

srcswp::~srcswp()
{
    if (please_wait_)
        delete please_wait_.data();
}

void srcswp::build_menus()
{
    const auto on = [this](void (srcswp::*handler)()) {
        return [this, handler] { guarded([this, handler] { (this->*handler)(); }); };
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
    const auto on = [this](auto handler) { return [this, handler] { guarded(handler); }; };
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
    auto* l0 = new QHBoxLayout(page0);
    l0->addWidget(frame4);
    l0->addWidget(frame10);
    l0->addStretch(1);
    SSTab1->addTab(page0, QStringLiteral("RQ58xxK"));

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
    sg->addWidget(new QLabel(QStringLiteral("Level")), 0, 0);
    sg->addWidget(Level_Level, 0, 1);
    sg->addWidget(new QLabel(QStringLiteral("dBm")), 0, 2);
    sg->setRowStretch(1, 1);
    auto* lsweep = new QWidget;
    Level_sweep_start = entry_box(QStringLiteral("-10.00"), QStringLiteral("Start level (dBm)"));
    level_sweep_stop = entry_box(QStringLiteral("10.00"), QStringLiteral("Stop level (dBm)"));
    level_sweep_steps = entry_box(QStringLiteral("50"), QStringLiteral("Number of steps"));
    level_sweep_dwell = entry_box(QStringLiteral("0.002"), QStringLiteral("Dwell per step (s)"));
    auto* lg = new QGridLayout(lsweep);
    lg->addWidget(new QLabel(QStringLiteral("Start")), 0, 0);
    lg->addWidget(Level_sweep_start, 0, 1);
    lg->addWidget(new QLabel(QStringLiteral("dBm")), 0, 2);
    lg->addWidget(new QLabel(QStringLiteral("Stop")), 1, 0);
    lg->addWidget(level_sweep_stop, 1, 1);
    lg->addWidget(new QLabel(QStringLiteral("dBm")), 1, 2);
    lg->addWidget(new QLabel(QStringLiteral("Steps")), 0, 3);
    lg->addWidget(level_sweep_steps, 0, 4);
    lg->addWidget(new QLabel(QStringLiteral("Dwell")), 1, 3);
    lg->addWidget(level_sweep_dwell, 1, 4);
    lg->addWidget(new QLabel(QStringLiteral("s")), 1, 5);
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
    ag->addWidget(new QLabel(QStringLiteral("Start")), 0, 0);
    ag->addWidget(Freq_analog_start, 0, 1);
    ag->addWidget(new QLabel(QStringLiteral("GHz")), 0, 2);
    ag->addWidget(new QLabel(QStringLiteral("Stop")), 1, 0);
    ag->addWidget(freq_analog_stop, 1, 1);
    ag->addWidget(new QLabel(QStringLiteral("GHz")), 1, 2);
    ag->addWidget(new QLabel(QStringLiteral("Time")), 0, 3);
    ag->addWidget(freq_analog_time, 0, 4);
    ag->addWidget(new QLabel(QStringLiteral("s")), 0, 5);
    auto* cw = new QWidget;
    freq_cw_freq = entry_box(QStringLiteral("2.0"), QStringLiteral("CW frequency (GHz)"));
    auto* cg = new QGridLayout(cw);
    cg->addWidget(new QLabel(QStringLiteral("Frequency")), 0, 0);
    cg->addWidget(freq_cw_freq, 0, 1);
    cg->addWidget(new QLabel(QStringLiteral("GHz")), 0, 2);
    cg->setRowStretch(1, 1);
    auto* step = new QWidget;
    freq_step_start = entry_box(QString(), QStringLiteral("Start frequency (GHz)"));
    freq_step_stop = entry_box(QString(), QStringLiteral("Stop frequency (GHz)"));
    freq_step_steps = entry_box(QString(), QStringLiteral("Number of steps"));
    freq_step_dwell = entry_box(QString(), QStringLiteral("Dwell per step (s)"));
    auto* stg = new QGridLayout(step);
    stg->addWidget(new QLabel(QStringLiteral("Start")), 0, 0);
    stg->addWidget(freq_step_start, 0, 1);
    stg->addWidget(new QLabel(QStringLiteral("GHz")), 0, 2);
    stg->addWidget(new QLabel(QStringLiteral("Stop")), 1, 0);
    stg->addWidget(freq_step_stop, 1, 1);
    stg->addWidget(new QLabel(QStringLiteral("GHz")), 1, 2);
    stg->addWidget(new QLabel(QStringLiteral("Steps")), 0, 3);
    stg->addWidget(freq_step_steps, 0, 4);
    stg->addWidget(new QLabel(QStringLiteral("Dwell")), 1, 3);
    stg->addWidget(freq_step_dwell, 1, 4);
    stg->addWidget(new QLabel(QStringLiteral("s")), 1, 5);
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
    fg->addWidget(new QLabel(QStringLiteral("Cursor 1")), 1, 0);
    fg->addWidget(cursor1_data, 1, 1);
    fg->addWidget(new QLabel(QStringLiteral("dB")), 1, 2);
    fg->addWidget(new QLabel(QStringLiteral("Cursor 2")), 2, 0);
    fg->addWidget(Cursor2_data, 2, 1);
    fg->addWidget(new QLabel(QStringLiteral("dB")), 2, 2);
    fg->addWidget(new QLabel(QStringLiteral("Delta PWR")), 3, 0);
    fg->addWidget(Pwr_diff_data, 3, 1);
    fg->addWidget(new QLabel(QStringLiteral("dB")), 3, 2);
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
    auto* l3 = new QHBoxLayout(page3);
    l3->addWidget(Frame3);
    l3->addWidget(Frame1);
    l3->addStretch(1);
    SSTab1->addTab(page3, QStringLiteral("General"));

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
        connect(box, &QLineEdit::textChanged, this, [this, box, which] { guarded([this, box, which] { box_changed(which, box); }); });
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
            on([this] { box_changed(Box::CwFreq, freq_cw_freq); }));
    for (int i = 0; i < 2; ++i)
        connect(Level_type[i], &QRadioButton::clicked, this, on([this, i] { Level_type_Click(i); }));
    for (int i = 0; i < 3; ++i)
        connect(Sweep_Type[i], &QRadioButton::clicked, this, on([this, i] { Sweep_Type_Click(i); }));
    connect(RF_Output_Check, &QCheckBox::clicked, this, on([this] { RF_Output_Check_Click(); }));
    connect(seq_sync_check, &QCheckBox::clicked, this, on([this] { seq_sync_check_Click(); }));
    connect(Averaging_combo, &QComboBox::activated, this, on([this] { Averaging_combo_Click(); }));
    connect(Chan_Config_combo, &QComboBox::activated, this, on([this] { Chan_Config_combo_Click(); }));
    connect(display_readout, &QCheckBox::clicked, this, on([this] { display_readout_Click(); }));
    connect(do_calibration, &QPushButton::clicked, this, on([this] { do_calibration_Click(); }));
    connect(apply_cal_data, &QPushButton::clicked, this, on([this] { apply_cal_data_Click(); }));
    connect(auto_scale_y, &QPushButton::clicked, this, on([this] { auto_scale_y_Click(); }));
    connect(C1TPLR, &QPushButton::clicked, this, on([this] { cursor_to_turning_point(1, true); }));
    connect(C1TPRL, &QPushButton::clicked, this, on([this] { cursor_to_turning_point(1, false); }));
    connect(C2TPLR, &QPushButton::clicked, this, on([this] { cursor_to_turning_point(2, true); }));
    connect(C2TPRL, &QPushButton::clicked, this, on([this] { cursor_to_turning_point(2, false); }));
    connect(Zoom_Between, &QPushButton::clicked, this, on([this] { Zoom_Between_Click(); }));
    connect(Zoom_out, &QPushButton::clicked, this, on([this] { Zoom_out_Click(); }));
    for (int i = 0; i < 2; ++i)
        connect(COC[i], &QPushButton::clicked, this, on([this, i] { COC_Click(i); }));
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, previous = 0](int current) mutable {
        const int was = previous;
        previous = current;
        guarded([this, was] { SSTab1_Click(was); });
    });
}

void srcswp::build_graph_frame()
{
    const auto enter = [this](QLineEdit* box, void (srcswp::*handler)(int)) {
        connect(box, &QLineEdit::returnPressed, this, [this, handler] { guarded([this, handler] { (this->*handler)(kEnter); }); });
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
    connect(graph, &CanvasWidget::mouse_up, this, [this](double, double, Qt::MouseButton) { guarded([this] { graph_MouseUp(); }); });

    build_amp_graph();
}

Canvas& srcswp::graph_canvas() { return graph->canvas(); }

// ============================================================================================== plumbing

void srcswp::guarded(const std::function<void()>& handler)
{
    enter_busy();
    try {
        handler();
    } catch (const AppError&) {
        // The link's box has already said what failed.
    } catch (const std::exception& e) {
        prompts().message_box(QStringLiteral("Error: ") + QString::fromLocal8Bit(e.what()), Prompts::Buttons::Ok,
                              Prompts::Icon::None, QStringLiteral("Sorry..."));
    }
    leave_busy();
}

void srcswp::load_step(const std::function<void()>& step)
{
    try {
        step();
    } catch (const AppError&) {
        // Reported in the link's box; the window opens in any case.
    }
}

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

// ============================================================================================== life cycle

void srcswp::Form_Load()
{
    Globals& gs = g();
    // 1.
    please_wait_ = new PleaseWait(sorvdemo::instance());
    clk().yield();
    // 2 to 5.
    amp_stop_requested = false;
    Amp_Label->setText(kAmpNotAvailable);
    extremes = TraceExtremes{};
    gate_delay = 0.005f;
    gate_width = 0.0017f;
    minmax_restart = true;
    level_sweep = 0;
    stop_requested = true;
    sweep_type = 0;
    mouse_posn->hide();
    on_graph->hide();
    mouse_down = false;
    grabbed_cursor = 0;
    redraw_pending = false;
    data_valid = false;
    cursor_info_on = true;
    cal = CalStore{};
    apply_cal_data->hide();
    apply_cal_data->setText(QStringLiteral("Cal data NOT included"));
    clk().yield();
    // 6.
    sweeper_seq_sync = true;
    menuDisplay->setEnabled(!gs.serial_in_use);
    // 7, 8.
    load_step([&] {
        vbib32::DevClear(gs.gpib_board, gs.meter_address);
        if (gs.maker_synth)
            vbib32::DevClear(gs.gpib_board, gs.synth_address);
    });
    if (!gs.maker_synth) {
        SSTab1->setTabEnabled(1, false);
        SSTab1->setTabEnabled(kAmpTab, false);
    }
    load_step([&] {
        clk().sleep_ms(200);
        vbib32::SendIFC(gs.gpib_board);
        gpibgen::gpib_error(QStringLiteral("IFC "));
    });
    // 9.
    if (gs.meter_model == QLatin1String("RQ5821K") || gs.meter_model == QLatin1String("RQ5822K")) {
        load_step([&] {
            vbib32::Send(gs.gpib_board, gs.meter_address, "RDMODE?", vbib32::NLend);
            QByteArray buffer = vbib32::fixed_buffer(50);
            vbib32::Receive(gs.gpib_board, gs.meter_address, buffer, vbib32::STOPend);
            if (vbib32::text_of(buffer).contains(QLatin1String("CDMA"))) {
                vbib32::Send(gs.gpib_board, gs.meter_address, "RDMODE STAND", vbib32::NLend);
                clk().sleep_ms(12000);
            }
        });
    }
    // 10. With the 10 s time-out (code 13): a slow sweep must not time the set-up out, and the code stays in
    // force for what follows. A failure of the framing sends counts as a failed set-up.
    bool set_up = false;
    load_step([&] {
        set_up = gpibgen::configure_with_opc(gs.serial_in_use ? QStringLiteral("OPMD SRCSWP;SRCMOD FREQ")
                                                              : QStringLiteral("DISP ON;OPMD SRCSWP;SRCMOD FREQ"),
                                             13, gs.gpib_board, gs.meter_address);
    });
    // 11.
    {
        const QSignalBlocker block(seq_sync_check);
        seq_sync_check->setChecked(sweeper_seq_sync);
    }
    // 12.
    if (set_up) {
        y_bottom = -50.0f;
        y_top = 20.0f;
        update_screen_x_axis();
        load_step([&] { single_channel = module1::is_single_channel_meter(gs.gpib_board, gs.meter_address); });
        if (gs.maker_synth) {
            Sweep_Type[0]->setChecked(true);
            Sweep_Type_Click(0);
        }
        reply_buffer = vbib32::fixed_buffer(kReplyBufferSize);
        write_y_axis(y_top, y_bottom);
        menuDisplay->setChecked(true);
        meter_display_on = true;
        readout_on = true;
        update_cursors();
        update_cursor_data();
        draw_cursors();
        update_sample_delay();
        update_gate_width();
    }
    // 13.
    if (gs.other_synth) {
        SSTab1->setTabEnabled(2, false);
        // Another make of generator: one frequency only, the one the user states.
        Amp_Freq_Frame->setTitle(QStringLiteral("Use the 'Start Freq' to state the frequency of the power"));
        Amp_Freq_Sweep_Check->hide();
        for (QWidget* w : std::initializer_list<QWidget*>{Show_CompFreq_Graph_Check, Amp_Freq_Stop, Amp_Freq_Step,
                                                          Save_Amp_test_button})
            w->setEnabled(false);
    }
    // 14.
    if (single_channel) {
        const QSignalBlocker block(Chan_Config_combo);
        Chan_Config_combo->clear();
        Chan_Config_combo->addItem(QStringLiteral("Measure Sensor A"));
    }
    // 15.
    {
        const QSignalBlocker block(Averaging_combo);
        Averaging_combo->setCurrentIndex(0);
    }
    load_step([&] { Averaging_combo_Click(); });
    {
        const QSignalBlocker block(Chan_Config_combo);
        Chan_Config_combo->setCurrentIndex(0);
    }
    Chan_Config_combo_Click();
    // 16.
    if (please_wait_)
        please_wait_->deleteLater();
    Timer1->setInterval(10);
    Timer1->start();
}

void srcswp::Form_Unload()
{
    const Globals& gs = g();
    Timer1->stop();
    if (please_wait_)
        please_wait_->deleteLater();
    {
        const Hourglass hourglass;
        stop_requested = true;
        vbib32::Send(gs.gpib_board, gs.meter_address, "*RST;DISP ON;opmd srcswp", vbib32::NLend);
        gpibgen::gpib_error(QStringLiteral("Exit form"));
        clk().sleep_ms(2000);
    }
}

void srcswp::Form_Resize()
{
    if (in_resize_)
        return;
    in_resize_ = true;
    setWindowTitle(QStringLiteral("Please wait...resizing display..."));
    const double tx = 1440.0 / logicalDpiX();
    const double ty = 1440.0 / logicalDpiY();
    const auto twips = [tx, ty](const QRect& r) { return QRectF(r.x() * tx, r.y() * ty, r.width() * tx, r.height() * ty); };
    const auto px = [tx, ty](const QRectF& r) {
        return QRect(qRound(r.x() / tx), qRound(r.y() / ty), qRound(r.width() / tx), qRound(r.height() / ty));
    };
    const QRect current(top_y_axis->width() + 12, kGraphTop, graph->width(), graph->height());
    const ResizeLayout l = resize_layout(twips(form_->rect()).size(), twips(SSTab1->rect()).size(), twips(current));
    for (int i = 0; i < l.beeps; ++i)
        prompts().beep();
    const QSize client = px(QRectF(QPointF(), l.client)).size();
    if (client != form_->size()) {
        // Below a limit: the window itself grows to it.
        QWidget* outer = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
        outer->resize(outer->size() + (client - form_->size()));
    }
    SSTab1->setGeometry(px(l.tab));
    Sweep_Graph_Frame->setGeometry(px(l.frame));
    Amp_Graph_Frame->setGeometry(px(l.frame));
    graph->setGeometry(px(l.graph));
    const QRect g = graph->geometry();
    top_y_axis->move(4, g.top());
    bottom_y_axis->move(4, g.bottom() + 1 - kBoxHeight);
    y_unit_label->move(4 + (top_y_axis->width() - y_unit_label->sizeHint().width()) / 2, g.center().y() - kBoxHeight / 2);
    place_x_axis_boxes();
    layout_amp_graph();
    draw_graph();
    update_cursor_data();
    Draw_Amp_Gaincomp_Graph();
    setWindowTitle(QStringLiteral("Graphical display screen"));
    in_resize_ = false;
}

void srcswp::place_x_axis_boxes()
{
    const QRect g = graph->geometry();
    const int row = g.top() - 6 - kBoxHeight;
    left_x_axis->move(g.left(), row);
    x_lh_label->move(g.left() + left_x_axis->width() + 4, row + 3);
    x_rh_label->move(g.right() - x_rh_label->width(), row + 3);
    right_x_axis->move(x_rh_label->x() - right_x_axis->width() - 4, row);
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
    for (QLabel* l : {cursor1_data, Cursor2_data, Pwr_diff_data, Time_diff_Data, Avg_Power_Data})
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

// ============================================================================================== run loop

void srcswp::start_run()
{
    Globals& gs = g();
    // 1. A second call while a run goes is a stop.
    if (gs.test_running) {
        gs.test_running = false;
        return;
    }
    enter_busy();
    run_active_ = true;
    QString error;
    int app_error = 0;
    try {
        // 2, 3.
        do_calibration->setEnabled(false);
        Cal_label->setText(kRunningCal);
        clk().yield();
        stop_requested = false;
        gs.test_running = true;
        int run_once_count = kRunOncePasses - 1;
        // 4.
        while (!stop_requested && gs.test_running) {
            if (!run_pass(run_once_count))
                break;
        }
    } catch (const AppError& e) {
        app_error = e.number();
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    }
    // 5.
    if (cal.capturing()) {
        cal.end_capture();
        apply_cal_data->setVisible(cal.valid());
        unsetCursor();
        clk().yield();
    }
    // 6. The amplifier test keeps them off between its acquisitions.
    menuRunCont->setEnabled(!amp_test_active);
    menuRunOnce->setEnabled(!amp_test_active);
    menuStop->setEnabled(false);
    do_calibration->setEnabled(true);
    gs.test_running = false;
    clk().yield();
    stop_requested = true;
    // 7.
    if (app_error == AppError::meter)
        prompts().message_box(QStringLiteral("The sequence stopped because the is a GPIB problem with the  device."));
    else if (app_error == AppError::generator)
        prompts().message_box(QStringLiteral("The sequence stopped because the is a GPIB problem with the Sweeper device"));
    else if (!error.isEmpty())
        prompts().message_box(QStringLiteral("Error: ") + error, Prompts::Buttons::Ok, Prompts::Icon::None,
                              QStringLiteral("Sorry..."));
    run_active_ = false;
    leave_busy();
}

bool srcswp::run_pass(int& run_once_count)
{
    Globals& gs = g();
    const qint64 t0 = clk().now_us();
    vbib32::Send(gs.gpib_board, gs.meter_address, "OGBD", vbib32::NLend);
    // A request that never went out is told as such; there is nothing to read.
    if (gpibgen::gpib_error(QStringLiteral("Requesting data")) >= 1)
        return false;
    reply_buffer.fill(' ');
    vbib32::Receive(gs.gpib_board, gs.meter_address, reply_buffer, vbib32::STOPend);
    const qint64 t1 = clk().now_us();
    const bool read_failed = gpibgen::gpib_error(QStringLiteral("Reading data")) >= 1;
    const long received = gs.ibcntl;
    // Only a whole block is a trace; a short, long or garbled reply is no data, never a partial trace.
    const bool block = is_trace_block(reply_buffer, received);
    if (block) {
        data_valid = true;
        // The trace is used whatever the clock says; only the rates need a positive interval.
        if (const auto r = rates(t1 - t0)) {
            graph_get_time->setText(r->ms_per_trace);
            Readings_per_second->setText(r->points_per_second);
        }
        extract_graph_data(received);
        draw_graph();
        update_cursor_data();
        cursor_readout();
        if (cal.capturing() && cal.count_pass())
            stop_requested = true;
        if (run_once) {
            if (run_once_count == 0) {
                stop_requested = true;
                run_once = false;
            } else {
                --run_once_count;
            }
        }
    }
    if (!block) {
        // The amplifier test ends at this frequency with one box: the link's, when it has spoken.
        if (!(amp_test_active && read_failed))
            no_graph_data_box();
        return false;
    }
    // Stop, the window's other commands and the timer act between passes.
    clk().yield();
    return true;
}

void srcswp::no_graph_data_box()
{
    prompts().message_box(QStringLiteral("There is was no graph data returned."), Prompts::Buttons::Ok,
                          Prompts::Icon::None, QStringLiteral(" Problem"));
}

void srcswp::extract_graph_data(long count)
{
    const TraceValues block = decode_trace_values(reply_buffer, count);
    cal.take(block, graph_trace);
    if (block.count > 0) {
        ++traces_decoded;
        extremes = trace_extremes(graph_trace.data(), block.count);
        minmax_restart = true;
    }
}

// ============================================================================================== sweep set-up

void srcswp::setup_synth_sweep()
{
    {
        const Hourglass hourglass;
        clk().yield();
        if (g().maker_synth) {
            const QStringList commands = generator_setup(fields(), sweep_type, RF_Output_Check->isChecked());
            for (int i = 0; i < commands.size(); ++i)
                send_generator(commands[i], i == 1 ? QStringLiteral("Setup synth freq swp") : QString());
        }
        update_sorvane();
        update_screen_x_axis();
        data_valid = false;
        minmax_restart = true;
        update_cursor_data();
        graph->canvas().cls();
        draw_graph();
    }
    clk().yield();
}

void srcswp::update_sorvane()
{
    for (const QString& c : meter_sweep_commands(fields(), level_sweep == 1, sweep_type))
        send_meter(c);
}

void srcswp::Level_type_Click(int index)
{
    Level_setup_frame->setCurrentIndex(index);
    level_sweep = index;
    if (index == 1) {
        Sweep_Type[1]->setEnabled(true);
        Sweep_Type[0]->setEnabled(false);
        Sweep_Type[2]->setEnabled(false);
        Sweep_Type[1]->setChecked(true);
        Sweep_Type_Click(1);
        // The level boxes hold the sweep's ends.
        sweep_start_level = float(numtext::val(Level_sweep_start->text()));
        sweep_stop_level = float(numtext::val(level_sweep_stop->text()));
    } else {
        Sweep_Type[1]->setEnabled(false);
        Sweep_Type[0]->setEnabled(true);
        Sweep_Type[2]->setEnabled(true);
        Sweep_Type[0]->setChecked(true);
        Sweep_Type_Click(0);
    }
    setup_synth_sweep();
}

void srcswp::Sweep_Type_Click(int index)
{
    sweep_type = index;
    Freq_Setup_frame->setCurrentIndex(index);
    if (Level_type[0]->isChecked())
        setup_synth_sweep();
}

void srcswp::RF_Output_Check_Click()
{
    send_generator(RF_Output_Check->isChecked() ? QStringLiteral("RF1") : QStringLiteral("RF0"));
}

void srcswp::seq_sync_check_Click()
{
    sweeper_seq_sync = seq_sync_check->isChecked();
    send_meter(sweeper_seq_sync ? QStringLiteral("IBBLP POS") : QStringLiteral("IBBLP NEG"));
}

void srcswp::box_changed(Box box, QLineEdit* edit)
{
    const QString text = edit->text();
    if (const auto command = box_command(box, text))
        send_generator(*command);
    const double v = numtext::val(text);
    // The meter's x axis follows the range of the sweep in use, so the points stay where the axis says.
    const bool range_box = box == Box::AnalogStart || box == Box::AnalogStop || box == Box::StepStart ||
                           box == Box::StepStop || box == Box::LevelStart || box == Box::LevelStop;
    const bool in_use = level_sweep == 1 ? (box == Box::LevelStart || box == Box::LevelStop)
                                         : (sweep_type == Step ? (box == Box::StepStart || box == Box::StepStop)
                                                               : (box == Box::AnalogStart || box == Box::AnalogStop));
    if (range_box && in_use)
        if (const auto range = meter_range_command(fields(), level_sweep == 1, sweep_type))
            send_meter(*range);
    switch (box) {
    case Box::AnalogStart:
    case Box::StepStart:
        left_x_axis->setText(text);
        sweep_start_freq = v;
        break;
    case Box::AnalogStop:
    case Box::StepStop:
        right_x_axis->setText(text);
        sweep_stop_freq = v;
        break;
    case Box::LevelStart:
        left_x_axis->setText(text);
        sweep_start_level = float(v);
        break;
    case Box::LevelStop:
        right_x_axis->setText(text);
        sweep_stop_level = float(v);
        break;
    default:
        break;
    }
}

bool srcswp::write_sweep_range(double start, double stop)
{
    // A range the boxes would not send stays out of them, so the instruments and the axis stay in step.
    if (!range_fits(start, stop, level_sweep == 0)) {
        prompts().beep();
        return false;
    }
    const QString a = numtext::cstr_double(start);
    const QString b = numtext::cstr_double(stop);
    if (level_sweep == 1) {
        Level_sweep_start->setText(a);
        level_sweep_stop->setText(b);
    } else if (sweep_type == Step) {
        freq_step_start->setText(a);
        freq_step_stop->setText(b);
    } else if (sweep_type == Analog) {
        Freq_analog_start->setText(a);
        freq_analog_stop->setText(b);
    }
    return true;
}

void srcswp::single_run_when_idle()
{
    if (stop_requested) {
        run_once = true;
        run_sweep();
    }
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

// ============================================================================================== meter settings

void srcswp::update_sample_delay() { send_meter(gate_delay_command(gate_delay), QStringLiteral("Update sample_delay")); }

void srcswp::update_gate_width() { send_meter(gate_width_command(gate_width), QStringLiteral("Update gate width")); }

void srcswp::Averaging_combo_Click()
{
    const int n = averaging_count(Averaging_combo->currentText());
    module1::set_averaging(QStringLiteral("A"), n);
    module1::set_averaging(QStringLiteral("B"), n);
}

void srcswp::Chan_Config_combo_Click()
{
    if (const auto command = channel_command(Chan_Config_combo->currentIndex()))
        send_meter(*command);
}

void srcswp::display_readout_Click()
{
    readout_on = !readout_on;
    cursor_info_on = readout_on;
    send_meter(readout_on ? QStringLiteral("GRDATA ON") : QStringLiteral("GRDATA OFF"), QStringLiteral("Turn readout off"));
    if (!cursor_info_on)
        for (QLabel* l : {cur1_data, cur2_data, diff_data})
            l->hide();
    update_cursor_data();
    cursor_readout();
}

void srcswp::do_calibration_Click()
{
    {
        const Hourglass hourglass;
        clk().yield();
        cal.begin_capture();
        run_sweep();
    }
    apply_cal_data->setVisible(cal.valid());
}

void srcswp::apply_cal_data_Click()
{
    cal.toggle_applied();
    apply_cal_data->setText(cal.applied() ? QStringLiteral("Cal data included") : QStringLiteral("Cal data NOT included"));
}

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
    const double t = numtext::val(top_y_axis->text());
    if (accept_y_top(t, y_bottom)) {
        y_top = float(t);
        update_y_axis();
        write_y_axis(y_top, y_bottom);
        draw_graph();
    } else {
        top_y_axis->setText(y_top_label->text());
    }
    clk().yield();
}

void srcswp::bottom_y_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const double b = numtext::val(bottom_y_axis->text());
    if (accept_y_bottom(b, y_top)) {
        y_bottom = float(b);
        update_y_axis();
        write_y_axis(y_top, y_bottom);
        draw_graph();
    } else {
        bottom_y_axis->setText(y_bottom_label->text());
    }
    clk().yield();
}

void srcswp::left_x_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    const float v = float(numtext::val(left_x_axis->text()));
    send_meter(x_axis_command(level_sweep == 1, true, v), x_axis_label(level_sweep == 1, true));
    if (level_sweep == 1)
        sweep_start_level = v;
    else
        sweep_start_freq = v;
    update_screen_x_axis();
}

void srcswp::right_x_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    const float v = float(numtext::val(right_x_axis->text()));
    send_meter(x_axis_command(level_sweep == 1, false, v), x_axis_label(level_sweep == 1, false));
    if (level_sweep == 1)
        sweep_stop_level = v;
    else
        sweep_stop_freq = v;
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
