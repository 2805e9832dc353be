// The source-sweep window's opening and leaving: the meter's and generator's set-up in Form_Load, the
// leaving commands in Form_Unload, and the layout on every resize.
#include "frame/about_window.h"
#include "frame/meter_routines.h"
#include "frame/sorvdemo.h"
#include "frame/ui_scopes.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "sweep/srcswp.h"
#include "sweep/srcswp_shared.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

using namespace sweep_rules;
using namespace srcswp_shared;

namespace {

const QString kAmpNotAvailable = QStringLiteral(
    "Amp Gain/Compression testing not available.\r\n\r\nPlease Set:-\r\nPower Sweep and CW Sweep in the 'Sweeper' section");

}  // namespace

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
    load_step([&] { module1::leave_cdma_reading_mode(gs.meter_model); });
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
            Sweep_Type_Click(0, true);
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
    PleaseWait::dismiss(please_wait_);
    Timer1->setInterval(10);
    Timer1->start();
}

void srcswp::Form_Unload()
{
    const Globals& gs = g();
    Timer1->stop();
    PleaseWait::dismiss(please_wait_);
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
