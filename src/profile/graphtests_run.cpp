// The profile window's run loop: Run once or continuously, one pass (trace request, block read, drawing
// and results) and the ending every way out of a run comes through.
#include "frame/meter_routines.h"
#include "frame/ui_scopes.h"
#include "graph/trace_graph.h"
#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/link_exchange.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "profile/graphtests_shared.h"
#include "util/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace profile_window;

namespace {
const QString kPelmora = QStringLiteral("Pelmora");
}

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
        show_error(other_error);
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
