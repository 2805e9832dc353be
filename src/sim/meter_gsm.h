#pragma once
#include "sim/sim_meter.h"

#include <array>
#include <vector>

// A TDMA frame source on the bench: its frame sync drives the meter's external trigger input and its RF
// goes to the sensors (input B sees it "profile.b_below_a_db" lower, as in the profile bench).
//
// The frame is locked to bench time 0: frame n starts at n x slot_count x slot width. Each slot holds its own
// level; a slot above the idle level rises from the idle level over rise_us at its start and falls back
// over fall_us at its end, both linear in dB. With the defaults (8 slots of 575 us, a 4.6 ms capture of
// 23 us a point) the rise covers the first 4 points of a slot and the fall its last point, so a split
// that leaves out the first 20 % and the last 10 % of each slot sees only the flat part.
//
// In profile mode on "GTSRC EXTTTL", with the frame connected and the generator's pulse modulation off,
// "OGBD" captures the frame from the next frame start (plus "DTRGD") over "GRPRD" and answers at once
// when the capture has ended plus the processing time. With "GRSWS ON" the answer is the moving average,
// point by point in dB, of the last "GRSWP" captures; "GRSWR", a change of count or channel, "GRSWS OFF"
// and *RST start it afresh. A frame that is not connected gives no trigger, hence no reply, unless the
// generator's pulse sync drives the input.
namespace sim_gsm {

struct TdmaFrame {
    bool connected = false;
    int slot_count = 8;
    double slot_width_us = 575.0;
    // Level of each slot at the sensor in dBm; slots beyond the list are idle.
    std::vector<double> slot_dbm{-5.0, -60.0, -60.0, -20.0, -60.0, -60.0, -60.0, -60.0};
    double idle_dbm = -60.0;
    double rise_us = 80.0;
    double fall_us = 40.0;
    // Gaussian noise (standard deviation, dB) on every point, from the meter's seeded source.
    double noise_db = 0.0;

    double period_s() const { return slot_count * slot_width_us * 1e-6; }
    // Noise-free level at time t (seconds) after a frame start.
    double level_dbm(double t) const;
};

// The frame of a meter (connected as its bench description says when the meter is built).
TdmaFrame& frame(SimMeter& meter);

}  // namespace sim_gsm
