#pragma once
#include "frame/mode_window.h"
#include "frame/trace_block.h"
#include "gsm/gsm_slots.h"

#include <QByteArray>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CanvasWidget;
class PageSetup;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

// The GSM slot window: the meter in profile mode on the external trigger with one TDMA frame as its
// period; a run reads traces, splits each into the configured slots and shows one bar and one value per
// slot. The run is a loop inside the Run handler that yields once a trace, so Stop, Exit, the averaging
// menu and the reset button act between traces.
class frmGSM : public ModeWindow {
    Q_OBJECT
public:
    explicit frmGSM(QWidget* parent = nullptr);
    ~frmGSM() override;

    void Form_Load() override;
    void Form_Unload() override;
    void Form_Resize();

    // Menus and button.
    void menuRun_Click();
    void menuStop_Click() { gsm_stop_requested = true; }
    void menuExit_Click() { request_close(); }
    void menuconfig_Click();
    void menuAvg_Click(int index);
    void cmdResetAvg_Click();
    void menuDisplay_Click();
    void menuReset_Click();
    void menuAbout_Click();
    void menuSave_Click();
    void menuPrintSetup_Click();
    void menuPrint_Click();
    // The mouse over the graph (user units), and over the rest of the window.
    void Slot_graph_MouseMove(double x);
    void hide_mouse_label();

    // Acquisition and display.
    void start_test();
    void extract_graph_data(long byte_count);
    void Split_Slots();
    void Draw_Slots();
    void Label_Slots();
    void setup();

    // ---- state ----
    gsm::FrameDescription frame;
    bool gsm_stop_requested = false;
    bool gsm_exit_pending = false;
    std::optional<int> mouse_slot;
    TracePoints graph_trace{};  // 1/1024 dB as the block gives them
    gsm::SlotAverages slot_average;
    QByteArray reply_buffer;
    bool run_in_progress() const { return run_in_progress_; }
    // The printer the page goes to (tests choose a PDF file).
    PageSetup& page_setup();

    // ---- controls ----
    QMenu* menuFileBar;
    QAction* menuSave;
    QAction* menuPrintSetup;
    QAction* menuPrint;
    QAction* menuExit;
    QMenu* menuControlBar;
    QAction* menuconfig;
    QAction* menuRun;
    QAction* menuStop;
    QAction* menuDisplay;
    QAction* menuReset;
    QMenu* menuAvgBar;
    std::array<QAction*, 10> menuAvg{};
    QMenu* menuHelpBar;
    QAction* menuAbout;

    QGroupBox* Frame1;
    QPushButton* cmdResetAvg;
    CanvasWidget* Slot_graph;
    std::vector<QLabel*> lblslotavg;  // slot labels 1..; the template is the layout's label rule
    QLabel* mouselabel;

protected:
    void request_stop() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The window's error boxes carry the program's name.
    QString error_title() const override;

private:
    void build_menus();
    // One pass of the run loop; false when the run is to end.
    bool run_pass();
    QSize designed_size() const;
    // The slot labels' font, so that the widest value fits each label's width.
    void fit_slot_labels();
    int twips_to_px_x(double t) const;
    int twips_to_px_y(double t) const;
    QWidget* form_ = nullptr;
    bool run_in_progress_ = false;
    struct Printing;
    std::unique_ptr<Printing> printing_;
};
