// The source-sweep window's set-up handlers: the generator's and the meter's sweep, the entry boxes that
// send on every change, the meter's own settings and the calibration.
#include "frame/meter_routines.h"
#include "frame/ui_scopes.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sweep/srcswp.h"
#include "sweep/srcswp_shared.h"
#include "util/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

using namespace sweep_rules;
using namespace srcswp_shared;

// ============================================================================================== sweep set-up

void srcswp::setup_synth_sweep(bool at_load)
{
    {
        const Hourglass hourglass;
        clk().yield();
        if (g().maker_synth) {
            const QStringList commands = generator_setup(fields(), sweep_type, RF_Output_Check->isChecked(), at_load);
            for (int i = 0; i < commands.size(); ++i)
                send_generator(commands[i], i == 1 ? QStringLiteral("Setup synth freq swp") : QString());
        }
        update_sorvane(at_load);
        update_screen_x_axis();
        data_valid = false;
        minmax_restart = true;
        update_cursor_data();
        graph->canvas().cls();
        draw_graph();
    }
    clk().yield();
}

void srcswp::update_sorvane(bool at_load)
{
    for (const QString& c : meter_sweep_commands(fields(), level_sweep == 1, sweep_type, at_load))
        send_meter(c);
}

void srcswp::Level_type_Click(int index)
{
    Level_setup_frame->setCurrentIndex(index);
    level_sweep = index;
    if (index == 1) {
        Sweep_Type[1]->setEnabled(true);
        Sweep_Type[0]->setEnabled(false);
        Sweep_Type[2]->setEnabled(false);
        Sweep_Type[1]->setChecked(true);
        Sweep_Type_Click(1);
        // The level boxes hold the sweep's ends.
        sweep_start_level = float(numtext::val(Level_sweep_start->text()));
        sweep_stop_level = float(numtext::val(level_sweep_stop->text()));
    } else {
        Sweep_Type[1]->setEnabled(false);
        Sweep_Type[0]->setEnabled(true);
        Sweep_Type[2]->setEnabled(true);
        Sweep_Type[0]->setChecked(true);
        Sweep_Type_Click(0);
    }
    setup_synth_sweep();
}

void srcswp::Sweep_Type_Click(int index, bool at_load)
{
    sweep_type = index;
    Freq_Setup_frame->setCurrentIndex(index);
    if (Level_type[0]->isChecked())
        setup_synth_sweep(at_load);
}

void srcswp::RF_Output_Check_Click()
{
    send_generator(RF_Output_Check->isChecked() ? QStringLiteral("RF1") : QStringLiteral("RF0"));
}

void srcswp::seq_sync_check_Click()
{
    sweeper_seq_sync = seq_sync_check->isChecked();
    send_meter(sweeper_seq_sync ? QStringLiteral("IBBLP POS") : QStringLiteral("IBBLP NEG"));
}

void srcswp::box_changed(Box box, QLineEdit* edit)
{
    const QString text = edit->text();
    if (const auto command = box_command(box, text))
        send_generator(*command);
    const double v = numtext::val(text);
    // The meter's x axis follows the range of the sweep in use, so the points stay where the axis says.
    const bool range_box = box == Box::AnalogStart || box == Box::AnalogStop || box == Box::StepStart ||
                           box == Box::StepStop || box == Box::LevelStart || box == Box::LevelStop;
    const bool in_use = level_sweep == 1 ? (box == Box::LevelStart || box == Box::LevelStop)
                                         : (sweep_type == Step ? (box == Box::StepStart || box == Box::StepStop)
                                                               : (box == Box::AnalogStart || box == Box::AnalogStop));
    if (range_box && in_use)
        if (const auto range = meter_range_command(fields(), level_sweep == 1, sweep_type))
            send_meter(*range);
    switch (box) {
    case Box::AnalogStart:
    case Box::StepStart:
        left_x_axis->setText(text);
        sweep_start_freq = v;
        break;
    case Box::AnalogStop:
    case Box::StepStop:
        right_x_axis->setText(text);
        sweep_stop_freq = v;
        break;
    case Box::LevelStart:
        left_x_axis->setText(text);
        sweep_start_level = float(v);
        break;
    case Box::LevelStop:
        right_x_axis->setText(text);
        sweep_stop_level = float(v);
        break;
    default:
        break;
    }
}

bool srcswp::write_sweep_range(double start, double stop)
{
    // A range the boxes would not send stays out of them, so the instruments and the axis stay in step.
    const auto texts = range_texts(start, stop, level_sweep == 0);
    if (!texts) {
        prompts().beep();
        return false;
    }
    const auto& [a, b] = *texts;
    if (level_sweep == 1) {
        Level_sweep_start->setText(a);
        level_sweep_stop->setText(b);
    } else if (sweep_type == Step) {
        freq_step_start->setText(a);
        freq_step_stop->setText(b);
    } else if (sweep_type == Analog) {
        Freq_analog_start->setText(a);
        freq_analog_stop->setText(b);
    }
    return true;
}

void srcswp::single_run_when_idle()
{
    if (stop_requested) {
        run_once = true;
        run_sweep();
    }
}

// ============================================================================================== meter settings

void srcswp::update_sample_delay() { send_meter(gate_delay_command(gate_delay), QStringLiteral("Update sample_delay")); }

void srcswp::update_gate_width() { send_meter(gate_width_command(gate_width), QStringLiteral("Update gate width")); }

void srcswp::Averaging_combo_Click()
{
    const int n = averaging_count(Averaging_combo->currentText());
    module1::set_averaging(QStringLiteral("A"), n);
    module1::set_averaging(QStringLiteral("B"), n);
}

void srcswp::Chan_Config_combo_Click()
{
    if (const auto command = channel_command(Chan_Config_combo->currentIndex()))
        send_meter(*command);
}

void srcswp::display_readout_Click()
{
    readout_on = !readout_on;
    cursor_info_on = readout_on;
    send_meter(readout_on ? QStringLiteral("GRDATA ON") : QStringLiteral("GRDATA OFF"), QStringLiteral("Turn readout off"));
    if (!cursor_info_on)
        for (QLabel* l : {cur1_data, cur2_data, diff_data})
            l->hide();
    update_cursor_data();
    cursor_readout();
}

void srcswp::do_calibration_Click()
{
    {
        const Hourglass hourglass;
        clk().yield();
        cal.begin_capture();
        run_sweep();
    }
    apply_cal_data->setVisible(cal.valid());
}

void srcswp::apply_cal_data_Click()
{
    cal.toggle_applied();
    apply_cal_data->setText(cal.applied() ? QStringLiteral("Cal data included") : QStringLiteral("Cal data NOT included"));
}
