#pragma once
#include "sim/meter_sweep.h"

// An amplifier between the generator and the sensors: a coupler of known loss takes its input to sensor A,
// an attenuator of known loss takes its output to sensor B. Small-signal gain G0(f) and input 1 dB
// compression point P1(f), both linear in frequency from their values at 1 GHz. Below P1 - kKneeDb the
// amplifier does not compress; above, the compression is ((Pin - P1 + kKneeDb) / kKneeDb)^2 dB, which is
// exactly 1 dB at P1. Between no_compression_low_ghz and no_compression_high_ghz it never compresses.
namespace sim_sweep {

class AmplifierPath : public SweepPath {
public:
    static constexpr double kKneeDb = 5.0;
    double coupler_db = 20.0;
    double attenuator_db = 20.0;
    double gain_db = 20.0;             // at 1 GHz
    double gain_slope_db_per_ghz = 0.0;
    double p1_dbm = -10.0;             // at 1 GHz
    double p1_slope_db_per_ghz = 0.0;
    double no_compression_low_ghz = 0.0;
    double no_compression_high_ghz = 0.0;

    double small_signal_gain_db(double f_hz) const;
    double p1_at(double f_hz) const;
    bool compresses_at(double f_hz) const;
    // Compression in dB at an input level.
    double compression_db(double f_hz, double input_dbm) const;
    std::optional<double> at_sensor(const QString& sensor, double f_hz, double source_dbm) const override;
};

}  // namespace sim_sweep
