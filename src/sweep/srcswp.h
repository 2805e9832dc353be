#pragma once
#include "frame/fixed_label.h"
#include "frame/mode_window.h"
#include "frame/page_setup.h"
#include "frame/trace_block.h"
#include "sweep/amp_rules.h"
#include "sweep/sweep_rules.h"

#include <QByteArray>
#include <QPointer>
#include <functional>
#include <optional>

class Canvas;
class CanvasWidget;
class PleaseWait;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QProgressBar;
class QRadioButton;
class QScrollBar;
class QStackedWidget;
class QTabWidget;
class QTimer;

// The source-sweep window: the generator sweeps frequency or level, the meter plots power against the
// sweep, and the window asks for that trace pass after pass, draws it with two cursors and keeps the
// generator's and the meter's sweep settings. A run refuses the window's closing until it has ended.
class srcswp : public ModeWindow {
    Q_OBJECT
public:
    explicit srcswp(QWidget* parent = nullptr);
    ~srcswp() override;

    void Form_Load() override;
    void Form_Unload() override;
    void Form_Resize();

    // Menus and tabs.
    void menuRunCont_Click();
    void menuRunOnce_Click();
    void menuStop_Click();
    void menuExit_Click();
    void menuAbout_Click();
    void menuSaveGraph_Click();
    void menuPrinterSetup_Click();
    void menuPrintGraph_Click();
    void menuDisplay_Click();
    void SSTab1_Click(int previous_tab);
    void Timer1_Timer();
    // The pointer over the window or the frames "Stats" and "Frequency Sweep Setup": no pointer readout,
    // no drag.
    void Form_MouseMove();
    void Frame1_MouseMove() { Form_MouseMove(); }
    void Frame2_MouseMove() { Form_MouseMove(); }

    // Acquisition.
    void start_run();
    void run_sweep() { start_run(); }
    void extract_graph_data(long count);

    // Generator and meter sweep set-up.
    // at_load: the window's own set-up, which sends its empty sweep boxes as they stand.
    void setup_synth_sweep(bool at_load = false);
    void update_sorvane(bool at_load = false);
    void Level_type_Click(int index);
    void Sweep_Type_Click(int index, bool at_load = false);
    void RF_Output_Check_Click();
    void seq_sync_check_Click();
    void box_changed(sweep_rules::Box box, QLineEdit* edit);
    void COC_Click(int index);

    // Meter settings and calibration.
    void update_sample_delay();
    void update_gate_width();
    void Averaging_combo_Click();
    void Chan_Config_combo_Click();
    void display_readout_Click();
    void do_calibration_Click();
    void apply_cal_data_Click();

    // Graph, cursors and zoom.
    void draw_graph();
    void draw_cursors();
    void update_cursor_data();
    void cursor_readout();
    void update_cursors();
    void update_screen_x_axis();
    void update_y_axis();
    void write_y_axis(float top, float bottom);
    void auto_scale_graph();
    void auto_scale_y_Click();
    void top_y_axis_KeyPress(int key_code);
    void bottom_y_axis_KeyPress(int key_code);
    void left_x_axis_KeyPress(int key_code);
    void right_x_axis_KeyPress(int key_code);
    void cursor_to_turning_point(int cursor, bool to_right);
    void graph_MouseDown(double x, double y, Qt::MouseButton button);
    void graph_MouseMove(double x, double y);
    void graph_MouseUp();
    void Zoom_Between_Click();
    void Zoom_out_Click();

    // The amplifier test (tab 5).
    // One point at the frequency set, from a fresh trace; none when the acquisition failed (its box said so).
    std::optional<amp_rules::Measured> do_amp_test();
    void Run_amp_test_Click();
    void Amp_Freq_Sweep_Check_Click();
    void Show_CompFreq_Graph_Check_Click();
    void Amp_Cursor_Scrollbar_Change();
    void Draw_Amp_Gaincomp_Graph();
    void Draw_Amp_Cursor();
    void Save_Amp_test_button_Click();
    void Help_picture_button_Click();

    Canvas& graph_canvas();
    Canvas& amp_canvas();
    // A run is on the stack, from its first step to its last.
    bool run_active() const { return run_active_; }

    // ---- state ----
    TracePoints graph_trace{};
    QByteArray reply_buffer;
    bool stop_requested = true;
    bool run_once = false;
    bool data_valid = false;
    sweep_rules::CalStore cal;
    TraceExtremes extremes;
    bool minmax_restart = true;
    int sweep_type = 0;
    int level_sweep = 0;
    bool sweeper_seq_sync = true;
    double sweep_start_freq = 0, sweep_stop_freq = 0;
    float sweep_start_level = 0, sweep_stop_level = 0;
    float gate_delay = 0.005f, gate_width = 0.0017f;
    float y_top = 20, y_bottom = -50;
    int cursor1_index = sweep_rules::kCursor1Start, cursor2_index = sweep_rules::kCursor2Start;
    bool single_channel = false;
    bool meter_display_on = true;
    bool readout_on = true;
    bool cursor_info_on = true;
    bool mouse_down = false;
    int grabbed_cursor = 0;
    bool redraw_pending = false;
    bool amp_stop_requested = false;
    amp_rules::Results amp_results;
    bool amp_test_active = false;
    int traces_decoded = 0;
    PageSetup page_setup;

    // ---- controls ----
    QMenu* menuFileBar;
    QAction* menuSaveGraph;
    QAction* menuPrinterSetup;
    QAction* menuPrintGraph;
    QAction* menuExit;
    QMenu* menuControlBar;
    QAction* menuRunOnce;
    QAction* menuRunCont;
    QAction* menuStop;
    QAction* menuDisplay;
    QMenu* menuHelpBar;
    QAction* menuAbout;

    QTabWidget* SSTab1;
    // Tab 0: the meter.
    QComboBox* Chan_Config_combo;
    QCheckBox* seq_sync_check;
    QComboBox* Averaging_combo;
    // Tab 1: the generator.
    QRadioButton* Level_type[2];
    QStackedWidget* Level_setup_frame;
    QLineEdit* Level_Level;
    QLineEdit* Level_sweep_start;
    QLineEdit* level_sweep_stop;
    QLineEdit* level_sweep_steps;
    QLineEdit* level_sweep_dwell;
    QRadioButton* Sweep_Type[3];
    QStackedWidget* Freq_Setup_frame;
    QLineEdit* Freq_analog_start;
    QLineEdit* freq_analog_stop;
    QLineEdit* freq_analog_time;
    QLineEdit* freq_step_start;
    QLineEdit* freq_step_stop;
    QLineEdit* freq_step_steps;
    QLineEdit* freq_step_dwell;
    QLineEdit* freq_cw_freq;
    QCheckBox* RF_Output_Check;
    QGroupBox* Frame2;
    // Tab 2: calibration.
    QPushButton* do_calibration;
    QPushButton* apply_cal_data;
    QLabel* Cal_label;
    // Tab 3: cursor information and rates.
    QCheckBox* display_readout;
    QGroupBox* Frame3;
    QLabel* x1_label;
    QLabel* x2_label;
    FixedLabel* cursor1_data;
    FixedLabel* Cursor2_data;
    FixedLabel* Pwr_diff_data;
    FixedLabel* Time_diff_Data;
    FixedLabel* Avg_Power_Data;
    QLabel* time_label;
    QLabel* avg_pwr_label;
    FixedLabel* graph_get_time;
    FixedLabel* Readings_per_second;
    QGroupBox* Frame1;
    // Tab 4: cursors.
    QPushButton* auto_scale_y;
    QPushButton* C1TPLR;
    QPushButton* C1TPRL;
    QPushButton* C2TPLR;
    QPushButton* C2TPRL;
    QPushButton* Zoom_Between;
    QPushButton* Zoom_out;
    QPushButton* COC[2];
    // Tab 5: the amplifier test.
    QGroupBox* AmpFrame;
    QLabel* Amp_Label;
    QLabel* Single_label;

    // The sweep graph and its axes.
    QFrame* Sweep_Graph_Frame;
    CanvasWidget* graph;
    QLineEdit* top_y_axis;
    QLineEdit* bottom_y_axis;
    QLineEdit* left_x_axis;
    QLineEdit* right_x_axis;
    QLabel* x_lh_label;
    QLabel* x_rh_label;
    QLabel* y_unit_label;
    QLabel* y_top_label;
    QLabel* y_bottom_label;
    QLabel* cur1_data;
    QLabel* cur2_data;
    QLabel* diff_data;
    QLabel* mouse_posn;
    QLabel* on_graph;
    // The amplifier test's controls and graph (tab 5).
    QPushButton* Run_amp_test;
    QCheckBox* Amp_Freq_Sweep_Check;
    QLineEdit* Amp_Freq_Start;
    QLineEdit* Amp_Freq_Stop;
    QLineEdit* Amp_Freq_Step;
    QCheckBox* Show_CompFreq_Graph_Check;
    QPushButton* Save_Amp_test_button;
    QPushButton* Help_picture_button;
    QLabel* Gain_label;
    QLabel* Compression_label;
    QLabel* Amp_test_at_Freq;
    QProgressBar* ProgressBar;
    QLabel* progress_label;
    QGroupBox* Amp_Freq_Frame;
    QFrame* Amp_Graph_Frame;
    CanvasWidget* Amp_Graph;
    QScrollBar* Amp_Cursor_Scrollbar;
    QLabel* no_amp_test_data_label;
    QLabel* Amp_Freq_Start_label;
    QLabel* Amp_Freq_Stop_Label;

    QTimer* Timer1;

protected:
    void request_stop() override;
    bool refuse_close_while_busy() override { return run_active_ || amp_test_active; }
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menus();
    void build_tabs();
    void build_graph_frame();
    void send_meter(const QString& text, const QString& label = QString());
    // False when the status check after the send found it failed (its box has been shown).
    bool send_generator(const QString& text, const QString& label = QString());
    void no_graph_data_box();
    sweep_rules::SweepFields fields() const;
    // One pass of the run loop; false when the loop is to end.
    bool run_pass(int& run_once_count);
    // A typed end of the y axis entered: the scale takes the value when there is one, else the box shows
    // the end in force again.
    void enter_y_end(std::optional<float> value, float& end, QLineEdit* box, const QLabel* in_force);
    // A typed end of the x axis entered: the meter's axis and the sweep's end take it when the rule lets
    // it out; the axis boxes are rewritten either way.
    void enter_x_end(bool start, const QLineEdit* box);
    // Places a label drawn on the graph at graph units (x, y).
    void place_on_graph(QLabel* label, double x, double y);
    // Writes a new sweep range into the boxes of the current sweep (nothing in a CW frequency sweep); a
    // range the boxes would not send beeps and gives false.
    bool write_sweep_range(double start, double stop);
    void single_run_when_idle();
    void place_x_axis_boxes();
    void build_amp_tab(QWidget* page);
    void build_amp_graph();
    void layout_amp_graph();
    void set_amp_controls_enabled(bool on);
    QWidget* form_ = nullptr;
    QPointer<PleaseWait> please_wait_;
    bool run_active_ = false;
    // The last run ended at a failed pass, its box shown.
    bool run_failed_ = false;
    bool in_resize_ = false;
};
