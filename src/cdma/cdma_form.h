#pragma once
#include "cdma/cdma_collection.h"
#include "cdma/cdma_meter.h"
#include "cdma/cdma_rules.h"
#include "frame/mode_window.h"
#include "stats/stats_graph.h"
#include "stats/stats_overlay.h"

#include <QPointF>
#include <QPointer>
#include <memory>
#include <vector>

class Canvas;
class CanvasWidget;
class PageSetup;
class PleaseWait;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QTabWidget;

// Peak CDF/PDF mode: collects the meter's held peak and average readings into the amplitude histogram
// and shows it as PDF, CDF or 1-CDF with the averages and crest factors; saves and prints it.
class CDMA_Form : public ModeWindow, public StatsGraphMouse {
    Q_OBJECT
public:
    explicit CDMA_Form(QWidget* parent = nullptr);
    ~CDMA_Form() override;

    void Form_Load() override;
    void Form_Unload() override;

    // Run control.
    void menuRun_Click();
    void menuStop_Click();
    void menuExit_Click();
    void start_test();
    void menuReset_Sample_Buffer_Click();
    void Update_Stats_Values();

    // Graph.
    void update_Stats_Scale();
    void Draw_Stats_Graph(Canvas& target);
    void update_on_screen();
    void update_stats_cursor_readout();
    void Stats_Graph_Zoom();
    void scale_box_Change();
    void Increase_PDF_X_Scale_Click();
    void Decrease_PDF_X_Scale_Click();
    void Shift_up_button_Click();
    void Shift_down_button_Click();
    void Label13_DblClick();
    void PDF_Graph_MouseDown(double x, double y, Qt::MouseButton button);
    void PDF_Graph_MouseMove(double x, double y);
    void PDF_Graph_MouseUp();
    void Form_KeyPress(int key);
    void UpdateGraph_Click();
    void Stats_Cursor_Scroll_Change();

    // Menus and buttons.
    void menuSaveGraph_Click();
    void menuPrintSetup_Click();
    void menuPrint_Click();
    void menuDisplay_Click();
    void menuResetSorvaneComms_Click();
    void menuPeakReset_Click(int index);
    void menuMeas_Click(int index);
    void menuIncludeAverage_Click();
    void menuStatsDisplay_Click(int index);
    void menuChangeBucket_Click();
    void menuResetScale_Click();
    void menuJumpPeak_Click();
    void menuContDisplay_Click();
    void menuAbout_Click();
    void Peak_Reset_Button_Click();
    void PDF_Samples_Label_Click();

    // Saving and printing.
    void SaveStatsGraph();
    PageSetup& page_setup();

    // State.
    cdma::Collection collection;
    cdma::RunFlags flags;
    stats::StatsGraph graph{stats::GraphRules::peak_cdf()};
    bool scale_busy = true;
    bool two_input = true;
    bool display_on = true;
    bool continuous_update = false;
    // The up-down sizing pointer is showing: the mouse is on the cursor line.
    bool sizing_pointer = false;

    // Controls.
    QTabWidget* SSTab1;
    QGroupBox* PDF_Graph_Frame;
    CanvasWidget* PDF_Graph;
    QLineEdit* Top_PDF_Scale;
    QLineEdit* Bot_PDF_Scale;
    QLineEdit* X_PDF_Start;
    QLineEdit* X_PDF_Stop;
    QLabel* Label13;
    QLabel* Label16;
    QPushButton* Shift_up_button;
    QPushButton* Shift_down_button;
    QPushButton* Increase_PDF_X_Scale;
    QPushButton* Decrease_PDF_X_Scale;
    QScrollBar* Stats_Cursor_Scroll;
    // The cursor line, the zoom box and its hint over the graph.
    std::unique_ptr<StatsOverlay> overlay;
    QLabel* percentage_on_screen;
    QLabel* stats_X_readout;
    QLabel* above_or_below;
    QLabel* Stats_Y_readout;
    QLabel* PDF_Samples_Label;
    QLabel* Stats_Peak_Label;
    QLabel* Stats_Avg_Label;
    QLabel* Stats_PkAvg_Label;
    QLabel* Current_Crest;
    QLabel* Stats_Time_label;
    QPushButton* UpdateGraph;
    QPushButton* Peak_Reset_Button;

    // Menus.
    QMenu* menuFileBar;
    QMenu* menuControlBar;
    QMenu* menuMeasurementBar;
    QMenu* menuStatsBar;
    QMenu* menuHelpBar;
    QAction* menuSaveGraph;
    QAction* menuPrintSetup;
    QAction* menuPrint;
    QAction* menuExit;
    QAction* menuRun;
    QAction* menuStop;
    QAction* menuDisplay;
    QAction* menuResetSorvaneComms;
    QAction* menuPeakReset[3];
    QAction* menuMeas[cdma::measure_count];
    QAction* menuIncludeAverage;
    QAction* menuStatsDisplay[3];
    QAction* menuReset_Sample_Buffer;
    QAction* menuChangeBucket;
    QAction* menuResetScale;
    QAction* menuJumpPeak;
    QAction* menuContDisplay;
    QAction* menuAbout;

protected:
    void request_stop() override { flags.stop_requested = true; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build_controls();
    void build_menus();
    void send(const QString& text);
    void set_ticks(QAction* const* items, int count, int ticked);
    // The collected data emptied (Reset Sample Buffer) once the collection itself is reset.
    void show_reset();
    // Program writes into the scale boxes: all of them under the busy flag, then one redraw; or, for the
    // shifts, every write but the last under the flag, the last drawing as it lands.
    void write_boxes(const stats::BoxWrites& writes);
    void write_boxes_last_draws(const stats::BoxWrites& writes);
    void write_box(const stats::BoxWrite& write);
    // A wider or narrower share window: the beep when no step is left, the stop box's new text.
    void share_step(const stats::StatsGraph::ShareStep& step);
    void redraw();
    void place_overlays();

    QPointer<PleaseWait> please_wait_;
    std::vector<float> cdf_values_;
    std::unique_ptr<PageSetup> page_setup_;
    bool in_resize_ = false;
};
