// The source-sweep window's run loop: one pass asks the meter for a trace, decodes it and draws it, until
// a stop, the Run Once passes or the calibration's capture end the run.
#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "sweep/srcswp.h"
#include "sweep/srcswp_shared.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

using namespace sweep_rules;
using namespace srcswp_shared;

namespace {

const QString kRunningCal = QStringLiteral("Can`t Calibrate System when the demo is running. Stop the Demo first.");

}  // namespace

// ============================================================================================== run loop

void srcswp::start_run()
{
    Globals& gs = g();
    // 1. A second call while a run goes is a stop.
    if (gs.test_running) {
        gs.test_running = false;
        return;
    }
    enter_busy();
    run_active_ = true;
    QString error;
    int app_error = 0;
    bool failed = false;
    try {
        // 2, 3.
        do_calibration->setEnabled(false);
        Cal_label->setText(kRunningCal);
        clk().yield();
        stop_requested = false;
        gs.test_running = true;
        int run_once_count = kRunOncePasses - 1;
        // 4.
        while (!stop_requested && gs.test_running) {
            if (!run_pass(run_once_count)) {
                failed = true;
                break;
            }
        }
    } catch (const AppError& e) {
        app_error = e.number();
        failed = true;
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
        failed = true;
    }
    // However the run ended, the next starts afresh: a Run Once that failed or was stopped must not cut
    // the next run short.
    run_once = false;
    run_failed_ = failed;
    // 5.
    if (cal.capturing()) {
        cal.end_capture();
        apply_cal_data->setVisible(cal.valid());
        unsetCursor();
        clk().yield();
    }
    // 6. The amplifier test keeps them off between its acquisitions.
    menuRunCont->setEnabled(!amp_test_active);
    menuRunOnce->setEnabled(!amp_test_active);
    menuStop->setEnabled(false);
    do_calibration->setEnabled(true);
    gs.test_running = false;
    clk().yield();
    stop_requested = true;
    // 7.
    if (app_error == AppError::meter)
        prompts().message_box(QStringLiteral("The sequence stopped because the is a GPIB problem with the  device."));
    else if (app_error == AppError::generator)
        prompts().message_box(QStringLiteral("The sequence stopped because the is a GPIB problem with the Sweeper device"));
    else if (!error.isEmpty())
        show_error(error);
    run_active_ = false;
    leave_busy();
}

bool srcswp::run_pass(int& run_once_count)
{
    Globals& gs = g();
    const qint64 t0 = clk().now_us();
    vbib32::Send(gs.gpib_board, gs.meter_address, "OGBD", vbib32::NLend);
    // A request that never went out is told as such; there is nothing to read.
    if (gpibgen::gpib_error(QStringLiteral("Requesting data")) >= 1)
        return false;
    reply_buffer.fill(' ');
    vbib32::Receive(gs.gpib_board, gs.meter_address, reply_buffer, vbib32::STOPend);
    const qint64 t1 = clk().now_us();
    const bool read_failed = gpibgen::gpib_error(QStringLiteral("Reading data")) >= 1;
    const long received = gs.ibcntl;
    // Only a whole block is a trace; a short, long or garbled reply is no data, never a partial trace.
    const bool block = is_trace_block(reply_buffer, received);
    if (block) {
        data_valid = true;
        // The trace is used whatever the clock says; only the rates need a positive interval.
        if (const auto r = rates(t1 - t0)) {
            graph_get_time->setText(r->ms_per_trace);
            Readings_per_second->setText(r->points_per_second);
        }
        extract_graph_data(received);
        draw_graph();
        update_cursor_data();
        cursor_readout();
        if (cal.capturing() && cal.count_pass())
            stop_requested = true;
        if (run_once) {
            if (run_once_count == 0) {
                stop_requested = true;
                run_once = false;
            } else {
                --run_once_count;
            }
        }
    }
    if (!block) {
        // The amplifier test ends at this frequency with one box: the link's, when it has spoken.
        if (!(amp_test_active && read_failed))
            no_graph_data_box();
        return false;
    }
    // Stop, the window's other commands and the timer act between passes.
    clk().yield();
    return true;
}

void srcswp::no_graph_data_box()
{
    prompts().message_box(QStringLiteral("There is was no graph data returned."), Prompts::Buttons::Ok,
                          Prompts::Icon::None, QStringLiteral(" Problem"));
}

void srcswp::extract_graph_data(long count)
{
    const TraceValues block = decode_trace_values(reply_buffer, count);
    cal.take(block, graph_trace);
    if (block.count > 0) {
        ++traces_decoded;
        extremes = trace_extremes(graph_trace.data(), block.count);
        minmax_restart = true;
    }
}
