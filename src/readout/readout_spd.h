#pragma once
#include "frame/fixed_label.h"
#include "frame/mode_window.h"

#include <QByteArray>
#include <QPointer>
#include <optional>

class PleaseWait;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;

// Readout mode: live readings of channel 1 (sensor A, B, their difference or ratio), the meter settings
// that go with them, and the time per reading and readings per second of the link.
class readout_spd : public ModeWindow {
    Q_OBJECT
public:
    explicit readout_spd(QWidget* parent = nullptr);
    ~readout_spd() override;

    void Form_Load() override;
    void Form_Unload() override;

    // Menus.
    void menuRun_Click();
    void menuStop_Click();
    void menuExit_Click();
    void menuReset_Click();
    void menuFastest_Click();
    void menuFastMode_Click();
    void menuDisplay_Click();
    void menuMeas_Click(int index);
    void menuDisplayUpdate_Click(int index);
    void menuAbout_Click();

    // Controls.
    void Averaging_combo_Click(int sensor);
    void range_hold_combo_Click(int sensor);
    void Sensor_Mode_opt_Click(int index);
    void TrigSource_Click();
    void InternalType_Click(int index);
    void Level_Enter();
    void Trigger_Delay_Box_Done();
    void Trigger_Width_Box_Done();
    void Zero_but_Click(int sensor);
    void Cal_but_Click(int sensor);
    void RFCal_check_Click();
    // The desktop work area changed.
    void SysInfo1_DisplayChanged();

    // The run loop, the fastest set-up, and the Control menu off after a failed fastest set-up.
    void start_test();
    void set_fastest_readout();
    void exit_only();

    // Window state.
    bool stop_requested = true;
    bool display_on = true;
    bool fast_mode = false;
    bool two_input = true;
    bool exit_pending = false;
    int channel_index = 0;
    int update_count = 50;
    // The last reply that held a reading, as placed in the 32-character buffer.
    QByteArray reading_buffer;
    // Rate figures of the last pass, in milliseconds per reading.
    float last_ms_per_reading = 0;

    // Controls.
    QTabWidget* SSTab1;
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QGroupBox* Custom_frame;
    QComboBox* Averaging_combo[2];
    QComboBox* range_hold_combo[2];
    QRadioButton* Sensor_Mode_opt[6];
    QComboBox* TrigSource;
    QLineEdit* Level;
    QRadioButton* InternalType[2];
    QLineEdit* Trigger_Delay_Box;
    QLineEdit* Trigger_Width_Box;
    QPushButton* Zero_but[2];
    QPushButton* Cal_but[2];
    QCheckBox* RFCal_check;
    FixedLabel* readings;
    FixedLabel* rdgs_per_sec;
    FixedLabel* avg_time;

    // Menus.
    QMenu* menuFileBar;
    QMenu* menuControlBar;
    QMenu* menuMeasBar;
    QMenu* menuUpdateBar;
    QMenu* menuHelpBar;
    QAction* menuExit;
    QAction* menuRun;
    QAction* menuStop;
    QAction* menuReset;
    QAction* menuFastest;
    QAction* menuFastMode;
    QAction* menuDisplay;
    QAction* menuMeas[6];
    QAction* menuDisplayUpdate[7];
    QAction* menuAbout;

protected:
    void request_stop() override { stop_requested = true; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    void build_menus();
    void update_custom_frame();
    void set_run_menus(bool running);
    // Setting steps that raise application error 32000 when their status check fails.
    void send_trigger_source();
    void send_trigger_edge();
    void set_internal_trig_level(double level);
    // Sends a box's command; without one, beeps and puts back the text last sent.
    void send_box(QLineEdit* box, QString& last_sent, const std::optional<QString>& command);
    void send(const QString& text);
    int meter() const;

    QPointer<PleaseWait> please_wait_;
    // The delay and width texts the meter was last sent, or the boxes' first texts.
    QString delay_sent_;
    QString width_sent_;
};
