#pragma once
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "sim/meter_profile.h"
#include "sim/meter_sweep.h"
#include "sim/sim_bench.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSize>
#include <chrono>
#include <cstdio>
#include <string>

// A benchmark's world: a clock (virtual unless another is given), recorded boxes, in-memory settings and
// a simulated bench that carries bytes and answers queries at once, installed as the platform with the
// GPIB link and the maker's generator chosen.
template <typename BenchClock = VirtualClock>
struct GpibBenchWorld {
    BenchClock clock;
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

    SimMeter& meter() { return bench.meter(); }
    // Traces are taken at once: the meter spends no time processing them.
    void instant_traces() { meter().numbers[sim_profile::kProcessingMs] = 0; }
    // Sweeps are taken at once and without noise: the program is measured, not the simulated bench.
    sim_sweep::SweepBench& instant_sweeps()
    {
        sim_sweep::SweepBench& sweep = sim_sweep::bench_of(meter());
        sweep.processing_ms = 0;
        sweep.instant = true;
        sweep.noise_db = 0;
        return sweep;
    }
    // The state a passed system check leaves, which entering a mode from the main window asks for.
    void system_checked()
    {
        Globals& gs = g();
        gs.instruments_ok = true;
        gs.gpib_board_ud = 0;
        gs.gpib_board_ud_valid = true;
    }
    // The run's yields, for a hook on the clock to count; the wire log is emptied now and then, so it
    // stays short however long the run.
    int yields = 0;
    void yielded()
    {
        if (++yields % 512 == 0)
            bench.log().clear();
    }
    // Trace requests ("OGBD") the meter was sent since the last call; the wire log is emptied, so it
    // stays short however long the run.
    int take_trace_requests()
    {
        const int n = int(bench.log().sent(g().meter_address).count(QStringLiteral("OGBD")));
        bench.log().clear();
        return n;
    }
    // A box (or beep) the run showed: none is expected.
    void report_unexpected_box() const
    {
        if (prompts.calls.empty())
            return;
        const RecordingPrompts::Call& first = prompts.calls.front();
        std::printf("unexpected %s: %s\n", qPrintable(first.kind), qPrintable(first.text));
    }
    // The end of a timed run: a box it showed, then the window left through its menu.
    template <typename Window>
    void finish(const QPointer<Window>& w)
    {
        report_unexpected_box();
        if (w)
            w->menuExit_Click();
        QCoreApplication::processEvents();
    }
};

// The window made, given its size (where one is given), shown and loaded, as the program opens it.
template <typename Window>
QPointer<Window> open_window(QSize size = {})
{
    QPointer<Window> w = new Window;
    if (size.isValid())
        w->resize(size);
    w->show();
    w->load();
    return w;
}

// Wall-clock seconds that run() takes.
template <typename Run>
double seconds_of(Run&& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "<what>: <count> <units> in <s> s = <rate> <units>/s (<us> us a <unit>)".
inline void print_rate(const std::string& what, double count, const char* units, const char* unit, double seconds)
{
    std::printf("%s: %.0f %s in %.3f s = %.0f %s/s (%.1f us a %s)\n", what.c_str(), count, units, seconds, count / seconds,
                units, seconds / count * 1e6, unit);
}
