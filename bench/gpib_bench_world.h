#pragma once
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "sim/sim_bench.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"

// A benchmark's world: virtual clock, recorded boxes, in-memory settings and a simulated bench that
// carries bytes and answers queries at once, installed as the platform with the GPIB link and the
// maker's generator chosen.
struct GpibBenchWorld {
    VirtualClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    FakeSerialPort serial;
    SimBench bench;

    explicit GpibBenchWorld(const BenchDescription& description = {}) : bench(clock, description)
    {
        bench.bus().us_per_byte = 0;
        bench.meter().query_latency_ms = 0;
        install_platform(Platform::of(clock, prompts, settings, bench.bus(), serial));
        Globals& gs = g();
        gs.gpib_in_use = true;
        gs.comms_type = 2;
        gs.meter_address = description.meter_address;
        gs.synth_address = description.generator_address;
        gs.maker_synth = true;
        gs.meter_model = description.model;
    }
    ~GpibBenchWorld() { install_platform(Platform{}); }
    GpibBenchWorld(const GpibBenchWorld&) = delete;
    GpibBenchWorld& operator=(const GpibBenchWorld&) = delete;
};
