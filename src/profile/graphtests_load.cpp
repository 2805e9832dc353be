// The profile window's set-up and leaving: the meter and generator brought into profile mode when the
// window opens, put back when it closes, and the window placed in the work area.
#include "frame/about_window.h"
#include "frame/meter_routines.h"
#include "frame/sorvdemo.h"
#include "frame/ui_scopes.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "profile/graphtests.h"
#include "profile/graphtests_shared.h"
#include "profile/profile_settings.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>

using namespace profile_window;

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
        module1::leave_cdma_reading_mode(ids.meter_model);
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
    PleaseWait::dismiss(please_wait_);
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
    PleaseWait::dismiss(please_wait_);
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
