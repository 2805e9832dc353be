#include "sim/sweep_amplifier.h"

namespace sim_sweep {

double AmplifierPath::small_signal_gain_db(double f_hz) const { return gain_db + gain_slope_db_per_ghz * (f_hz / 1e9 - 1.0); }

double AmplifierPath::p1_at(double f_hz) const { return p1_dbm + p1_slope_db_per_ghz * (f_hz / 1e9 - 1.0); }

bool AmplifierPath::compresses_at(double f_hz) const
{
    const double ghz = f_hz / 1e9;
    return !(ghz >= no_compression_low_ghz && ghz <= no_compression_high_ghz && no_compression_high_ghz > no_compression_low_ghz);
}

double AmplifierPath::compression_db(double f_hz, double input_dbm) const
{
    if (!compresses_at(f_hz))
        return 0.0;
    const double over = input_dbm - p1_at(f_hz) + kKneeDb;
    return over <= 0 ? 0.0 : (over / kKneeDb) * (over / kKneeDb);
}

std::optional<double> AmplifierPath::at_sensor(const QString& sensor, double f_hz, double source_dbm) const
{
    if (sensor == QLatin1String("A"))
        return source_dbm - coupler_db;
    return source_dbm + small_signal_gain_db(f_hz) - compression_db(f_hz, source_dbm) - attenuator_db;
}

}  // namespace sim_sweep
