#pragma once
#include "profile/graphtests.h"
#include "sim/meter_profile.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"

// The profile window opened on its own (no main window) and loaded, the meter's noise off, with the
// load's traffic and boxes cleared.
inline graphtests* open_profile_window(TestBench& tb)
{
    tb.meter().numbers[sim_profile::kNoiseDb] = 0;
    tb.meter().numbers[sim_profile::kFloorNoiseDb] = 0;
    auto* w = new graphtests;
    w->show();
    w->load();
    tb.clear_log();
    tb.prompts.clear();
    return w;
}
