#include "support/test_bench.h"

#include "link/globals.h"
#include "platform/platform.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"

TestBench::TestBench(Link link, const BenchDescription& description) : bench(clock, description)
{
    Platform p = Platform::of(clock, prompts, settings, bench.bus(), serial);
    p.end_system = [this] { end_system_called = true; };
    install_platform(p);
    reset_globals();

    Globals& gs = g();
    gs.meter_address = description.meter_address;
    switch (link) {
    case Link::Gpib:
        gs.gpib_in_use = true;
        gs.comms_type = 2;
        gs.synth_address = description.generator_address;
        gs.maker_synth = description.generator_address >= 0;
        break;
    case Link::Serial:
        gs.serial_in_use = true;
        gs.comms_type = 1;
        serial.set_endpoint(&bench.direct_line());
        serial.open(nullptr, nullptr);
        break;
    case Link::Modem:
        gs.serial_in_use = true;
        gs.comms_type = 1;
        gs.modem_in_use = true;
        gs.phone_number = description.phone_number;
        serial.set_endpoint(&bench.modem_line());
        serial.open(nullptr, nullptr);
        break;
    case Link::None:
        break;
    }
}

TestBench::~TestBench() { install_platform(Platform{}); }

SimMeter& TestBench::meter() { return bench.meter(); }

SimGenerator& TestBench::generator() { return bench.generator(); }

QStringList TestBench::meter_sent() const { return bench.log().sent(bench.description().meter_address); }

QStringList TestBench::generator_sent() const
{
    return bench.log().sent(bench.description().generator_address);
}
