// The CDMA window's controls and menus: the statistics tab with its graph, scale boxes and summary, and
// the menu bar wired to the window's handlers.
#include "cdma/cdma_form.h"

#include "cdma/cdma_rules.h"
#include "platform/canvas.h"
#include "stats/stats_overlay.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QLabel* value_label(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    // A fixed width: a new value must not make the layout work on every pass.
    l->setFixedWidth(QFontMetrics(l->font()).horizontalAdvance(QStringLiteral("888,888,888,888")) + 12);
    return l;
}

QLineEdit* scale_box(const QString& text, const QString& tip, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setToolTip(tip);
    e->setFixedWidth(QFontMetrics(e->font()).horizontalAdvance(QStringLiteral("-888.888")) + 16);
    return e;
}

}  // namespace

void CDMA_Form::build_controls()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 4, 4, 4);
    SSTab1 = new QTabWidget(central);
    outer->addWidget(SSTab1);
    setCentralWidget(central);

    auto* tab = new QWidget;
    auto* row = new QHBoxLayout(tab);
    PDF_Graph_Frame = new QGroupBox(QStringLiteral("Peak Power Distribution"), tab);
    auto* grid = new QGridLayout(PDF_Graph_Frame);

    // Power axis: the top and bottom boxes by the graph's edges, the shifts and "dBm" between them.
    Top_PDF_Scale = scale_box(QStringLiteral("20.00"), QStringLiteral("Top Graph Scale"), PDF_Graph_Frame);
    Bot_PDF_Scale = scale_box(QStringLiteral("-50.00"), QStringLiteral("Bottom Graph Scale"), PDF_Graph_Frame);
    Label13 = new QLabel(QStringLiteral("dBm"), PDF_Graph_Frame);
    Label13->setToolTip(QStringLiteral("Double click here to zoom out of the Y scale"));
    Label13->setAlignment(Qt::AlignCenter);
    Label13->installEventFilter(this);
    Shift_up_button = new QPushButton(QStringLiteral("^"), PDF_Graph_Frame);
    Shift_up_button->setToolTip(QStringLiteral("Move Graph Window up"));
    Shift_down_button = new QPushButton(QStringLiteral("v"), PDF_Graph_Frame);
    Shift_down_button->setToolTip(QStringLiteral("Move Graph Window down"));
    for (QPushButton* b : {Shift_up_button, Shift_down_button})
        b->setFixedWidth(Top_PDF_Scale->width());
    auto* power_axis = new QVBoxLayout;
    power_axis->addWidget(Top_PDF_Scale);
    power_axis->addStretch(1);
    power_axis->addWidget(Shift_up_button);
    power_axis->addWidget(Label13);
    power_axis->addWidget(Shift_down_button);
    power_axis->addStretch(1);
    power_axis->addWidget(Bot_PDF_Scale);
    grid->addLayout(power_axis, 0, 0);

    PDF_Graph = new CanvasWidget(PDF_Graph_Frame);
    PDF_Graph->setMinimumSize(300, 240);
    PDF_Graph->setFocusPolicy(Qt::ClickFocus);
    PDF_Graph->installEventFilter(this);
    grid->addWidget(PDF_Graph, 0, 1);
    Stats_Cursor_Scroll = new QScrollBar(Qt::Vertical, PDF_Graph_Frame);
    grid->addWidget(Stats_Cursor_Scroll, 0, 2);

    // Share axis: start and stop boxes under the graph's ends, the steps and "%" between them.
    X_PDF_Start = scale_box(QStringLiteral("0.0"), QStringLiteral("X axis start point (%)"), PDF_Graph_Frame);
    X_PDF_Stop = scale_box(QStringLiteral("100"), QStringLiteral("X Axis Stop Point (%)"), PDF_Graph_Frame);
    Label16 = new QLabel(QStringLiteral("%"), PDF_Graph_Frame);
    Decrease_PDF_X_Scale = new QPushButton(QStringLiteral("<"), PDF_Graph_Frame);
    Decrease_PDF_X_Scale->setToolTip(QStringLiteral("Zoom in X Axis Scale"));
    Increase_PDF_X_Scale = new QPushButton(QStringLiteral(">"), PDF_Graph_Frame);
    Increase_PDF_X_Scale->setToolTip(QStringLiteral("Zoom out of X Axis Scale"));
    auto* share_axis = new QHBoxLayout;
    share_axis->addWidget(X_PDF_Start);
    share_axis->addStretch(1);
    share_axis->addWidget(Decrease_PDF_X_Scale);
    share_axis->addWidget(Label16);
    share_axis->addWidget(Increase_PDF_X_Scale);
    share_axis->addStretch(1);
    share_axis->addWidget(X_PDF_Stop);
    grid->addLayout(share_axis, 1, 1);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(1, 1);
    row->addWidget(PDF_Graph_Frame, 1);

    overlay = std::make_unique<StatsOverlay>(PDF_Graph);

    // Summary, cursor readout and buttons.
    auto* side = new QVBoxLayout;
    auto* summary = new QGroupBox(QStringLiteral("Statistics"), tab);
    auto* form = new QGridLayout(summary);
    PDF_Samples_Label = value_label(QStringLiteral("0"), summary);
    PDF_Samples_Label->setToolTip(QStringLiteral("Click here to enable saving and printing"));
    PDF_Samples_Label->installEventFilter(this);
    Stats_Peak_Label = value_label(QStringLiteral("N/A"), summary);
    Stats_Avg_Label = value_label(QStringLiteral("N/A"), summary);
    Stats_PkAvg_Label = value_label(QStringLiteral("N/A"), summary);
    Current_Crest = value_label(QStringLiteral("N/A"), summary);
    Stats_Time_label = value_label(QStringLiteral("N/A"), summary);
    struct Row {
        const char* caption;
        QLabel* value;
        const char* unit;
    };
    const Row rows[] = {
        {"Samples Collected", PDF_Samples_Label, ""}, {"Avg. of peaks", Stats_Peak_Label, "dBm"},
        {"Average", Stats_Avg_Label, "dBm"},          {"Crest Factor", Stats_PkAvg_Label, ""},
        {"Current Crest Factor", Current_Crest, ""},   {"Time Taken", Stats_Time_label, "mins"},
    };
    int r = 0;
    for (const Row& x : rows) {
        form->addWidget(new QLabel(QLatin1String(x.caption), summary), r, 0);
        form->addWidget(x.value, r, 1);
        if (*x.unit)
            form->addWidget(new QLabel(QLatin1String(x.unit), summary), r, 2);
        ++r;
    }
    side->addWidget(summary);

    auto* readout = new QGroupBox(QStringLiteral("Cursor Readout"), tab);
    auto* readout_row = new QHBoxLayout(readout);
    stats_X_readout = new QLabel(QStringLiteral("N/A"), readout);
    above_or_below = new QLabel(QStringLiteral("are at"), readout);
    Stats_Y_readout = new QLabel(readout);
    readout_row->addWidget(stats_X_readout);
    readout_row->addWidget(above_or_below);
    readout_row->addWidget(Stats_Y_readout);
    readout_row->addStretch(1);
    side->addWidget(readout);
    auto* on_screen = new QGroupBox(QStringLiteral("% on screen"), tab);
    auto* on_screen_row = new QHBoxLayout(on_screen);
    percentage_on_screen = new QLabel(on_screen);
    on_screen_row->addWidget(percentage_on_screen);
    side->addWidget(on_screen);

    UpdateGraph = new QPushButton(QStringLiteral("Update Graph"), tab);
    Peak_Reset_Button = new QPushButton(QStringLiteral("Reset Peak Hold"), tab);
    Peak_Reset_Button->setEnabled(false);
    side->addWidget(UpdateGraph);
    side->addWidget(Peak_Reset_Button);
    side->addStretch(1);
    row->addLayout(side);
    SSTab1->addTab(tab, QStringLiteral("Peak CDF/PDF"));

    for (QLineEdit* box : {Top_PDF_Scale, Bot_PDF_Scale, X_PDF_Start, X_PDF_Stop})
        connect(box, &QLineEdit::textChanged, this, [this] { scale_box_Change(); });
    connect(Stats_Cursor_Scroll, &QScrollBar::valueChanged, this, [this] { Stats_Cursor_Scroll_Change(); });
    connect(Shift_up_button, &QPushButton::clicked, this, [this] { Shift_up_button_Click(); });
    connect(Shift_down_button, &QPushButton::clicked, this, [this] { Shift_down_button_Click(); });
    connect(Increase_PDF_X_Scale, &QPushButton::clicked, this, [this] { Increase_PDF_X_Scale_Click(); });
    connect(Decrease_PDF_X_Scale, &QPushButton::clicked, this, [this] { Decrease_PDF_X_Scale_Click(); });
    connect(UpdateGraph, &QPushButton::clicked, this, [this] { UpdateGraph_Click(); });
    connect(Peak_Reset_Button, &QPushButton::clicked, this, [this] { Peak_Reset_Button_Click(); });
    connect(PDF_Graph, &CanvasWidget::mouse_down, this,
            [this](double x, double y, Qt::MouseButton b) { PDF_Graph_MouseDown(x, y, b); });
    connect(PDF_Graph, &CanvasWidget::mouse_move, this,
            [this](double x, double y, Qt::MouseButtons) { PDF_Graph_MouseMove(x, y); });
    connect(PDF_Graph, &CanvasWidget::mouse_up, this, [this](double, double, Qt::MouseButton) { PDF_Graph_MouseUp(); });
}

void CDMA_Form::build_menus()
{
    menuFileBar = menuBar()->addMenu(QStringLiteral("&File"));
    menuSaveGraph = menuFileBar->addAction(QStringLiteral("&Save..."), this, [this] { menuSaveGraph_Click(); });
    menuPrintSetup = menuFileBar->addAction(QStringLiteral("P&rinter Setup..."), this, [this] { menuPrintSetup_Click(); });
    menuPrint = menuFileBar->addAction(QStringLiteral("&Print..."), this, [this] { menuPrint_Click(); });
    menuExit = menuFileBar->addAction(QStringLiteral("E&xit"), this, [this] { menuExit_Click(); });

    menuControlBar = menuBar()->addMenu(QStringLiteral("&Control"));
    menuRun = menuControlBar->addAction(QStringLiteral("&Run"), this, [this] { menuRun_Click(); });
    menuStop = menuControlBar->addAction(QStringLiteral("&Stop"), this, [this] { menuStop_Click(); });
    menuStop->setEnabled(false);
    menuDisplay = menuControlBar->addAction(QStringLiteral("Power Meter &Display"), this, [this] { menuDisplay_Click(); });
    menuDisplay->setCheckable(true);
    menuDisplay->setChecked(true);
    menuResetSorvaneComms = menuControlBar->addAction(QStringLiteral("Reset Power Meter comms"), this,
                                                      [this] { menuResetSorvaneComms_Click(); });

    menuMeasurementBar = menuBar()->addMenu(QStringLiteral("Measurement"));
    static const char* const peak_names[3] = {"Peak Hold Timed Reset (5 seconds)", "Peak Hold Manual Reset",
                                              "Peak Hold OFF"};
    for (int i = 0; i < 3; ++i) {
        menuPeakReset[i] =
            menuMeasurementBar->addAction(QLatin1String(peak_names[i]), this, [this, i] { menuPeakReset_Click(i); });
        menuPeakReset[i]->setCheckable(true);
    }
    menuPeakReset[cdma::peak_off]->setChecked(true);
    menuMeasurementBar->addSeparator();
    for (int i = 0; i < cdma::measure_count; ++i) {
        menuMeas[i] = menuMeasurementBar->addAction(QStringLiteral("Measure ") + cdma::measure_word(i), this,
                                                    [this, i] { menuMeas_Click(i); });
        menuMeas[i]->setCheckable(true);
    }
    menuMeas[0]->setChecked(true);

    menuStatsBar = menuBar()->addMenu(QStringLiteral("Statistics Control"));
    menuIncludeAverage = menuStatsBar->addAction(QStringLiteral("Include Average Reading"), this,
                                                 [this] { menuIncludeAverage_Click(); });
    menuIncludeAverage->setCheckable(true);
    menuIncludeAverage->setChecked(true);
    menuStatsBar->addSeparator();
    static const char* const kind_names[3] = {"Show PDF", "Show CDF", "Show 1-CDF"};
    for (int i = 0; i < 3; ++i) {
        menuStatsDisplay[i] =
            menuStatsBar->addAction(QLatin1String(kind_names[i]), this, [this, i] { menuStatsDisplay_Click(i); });
        menuStatsDisplay[i]->setCheckable(true);
    }
    menuStatsDisplay[0]->setChecked(true);
    menuStatsBar->addSeparator();
    menuReset_Sample_Buffer = menuStatsBar->addAction(QStringLiteral("Reset Sample Buffer"), this,
                                                      [this] { menuReset_Sample_Buffer_Click(); });
    menuChangeBucket = menuStatsBar->addAction(cdma::bucket_caption(0.01f), this, [this] { menuChangeBucket_Click(); });
    menuResetScale = menuStatsBar->addAction(QStringLiteral("Reset Graph Scale"), this, [this] { menuResetScale_Click(); });
    menuJumpPeak = menuStatsBar->addAction(QStringLiteral("Jump to Peak on screen"), this, [this] { menuJumpPeak_Click(); });
    menuContDisplay = menuStatsBar->addAction(QStringLiteral("Continuous Update of Display"), this,
                                              [this] { menuContDisplay_Click(); });
    menuContDisplay->setCheckable(true);

    menuHelpBar = menuBar()->addMenu(QStringLiteral("&Help"));
    menuAbout = menuHelpBar->addAction(QStringLiteral("&About"), this, [this] { menuAbout_Click(); });
}
