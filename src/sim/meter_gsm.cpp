#include "sim/meter_gsm.h"

#include "frame/trace_block.h"
#include "sim/generator_signal.h"
#include "sim/meter_profile.h"
#include "sim/sim_generator.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <memory>

namespace sim_gsm {
namespace {

struct AverageState {
    std::deque<std::array<double, trace_block::kPoints>> captures;
    int count = 0;
    QString channel;
};

struct MeterState {
    TdmaFrame frame;
    AverageState average;
};

std::map<const SimMeter*, MeterState>& states()
{
    static std::map<const SimMeter*, MeterState> table;
    return table;
}

MeterState& state(SimMeter& meter) { return states()[&meter]; }

bool generator_pulsing(const SimMeter& m)
{
    return m.generator() && signal_of(*m.generator(), 0, 0).pulse_on;
}

// The frame answers when it drives the external trigger input.
bool frame_triggers(SimMeter& m)
{
    return state(m).frame.connected && m.operating_mode() == QLatin1String("PROFILE") &&
           m.value(QStringLiteral("GTSRC")).trimmed().toUpper() == QLatin1String("EXTTTL") && !generator_pulsing(m);
}

void answer_trace(SimMeter& m)
{
    MeterState& st = state(m);
    const TdmaFrame& f = st.frame;
    const sim_profile::CaptureSettings s = sim_profile::capture_settings(m);
    const double asked = m.command_time_us() / 1e6;
    const double period = f.period_s();
    if (period <= 0)
        return;
    // The next frame start; a hair of slack so a request on a frame start is not a whole frame late.
    const double trigger = std::ceil(asked / period - 1e-9) * period;
    const double floor = m.numbers.value(sim_profile::kFloorDbm, -60.0);
    const double b_below = m.numbers.value(sim_profile::kBBelowA, 10.0);
    const bool fitted_a = m.sensor_fitted(QStringLiteral("A"));
    const bool fitted_b = m.sensor_fitted(QStringLiteral("B"));
    const double dt = s.period_s / trace_block::kPoints;
    std::array<double, trace_block::kPoints> one{};
    for (int k = 0; k < trace_block::kPoints; ++k) {
        const double t = s.display_delay_s + k * dt;
        // The noise is the source's, common to both inputs; neither reads below its floor.
        double p = f.level_dbm(std::fmod(t, period));
        if (f.noise_db > 0)
            p += m.noise(f.noise_db);
        const double a = fitted_a ? std::max(p, floor) : sim_profile::kMissingSensorDbm;
        const double b = fitted_b ? std::max(p - b_below, floor) : sim_profile::kMissingSensorDbm;
        one[std::size_t(k)] = sim_profile::channel_value(s.channel, a, b);
    }

    AverageState& avg = st.average;
    if (avg.count != s.averages || avg.channel != s.channel) {
        avg.captures.clear();
        avg.count = s.averages;
        avg.channel = s.channel;
    }
    avg.captures.push_back(one);
    while (int(avg.captures.size()) > avg.count)
        avg.captures.pop_front();
    std::array<qint32, trace_block::kPoints> values{};
    for (std::size_t k = 0; k < values.size(); ++k) {
        double sum = 0;
        for (const auto& c : avg.captures)
            sum += c[k];
        values[k] = qint32(std::lround(sum / double(avg.captures.size()) * 1024.0));
    }
    const double ready = trigger + s.display_delay_s + s.period_s;
    m.reply_raw(make_trace_block(values),
                (ready - asked) * 1000.0 + m.numbers.value(sim_profile::kProcessingMs, 1.0));
}

}  // namespace

double TdmaFrame::level_dbm(double t) const
{
    if (slot_count < 1 || slot_width_us <= 0)
        return idle_dbm;
    const double width = slot_width_us * 1e-6;
    // A point on a slot boundary belongs to the slot it starts, whatever the rounding of t.
    const int slot = std::clamp(int(std::floor(t / width + 1e-9)), 0, slot_count - 1);
    const double v = std::max(0.0, t - slot * width);
    const double level = std::size_t(slot) < slot_dbm.size() ? slot_dbm[std::size_t(slot)] : idle_dbm;
    if (level <= idle_dbm)
        return level;
    const double rise = rise_us * 1e-6;
    const double fall = fall_us * 1e-6;
    if (v < rise)
        return idle_dbm + (level - idle_dbm) * v / rise;
    if (fall > 0 && v > width - fall)
        return level - (level - idle_dbm) * std::min(1.0, (v - (width - fall)) / fall);
    return level;
}

TdmaFrame& frame(SimMeter& meter) { return state(meter).frame; }

}  // namespace sim_gsm

void install_gsm_commands(SimMeter& meter)
{
    using namespace sim_gsm;
    states().erase(&meter);
    state(meter).frame.connected = meter.bench().tdma_frame;
    meter.on_reset([](SimMeter& m) { state(m).average = {}; });
    meter.setting(QStringLiteral("GRAVG"), QStringLiteral("OFF"));

    // Other triggers keep the profile bench's answer.
    const SimMeter::Handler profile_trace = meter.handler(QStringLiteral("OGBD"));
    meter.on(QStringLiteral("OGBD"), [profile_trace](SimMeter& m, const SimMeter::Command& c) {
        if (frame_triggers(m))
            answer_trace(m);
        else if (profile_trace)
            profile_trace(m, c);
    });
    meter.on(QStringLiteral("GRSWR"), [](SimMeter& m, const SimMeter::Command&) { state(m).average.captures.clear(); });
    // Switching averaging off or on starts it afresh.
    const SimMeter::Handler store_averaging = meter.handler(QStringLiteral("GRSWS"));
    meter.on(QStringLiteral("GRSWS"), [store_averaging](SimMeter& m, const SimMeter::Command& c) {
        state(m).average.captures.clear();
        if (store_averaging)
            store_averaging(m, c);
    });
}
