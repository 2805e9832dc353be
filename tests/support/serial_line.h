#pragma once
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "sim/bench_description.h"
#include "sim/sim_meter.h"
#include "sim/sim_serial_meter.h"
#include "sim/wire_log.h"

// The seams for a program on a serial port (settings may be null); the rest stay empty.
inline void install_serial_seams(Clock& clock, Prompts& prompts, SettingsStore* settings, SerialPort& port)
{
    install_platform(Platform::of_serial(clock, prompts, settings, port));
}

// The program on a serial line to the meter at meter_address, on a virtual clock that runs no events:
// the program-wide values reset for that line, the seams installed (settings may be null), the port open.
inline void install_serial_link(VirtualClock& clock, Prompts& prompts, SettingsStore* settings, FakeSerialPort& port,
                                int meter_address)
{
    clock.process_events = false;
    reset_globals();
    Globals& gs = g();
    gs.serial_in_use = true;
    gs.comms_type = 1;
    gs.meter_address = meter_address;
    install_serial_seams(clock, prompts, settings, port);
    port.open(nullptr, nullptr);
}

// The meter's side of a serial line, on a virtual clock that runs no events: the simulated meter behind
// its serial front end, every exchange in the wire log.
struct SimSerialLine {
    explicit SimSerialLine(const BenchDescription& description = {}) : bench(description)
    {
        clock.process_events = false;
    }

    VirtualClock clock;
    BenchDescription bench;
    WireLog log{&clock};
    SimMeter meter{clock, bench};
    SimSerialMeter line{meter, clock, log};
};
