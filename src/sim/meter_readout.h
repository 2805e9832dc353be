#pragma once
#include "sim/sim_meter.h"

#include <QString>
#include <optional>

// The simulated meter's readout ("OPMD DIGIT"): one reading per "O n" for the configuration of channel n,
// and the fast talk-only stream.
//
// Signal. Sensors A and B see CW levels that are bench constants (kLevelA, kLevelB), plus the input's
// zero offset; with "RFCAL ON" sensor A sees the meter's own 0 dBm calibrator. A missing sensor reads
// kMissingSensorDbm. Each reading adds seeded Gaussian noise of kNoiseDb divided by the square root of the
// input's averaging count: "AVG x, Auto," averages kAutoAverages readings; "AVG x, MOV, n" averages n while
// "GRSWS ON"; anything else (OFF, "GRSWS OFF") averages none.
//
// Ranges. Range r (1..5) spans -70 + 20 (r - 1) to -50 + 20 (r - 1) dBm. "RGH x, 0" lets the meter pick the
// range that holds the level; a held range clamps a level above its top to the top, and a level below its
// bottom reads with its noise raised by the dB it lies below (as amplitude: 10^(dB/20)).
//
// Channel values, by "CHCFG n": A and B in dBm; A-B and B-A the difference in dB; A/B and B/A the linear
// ratio of the powers. A reading goes out as a plain number with four decimals: "-10.0123".
//
// Trigger ("TRGSRC 1"): CONT answers every request. EXTTTL answers at the next edge of an external
// trigger of kExtTriggerHz (0: none comes). INTA / INTB answer at the next modulation period (kPrfHz) when
// that sensor's noise-free level is at or above "TRGLVL 1", else never. A request that gets no trigger
// gets no reply: the program's read times out.
//
// Timing. A reading is ready kQueryMs after "O n" (or after its trigger). With "FAST ON" the meter talks
// a fresh reading every time it is read with nothing else to say, kFastMs after the read began, or
// kFastestMs with the display off as well.
namespace sim_readout {

inline const QString kLevelA = QStringLiteral("readout.level_a_dbm");            // -10.0
inline const QString kLevelB = QStringLiteral("readout.level_b_dbm");            // -13.0
inline const QString kNoiseDb = QStringLiteral("readout.noise_db");              // 0.05 (sigma)
inline const QString kAutoAverages = QStringLiteral("readout.auto_averages");    // 16
inline const QString kQueryMs = QStringLiteral("readout.query_ms");              // 2.0
inline const QString kFastMs = QStringLiteral("readout.fast_ms");                // 0.5
inline const QString kFastestMs = QStringLiteral("readout.fastest_ms");          // 0.2
inline const QString kExtTriggerHz = QStringLiteral("readout.ext_trigger_hz");   // 0
inline const QString kPrfHz = QStringLiteral("readout.prf_hz");                  // 1000
constexpr double kMissingSensorDbm = -100.0;
constexpr double kCalibratorDbm = 0.0;

// The bench's CW level at a sensor ("A" or "B"), before the input's zero offset, in dBm.
double cw_level_dbm(const SimMeter& meter, const QString& sensor);
// Noise-free level a sensor ("A" or "B") presents, in dBm.
double sensor_level_dbm(const SimMeter& meter, const QString& sensor);
// Averaging count in force for a sensor.
int averages(const SimMeter& meter, const QString& sensor);
// Held range of a sensor (0 auto) and the range auto-ranging picks for a level.
int held_range(const SimMeter& meter, const QString& sensor);
int auto_range(double level_dbm);
// What a sensor reads in a range (noise-free): the level, clamped to a held range's top.
double ranged_level_dbm(double level_dbm, int range);
// A channel configuration's value from the two sensors' dBm values: A and B as they are, A-B and B-A the
// difference in dB, A/B and B/A the linear ratio of the powers.
double combine_channel(const QString& configuration, double a_dbm, double b_dbm);
// Noise-free value of a channel configuration ("A", "B", "A-B", "B-A", "A/B", "B/A").
double channel_value(const SimMeter& meter, const QString& configuration);
// The time (bench microseconds) channel ("1" or "2") can take its next reading at or after t_us; none
// when no trigger comes.
std::optional<qint64> next_trigger_us(const SimMeter& meter, const QString& channel, qint64 t_us);
// Zero all timing so the program's own cost can be measured.
void zero_latency(SimMeter& meter);

}  // namespace sim_readout
