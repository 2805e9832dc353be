#pragma once
#include "frame/fixed_label.h"
#include "frame/mode_window.h"
#include "frame/page_setup.h"
#include "frame/trace_block.h"
#include "profile/profile_run.h"
#include "profile/pulse_analysis.h"
#include "profile/profile_stats.h"
#include "stats/stats_graph.h"
#include "stats/stats_overlay.h"

#include <QByteArray>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Canvas;
class CanvasWidget;
class PleaseWait;
class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QTimer;

// The profile window: power-versus-time traces of pulsed or modulated signals from the meter, drawn on a
// scaled graph, with the meter's and the generator's settings. The acquisition is a loop inside the Run
// handlers that yields once a pass, so Stop, Exit and the settings act between passes.
class graphtests : public ModeWindow, public StatsGraphMouse {
    Q_OBJECT
public:
    explicit graphtests(QWidget* parent = nullptr);
    ~graphtests() override;

    void Form_Load() override;
    void Form_Unload() override;
    void Form_Resize();

    // Menus.
    void menuRunCont_Click();
    void menuRunOnce_Click();
    void menuStop_Click();
    void menuExit_Click();
    void menuResetPowerMeter_Click();
    void menuAbout_Click();
    void menuSaveProfileGraph_Click();
    void menuPrinterSetup_Click();
    void menuPrintGraph_Click();
    void SSTab1_Click(int previous_tab);
    void SSTab1_MouseMove();
    void Form_KeyPress(int key_code);

    // Acquisition.
    void start_test();
    void extract_graph_data(long byte_count);
    bool check_measurement();
    void calculate_Min_Max_Value();
    void Calculate_top_bottom();

    // Instrument settings. Each sends one text and checks the link; a failure raises AppError.
    void update_collection_period();
    void update_sample_delay();
    void update_gate_width();
    void update_DDP();
    void set_internal_trig_level();
    void update_inttrig_type();
    void Update_trig_source();
    void turn_off_display();
    void turn_on_display();
    void update_Sweeper_pwr();
    void update_sweeper_period();
    void update_period_width();
    void update_mod_type();
    void update_pulse_mode();
    void update_mod_mode();
    void update_mod_depth();
    void update_mod_rate();
    void update_everything();
    void sample_and_gate_update();

    // Setting handlers. Entry boxes act on Enter (key code 13) only.
    void sample_delay_data_KeyPress(int key_code);
    void gate_width_data_KeyPress(int key_code);
    void DDP_KeyPress(int key_code);
    void Level_KeyPress(int key_code);
    void Pwr_Setting_KeyPress(int key_code);
    void Pulse_Period_KeyPress(int key_code);
    void Pulse_Width_KeyPress(int key_code);
    void Mod_Depth_KeyPress(int key_code);
    void Mod_Rate_KeyPress(int key_code);
    void Pwr_Scroll_Scroll();
    void Pwr_Scroll_Change();
    void Pwr_Setting_Change();
    void TrigSource_Click();
    void InternalType_Click(int index);
    void Chan_Config_combo_Click();
    void range_hold_combo_Click();
    void Averaging_combo_Click();
    void Display_Check_Click();
    void Zero_but_Click();
    void Cal_but_Click();
    void RFCal_check_Click();
    void AM_mod_check_Click();
    void AM_mod_combo_Click();
    void Pulse_check_Click();

    // Graph and axes.
    void draw_graph();
    void draw_graph_lines();
    void write_x_axis(float span, float left_edge);
    void write_y_axis(float top, float bottom);
    void update_y_axis();
    void auto_scale_y_Click();
    void top_y_axis_KeyPress(int key_code);
    void bottom_y_axis_KeyPress(int key_code);
    void right_x_axis_KeyPress(int key_code);
    void GraphLines_Click();
    void Cursor_Controls_Click();

    // Cursors, zoom, pulse analysis and automatic set-up (graphtests_cursors.cpp, graphtests_auto_setup.cpp).
    void update_cursors();
    void update_cursor_data();
    void cursor_readout();
    void draw_cursors();
    void average_between_cursors();
    void lock_cursors();
    void Do_Pulse_Info();
    void show_pulse_lines();
    void refresh_pulse_info();
    void Auto_Place_Cursors();
    void graph_MouseDown(Qt::MouseButton button, double x);
    void graph_MouseMove(bool button_down, double x);
    void graph_MouseUp();
    void Form_MouseMove();
    void C1TPLR_Click();
    void C1TPRL_Click();
    void C2TPLR_Click();
    void C2TPRL_Click();
    void COC_Click(int index);
    void Zoom_Between_Click();
    void Zoom_out_Click();
    void Link_cursors_check_Click();
    void Auto_cursors_Click();
    void Show_Lines_Check_Click();
    void Define_pulse_button_Click();
    void Auto_Setup_Click();
    void AutoSetup();

    void Timer1_Timer();
    void Track_min_max_check_Click();
    void Reset_Track_Min_Max_Click();

    // Fits the active window into the desktop work area after the work area has changed.
    void SysInfo1_DisplayChanged();

    // ---- state ----
    bool run_stopped = true;
    bool run_once = false;
    bool unload_requested = false;
    bool trace_valid = false;
    QByteArray reply_buffer;
    TracePoints graph_trace{};
    float trace_min = 0, trace_max = 0;
    int trace_min_index = 0, trace_max_index = 0;
    bool first_point_pending = true;
    profile_run::MinMaxTracker tracker;
    float level_min = 0, level_max = 0;
    float pulse_top = 0, pulse_bottom = 0;

    // Axes: y in dBm, x in ms.
    float y_top = 20, y_bottom = -50;
    float capture_span_ms = 10, x_left_edge_ms = 0, trace_start_time = 0;
    // Settings kept by the window.
    float capture_period_s = 0.01f;
    float seconds_per_point = 0.01f / 200;
    float sample_delay_ms = 0.005f;
    float gate_width_ms = 0.0017f;
    float display_delay_ms = 0;
    float trigger_level = -15;
    QString trigger_edge = QStringLiteral("RISE");
    int am_waveform_index = 0;
    bool display_on = true;

    // Cursors and statistics.
    int cursor1_index = 0, cursor2_index = 0;
    float cursor_time_diff = 0;
    double avg_power_between_cursors = 0;
    bool cursor_panel_hidden = false;
    bool cursor_redraw_pending = false;
    // The floating labels' texts changed: they are resized and moved with the graph's next frame.
    bool cursor_labels_pending = false;
    bool cursor_dragging = false;
    int drag_target = 0;
    bool show_lines = false;
    // The last analysis found one pulse: its level lines may be drawn.
    bool pulse_found = false;
    pulse_analysis::Result pulse_result;

    // ---- amplitude statistics, statistics graph, data file and printed page (graphtests_stats.cpp) ----
    void Draw_Stats_Graph(Canvas& target);
    void Calculate_Stats();
    void Update_Stats_Values();
    void update_Stats_Scale();
    void reset_stats_cursor();
    void update_stats_cursor_readout();
    void update_on_screen();
    void Stats_Graph_Zoom();
    void Reset_PDF_Button_Click();
    void Bucket_size_button_Click();
    void Stats_Graph_Display_Click(int index);
    void scale_box_Change();
    void Top_PDF_Scale_LostFocus();
    void Bot_PDF_Scale_LostFocus();
    void Reset_PDF_Graph_Scale_Click();
    void Label13_DblClick();
    void Shift_up_button_Click();
    void Shift_down_button_Click();
    void Increase_PDF_X_Scale_Click();
    void Decrease_PDF_X_Scale_Click();
    void pdf_peak_button_Click();
    void PDF_Graph_MouseDown(double x, double y, Qt::MouseButton button);
    void PDF_Graph_MouseMove(double x, double y);
    void PDF_Graph_MouseUp();
    void SaveProfileGraph();
    void PrintGraph();
    profile_stats::ProfileStats statistics;
    stats::StatsGraph stats_graph{stats::GraphRules::profile()};
    bool scale_busy = false;
    PageSetup page_setup;
    QRadioButton* Stats_Graph_Display[3];
    QPushButton* Reset_PDF_Button;
    QPushButton* Bucket_size_button;
    QPushButton* Draw_PDF_Button;
    QPushButton* pdf_peak_button;
    QPushButton* Reset_PDF_Graph_Scale;
    QLabel* PDF_Samples_Label;
    QLabel* Stats_Peak_Label;
    QLabel* Stats_Avg_Label;
    QLabel* Stats_PkAvg_Label;
    QLabel* Stats_Time_label;
    QLabel* stats_X_readout;
    QLabel* above_or_below;
    QLabel* Stats_Y_readout;
    QLabel* percentage_on_screen;
    QScrollBar* Stats_Cursor_Scroll;
    std::unique_ptr<StatsOverlay> stats_overlay;

    // A run is on the stack, from the start of start_test to the end of its ending.
    bool run_in_progress() const { return run_in_progress_; }
    // The graph's canvas (the recording back end behind the on-screen widget).
    Canvas& graph_canvas();
    Canvas& pdf_canvas();

    // ---- controls ----
    QMenu* menuFileBar;
    QAction* menuSaveProfileGraph;
    QAction* menuPrinterSetup;
    QAction* menuPrintGraph;
    QAction* menuExit;
    QMenu* menuControlBar;
    QAction* menuRunOnce;
    QAction* menuRunCont;
    QAction* menuStop;
    QAction* menuResetPowerMeter;
    QMenu* menuHelpBar;
    QAction* menuAbout;

    QTabWidget* SSTab1;
    // Tab 0: trigger, gate and measurement.
    QComboBox* TrigSource;
    QRadioButton* InternalType[2];
    QLineEdit* Level;
    QLineEdit* sample_delay_data;
    QLineEdit* gate_width_data;
    QLineEdit* DDP;
    QComboBox* Chan_Config_combo;
    QComboBox* range_hold_combo;
    QComboBox* Averaging_combo;
    // Tab 1: meter display and calibration, graph, rates.
    QCheckBox* Display_Check;
    QPushButton* Zero_but;
    QPushButton* Cal_but;
    QCheckBox* RFCal_check;
    QCheckBox* GraphLines;
    QPushButton* auto_scale_y;
    QCheckBox* Cursor_Controls;
    QPushButton* Auto_Setup;
    FixedLabel* Graphs_Per_Second;
    FixedLabel* Readings_per_second;
    // Tab 2: cursor readout and min/max tracking.
    QGroupBox* Frame3;
    FixedLabel* cursor1_data;
    FixedLabel* Cursor2_data;
    FixedLabel* Pwr_diff_data;
    FixedLabel* Time_diff_Data;
    FixedLabel* time_label;
    FixedLabel* Avg_Power_Data;
    QCheckBox* Track_min_max_check;
    QCheckBox* Lock_to_min_max;
    QPushButton* Reset_Track_Min_Max;
    // Tab 3: generator.
    QLineEdit* Pwr_Setting;
    QScrollBar* Pwr_Scroll;
    QCheckBox* Pulse_check;
    QLineEdit* Pulse_Period;
    QLineEdit* Pulse_Width;
    QCheckBox* AM_mod_check;
    QComboBox* AM_mod_combo;
    QLineEdit* Mod_Depth;
    QLineEdit* Mod_Rate;
    // Tab 2, cursor moves and zoom.
    QPushButton* C1TPLR;
    QPushButton* C1TPRL;
    QPushButton* C2TPLR;
    QPushButton* C2TPRL;
    QPushButton* COC[2];
    QPushButton* Zoom_Between;
    QPushButton* Zoom_out;
    QLineEdit* Difference_Needed;
    QCheckBox* Link_cursors_check;
    // Tab 4: pulse information; the results are read-only boxes.
    QLabel* Pulse_label;
    QLineEdit* Peak_Power;
    QGroupBox* Time_frame;
    QGroupBox* Power_frame;
    QLineEdit* top_line_Value;
    QLineEdit* bottom_line_Value;
    QLineEdit* Rise_Time_Value;
    QLineEdit* Fall_Time_Value;
    QLineEdit* Pulse_duration_value;
    QLineEdit* Pulse_power;
    QLineEdit* Overshoot;
    QLineEdit* Pulse_Rep;
    QLineEdit* Rep_Freq;
    QLineEdit* Duty_cycle_Value;
    QLineEdit* Off_time;
    QLineEdit* Average_power;
    QPushButton* Define_pulse_button;
    QPushButton* Auto_cursors;
    QCheckBox* Show_Lines_Check;
    // Tabs 5 and 6: statistics.
    QCheckBox* do_pdf_check;
    QCheckBox* stats_continuous_update_check;

    // The profile graph and its axes.
    QFrame* Pulse_Graph_Frame;
    CanvasWidget* graph;
    QLineEdit* top_y_axis;
    QLineEdit* bottom_y_axis;
    QLineEdit* right_x_axis;
    QLabel* y_top_label;
    QLabel* y_bottom_label;
    QLabel* x_lh_label;
    QLabel* Label5;  // "dBm"
    QLabel* Label6;  // "ms"
    FixedLabel* min_max_label;
    QLabel* cur1_data;
    QLabel* cur2_data;
    // The statistics graph and its scale controls.
    QFrame* PDF_Graph_Frame;
    CanvasWidget* PDF_Graph;
    QLineEdit* Top_PDF_Scale;
    QLineEdit* Bot_PDF_Scale;
    QLabel* Label13;  // "dBm"
    QPushButton* Shift_up_button;
    QPushButton* Shift_down_button;
    QLineEdit* X_PDF_Start;
    QLineEdit* X_PDF_Stop;
    QPushButton* Increase_PDF_X_Scale;
    QPushButton* Decrease_PDF_X_Scale;
    QLabel* Label16;  // "%"

    QTimer* Timer1;

protected:
    void request_stop() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menus();
    void build_tabs();
    void build_graph_frames();
    QWidget* build_cursor_moves();
    QWidget* build_pulse_page();
    void wire_cursor_controls();
    // The floating cursor labels on the graph as it is laid out now (at every resize too).
    void place_cursor_labels();
    // A request and its reply are one exchange: timer work that sends waits until it has ended.
    struct ExchangeScope {
        explicit ExchangeScope(bool& open) : open_(open) { open_ = true; }
        ~ExchangeScope() { open_ = false; }
        ExchangeScope(const ExchangeScope&) = delete;
        ExchangeScope& operator=(const ExchangeScope&) = delete;
        bool& open_;
    };
    bool exchange_open_ = false;
    bool in_timer_ = false;
    // The automatic set-up's progress window while it searches, and what the search puts back.
    QPointer<QDialog> process_bar_;
    void set_progress(int value);
    void close_process_bar();
    void finish_auto_setup();
    void build_stats();
    // The program's own writes into the scale boxes: nothing is drawn until all are in, then once.
    void write_scale_boxes(const stats::BoxWrites& writes);
    // A step of the share window's stop, or the beep when there is none.
    void share_step(const stats::StatsGraph::ShareStep& step);
    // Enter in a millisecond box: a value in range is taken and sent, and the cursors follow it.
    void ms_box_entered(int key_code, QLineEdit* box, float& value, void (graphtests::*send)(), bool cursor_data);
    // Enter in a y-axis box: a value the rule accepts against the other end becomes this end of the scale.
    void y_box_entered(int key_code, QLineEdit* box, float& value, bool (*accept)(double, double), float other);
    // One pass of the run loop; true when the loop is to end.
    bool run_pass(int& burst_left);
    void send_meter(const QString& text, const QString& label);
    void send_generator(const QString& text, const QString& label);
    // A generator box's command, or a beep when the box holds a text the generator would not take.
    void send_generator_box(const std::optional<QString>& command);
    void place_in_work_area();
    QWidget* form_ = nullptr;
    QPointer<PleaseWait> please_wait_;
    bool run_in_progress_ = false;
    bool in_resize_ = false;
};
