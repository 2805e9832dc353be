// The profile window's meter and generator settings: the commands each control sends, its entry boxes,
// lists and check boxes.
#include "frame/meter_limits.h"
#include "frame/meter_routines.h"
#include "frame/ui_scopes.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "profile/graphtests_shared.h"
#include "profile/profile_graph.h"
#include "profile/profile_settings.h"
#include "util/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

using namespace profile_window;

// ============================================================================================== settings

void graphtests::update_collection_period()
{
    capture_period_s = profile_graph::collection_period(capture_span_ms, x_left_edge_ms);
    send_meter(profile_graph::collection_period_command(capture_span_ms, x_left_edge_ms), QStringLiteral("X axis update"));
}

void graphtests::update_sample_delay()
{
    send_meter(profile_settings::sample_delay_command(sample_delay_ms), QStringLiteral("Update sample_delay"));
}

void graphtests::update_gate_width()
{
    send_meter(profile_settings::gate_width_command(gate_width_ms), QStringLiteral("Update gate width"));
}

void graphtests::update_DDP()
{
    send_meter(profile_settings::display_delay_command(display_delay_ms), QStringLiteral("Update Display Trigger Delay"));
}

void graphtests::set_internal_trig_level()
{
    send_meter(profile_settings::trigger_level_command(trigger_level), QStringLiteral("Update internal trig level"));
}

void graphtests::update_inttrig_type()
{
    send_meter(profile_settings::trigger_type_command(trigger_edge), QStringLiteral("Update internal Trigger Type"));
}

void graphtests::Update_trig_source()
{
    send_meter(profile_settings::trigger_source_command(TrigSource->currentIndex()), QStringLiteral("Update trigger source"));
}

void graphtests::turn_off_display()
{
    send_meter(profile_settings::display_command(false), QStringLiteral("Disp off "));
    display_on = false;
}

void graphtests::turn_on_display()
{
    send_meter(profile_settings::display_command(true), QStringLiteral("Disp on "));
    display_on = true;
}

namespace {
const QString kSweeperLabel = QStringLiteral("Update Sweeper Power Output");
}

void graphtests::send_generator_box(const std::optional<QString>& command)
{
    if (command)
        send_generator(*command, kSweeperLabel);
    else
        prompts().beep();
}

void graphtests::update_Sweeper_pwr() { send_generator_box(profile_settings::sweeper_power_command(Pwr_Setting->text())); }

void graphtests::update_sweeper_period() { send_generator_box(profile_settings::pulse_period_command(Pulse_Period->text())); }

void graphtests::update_period_width() { send_generator_box(profile_settings::pulse_width_command(Pulse_Width->text())); }

void graphtests::update_mod_type() { send_generator(profile_settings::mod_type_command(am_waveform_index), kSweeperLabel); }

void graphtests::update_pulse_mode()
{
    send_generator(profile_settings::pulse_mode_command(Pulse_check->isChecked()), kSweeperLabel);
}

void graphtests::update_mod_mode()
{
    send_generator(profile_settings::mod_mode_command(AM_mod_check->isChecked()), kSweeperLabel);
}

void graphtests::update_mod_depth() { send_generator_box(profile_settings::mod_depth_command(Mod_Depth->text())); }

void graphtests::update_mod_rate() { send_generator_box(profile_settings::mod_rate_command(Mod_Rate->text())); }

void graphtests::update_everything()
{
    const CaptionScope caption(this, QStringLiteral("Please wait...Setting up equipement"));
    update_collection_period();
    update_DDP();
    update_gate_width();
    update_inttrig_type();
    if (g().maker_synth) {
        update_mod_type();
        update_mod_depth();
        update_mod_mode();
        update_mod_rate();
        update_period_width();
        update_sweeper_period();
        update_Sweeper_pwr();
    }
    update_sample_delay();
    Update_trig_source();
    set_internal_trig_level();
}

void graphtests::sample_and_gate_update()
{
    const int lower = std::min(cursor1_index, cursor2_index);
    sample_delay_ms = float((lower * double(seconds_per_point) + trace_start_time) * 1000.0);
    sample_delay_data->setText(profile_settings::ms_box_text(sample_delay_ms));
    update_sample_delay();
    gate_width_ms = float(double(cursor_time_diff) * 1000.0);
    gate_width_data->setText(profile_settings::ms_box_text(gate_width_ms));
    update_gate_width();
}

// ---- entry boxes

void graphtests::ms_box_entered(int key_code, QLineEdit* box, float& value, void (graphtests::*send)(),
                                bool cursor_data)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    clk().yield();
    const double v = numtext::val(box->text());
    if (!profile_settings::accept_ms_box(v))
        return;
    value = float(v);
    box->setText(profile_settings::ms_box_text(value));
    (this->*send)();
    update_cursors();
    if (cursor_data)
        update_cursor_data();
    graph->canvas().cls();
    draw_cursors();
}

void graphtests::sample_delay_data_KeyPress(int key_code)
{
    ms_box_entered(key_code, sample_delay_data, sample_delay_ms, &graphtests::update_sample_delay, true);
}

void graphtests::gate_width_data_KeyPress(int key_code)
{
    ms_box_entered(key_code, gate_width_data, gate_width_ms, &graphtests::update_gate_width, false);
}

void graphtests::DDP_KeyPress(int key_code)
{
    ms_box_entered(key_code, DDP, display_delay_ms, &graphtests::update_DDP, false);
}

void graphtests::Level_KeyPress(int key_code)
{
    if (key_code != kEnter)
        return;
    const Hourglass hourglass;
    clk().yield();
    const auto level = entry::sendable(Level->text(), meter_limits::kTriggerLevelDbm);
    if (!level) {
        prompts().beep();
        return;
    }
    trigger_level = float(level->value);
    set_internal_trig_level();
}

void graphtests::Pwr_Setting_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_Sweeper_pwr();
}

void graphtests::Pulse_Period_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_sweeper_period();
}

void graphtests::Pulse_Width_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_period_width();
}

void graphtests::Mod_Depth_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_mod_depth();
}

void graphtests::Mod_Rate_KeyPress(int key_code)
{
    if (key_code == kEnter)
        update_mod_rate();
}

// ---- generator level bar and box

void graphtests::Pwr_Scroll_Scroll() { Pwr_Setting->setText(profile_settings::power_drag_text(Pwr_Scroll->sliderPosition())); }

void graphtests::Pwr_Scroll_Change()
{
    if (const auto text = profile_settings::power_box_rewrite(Pwr_Scroll->value(), Pwr_Setting->text()))
        Pwr_Setting->setText(*text);
    update_Sweeper_pwr();
}

void graphtests::Pwr_Setting_Change()
{
    const auto position = profile_settings::power_position(Pwr_Setting->text());
    // While the bar is dragged it already stands where the box says.
    if (position && *position != Pwr_Scroll->sliderPosition())
        Pwr_Scroll->setValue(*position);
}

// ---- lists and check boxes

void graphtests::TrigSource_Click() { Update_trig_source(); }

void graphtests::InternalType_Click(int index)
{
    trigger_edge = index == 0 ? QStringLiteral("RISE") : QStringLiteral("FALL");
    update_inttrig_type();
}

void graphtests::Chan_Config_combo_Click()
{
    if (const auto command = profile_settings::channel_config_command(Chan_Config_combo->currentIndex()))
        vbib32::Send(g().gpib_board, g().meter_address, *command, vbib32::NLend);
}

void graphtests::range_hold_combo_Click()
{
    vbib32::Send(g().gpib_board, g().meter_address, profile_settings::range_hold_command(range_hold_combo->currentIndex()),
                 vbib32::NLend);
}

void graphtests::Averaging_combo_Click()
{
    const int n = profile_settings::averaging_count(Averaging_combo->currentText());
    module1::set_averaging(QStringLiteral("A"), n);
    module1::set_averaging(QStringLiteral("B"), n);
}

void graphtests::Display_Check_Click()
{
    {
        const Hourglass hourglass;
        clk().yield();
        if (display_on)
            turn_off_display();
        else
            turn_on_display();
    }
    clk().yield();
}

void graphtests::Zero_but_Click()
{
    Globals& gs = g();
    if (gs.maker_synth)
        vbib32::Send(gs.gpib_board, gs.synth_address, "RF0", vbib32::NLend);
    module1::zero_sensor(this, QStringLiteral("A"));
    if (gs.maker_synth)
        vbib32::Send(gs.gpib_board, gs.synth_address, "RF1", vbib32::NLend);
}

void graphtests::Cal_but_Click() { module1::cal_sensor(this, QStringLiteral("A")); }

void graphtests::RFCal_check_Click()
{
    vbib32::Send(g().gpib_board, g().meter_address, profile_settings::rf_calibrator_command(RFCal_check->isChecked()),
                 vbib32::NLend);
}

void graphtests::AM_mod_check_Click() { update_mod_mode(); }

void graphtests::AM_mod_combo_Click()
{
    if (AM_mod_combo->currentIndex() < 0)
        return;
    am_waveform_index = AM_mod_combo->currentIndex();
    update_mod_type();
}

void graphtests::Pulse_check_Click() { update_pulse_mode(); }
