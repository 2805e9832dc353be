#pragma once
#include "sim/sim_meter.h"

#include <QString>
#include <array>
#include <optional>

// The simulated meter's profile mode: gated power-versus-time traces of the generator's signal.
//
// Signal path. Sensor A sees the generator's output less a path loss; sensor B sees the same signal a
// fixed number of dB lower, so A-B is that constant wherever both are above the floor. The noise of the
// signal is common to both sensors. Each sensor has noise of its own at its floor, which adds as power:
// a reading is 10 log10(max(P, F) + F x s x g) with P the signal's power and F the floor's (in mW), g a
// standard normal value and s = 10^(floor noise / 10) - 1, so the floor's spread is even in power and
// uneven in dB, a signal well above the floor is untouched, and with the floor noise at 0 a reading is
// exactly the signal or the floor. Readings include the
// input's zero offset (a sensor zeroed with RF on reads high). With "RFCAL ON" sensor A sees the meter's
// own 0 dBm calibrator instead. A missing sensor reads kMissingSensorDbm.
//
// Capture. "OGBD" in profile mode ("OPMD PROFILE") captures 200 points spaced "GRPRD"/200 apart, the
// first at the trigger plus the display delay "DTRGD", and answers the 811-byte block in 1/1024 dB of the
// configuration "CHCFG 1" (A, B, A-B, B-A). A point stands for its whole time bin: where the bin is
// longer than the signal's shortest feature (a pulse's width or off time, a quarter AM cycle) the point
// is the peak over the bin (GeneratorSignal::peak_dbm), so long spans show the envelope; otherwise it is
// the signal at the bin's start, so edges linear in dB give exact crossings. Triggering by "GTSRC":
//   CONT    free-running: the capture starts when the request arrives; the generator's pulse train is
//           locked to bench time 0, so the phase of the trace is the request's time modulo the period;
//   EXTTTL  the generator's pulse-sync output, on the edge "GTXTTL" (RISE: a pulse's start, FALL: the
//           start of its fall); no pulse modulation, no trigger;
//   INTA/B  the noise-free reading of sensor A or B crossing "TRGLVL 1" in the direction "GTTYP".
// A trigger that does not come within kTriggerHorizon means no reply at all (the program's read times
// out). Without averaging the reply is ready when that capture has ended plus the processing time.
// With "GRSWS ON" the meter keeps a moving average of "GRSWP" traces (of input B for "CHCFG 1, B", else of
// A), point by point in dB: it captures back to back at its own rate (each capture triggered afresh after
// the last has ended and been processed), and "OGBD" answers at once, after the processing time, with
// the mean of the last captures finished by then (at most "GRSWP" of them, found over the last 2 x GRSWP
// capture cycles). Only when none has finished does it wait for the next trigger and answer that one.
// In any other operating mode "OGBD" is an execution error and there is no reply, unless a mode has
// added a trace of its own with add_trace_mode().
//
// Scale. "GRYT x" and "GRYB x" set the graph's top and bottom (dBm); "GRYT?"/"GRYB?" answer
// "GRYT 20.00" / "GRYB -50.00". "GRAUTO" captures one trace free-running (no reply) and sets
// top = 5 * ceil(max / 5) + 5 and bottom = 5 * floor(min / 5) - 5 from its extremes in dB, both kept
// within -100..50. *RST puts 20 and -50 back.
namespace sim_profile {

// Bench constants, kept in SimMeter::numbers under these names so tests can change them.
inline const QString kPathLossA = QStringLiteral("profile.path_loss_a_db");      // 1.0
inline const QString kBBelowA = QStringLiteral("profile.b_below_a_db");          // 10.0
inline const QString kFloorDbm = QStringLiteral("profile.floor_dbm");            // -60.0
inline const QString kNoiseDb = QStringLiteral("profile.noise_db");              // 0.05 (sigma)
inline const QString kFloorNoiseDb = QStringLiteral("profile.floor_noise_db");   // 1.0 (sigma)
inline const QString kRiseUs = QStringLiteral("profile.rise_us");                // 2.0 generator edge
inline const QString kFallUs = QStringLiteral("profile.fall_us");                // 2.0
inline const QString kProcessingMs = QStringLiteral("profile.processing_ms");    // 1.0 per trace
inline const QString kTriggerHorizonMs = QStringLiteral("profile.trigger_horizon_ms");  // 1000
constexpr double kMissingSensorDbm = -100.0;
constexpr double kCalibratorDbm = 0.0;

// What one capture is set up as, read from the meter's settings.
struct CaptureSettings {
    QString channel = QStringLiteral("A");  // A, B, A-B, B-A
    QString source = QStringLiteral("CONT");
    bool internal_rising = true;
    bool external_rising = true;
    double trigger_level_dbm = -20.0;
    double display_delay_s = 0.0;
    double period_s = 0.01;
    int averages = 1;
};
CaptureSettings capture_settings(const SimMeter& meter);

// The value of a channel configuration (A, B, A-B, B-A) from the two sensors' readings.
double channel_value(const QString& channel, double a, double b);

// Noise-free reading of a sensor ("A" or "B") at bench time t, in dBm.
double sensor_dbm(SimMeter& meter, const QString& sensor, double t);

// The trigger instant at or after t for the settings; none when no trigger comes within the horizon.
std::optional<double> next_trigger(SimMeter& meter, const CaptureSettings& s, double t);

// One capture (with noise) starting at bench time start_s: the 200 channel values in dB.
std::array<double, 200> capture(SimMeter& meter, const CaptureSettings& s, double start_s);

// Lets another operating mode answer "OGBD" (the handler queues its own reply).
void add_trace_mode(SimMeter& meter, const QString& operating_mode, SimMeter::Handler handler);

}  // namespace sim_profile
