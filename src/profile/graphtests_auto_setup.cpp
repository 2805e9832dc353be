// The profile window's automatic set-up: the search for a capture span that shows a handful of pulses,
// with its progress window. The rules are in auto_setup; this file drives the meter and the window.
#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "profile/auto_setup.h"
#include "profile/graphtests.h"
#include "profile/process_bar.h"
#include "profile/profile_run.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

void graphtests::Auto_Setup_Click()
{
    Prompts& prompts = *platform().prompts;
    if (TrigSource->currentIndex() > 0) {
        if (prompts.message_box(auto_setup::kConfirmText, Prompts::Buttons::YesNo, Prompts::Icon::None,
                                auto_setup::kConfirmTitle) == Prompts::Answer::Yes)
            AutoSetup();
        return;
    }
    prompts.message_box(auto_setup::kNeedTriggerText, Prompts::Buttons::Ok, Prompts::Icon::None,
                        Prompts::default_title());
}

void graphtests::set_progress(int value)
{
    if (auto* bar = qobject_cast<Process_bar*>(process_bar_.data()))
        bar->ProgressBar1->setValue(std::min(value, bar->ProgressBar1->maximum()));
}

void graphtests::close_process_bar()
{
    if (process_bar_) {
        process_bar_->hide();
        process_bar_->deleteLater();
    }
    process_bar_ = nullptr;
}

void graphtests::finish_auto_setup()
{
    // Every way out: the usual time-out, no progress window, the window's controls back.
    vbib32::ibtmo(g().gpib_board, auto_setup::kNormalTimeout);
    close_process_bar();
    menuBar()->setEnabled(true);
    form_->setEnabled(true);
    // Found or not, the span may have changed: the cursors follow it.
    update_cursors();
    update_cursor_data();
    draw_graph();
}

void graphtests::AutoSetup()
{
    Globals& gs = g();
    Clock& clock = *platform().clock;
    // The window takes no input while it searches; the pauses still let the progress window paint.
    menuBar()->setEnabled(false);
    form_->setEnabled(false);
    const struct Finish {
        graphtests& w;
        ~Finish() { w.finish_auto_setup(); }
    } finish{*this};

    vbib32::ibtmo(gs.gpib_board, auto_setup::kSearchTimeout);
    DDP->setText(QStringLiteral("0"));
    display_delay_ms = 0;
    update_DDP();

    bool found = false;
    if (auto_setup::searchable_source(TrigSource->currentIndex())) {
        auto* bar = new Process_bar(this);
        process_bar_ = bar;
        bar->ProgressBar1->setMaximum(auto_setup::kBarMaximum);
        bar->Form_Load();
        bar->show();
        int progress = 0;
        const auto advance = [&] { set_progress(++progress); };
        for (int k = 1; k <= int(auto_setup::kSpansMs.size()) && !found && !unload_requested; ++k) {
            progress = auto_setup::bar_at_span(k);
            set_progress(progress);
            capture_span_ms = auto_setup::kSpansMs[std::size_t(k - 1)];
            update_collection_period();
            write_x_axis(capture_span_ms, x_left_edge_ms);
            advance();
            clock.pause_yielding(1000, true);
            {
                const ExchangeScope exchange(exchange_open_);
                vbib32::Send(gs.gpib_board, gs.meter_address, "OGBD", vbib32::NLend);
                if (gpibgen::gpib_error(QStringLiteral("Asking for Graph data")) > 0)
                    throw AppError(AppError::meter);
                advance();
                vbib32::Receive(gs.gpib_board, gs.meter_address, reply_buffer, vbib32::STOPend);
                if (gpibgen::gpib_error(QStringLiteral("Grabbing Graph data")) > 0)
                    throw AppError(AppError::meter);
                advance();
            }
            // Only a whole block is a trace.
            if (gs.ibcnt == profile_run::kBlockBytes) {
                extract_graph_data(gs.ibcntl);
                calculate_Min_Max_Value();
                advance();
                const int n = auto_setup::transitions(graph_trace.data(), level_min, level_max);
                advance();
                if (auto_setup::accepted(n)) {
                    trace_valid = true;
                    found = true;
                }
            } else {
                gpibgen::gpib_error(QStringLiteral("RQ58xx Communication"));
                trace_valid = false;
            }
        }
        set_progress(auto_setup::kBarMaximum);
    }

    if (found) {
        auto_scale_y_Click();
        vbib32::ibtmo(gs.gpib_board, auto_setup::kNormalTimeout);
        close_process_bar();
        Do_Pulse_Info();
        draw_graph();
        Auto_Place_Cursors();
        return;
    }
    close_process_bar();
    if (!unload_requested)
        platform().prompts->message_box(auto_setup::kFailedText, Prompts::Buttons::Ok, Prompts::Icon::None,
                                        auto_setup::kFailedTitle);
}
