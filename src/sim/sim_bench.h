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
