#pragma once
#include "sim/bench_description.h"
#include "sim/wire_log.h"

#include <memory>

class Clock;
class SimMeter;
class SimGenerator;
class SimGpibBus;
class SimSerialMeter;
class SimModem;
class SerialEndpoint;

// What the generator gives when no program drives it (the meter alone on a serial line): its RF on at
// the level that brings sensor A to the readout's level, CW or pulsed.
struct StandingSignal {
    bool pulsed = false;
    double period_ms = 1.0;
    double width_ms = 0.1;
};

// The whole simulated bench on one clock: meter and generator on a simulated GPIB bus, the same meter
// behind a serial endpoint, and a Hayes modem in front of that endpoint.
class SimBench {
public:
    SimBench(Clock& clock, const BenchDescription& description = {});
    ~SimBench();

    Clock& clock() { return clock_; }
    const BenchDescription& description() const { return description_; }
    WireLog& log() { return log_; }
    const WireLog& log() const { return log_; }
    SimMeter& meter() { return *meter_; }
    SimGenerator& generator() { return *generator_; }
    SimGpibBus& bus() { return *bus_; }
    SimSerialMeter& serial_meter() { return *serial_meter_; }
    SimModem& modem() { return *modem_; }
    // What a serial port is plugged into: the meter directly, or the modem.
    SerialEndpoint& direct_line();
    SerialEndpoint& modem_line();

    // Sets the generator to the standing signal, and sensor B as far below A in traces as in readings,
    // so that traces show the signal the readings report.
    void set_standing_signal(const StandingSignal& signal);

private:
    Clock& clock_;
    BenchDescription description_;
    WireLog log_;
    std::unique_ptr<SimMeter> meter_;
    std::unique_ptr<SimGenerator> generator_;
    std::unique_ptr<SimGpibBus> bus_;
    std::unique_ptr<SimSerialMeter> serial_meter_;
    std::unique_ptr<SimModem> modem_;
};
