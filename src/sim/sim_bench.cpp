#include "sim/sim_bench.h"

#include "sim/meter_profile.h"
#include "sim/meter_readout.h"
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

void SimBench::set_standing_signal(const StandingSignal& signal)
{
    const double level_a = sim_readout::cw_level_dbm(*meter_, QStringLiteral("A"));
    meter_->numbers[sim_profile::kBBelowA] = level_a - sim_readout::cw_level_dbm(*meter_, QStringLiteral("B"));
    const double level = level_a + meter_->numbers.value(sim_profile::kPathLossA);
    QByteArray settings = "RF1; L1 " + QByteArray::number(level) + " DM; ";
    if (signal.pulsed)
        settings += "PER " + QByteArray::number(signal.period_ms) + " MS; PW " + QByteArray::number(signal.width_ms) +
                    " MS; IP";
    else
        settings += "P0";
    generator_->receive_message(settings);
}
