#pragma once
#include <QtGlobal>
#include <optional>

class SimGenerator;

// The simulated generator's RF output over time, as a pure function of its settings: the envelope power
// at any instant of the bench clock, the pulse-sync output and the level crossings a meter triggers on.
//
// Time is the bench clock in seconds. The pulse train is locked to time 0: pulse n starts rising at
// n x period. An edge is linear in dB from the off level to the on level (rise) and back (fall), so a
// level crossing on an edge lies exactly where straight-line interpolation between two samples on that
// edge puts it. The width runs from the start of the rise to the start of the fall; with equal edges the
// two crossings of any level are therefore exactly one width apart. The off level is off_ratio_db below
// the on level. AM multiplies the field amplitude by 1 + depth x w(t), w in -1..1:
//   1 sine sin(2 pi f t); 2 square +1 for the first half of each cycle, -1 for the second; 3 ramp up
//   2 frac(f t) - 1; 4 ramp down 1 - 2 frac(f t); 5 Gaussian noise (standard deviation 1/3, cut at +-1)
//   and 6 uniform noise, each holding a fresh seeded value for 1/f; 7 triangle 1 - 4 |frac(f t) - 1/2|.
// The AM part adds 20 log10(1 + depth x w) dB, at most 100 dB down where the amplitude reaches zero.
struct GeneratorSignal {
    static constexpr double kNoPower = -200.0;  // dBm with the RF off

    bool rf_on = false;
    double level_dbm = 0.0;
    bool pulse_on = false;
    double period_s = 1.0e-3;
    double width_s = 1.0e-4;
    double rise_s = 2.0e-6;
    double fall_s = 2.0e-6;
    double off_ratio_db = 80.0;
    bool am_on = false;
    int am_waveform = 1;  // 1..7 as above; any other value gives no modulation
    double am_depth_pct = 0.0;
    double am_rate_hz = 0.0;
    quint32 seed = 0;

    // Envelope power at time t in dBm (kNoPower with the RF off).
    double power_dbm(double t) const;
    // The pulse envelope alone, in dB relative to the on level (0 on top, -off_ratio_db off).
    double pulse_db(double t) const;
    // The AM part alone, in dB (0 without modulation).
    double am_db(double t) const;
    // The AM waveform w(t) in -1..1.
    double am_waveform_value(double t) const;

    // Peak power over the time bin [t0, t1] in dBm: the pulse envelope's peak over the bin (exact: its
    // top where the bin reaches it, else the higher end of the bin) plus the AM part's peak over the bin
    // (exact over a whole modulation cycle, else the highest of 65 evenly spaced instants). With both on,
    // the sum is an upper bound that holds wherever either part is steady over the bin.
    double peak_dbm(double t0, double t1) const;
    // The shortest feature of the signal in seconds: the pulse's width and off time, a quarter of the
    // AM cycle; 0 for a steady signal.
    double shortest_feature_s() const;

    // The first edge of the pulse-sync output at or after t: rising where a pulse starts, falling where
    // its fall starts. None without pulse modulation.
    std::optional<double> next_sync_edge(double t, bool rising) const;
    // The first time at or after t at which power_dbm() + offset_db crosses level_dbm in the given
    // direction (rising: from at or below to above; falling: from above to at or below), searched up to
    // t + horizon_s. None when the signal does not cross there.
    std::optional<double> next_crossing(double t, double level_dbm, bool rising, double offset_db,
                                        double horizon_s) const;
};

// The signal the generator's present settings give. Pulse period and width come from "PER" and "PW"
// (1 ms and 0.1 ms until sent), AM depth and rate from "ADP1" and "AMR" (0 until sent); the edge times
// are the bench's own and are passed in.
GeneratorSignal signal_of(const SimGenerator& generator, double rise_s, double fall_s);
