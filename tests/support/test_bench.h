#pragma once
#include "platform/clock.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "sim/sim_bench.h"

// A test's whole world: virtual clock, recorded boxes, in-memory settings and the simulated bench,
// installed as the program's platform, with the program-wide values set for the chosen link.
class TestBench {
public:
    enum class Link { None, Gpib, Serial, Modem };

    explicit TestBench(Link link = Link::Gpib, const BenchDescription& description = {});
    ~TestBench();

    VirtualClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore settings;
    SimBench bench;
    FakeSerialPort serial;

    SimMeter& meter();
    SimGenerator& generator();
    WireLog& log() { return bench.log(); }
    // Texts sent to the meter / generator so far (GPIB sends or serial lines), in order.
    QStringList meter_sent() const;
    QStringList generator_sent() const;
    void clear_log() { bench.log().clear(); }
    bool end_system_called = false;
};
