#include "sim/sim_bench.h"

#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_meter.h"

SimBench::SimBench(Clock& clock, const BenchDescription& description)
    : clock_(clock), description_(description), log_(&clock)
{
    meter_ = std::make_unique<SimMeter>(clock_, description_);
    generator_ = std::make_unique<SimGenerator>(clock_, description_);
    meter_->set_generator(generator_.get());
    bus_ = std::make_unique<SimGpibBus>(clock_, log_);
    bus_->attach(description_.meter_address, meter_.get());
    if (description_.generator_address >= 0 && description_.generator_address != description_.meter_address)
        bus_->attach(description_.generator_address, generator_.get());
    serial_meter_ = std::make_unique<SimSerialMeter>(*meter_, clock_, log_);
    modem_ = std::make_unique<SimModem>(*serial_meter_, clock_, log_, description_);
}

SimBench::~SimBench() = default;

SerialEndpoint& SimBench::direct_line() { return *serial_meter_; }

SerialEndpoint& SimBench::modem_line() { return *modem_; }
