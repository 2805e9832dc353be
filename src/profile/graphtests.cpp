// The profile window: its controls, tabs and graph frames, its menus and the small plumbing to the
// instruments. Set-up and leaving, the run loop, the settings and the graph are in the graphtests_* files.
#include "profile/graphtests.h"

#include "frame/about_window.h"
#include "frame/fixed_label.h"
#include "frame/key_preview.h"
#include "frame/meter_routines.h"
#include "frame/form_area.h"
#include "frame/sorvdemo.h"
#include "frame/tab_page.h"
#include "graph/trace_graph.h"
#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/link_exchange.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "profile/graphtests_shared.h"
#include "profile/profile_graph.h"
#include "profile/profile_settings.h"
#include "util/number_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <optional>

namespace {

QLineEdit* entry_box(const QString& text, const QString& tip = QString(), int width = 70)
{
    auto* box = new QLineEdit(text);
    box->setToolTip(tip);
    box->setFixedWidth(width);
    return box;
}

QComboBox* list_box(const QStringList& items)
{
    auto* combo = new QComboBox;
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

}  // namespace

using namespace profile_window;

// ============================================================================================== building

graphtests::graphtests(QWidget* parent) : ModeWindow(parent), reply_buffer(vbib32::fixed_buffer(profile_run::kReplyBufferSize))
{
    setWindowTitle(QStringLiteral("Profile mode"));
    setMinimumSize(kMinWidth, kMinHeight);
    auto* area = new FormArea(this);
    form_ = area;
    setCentralWidget(form_);
    build_menus();
    build_tabs();
    build_graph_frames();
    wire_cursor_controls();
    build_stats();
    area->on_resize = [this] { Form_Resize(); };
    Timer1 = new QTimer(this);
    // The timer fires inside the link's waits too: its redraw, which sends the gate, waits for the link.
    auto tick = std::make_shared<vbib32::LinkWork>(this, [this] { guarded([this] { Timer1_Timer(); }); });
    connect(Timer1, &QTimer::timeout, this, [tick] { tick->request(); });
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { SysInfo1_DisplayChanged(); });
}

graphtests::~graphtests()
{
    if (please_wait_)
        delete please_wait_.data();
}

void graphtests::build_menus()
{
    const auto on = [this](void (graphtests::*handler)()) { return guarded_slot([this, handler] { (this->*handler)(); }); };
    menuFileBar = menuBar()->addMenu(QStringLiteral("&File"));
    menuSaveProfileGraph = menuFileBar->addAction(QStringLiteral("&Save Profile Graph"), this,
                                                  on(&graphtests::menuSaveProfileGraph_Click));
    menuPrinterSetup =
        menuFileBar->addAction(QStringLiteral("Printer &Setup"), this, on(&graphtests::menuPrinterSetup_Click));
    menuPrintGraph =
        menuFileBar->addAction(QStringLiteral("&Print Profile Graph"), this, on(&graphtests::menuPrintGraph_Click));
    menuExit = menuFileBar->addAction(QStringLiteral("E&xit"), this, [this] { menuExit_Click(); });
    menuControlBar = menuBar()->addMenu(QStringLiteral("&Control"));
    menuRunOnce = menuControlBar->addAction(QStringLiteral("Run &Once"), this, on(&graphtests::menuRunOnce_Click));
    menuRunCont =
        menuControlBar->addAction(QStringLiteral("Run &Continuously"), this, on(&graphtests::menuRunCont_Click));
    menuStop = menuControlBar->addAction(QStringLiteral("&Stop"), this, [this] { menuStop_Click(); });
    menuStop->setEnabled(false);
    menuResetPowerMeter = menuControlBar->addAction(QStringLiteral("&Reset Power Meter Comms"), this,
                                                    on(&graphtests::menuResetPowerMeter_Click));
    menuHelpBar = menuBar()->addMenu(QStringLiteral("&Help"));
    menuAbout = menuHelpBar->addAction(QStringLiteral("&About"), this, on(&graphtests::menuAbout_Click));
}

void graphtests::build_tabs()
{
    const auto enter = [this](QLineEdit* box, void (graphtests::*handler)(int)) {
        connect(box, &QLineEdit::returnPressed, this, [this, handler] { guarded([this, handler] { (this->*handler)(kEnter); }); });
    };

    SSTab1 = new QTabWidget(form_);
    SSTab1->installEventFilter(this);
    // The pointer is put back when it moves over the tabs, buttons pressed or not.
    SSTab1->tabBar()->installEventFilter(this);
    SSTab1->setMouseTracking(true);
    SSTab1->tabBar()->setMouseTracking(true);
    new KeyPreview(this, [this](int key_code) { Form_KeyPress(key_code); });

    // Tab 0: trigger, gate and measurement.
    auto* page0 = new QWidget;
    auto* trigger = new QGroupBox(QStringLiteral("Trigger"));
    TrigSource = list_box({QStringLiteral("Continuous"), QStringLiteral("External TTL"), QStringLiteral("Interal Sensor A"),
                           QStringLiteral("Interal Sensor B")});
    InternalType[0] = new QRadioButton(QStringLiteral("Rising edge"));
    InternalType[1] = new QRadioButton(QStringLiteral("Falling edge"));
    InternalType[0]->setChecked(true);
    Level = entry_box(QStringLiteral("-15"), QStringLiteral("Internal trigger level (dBm)"), 60);
    auto* tg = new QGridLayout(trigger);
    tg->addWidget(TrigSource, 0, 0, 1, 3);
    tg->addWidget(InternalType[0], 1, 0);
    tg->addWidget(InternalType[1], 1, 1, 1, 2);
    tg->addWidget(new QLabel(QStringLiteral("Level")), 2, 0);
    tg->addWidget(Level, 2, 1);
    tg->addWidget(new QLabel(QStringLiteral("dBm")), 2, 2);
    auto* gate = new QGroupBox(QStringLiteral("Gate (ms)"));
    sample_delay_data = entry_box(QString(), QStringLiteral("Gate start after the start of the display (ms)"));
    gate_width_data = entry_box(QString(), QStringLiteral("Gate length (ms)"));
    DDP = entry_box(QStringLiteral("0.0"), QStringLiteral("Display trigger delay (ms)"));
    auto* gg = new QGridLayout(gate);
    gg->addWidget(new QLabel(QStringLiteral("Sample delay")), 0, 0);
    gg->addWidget(sample_delay_data, 0, 1);
    gg->addWidget(new QLabel(QStringLiteral("Gate width")), 1, 0);
    gg->addWidget(gate_width_data, 1, 1);
    gg->addWidget(new QLabel(QStringLiteral("Display delay")), 2, 0);
    gg->addWidget(DDP, 2, 1);
    auto* measure = new QGroupBox(QStringLiteral("Measurement"));
    Chan_Config_combo = list_box({QStringLiteral("Measure Sensor A"), QStringLiteral("Measure Sensor B"),
                                  QStringLiteral("Measure Sensor A-B"), QStringLiteral("Measure Sensor B-A")});
    range_hold_combo = list_box({QStringLiteral("Auto"), QStringLiteral("R 1"), QStringLiteral("R 2")});
    Averaging_combo = list_box({QStringLiteral("OFF"), QStringLiteral("128"), QStringLiteral("256")});
    auto* mg = new QGridLayout(measure);
    mg->addWidget(Chan_Config_combo, 0, 0, 1, 2);
    mg->addWidget(new QLabel(QStringLiteral("Range hold")), 1, 0);
    mg->addWidget(range_hold_combo, 1, 1);
    mg->addWidget(new QLabel(QStringLiteral("Averaging")), 2, 0);
    mg->addWidget(Averaging_combo, 2, 1);
    add_frames_tab(SSTab1, page0, {trigger, gate, measure}, QStringLiteral("Power Meter"));

    // Tab 1: meter display and calibration, graph, rates.
    auto* page1 = new QWidget;
    auto* meter = new QGroupBox(QStringLiteral("Power Meter"));
    Display_Check = new QCheckBox(QStringLiteral("Power Meter Display"));
    Display_Check->setChecked(true);
    Zero_but = new QPushButton(QStringLiteral("Zero A"));
    Cal_but = new QPushButton(QStringLiteral("Cal A to 0dBm"));
    RFCal_check = new QCheckBox(QStringLiteral("RF Calibrator"));
    auto* mtg = new QGridLayout(meter);
    mtg->addWidget(Display_Check, 0, 0, 1, 2);
    mtg->addWidget(Zero_but, 1, 0);
    mtg->addWidget(Cal_but, 1, 1);
    mtg->addWidget(RFCal_check, 2, 0, 1, 2);
    auto* graph_box = new QGroupBox(QStringLiteral("Graph"));
    GraphLines = new QCheckBox(QStringLiteral("Graph Lines"));
    GraphLines->setToolTip(QStringLiteral("Graph graticule lines On/Off"));
    GraphLines->setChecked(true);
    auto_scale_y = new QPushButton(QStringLiteral("Auto scale Y axis"));
    Cursor_Controls = new QCheckBox(QStringLiteral("Cursor Labels"));
    Cursor_Controls->setChecked(true);
    Auto_Setup = new QPushButton(QStringLiteral("Automatic Trace  Setup"));
    Auto_Setup->setToolTip(
        QStringLiteral("When a trigger source is selected, this will automatically set the system to display two pulses."));
    auto* grg = new QGridLayout(graph_box);
    grg->addWidget(GraphLines, 0, 0);
    grg->addWidget(Cursor_Controls, 0, 1);
    grg->addWidget(auto_scale_y, 1, 0, 1, 2);
    grg->addWidget(Auto_Setup, 2, 0, 1, 2);
    auto* rate = new QGroupBox(QStringLiteral("Rate"));
    Graphs_Per_Second = new FixedLabel(QStringLiteral("0.00"), QStringLiteral("0000.00"));
    Readings_per_second = new FixedLabel(QStringLiteral("0"), QStringLiteral("0000000"));
    for (FixedLabel* l : {Graphs_Per_Second, Readings_per_second}) {
        l->setMinimumWidth(60);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }
    auto* rg = new QGridLayout(rate);
    rg->addWidget(Graphs_Per_Second, 0, 0);
    rg->addWidget(new QLabel(QStringLiteral("graphs/sec")), 0, 1);
    rg->addWidget(Readings_per_second, 1, 0);
    rg->addWidget(new QLabel(QStringLiteral("rdgs/sec")), 1, 1);
    add_frames_tab(SSTab1, page1, {meter, graph_box, rate}, QStringLiteral("Display && Cal"));

    // Tab 2: cursor readout and min/max tracking.
    auto* page2 = new QWidget;
    Frame3 = new QGroupBox(QStringLiteral("Cursor Readout"));
    // Rewritten on every trace: labels whose size stays put, so a new figure repaints only itself.
    for (FixedLabel** l : {&cursor1_data, &Cursor2_data, &Pwr_diff_data, &Time_diff_Data, &time_label, &Avg_Power_Data})
        *l = new FixedLabel(QString(), QString());
    auto* fg = new QGridLayout(Frame3);
    fg->addWidget(new QLabel(QStringLiteral("Cursor 1")), 0, 0);
    fg->addWidget(cursor1_data, 0, 1);
    fg->addWidget(new QLabel(QStringLiteral("dBm")), 0, 2);
    fg->addWidget(new QLabel(QStringLiteral("Cursor 2")), 1, 0);
    fg->addWidget(Cursor2_data, 1, 1);
    fg->addWidget(new QLabel(QStringLiteral("dBm")), 1, 2);
    fg->addWidget(new QLabel(QStringLiteral("Difference")), 0, 3);
    fg->addWidget(Pwr_diff_data, 0, 4);
    fg->addWidget(new QLabel(QStringLiteral("dB")), 0, 5);
    fg->addWidget(new QLabel(QStringLiteral("Time")), 1, 3);
    fg->addWidget(Time_diff_Data, 1, 4);
    fg->addWidget(time_label, 1, 5);
    fg->addWidget(new QLabel(QStringLiteral("Average")), 2, 3);
    fg->addWidget(Avg_Power_Data, 2, 4);
    fg->addWidget(new QLabel(QStringLiteral("dBm")), 2, 5);
    for (FixedLabel* l : {cursor1_data, Cursor2_data, Pwr_diff_data, Time_diff_Data, Avg_Power_Data})
        l->setMinimumWidth(64);
    auto* track = new QGroupBox(QStringLiteral("Min / Max"));
    Track_min_max_check = new QCheckBox(QStringLiteral("Track Min Max"));
    Lock_to_min_max = new QCheckBox(QStringLiteral("Lock Cursors"));
    Lock_to_min_max->setEnabled(false);
    Reset_Track_Min_Max = new QPushButton(QStringLiteral("Reset"));
    auto* tk = new QVBoxLayout(track);
    tk->addWidget(Track_min_max_check);
    tk->addWidget(Lock_to_min_max);
    tk->addWidget(Reset_Track_Min_Max);
    add_frames_tab(SSTab1, page2, {Frame3, track, build_cursor_moves()}, QStringLiteral("Cursors"));

    // Tab 3: the generator.
    auto* page3 = new QWidget;
    auto* level = new QGroupBox(QStringLiteral("RF Level (dBm)"));
    Pwr_Setting = entry_box(QStringLiteral("0.0"), QStringLiteral("Generator output level (dBm)"));
    Pwr_Scroll = new QScrollBar(Qt::Horizontal);
    Pwr_Scroll->setRange(profile_settings::kPowerScrollMin, profile_settings::kPowerScrollMax);
    Pwr_Scroll->setSingleStep(10);
    Pwr_Scroll->setPageStep(100);
    Pwr_Scroll->setValue(profile_settings::kPowerScrollStart);
    Pwr_Scroll->setTracking(false);
    Pwr_Scroll->setMinimumWidth(140);
    auto* lg = new QVBoxLayout(level);
    lg->addWidget(Pwr_Setting);
    lg->addWidget(Pwr_Scroll);
    lg->addStretch();
    auto* pulse = new QGroupBox(QStringLiteral("Pulse"));
    Pulse_check = new QCheckBox(QStringLiteral("Pulse On/Off"));
    Pulse_Period = entry_box(QStringLiteral("1.0"), QStringLiteral("Pulse period (ms)"));
    Pulse_Width = entry_box(QStringLiteral("0.10"), QStringLiteral("Pulse width (ms)"));
    auto* pg = new QGridLayout(pulse);
    pg->addWidget(Pulse_check, 0, 0, 1, 3);
    pg->addWidget(new QLabel(QStringLiteral("Period")), 1, 0);
    pg->addWidget(Pulse_Period, 1, 1);
    pg->addWidget(new QLabel(QStringLiteral("ms")), 1, 2);
    pg->addWidget(new QLabel(QStringLiteral("Width")), 2, 0);
    pg->addWidget(Pulse_Width, 2, 1);
    pg->addWidget(new QLabel(QStringLiteral("ms")), 2, 2);
    auto* am = new QGroupBox(QStringLiteral("AM"));
    AM_mod_check = new QCheckBox(QStringLiteral("AM Modulation On/Off"));
    AM_mod_combo = list_box({QStringLiteral("Sine"), QStringLiteral("Square"), QStringLiteral("Ramp Up"),
                             QStringLiteral("Ramp Down"), QStringLiteral("Gausian Noise"), QStringLiteral("Unified Noise"),
                             QStringLiteral("Triangle")});
    Mod_Depth = entry_box(QStringLiteral("10.0"), QStringLiteral("Modulation depth (%)"), 56);
    Mod_Rate = entry_box(QStringLiteral("10.0"), QStringLiteral("Modulation rate (kHz)"), 56);
    auto* ag = new QGridLayout(am);
    ag->addWidget(AM_mod_check, 0, 0, 1, 3);
    ag->addWidget(AM_mod_combo, 1, 0, 1, 3);
    ag->addWidget(Mod_Depth, 2, 0);
    ag->addWidget(new QLabel(QStringLiteral("%")), 2, 1);
    ag->addWidget(Mod_Rate, 2, 2);
    ag->addWidget(new QLabel(QStringLiteral("kHz")), 2, 3);
    add_frames_tab(SSTab1, page3, {level, pulse, am}, QStringLiteral("Sweeper"));

    // Tab 4: pulse information.
    SSTab1->addTab(build_pulse_page(), QStringLiteral("Pulse Info"));

    // Tabs 5 and 6: statistics.
    auto* page5 = new QWidget;
    do_pdf_check = new QCheckBox(QStringLiteral("Collect Samples"));
    stats_continuous_update_check = new QCheckBox(QStringLiteral("Continuous Update"));
    stats_continuous_update_check->setToolTip(QStringLiteral("Continually update the graph"));
    auto* l5 = new QVBoxLayout(page5);
    l5->addWidget(do_pdf_check);
    l5->addWidget(stats_continuous_update_check);
    l5->addStretch();
    SSTab1->addTab(page5, QStringLiteral("Stats Control"));
    auto* page6 = new QWidget;
    auto* l6 = new QVBoxLayout(page6);
    l6->addStretch();
    SSTab1->addTab(page6, QStringLiteral("Stats Info"));

    // Wiring. Lists and check boxes act on the user's choice; the load selects the first items itself.
    enter(sample_delay_data, &graphtests::sample_delay_data_KeyPress);
    enter(gate_width_data, &graphtests::gate_width_data_KeyPress);
    enter(DDP, &graphtests::DDP_KeyPress);
    enter(Level, &graphtests::Level_KeyPress);
    enter(Pwr_Setting, &graphtests::Pwr_Setting_KeyPress);
    enter(Pulse_Period, &graphtests::Pulse_Period_KeyPress);
    enter(Pulse_Width, &graphtests::Pulse_Width_KeyPress);
    enter(Mod_Depth, &graphtests::Mod_Depth_KeyPress);
    enter(Mod_Rate, &graphtests::Mod_Rate_KeyPress);
    connect(TrigSource, &QComboBox::activated, this, guarded_slot([this] { TrigSource_Click(); }));
    for (int i = 0; i < 2; ++i)
        connect(InternalType[i], &QRadioButton::clicked, this, guarded_slot([this, i] { InternalType_Click(i); }));
    connect(Chan_Config_combo, &QComboBox::activated, this, guarded_slot([this] { Chan_Config_combo_Click(); }));
    connect(range_hold_combo, &QComboBox::activated, this, guarded_slot([this] { range_hold_combo_Click(); }));
    connect(Averaging_combo, &QComboBox::activated, this, guarded_slot([this] { Averaging_combo_Click(); }));
    connect(Display_Check, &QCheckBox::clicked, this, guarded_slot([this] { Display_Check_Click(); }));
    connect(Zero_but, &QPushButton::clicked, this, guarded_slot([this] { Zero_but_Click(); }));
    connect(Cal_but, &QPushButton::clicked, this, guarded_slot([this] { Cal_but_Click(); }));
    connect(RFCal_check, &QCheckBox::clicked, this, guarded_slot([this] { RFCal_check_Click(); }));
    connect(GraphLines, &QCheckBox::clicked, this, guarded_slot([this] { GraphLines_Click(); }));
    connect(auto_scale_y, &QPushButton::clicked, this, guarded_slot([this] { auto_scale_y_Click(); }));
    connect(Cursor_Controls, &QCheckBox::clicked, this, guarded_slot([this] { Cursor_Controls_Click(); }));
    connect(Track_min_max_check, &QCheckBox::clicked, this, guarded_slot([this] { Track_min_max_check_Click(); }));
    connect(Reset_Track_Min_Max, &QPushButton::clicked, this, guarded_slot([this] { Reset_Track_Min_Max_Click(); }));
    connect(Pwr_Scroll, &QScrollBar::sliderMoved, this, guarded_slot([this] { Pwr_Scroll_Scroll(); }));
    connect(Pwr_Scroll, &QScrollBar::valueChanged, this, guarded_slot([this] { Pwr_Scroll_Change(); }));
    connect(Pwr_Setting, &QLineEdit::textChanged, this, guarded_slot([this] { Pwr_Setting_Change(); }));
    connect(Pulse_check, &QCheckBox::clicked, this, guarded_slot([this] { Pulse_check_Click(); }));
    connect(AM_mod_check, &QCheckBox::clicked, this, guarded_slot([this] { AM_mod_check_Click(); }));
    connect(AM_mod_combo, &QComboBox::activated, this, guarded_slot([this] { AM_mod_combo_Click(); }));
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, previous = 0](int current) mutable {
        const int was = previous;
        previous = current;
        guarded([this, was] { SSTab1_Click(was); });
    });
}

void graphtests::build_graph_frames()
{
    const auto enter = [this](QLineEdit* box, void (graphtests::*handler)(int)) {
        connect(box, &QLineEdit::returnPressed, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(kEnter); }); });
    };

    Pulse_Graph_Frame = new QFrame(form_);
    Pulse_Graph_Frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    graph = new CanvasWidget(Pulse_Graph_Frame);
    graph->canvas().set_back_color(Qt::black);
    graph->canvas().set_fore_color(QColor(255, 230, 0));
    profile_graph::set_graph_scale(graph->canvas(), y_top, y_bottom);
    top_y_axis = entry_box(QStringLiteral("20.00"), QStringLiteral("Top Y Axis Scale"), 56);
    bottom_y_axis = entry_box(QStringLiteral("-50.00"), QStringLiteral("Bottom Y Axis Scale"), 56);
    right_x_axis = entry_box(QStringLiteral("10.00"), QStringLiteral("Graph Capture Period"), 56);
    for (QLineEdit* box : {top_y_axis, bottom_y_axis, right_x_axis}) {
        box->setParent(Pulse_Graph_Frame);
        box->setFixedHeight(22);
        box->setAlignment(Qt::AlignRight);
    }
    y_top_label = new QLabel(QStringLiteral("20.00"), Pulse_Graph_Frame);
    y_bottom_label = new QLabel(QStringLiteral("-50.00"), Pulse_Graph_Frame);
    // The entry boxes show the axis ends; the labels keep the same texts for the printed page.
    y_top_label->hide();
    y_bottom_label->hide();
    x_lh_label = new QLabel(QStringLiteral("0.00"), Pulse_Graph_Frame);
    Label5 = new QLabel(QStringLiteral("dBm"), Pulse_Graph_Frame);
    Label6 = new QLabel(QStringLiteral("ms"), Pulse_Graph_Frame);
    min_max_label = new FixedLabel(QString(), QString(), Pulse_Graph_Frame);
    min_max_label->setAlignment(Qt::AlignCenter);
    min_max_label->hide();
    cur1_data = new QLabel(graph);
    cur2_data = new QLabel(graph);
    for (QLabel* l : {cur1_data, cur2_data}) {
        l->setStyleSheet(QStringLiteral("QLabel { color: white; }"));
        l->hide();
    }
    enter(top_y_axis, &graphtests::top_y_axis_KeyPress);
    enter(bottom_y_axis, &graphtests::bottom_y_axis_KeyPress);
    enter(right_x_axis, &graphtests::right_x_axis_KeyPress);

    PDF_Graph_Frame = new QFrame(form_);
    PDF_Graph_Frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    PDF_Graph_Frame->hide();
    PDF_Graph = new CanvasWidget(PDF_Graph_Frame);
    Top_PDF_Scale = entry_box(QStringLiteral("20.00"), QStringLiteral("Top Graph Scale"), 56);
    Bot_PDF_Scale = entry_box(QStringLiteral("-50.00"), QStringLiteral("Bottom Graph Scale"), 56);
    X_PDF_Start = entry_box(QStringLiteral("0.0"), QStringLiteral("X axis start point (%)"), 56);
    X_PDF_Stop = entry_box(QStringLiteral("100"), QStringLiteral("X Axis Stop Point (%)"), 56);
    Shift_up_button = new QPushButton(QStringLiteral("^"));
    Shift_up_button->setToolTip(QStringLiteral("Move Graph Window up"));
    Shift_down_button = new QPushButton(QStringLiteral("v"));
    Shift_down_button->setToolTip(QStringLiteral("Move Graph Window down"));
    Increase_PDF_X_Scale = new QPushButton(QStringLiteral("<>"));
    Increase_PDF_X_Scale->setToolTip(QStringLiteral("Zoom out of X Axis Scale"));
    Decrease_PDF_X_Scale = new QPushButton(QStringLiteral("><"));
    Decrease_PDF_X_Scale->setToolTip(QStringLiteral("Zoom in X Axis Scale"));
    Label13 = new QLabel(QStringLiteral("dBm"));
    Label16 = new QLabel(QStringLiteral("%"));
    for (QWidget* w : std::initializer_list<QWidget*>{Top_PDF_Scale, Bot_PDF_Scale, X_PDF_Start, X_PDF_Stop, Shift_up_button,
                                                      Shift_down_button, Increase_PDF_X_Scale, Decrease_PDF_X_Scale, Label13,
                                                      Label16}) {
        w->setParent(PDF_Graph_Frame);
        w->setFixedHeight(22);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Shift_up_button, Shift_down_button, Increase_PDF_X_Scale,
                                                      Decrease_PDF_X_Scale})
        w->setFixedWidth(28);
}

Canvas& graphtests::graph_canvas() { return graph->canvas(); }

Canvas& graphtests::pdf_canvas() { return PDF_Graph->canvas(); }

// ============================================================================================== plumbing

void graphtests::send_meter(const QString& text, const QString& label)
{
    Globals& gs = g();
    vbib32::Send(gs.gpib_board, gs.meter_address, text, vbib32::NLend);
    if (gpibgen::gpib_error(label) > 0)
        throw AppError(AppError::meter);
}

void graphtests::send_generator(const QString& text, const QString& label)
{
    Globals& gs = g();
    vbib32::Send(gs.gpib_board, gs.synth_address, text, vbib32::NLend);
    if (gpibgen::gpib_error(label) > 0)
        throw AppError(AppError::generator);
}

void graphtests::request_stop()
{
    // Exit, the close box or the main window's closing during a run: the loop ends after its pass and the
    // window then closes.
    unload_requested = true;
}

bool graphtests::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == SSTab1 || watched == SSTab1->tabBar()) && event->type() == QEvent::MouseMove)
        SSTab1_MouseMove();
    if ((watched == form_ || watched == Pulse_Graph_Frame) && event->type() == QEvent::MouseMove)
        Form_MouseMove();
    return ModeWindow::eventFilter(watched, event);
}

// ============================================================================================== menus

void graphtests::menuRunCont_Click()
{
    menuRunCont->setEnabled(false);
    menuRunOnce->setEnabled(false);
    menuStop->setEnabled(true);
    // A run once cut short must not turn this run into a burst.
    run_once = false;
    start_test();
    if (!unload_requested) {
        menuRunCont->setEnabled(true);
        menuRunOnce->setEnabled(true);
        menuStop->setEnabled(false);
    }
}

void graphtests::menuRunOnce_Click()
{
    menuRunCont->setEnabled(false);
    menuRunOnce->setEnabled(false);
    menuStop->setEnabled(false);
    run_once = true;
    start_test();
    if (!unload_requested) {
        menuRunCont->setEnabled(true);
        menuRunOnce->setEnabled(true);
    }
}

void graphtests::menuStop_Click() { run_stopped = true; }

void graphtests::menuExit_Click() { request_close(); }

void graphtests::menuResetPowerMeter_Click()
{
    module1::clear_meter_comms(this, g().gpib_board);
}

void graphtests::menuAbout_Click()
{
    if (sorvdemo* main = sorvdemo::instance())
        main->show_help(QStringLiteral("profile.txt"));
}

void graphtests::menuSaveProfileGraph_Click() { SaveProfileGraph(); }

void graphtests::menuPrinterSetup_Click() { page_setup.setup(); }

void graphtests::menuPrintGraph_Click() { PrintGraph(); }

void graphtests::SSTab1_Click(int)
{
    const int tab = SSTab1->currentIndex();
    if (tab < 5) {
        Pulse_Graph_Frame->show();
        PDF_Graph_Frame->hide();
    } else {
        Pulse_Graph_Frame->hide();
        PDF_Graph_Frame->show();
        reset_stats_cursor();
    }
    if (tab == 4)
        Do_Pulse_Info();
}

void graphtests::SSTab1_MouseMove() { unsetCursor(); }

void graphtests::Form_KeyPress(int key_code)
{
    if (key_code == 32 && zoom_pending)
        Stats_Graph_Zoom();
}

void graphtests::Track_min_max_check_Click() { Lock_to_min_max->setEnabled(Track_min_max_check->isChecked()); }

void graphtests::Reset_Track_Min_Max_Click() { tracker.reset(); }
