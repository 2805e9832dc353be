#pragma once
#include "profile/graphtests.h"
#include "sim/meter_profile.h"
#include "sim/sim_meter.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>

// The profile window opened on its own (no main window) and loaded, the meter's noise off, with the
// load's traffic and boxes cleared.
inline graphtests* open_profile_window(TestBench& tb)
{
    tb.meter().numbers[sim_profile::kNoiseDb] = 0;
    tb.meter().numbers[sim_profile::kFloorNoiseDb] = 0;
    return open_loaded<graphtests>(tb);
}

// The generator at -20 dBm, pulsed 0.5 ms wide every 2 ms, typed into its boxes.
inline void pulse_generator(graphtests* w)
{
    w->Pwr_Setting->setText("-20");
    w->Pulse_Width->setText("0.5");
    w->Pulse_Width_KeyPress(13);
    w->Pulse_Period->setText("2");
    w->Pulse_Period_KeyPress(13);
    w->Pulse_check->setChecked(true);
    w->Pulse_check_Click();
}
