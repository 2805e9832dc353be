#include "profile/graphtests.h"

#include "frame/about_window.h"
#include "frame/fixed_label.h"
#include "frame/key_preview.h"
#include "frame/meter_routines.h"
#include "frame/form_area.h"
#include "frame/sorvdemo.h"
#include "frame/ui_scopes.h"
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
#include <QMdiArea>
#include <QMdiSubWindow>
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

constexpr int kEnter = 13;
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 480;
const QString kPelmora = QStringLiteral("Pelmora");

Clock& clk() { return *platform().clock; }
Prompts& prompts() { return *platform().prompts; }

// Pixels for a length in twips on this screen.
int twips(const QWidget* w, int t) { return std::max(1, t * w->logicalDpiX() / 1440); }

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
    const auto on = [this](void (graphtests::*handler)()) {
        return [this, handler] { guarded([this, handler] { (this->*handler)(); }); };
    };
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
    const auto on = [this](auto handler) { return [this, handler] { guarded(handler); }; };
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
    auto* l0 = new QHBoxLayout(page0);
    l0->addWidget(trigger);
    l0->addWidget(gate);
    l0->addWidget(measure);
    l0->addStretch(1);
    SSTab1->addTab(page0, QStringLiteral("Power Meter"));

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
    auto* l1 = new QHBoxLayout(page1);
    l1->addWidget(meter);
    l1->addWidget(graph_box);
    l1->addWidget(rate);
    l1->addStretch(1);
    SSTab1->addTab(page1, QStringLiteral("Display && Cal"));

    // Tab 2: cursor readout and min/max tracking.
    auto* page2 = new QWidget;
    Frame3 = new QGroupBox(QStringLiteral("Cursor Readout"));
    cursor1_data = new QLabel;
    Cursor2_data = new QLabel;
    Pwr_diff_data = new QLabel;
    Time_diff_Data = new QLabel;
    time_label = new QLabel;
    Avg_Power_Data = new QLabel;
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
    for (QLabel* l : {cursor1_data, Cursor2_data, Pwr_diff_data, Time_diff_Data, Avg_Power_Data})
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
    auto* l2 = new QHBoxLayout(page2);
    l2->addWidget(Frame3);
    l2->addWidget(track);
    l2->addWidget(build_cursor_moves());
    l2->addStretch(1);
    SSTab1->addTab(page2, QStringLiteral("Cursors"));

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
    auto* l3 = new QHBoxLayout(page3);
    l3->addWidget(level);
    l3->addWidget(pulse);
    l3->addWidget(am);
    l3->addStretch(1);
    SSTab1->addTab(page3, QStringLiteral("Sweeper"));

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
    connect(TrigSource, &QComboBox::activated, this, on([this] { TrigSource_Click(); }));
    for (int i = 0; i < 2; ++i)
        connect(InternalType[i], &QRadioButton::clicked, this, on([this, i] { InternalType_Click(i); }));
    connect(Chan_Config_combo, &QComboBox::activated, this, on([this] { Chan_Config_combo_Click(); }));
    connect(range_hold_combo, &QComboBox::activated, this, on([this] { range_hold_combo_Click(); }));
    connect(Averaging_combo, &QComboBox::activated, this, on([this] { Averaging_combo_Click(); }));
    connect(Display_Check, &QCheckBox::clicked, this, on([this] { Display_Check_Click(); }));
    connect(Zero_but, &QPushButton::clicked, this, on([this] { Zero_but_Click(); }));
    connect(Cal_but, &QPushButton::clicked, this, on([this] { Cal_but_Click(); }));
    connect(RFCal_check, &QCheckBox::clicked, this, on([this] { RFCal_check_Click(); }));
    connect(GraphLines, &QCheckBox::clicked, this, on([this] { GraphLines_Click(); }));
    connect(auto_scale_y, &QPushButton::clicked, this, on([this] { auto_scale_y_Click(); }));
    connect(Cursor_Controls, &QCheckBox::clicked, this, on([this] { Cursor_Controls_Click(); }));
    connect(Track_min_max_check, &QCheckBox::clicked, this, on([this] { Track_min_max_check_Click(); }));
    connect(Reset_Track_Min_Max, &QPushButton::clicked, this, on([this] { Reset_Track_Min_Max_Click(); }));
    connect(Pwr_Scroll, &QScrollBar::sliderMoved, this, on([this] { Pwr_Scroll_Scroll(); }));
    connect(Pwr_Scroll, &QScrollBar::valueChanged, this, on([this] { Pwr_Scroll_Change(); }));
    connect(Pwr_Setting, &QLineEdit::textChanged, this, on([this] { Pwr_Setting_Change(); }));
    connect(Pulse_check, &QCheckBox::clicked, this, on([this] { Pulse_check_Click(); }));
    connect(AM_mod_check, &QCheckBox::clicked, this, on([this] { AM_mod_check_Click(); }));
    connect(AM_mod_combo, &QComboBox::activated, this, on([this] { AM_mod_combo_Click(); }));
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

void graphtests::guarded(const std::function<void()>& handler)
{
    enter_busy();
    try {
        handler();
    } catch (const AppError&) {
        // The link's box has already said what failed; the error ends only this handler.
    } catch (const std::exception& e) {
        prompts().message_box(QStringLiteral("Error: ") + QString::fromLocal8Bit(e.what()), Prompts::Buttons::Ok,
                              Prompts::Icon::None, QStringLiteral("Sorry..."));
    }
    leave_busy();
}

void graphtests::load_step(const std::function<void()>& step)
{
    try {
        step();
    } catch (const AppError&) {
        // Reported in the link's box; the window opens in any case.
    } catch (const std::exception& e) {
        prompts().message_box(QStringLiteral("Error: ") + QString::fromLocal8Bit(e.what()), Prompts::Buttons::Ok,
                              Prompts::Icon::None, QStringLiteral("Sorry..."));
    }
}

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

// ============================================================================================== life cycle

void graphtests::Form_Load()
{
    Globals& gs = g();
    // Nothing of the window acts until the meter is set up.
    menuBar()->setEnabled(false);
    form_->setEnabled(false);

    // 1. Defaults that need no instrument.
    gs.pulse_distal = 0.9;
    gs.pulse_mesial = 0.5;
    gs.pulse_proximal = 0.1;
    tracker.reset();
    unload_requested = false;

    // 2, 3. The please-wait window over the set-up; the window placed in the work area.
    please_wait_ = new PleaseWait(sorvdemo::instance());
    place_in_work_area();

    // 4.
    run_stopped = true;
    if (gs.synth_address == -1 || !gs.maker_synth)
        SSTab1->setTabEnabled(3, false);

    // 5, 6. Interface clear and device clears.
    load_step([&] {
        vbib32::SendIFC(gs.gpib_board);
        gpibgen::gpib_error(QStringLiteral("IFC "));
    });
    load_step([&] {
        vbib32::DevClear(gs.gpib_board, gs.meter_address);
        if (gs.maker_synth)
            vbib32::DevClear(gs.gpib_board, gs.synth_address);
        clk().sleep_ms(500);
    });
    // 7. RF on.
    if (gs.maker_synth)
        load_step([&] { vbib32::Send(gs.gpib_board, gs.synth_address, "RF1", vbib32::NLend); });

    // 8. Identity; the statistics-capable models leave their CDMA reading mode.
    load_step([&] {
        module1::SensorTypes ids;
        module1::get_sensor_types(ids);
        if (ids.meter_model == QLatin1String("RQ5821K") || ids.meter_model == QLatin1String("RQ5822K")) {
            vbib32::Send(gs.gpib_board, gs.meter_address, "RDMODE?", vbib32::NLend);
            QByteArray buffer = vbib32::fixed_buffer(50);
            vbib32::Receive(gs.gpib_board, gs.meter_address, buffer, vbib32::STOPend);
            if (vbib32::text_of(buffer).contains(QLatin1String("CDMA"))) {
                vbib32::Send(gs.gpib_board, gs.meter_address, "RDMODE STAND", vbib32::NLend);
                clk().sleep_ms(12000);
            }
        }
    });

    // 9. The rest of the defaults, the gate boxes and the axes.
    y_top = 20;
    y_bottom = -50;
    capture_span_ms = 10;
    x_left_edge_ms = 0;
    trace_start_time = 0;
    capture_period_s = 0.01f;
    seconds_per_point = capture_period_s / 200;
    sample_delay_ms = 0.005f;
    gate_width_ms = 0.0017f;
    trace_min = trace_max = 0;
    trace_min_index = trace_max_index = 0;
    first_point_pending = true;
    cursor_panel_hidden = false;
    trace_valid = false;
    reply_buffer = vbib32::fixed_buffer(profile_run::kReplyBufferSize);
    sample_delay_data->setText(profile_settings::ms_box_text(sample_delay_ms));
    gate_width_data->setText(profile_settings::ms_box_text(gate_width_ms));
    load_step([&] { write_y_axis(y_top, y_bottom); });
    load_step([&] { write_x_axis(capture_span_ms, x_left_edge_ms); });

    // 10. The meter into profile mode.
    load_step([&] {
        const QString setup = gs.serial_in_use
                                  ? QStringLiteral("*RST; OPMD PROFILE;GTDLY 5ms;GTGW 1.7ms;GRPRD 10ms; GRDATA OFF")
                                  : QStringLiteral("*RST;DISP ON;OPMD PROFILE;GTDLY 5ms;GTGW 1.7ms;GRPRD 10ms; GRDATA OFF");
        gpibgen::configure_with_opc(setup, 13, gs.gpib_board, gs.meter_address);
    });

    // 11. The first item of each list, each sending its command.
    const auto select_first = [&](QComboBox* list, void (graphtests::*handler)()) {
        {
            const QSignalBlocker block(list);
            list->setCurrentIndex(0);
        }
        load_step([&] { (this->*handler)(); });
    };
    select_first(TrigSource, &graphtests::TrigSource_Click);
    select_first(Chan_Config_combo, &graphtests::Chan_Config_combo_Click);
    select_first(range_hold_combo, &graphtests::range_hold_combo_Click);
    select_first(Averaging_combo, &graphtests::Averaging_combo_Click);
    if (gs.synth_address != -1)
        select_first(AM_mod_combo, &graphtests::AM_mod_combo_Click);

    // 12. Cursors from the gate, and the gate itself.
    load_step([&] {
        update_cursors();
        update_cursor_data();
        draw_cursors();
    });
    load_step([&] { update_sample_delay(); });
    load_step([&] { update_gate_width(); });

    // 13.
    menuBar()->setEnabled(true);
    form_->setEnabled(true);
    show();
    if (please_wait_)
        please_wait_->deleteLater();
    Timer1->setInterval(10);
    Timer1->start();
}

void graphtests::Form_Unload()
{
    Globals& gs = g();
    Timer1->stop();
    // Nothing may start while the leaving commands go out.
    menuBar()->setEnabled(false);
    form_->setEnabled(false);
    if (please_wait_)
        please_wait_->deleteLater();
    {
        const Hourglass hourglass;
        clk().yield();
        vbib32::Send(gs.gpib_board, gs.meter_address, "*RST;DISP ON;opmd digit", vbib32::NLend);
        gpibgen::gpib_error(QStringLiteral("Exit form"));
        clk().sleep_ms(2000);
    }
    // The main window's menus come back through on_unloaded.
    clk().yield();
}

void graphtests::place_in_work_area()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    QWidget* target = sub ? static_cast<QWidget*>(sub) : this;
    QRect work;
    if (sub && sub->mdiArea())
        work = QRect(QPoint(0, 0), sub->mdiArea()->viewport()->size());
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        work = screen->availableGeometry();
    else
        work = QRect(0, 0, 1024, 768);
    // A comfortable size where there is room, never below the minimum.
    const QSize extra = target->size() - size();
    const QSize wanted(std::max(kMinWidth, std::min(880, work.width() - extra.width())),
                       std::max(kMinHeight, std::min(660, work.height() - extra.height())));
    resize(wanted);
    if (sub)
        sub->resize(wanted + extra);
    const QSize s = target->frameGeometry().size();
    const int left = s.width() < work.width() ? work.width() / 2 - s.width() / 2 : 0;
    const int top = s.height() < work.height() ? work.height() / 2 - s.height() / 2 : 0;
    target->move(work.left() + left, work.top() + top);
}

void graphtests::SysInfo1_DisplayChanged()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    QWidget* target = sub ? static_cast<QWidget*>(sub) : this;
    if (!(sub ? sub == (sub->mdiArea() ? sub->mdiArea()->activeSubWindow() : nullptr) : isActiveWindow()))
        return;
    const QRect work = sub && sub->mdiArea() ? QRect(QPoint(0, 0), sub->mdiArea()->viewport()->size())
                                             : (QGuiApplication::primaryScreen()
                                                    ? QGuiApplication::primaryScreen()->availableGeometry()
                                                    : QRect(0, 0, 1024, 768));
    QRect g = target->geometry();
    if (g.height() > work.height()) {
        g.moveTop(work.top());
        g.setHeight(work.height());
    }
    if (g.width() > work.width()) {
        g.moveLeft(work.left());
        g.setWidth(work.width());
    }
    target->setGeometry(g);
}

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
    const CaptionScope caption(this, windowTitle() + QStringLiteral(" Please wait.... Clearing Power Meter"));
    vbib32::DevClear(g().gpib_board, g().meter_address);
    clk().sleep_ms(2000);
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

// ============================================================================================== run loop

void graphtests::start_test()
{
    if (!run_stopped) {
        // A second Run during a run asks it to stop.
        run_stopped = true;
        return;
    }
    enter_busy();
    run_in_progress_ = true;
    run_stopped = false;
    Auto_Setup->setEnabled(false);
    Globals& gs = g();
    int app_error = 0;
    QString other_error;
    try {
        if (check_measurement()) {
            if (Display_Check->isChecked())
                turn_on_display();
            else
                turn_off_display();
            {
                const CaptionScope caption(this, windowTitle() + QStringLiteral(" - Setting up..."));
                clk().yield();
                if (!run_once)
                    update_everything();
            }
            gs.test_running = true;
            int burst_left = profile_run::kRunOncePasses - 1;
            while (!run_stopped && gs.test_running && !unload_requested) {
                if (run_pass(burst_left))
                    break;
            }
        }
    } catch (const AppError& e) {
        app_error = e.number();
        other_error = QString::fromLocal8Bit(e.what());
    } catch (const std::exception& e) {
        other_error = QString::fromLocal8Bit(e.what());
    }

    // Ending: every way out of the run comes here.
    Auto_Setup->setEnabled(true);
    run_stopped = true;
    gs.test_running = false;
    run_once = false;
    if (app_error == AppError::meter || app_error == AppError::generator)
        prompts().message_box(
            QStringLiteral("The Demo has stopped running because there was an error with the GPIB system."),
            Prompts::Buttons::Ok, Prompts::Icon::None, kPelmora);
    else if (!other_error.isEmpty())
        prompts().message_box(QStringLiteral("Error: ") + other_error, Prompts::Buttons::Ok, Prompts::Icon::None,
                              QStringLiteral("Sorry..."));
    run_in_progress_ = false;
    // A close asked for during the run happens now, from the event loop.
    leave_busy();
}

bool graphtests::run_pass(int& burst_left)
{
    Globals& gs = g();
    Clock& clock = clk();
    const qint64 t0 = clock.now_us();
    {
        // The request and its block are one exchange: the cursor timer waits for its end.
        const vbib32::Exchange exchange;
        const ExchangeScope window_exchange(exchange_open_);
        vbib32::Send(gs.gpib_board, gs.meter_address, "OGBD", vbib32::NLend);
        if (gpibgen::gpib_error(QStringLiteral("Asking for Graph data")) > 0)
            throw AppError(AppError::meter);
        vbib32::Receive(gs.gpib_board, gs.meter_address, reply_buffer, vbib32::STOPend);
        if (gpibgen::gpib_error(QStringLiteral("Reading back Graph data")) > 0)
            throw AppError(AppError::meter);
    }
    const long received = gs.ibcntl;
    if (gs.ibcnt == profile_run::kBlockBytes) {
        trace_valid = true;
        extract_graph_data(received);
        Do_Pulse_Info();
        lock_cursors();
        draw_graph();
        if (stats_continuous_update_check->isChecked()) {
            PDF_Graph->canvas().cls();
            Draw_Stats_Graph(PDF_Graph->canvas());
        }
        update_cursor_data();
        cursor_readout();
        if (do_pdf_check->isChecked())
            Calculate_Stats();
    }
    // Every pass lets the window's commands in, whatever came back.
    clock.yield();
    if (run_once) {
        if (burst_left == 0) {
            run_once = false;
            return true;
        }
        --burst_left;
    }
    if (received == 0) {
        prompts().message_box(QStringLiteral("Data Collection is stopped.\r\nPlease check your trigger config is correct."
                                             "\r\nOR communication system is still connected."),
                              Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Time Out: No data received"));
        return true;
    }
    if (const auto rates = profile_run::rate_texts(clock.now_us() - t0)) {
        Graphs_Per_Second->setText(rates->graphs_per_second);
        Readings_per_second->setText(rates->readings_per_second);
    }
    return false;
}

void graphtests::extract_graph_data(long byte_count)
{
    const TraceDecode decoded = decode_trace_block(reply_buffer, byte_count, graph_trace);
    graph_trace = decoded.points;
    if (decoded.extremes_valid()) {
        trace_min = decoded.min;
        trace_max = decoded.max;
        trace_min_index = decoded.min_index;
        trace_max_index = decoded.max_index;
    }
    first_point_pending = true;
    if (!cursor_panel_hidden)
        average_between_cursors();
    if (Track_min_max_check->isChecked()) {
        tracker.add(trace_min, trace_max);
        min_max_label->setText(tracker.label_text());
        min_max_label->show();
    } else {
        min_max_label->hide();
    }
}

bool graphtests::check_measurement()
{
    const auto need = profile_run::sensor_needed(Chan_Config_combo->currentIndex());
    if (!need || module1::check_sensor_present(need->sensor))
        return true;
    prompts().message_box(profile_run::missing_sensor_text(*need), Prompts::Buttons::Ok, Prompts::Icon::None, kPelmora);
    return false;
}

void graphtests::calculate_Min_Max_Value()
{
    level_min = trace_min;
    level_max = trace_max;
    Peak_Power->setText(numtext::format(double(trace_max) / 1024.0, QStringLiteral("##0.000")));
}

void graphtests::Calculate_top_bottom()
{
    calculate_Min_Max_Value();
    const profile_run::PulseLevels levels =
        profile_run::top_bottom(graph_trace.data(), cursor1_index, cursor2_index, level_min, level_max);
    pulse_top = levels.top;
    pulse_bottom = levels.bottom;
}

// ============================================================================================== settings

void graphtests::update_collection_period()
{
    capture_period_s = profile_graph::collection_period(capture_span_ms, x_left_edge_ms);
    send_meter(profile_graph::collection_period_command(capture_span_ms, x_left_edge_ms), QStringLiteral("X axis update"));
}

void graphtests::update_sample_delay()
{
    send_meter(profile_settings::sample_delay_command(sample_delay_ms), QStringLiteral("Update sample_delay"));
}

void graphtests::update_gate_width()
{
    send_meter(profile_settings::gate_width_command(gate_width_ms), QStringLiteral("Update gate width"));
}

void graphtests::update_DDP()
{
    send_meter(profile_settings::display_delay_command(display_delay_ms), QStringLiteral("Update Display Trigger Delay"));
}

void graphtests::set_internal_trig_level()
{
    send_meter(profile_settings::trigger_level_command(trigger_level), QStringLiteral("Update internal trig level"));
}

void graphtests::update_inttrig_type()
{
    send_meter(profile_settings::trigger_type_command(trigger_edge), QStringLiteral("Update internal Trigger Type"));
}

void graphtests::Update_trig_source()
{
    send_meter(profile_settings::trigger_source_command(TrigSource->currentIndex()), QStringLiteral("Update trigger source"));
}

void graphtests::turn_off_display()
{
    send_meter(profile_settings::display_command(false), QStringLiteral("Disp off "));
    display_on = false;
}

void graphtests::turn_on_display()
{
    send_meter(profile_settings::display_command(true), QStringLiteral("Disp on "));
    display_on = true;
}

namespace {
const QString kSweeperLabel = QStringLiteral("Update Sweeper Power Output");
}

void graphtests::update_Sweeper_pwr() { send_generator(profile_settings::sweeper_power_command(Pwr_Setting->text()), kSweeperLabel); }

void graphtests::update_sweeper_period()
{
    send_generator(profile_settings::pulse_period_command(Pulse_Period->text()), kSweeperLabel);
}

void graphtests::update_period_width()
{
    send_generator(profile_settings::pulse_width_command(Pulse_Width->text()), kSweeperLabel);
}

void graphtests::update_mod_type() { send_generator(profile_settings::mod_type_command(am_waveform_index), kSweeperLabel); }

void graphtests::update_pulse_mode()
{
    send_generator(profile_settings::pulse_mode_command(Pulse_check->isChecked()), kSweeperLabel);
}

void graphtests::update_mod_mode()
{
    send_generator(profile_settings::mod_mode_command(AM_mod_check->isChecked()), kSweeperLabel);
}

void graphtests::update_mod_depth() { send_generator(profile_settings::mod_depth_command(Mod_Depth->text()), kSweeperLabel); }

void graphtests::update_mod_rate() { send_generator(profile_settings::mod_rate_command(Mod_Rate->text()), kSweeperLabel); }

void graphtests::update_everything()
{
    const CaptionScope caption(this, QStringLiteral("Please wait...Setting up equipement"));
    update_collection_period();
    update_DDP();
    update_gate_width();
    update_inttrig_type();
    if (g().maker_synth) {
        update_mod_type();
        update_mod_depth();
        update_mod_mode();
        update_mod_rate();
        update_period_width();
        update_sweeper_period();
        update_Sweeper_pwr();
    }
    update_sample_delay();
    Update_trig_source();
    set_internal_trig_level();
}

void graphtests::sample_and_gate_update()
{
    const int lower = std::min(cursor1_index, cursor2_index);
    sample_delay_ms = float((lower * double(seconds_per_point) + trace_start_time) * 1000.0);
    sample_delay_data->setText(profile_settings::ms_box_text(sample_delay_ms));
    update_sample_delay();
    gate_width_ms = float(double(cursor_time_diff) * 1000.0);
    gate_width_data->setText(profile_settings::ms_box_text(gate_width_ms));
    update_gate_width();
}

// ---- entry boxes

void graphtests::sample_delay_data_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    clk().yield();
    const double v = numtext::val(sample_delay_data->text());
    if (!profile_settings::accept_ms_box(v))
        return;
    sample_delay_ms = float(v);
    sample_delay_data->setText(profile_settings::ms_box_text(sample_delay_ms));
    update_sample_delay();
    update_cursors();
    update_cursor_data();
    graph->canvas().cls();
    draw_cursors();
}

void graphtests::gate_width_data_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    clk().yield();
    const double v = numtext::val(gate_width_data->text());
    if (!profile_settings::accept_ms_box(v))
        return;
    gate_width_ms = float(v);
    gate_width_data->setText(profile_settings::ms_box_text(gate_width_ms));
    update_gate_width();
    update_cursors();
    graph->canvas().cls();
    draw_cursors();
}

void graphtests::DDP_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    clk().yield();
    const double v = numtext::val(DDP->text());
    if (!profile_settings::accept_ms_box(v))
        return;
    display_delay_ms = float(v);
    DDP->setText(profile_settings::ms_box_text(display_delay_ms));
    update_DDP();
    update_cursors();
    graph->canvas().cls();
    draw_cursors();
}

void graphtests::Level_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    clk().yield();
    const double v = numtext::val(Level->text());
    if (!profile_settings::accept_trigger_level(v)) {
        prompts().beep();
        return;
    }
    trigger_level = float(v);
    set_internal_trig_level();
}

void graphtests::Pwr_Setting_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_Sweeper_pwr();
}

void graphtests::Pulse_Period_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_sweeper_period();
}

void graphtests::Pulse_Width_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_period_width();
}

void graphtests::Mod_Depth_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_mod_depth();
}

void graphtests::Mod_Rate_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_mod_rate();
}

// ---- generator level bar and box

void graphtests::Pwr_Scroll_Scroll() { Pwr_Setting->setText(profile_settings::power_drag_text(Pwr_Scroll->sliderPosition())); }

void graphtests::Pwr_Scroll_Change()
{
    if (const auto text = profile_settings::power_box_rewrite(Pwr_Scroll->value(), Pwr_Setting->text()))
        Pwr_Setting->setText(*text);
    update_Sweeper_pwr();
}

void graphtests::Pwr_Setting_Change()
{
    const auto position = profile_settings::power_position(Pwr_Setting->text());
    // While the bar is dragged it already stands where the box says.
    if (position && *position != Pwr_Scroll->sliderPosition())
        Pwr_Scroll->setValue(*position);
}

// ---- lists and check boxes

void graphtests::TrigSource_Click() { Update_trig_source(); }

void graphtests::InternalType_Click(int index)
{
    trigger_edge = index == 0 ? QStringLiteral("RISE") : QStringLiteral("FALL");
    update_inttrig_type();
}

void graphtests::Chan_Config_combo_Click()
{
    if (const auto command = profile_settings::channel_config_command(Chan_Config_combo->currentIndex()))
        vbib32::Send(g().gpib_board, g().meter_address, *command, vbib32::NLend);
}

void graphtests::range_hold_combo_Click()
{
    vbib32::Send(g().gpib_board, g().meter_address, profile_settings::range_hold_command(range_hold_combo->currentIndex()),
                 vbib32::NLend);
}

void graphtests::Averaging_combo_Click()
{
    const int n = profile_settings::averaging_count(Averaging_combo->currentText());
    module1::set_averaging(QStringLiteral("A"), n);
    module1::set_averaging(QStringLiteral("B"), n);
}

void graphtests::Display_Check_Click()
{
    {
        const Hourglass hourglass;
        clk().yield();
        if (display_on)
            turn_off_display();
        else
            turn_on_display();
    }
    clk().yield();
}

void graphtests::Zero_but_Click()
{
    Globals& gs = g();
    if (gs.maker_synth)
        vbib32::Send(gs.gpib_board, gs.synth_address, "RF0", vbib32::NLend);
    module1::zero_sensor(this, QStringLiteral("A"));
    if (gs.maker_synth)
        vbib32::Send(gs.gpib_board, gs.synth_address, "RF1", vbib32::NLend);
}

void graphtests::Cal_but_Click() { module1::cal_sensor(this, QStringLiteral("A")); }

void graphtests::RFCal_check_Click()
{
    vbib32::Send(g().gpib_board, g().meter_address, profile_settings::rf_calibrator_command(RFCal_check->isChecked()),
                 vbib32::NLend);
}

void graphtests::AM_mod_check_Click() { update_mod_mode(); }

void graphtests::AM_mod_combo_Click()
{
    if (AM_mod_combo->currentIndex() < 0)
        return;
    am_waveform_index = AM_mod_combo->currentIndex();
    update_mod_type();
}

void graphtests::Pulse_check_Click() { update_pulse_mode(); }

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

void graphtests::top_y_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    const double v = numtext::val(top_y_axis->text());
    if (profile_graph::accept_y_top(v, y_bottom)) {
        y_top = float(v);
        update_y_axis();
        write_y_axis(y_top, y_bottom);
    }
    top_y_axis->setText(profile_graph::y_axis_label_text(y_top));
}

void graphtests::bottom_y_axis_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    const double v = numtext::val(bottom_y_axis->text());
    if (profile_graph::accept_y_bottom(v, y_top)) {
        y_bottom = float(v);
        update_y_axis();
        write_y_axis(y_top, y_bottom);
    }
    bottom_y_axis->setText(profile_graph::y_axis_label_text(y_bottom));
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
