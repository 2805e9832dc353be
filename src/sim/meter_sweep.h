#pragma once
#include "sim/sim_meter.h"

#include <QString>
#include <array>
#include <map>
#include <memory>
#include <vector>

class SimGenerator;

// The simulated meter's source-sweep mode ("OPMD SRCSWP"), coupled to the generator's sweep state.
//
// "OGBD" answers 200 points of the configured channel ("CHCFG 1"), one for each step of the meter's
// x axis: frequency from "SRCSTFRQ" to "SRCSPFRQ" ("SRCMOD FREQ") or level from "SRCSTPWR" to "SRCSPPWR"
// ("SRCMOD POWER"), point i at start + i x (stop - start) / 200. Each point is worked out from the
// generator's state at that point:
//   - frequency sweep (analog "SWP" or stepped "SSP") on a frequency axis: the meter follows the ramp, so
//     point i is the generator at frequency x_i, level "L1"; a point outside "F1".."F2" has no signal;
//   - level sweep ("LSP") on a level axis: point i is the generator at level x_i, frequency "F1"; a point
//     outside "L1".."L2" has no signal;
//   - otherwise the generator's state moves with time through the sweep: point i is at i / 200 of it;
//   - RF off: no signal anywhere.
// The signal then passes the path (a fixture, or a device a test installs) to each sensor. A sensor
// reads its input plus its frequency response error less the error at its cal-factor frequency (the
// point's own frequency with "CFSRC x, VGHZ", else "CFFRQ x"), plus its zero offset and its offset
// ("OFFTYP x, FIXED" with "OFFFIX x", "OFFTYP x, TABLE" with the bench's table "OFFTBL x" by frequency),
// never below the floor. With "GRSWS ON" the reply comes after "GRSWP" sweeps. The reply is ready a sweep
// time after the request: "SWT" (analog), ("SNS" + 1) x "SDT" (stepped), ("PNS" + 1) x "PDT" (level),
// kCwSweepS otherwise; plus the processing time.
namespace sim_sweep {

constexpr double kCwSweepS = 0.01;

// What lies between the generator's output and the sensors.
class SweepPath {
public:
    virtual ~SweepPath() = default;
    // Power at a sensor's input ("A" or "B") for a source level at a frequency; none: nothing arrives.
    virtual std::optional<double> at_sensor(const QString& sensor, double f_hz, double source_dbm) const = 0;
};

// The bench's fixtures. Through: sensor A straight on the generator's output. Band-pass: sensor A behind
// the band-pass filter. Sensor B is not connected in either.
enum class Fixture { Through, BandPass };

// The known responses, in dB.
// The generator's output flatness error (what a calibration through the through fixture removes).
double source_flatness_db(double f_hz);
// The band-pass filter: insertion loss kBandPassLossDb at kBandPassCentreHz, three-pole Butterworth
// shape of kBandPassWidthHz.
constexpr double kBandPassCentreHz = 2.0e9;
constexpr double kBandPassWidthHz = 0.4e9;
constexpr double kBandPassLossDb = 1.5;
double band_pass_db(double f_hz);
// Each sensor's frequency response error, which its cal factor at the same frequency removes.
double sensor_response_db(const QString& sensor, double f_hz);

struct SweepBench {
    Fixture fixture = Fixture::Through;
    // When set, replaces the fixture (a device under test between generator and sensors).
    std::shared_ptr<SweepPath> path;
    // The generator's output flatness error; off for a source that is flat.
    bool source_flatness = true;
    double floor_dbm = -70.0;
    double noise_db = 0.002;        // sigma of each point
    double processing_ms = 1.0;     // per reply
    bool instant = false;           // the sweep itself takes no time (benchmarks)
    // Offset tables by number: (frequency in Hz, offset in dB), in rising frequency; linear between
    // entries, the end values beyond them.
    std::map<int, std::vector<std::pair<double, double>>> offset_tables;
};

// The sweep bench of a meter (made by install_sweep_commands, fixture from the bench description).
SweepBench& bench_of(SimMeter& meter);
// A path for a fixture.
std::shared_ptr<SweepPath> fixture_path(Fixture fixture);

// The 200 channel values of one sweep (with noise), and how long a sweep takes.
std::array<double, 200> sweep_trace(SimMeter& meter);
double sweep_time_s(const SimGenerator& generator);

}  // namespace sim_sweep

void install_sweep_commands(SimMeter& meter);
