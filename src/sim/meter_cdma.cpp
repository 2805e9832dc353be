#include "sim/meter_cdma.h"

#include "sim/meter_readout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace sim_cdma {
namespace {

const QString missing_parameter = QStringLiteral("-109,\"Missing parameter\"");
const QString illegal_value = QStringLiteral("-224,\"Illegal parameter value\"");
const QString out_of_range = QStringLiteral("-222,\"Data out of range\"");

// The held peak of one sensor: the largest envelope power (relative to the average, linear) seen from
// the last reset up to upto_us.
struct Hold {
    double ratio = 0;
    qint64 start_us = std::numeric_limits<qint64>::min();
    qint64 upto_us = 0;
};

struct State {
    Script script;
    Faults faults;
    Hold hold[2];
    // When the timed reset's count or the manual hold began.
    qint64 origin_us = 0;
};

State& state(SimMeter& m) { return m.mode_state<State>(QStringLiteral("cdma")); }

double number(const SimMeter& m, const QString& key, double fallback) { return m.numbers.value(key, fallback); }

qint64 reading_us(const SimMeter& m) { return qint64(std::max(0.0, number(m, kReadingMs, 2.0)) * 1000.0 + 0.5); }

// The instant the held peak last restarted, for a reading that ends at end_us.
qint64 reset_instant_us(SimMeter& m, qint64 end_us)
{
    const State& st = state(m);
    if (m.value(QStringLiteral("PCRH")).toUpper() == QLatin1String("MAN"))
        return st.origin_us;
    const double t = SimMeter::number_arg(m.value(QStringLiteral("PCRT")));
    if (t <= 0)
        return end_us - reading_us(m);
    const qint64 period = qint64(t * 1e6 + 0.5);
    return st.origin_us + (end_us - st.origin_us) / period * period;
}

// One sensor's held peak at end_us, in dB above its average.
double held_peak_db(SimMeter& m, int sensor, qint64 end_us)
{
    Hold& h = state(m).hold[sensor];
    const qint64 reset = reset_instant_us(m, end_us);
    if (reset > h.start_us) {
        h = Hold{};
        h.start_us = reset;
        h.upto_us = reset;
    }
    const double crest = number(m, kCrestDb, 10.0);
    // At least one sample: a reading never covers nothing.
    const double samples = std::max(1.0, double(end_us - h.upto_us) * 1e-6 * number(m, kSampleRate, 1e6));
    if (end_us > h.upto_us || h.ratio == 0) {
        std::uniform_real_distribution<double> uniform(0.0, 1.0);
        double u = uniform(m.rng());
        if (u <= 0)
            u = std::numeric_limits<double>::min();
        h.ratio = std::max(h.ratio, std::pow(10.0, peak_over_samples_db(u, samples, crest) / 10.0));
        h.upto_us = std::max(h.upto_us, end_us);
    }
    return 10.0 * std::log10(h.ratio);
}

double average_dbm(const SimMeter& m, const QString& sensor)
{
    const double level = sensor == QLatin1String("A") ? number(m, kAverageA, -10.0) : number(m, kAverageB, -20.0);
    return level + m.zero_offset_db(sensor);
}

// One sensor's reading of a kind, in dBm.
double sensor_reading(SimMeter& m, const QString& sensor, bool peak, qint64 end_us)
{
    if (!m.sensor_fitted(sensor))
        return kMissingSensorDbm;
    const double avg = average_dbm(m, sensor);
    if (peak)
        return avg + held_peak_db(m, sensor == QLatin1String("A") ? 0 : 1, end_us);
    return avg + m.noise(number(m, kAverageNoiseDb, 0.02));
}

double channel_reading(SimMeter& m, const QString& configuration, bool peak, qint64 end_us)
{
    const QString c = configuration.toUpper();
    const double a = c.contains(QLatin1Char('A')) ? sensor_reading(m, QStringLiteral("A"), peak, end_us) : 0.0;
    const double b = c.contains(QLatin1Char('B')) ? sensor_reading(m, QStringLiteral("B"), peak, end_us) : 0.0;
    return sim_readout::combine_channel(c, a, b);
}

// Counts a fault's reading down; true when this reading is the one.
bool falls_due(int& countdown)
{
    if (countdown < 0)
        return false;
    return countdown-- == 0;
}

void answer_reading(SimMeter& m, const QString& channel)
{
    State& st = state(m);
    const double latency_ms = double(reading_us(m)) / 1000.0;
    const bool unanswered = falls_due(st.faults.unanswered_reading);
    const bool no_number = falls_due(st.faults.reading_without_number);
    const bool peak = m.value(QStringLiteral("CDMEAS ") + channel).toUpper() == QLatin1String("PEAK");
    std::deque<double>& scripted = peak ? st.script.peaks : st.script.averages;
    double value = 0;
    if (!scripted.empty()) {
        value = scripted.front();
        scripted.pop_front();
    } else {
        QString configuration = m.value(QStringLiteral("CHCFG ") + channel);
        if (configuration.isEmpty())
            configuration = QStringLiteral("A");
        value = channel_reading(m, configuration, peak, m.command_time_us() + reading_us(m));
    }
    if (unanswered)
        return;
    m.reply(no_number ? st.faults.garbled_reply : QByteArray::number(value, 'f', 2), latency_ms);
}

}  // namespace

Script& script(SimMeter& meter) { return state(meter).script; }

void script_passes(SimMeter& meter, const std::vector<std::pair<double, double>>& passes)
{
    Script& s = script(meter);
    for (const auto& [peak, average] : passes) {
        s.peaks.push_back(peak);
        s.averages.push_back(average);
    }
}

Faults& faults(SimMeter& meter) { return state(meter).faults; }

double peak_over_samples_db(double u, double samples, double crest_db)
{
    // Largest of n exponential draws: x with (1 - e^-x)^n = u.
    const double x = -std::log(-std::expm1(std::log(u) / std::max(1.0, samples)));
    return std::min(10.0 * std::log10(std::max(x, 1e-12)), crest_db);
}

bool cdma_reading(const SimMeter& meter)
{
    return meter.reading_mode == QLatin1String("CDMA") && meter.operating_mode() == QLatin1String("DIGIT");
}

void zero_latency(SimMeter& meter)
{
    meter.numbers[kReadingMs] = 0;
    meter.query_latency_ms = 0;
}

}  // namespace sim_cdma

void install_cdma_commands(SimMeter& meter)
{
    using Command = SimMeter::Command;
    using namespace sim_cdma;

    // In the CDMA reading mode "o n" reads the CDMA channels; otherwise the readout answers as before.
    const SimMeter::Handler standard_reading = meter.handler(QStringLiteral("O"));
    meter.on(QStringLiteral("O"), [standard_reading](SimMeter& m, const Command& c) {
        const QString channel = c.args.value(0);
        if (!cdma_reading(m) || (channel != QLatin1String("1") && channel != QLatin1String("2"))) {
            if (standard_reading)
                standard_reading(m, c);
            return;
        }
        answer_reading(m, channel);
    });

    const SimMeter::Handler mode_query = meter.handler(QStringLiteral("RDMODE?"));
    meter.on(QStringLiteral("RDMODE?"), [mode_query](SimMeter& m, const Command& c) {
        if (state(m).faults.silent_mode_query)
            return;
        if (mode_query)
            mode_query(m, c);
    });

    // What each channel measures in the CDMA reading mode.
    meter.keyed_setting(QStringLiteral("CDMEAS"), {QStringLiteral("1"), QStringLiteral("2")}, QStringLiteral("OFF"));
    const SimMeter::Handler store_cdmeas = meter.handler(QStringLiteral("CDMEAS"));
    meter.on(QStringLiteral("CDMEAS"), [store_cdmeas](SimMeter& m, const Command& c) {
        const QString what = c.args.value(1).toUpper();
        if (!what.isEmpty() && what != QLatin1String("PEAK") && what != QLatin1String("OFF")) {
            m.execution_error(illegal_value);
            return;
        }
        store_cdmeas(m, c);
    });

    // Peak hold: each change restarts the hold and its timer.
    const auto restart_hold = [](SimMeter& m) {
        State& st = state(m);
        st.origin_us = m.command_time_us();
        st.hold[0] = Hold{};
        st.hold[1] = Hold{};
    };
    meter.on(QStringLiteral("PCRH"), [restart_hold](SimMeter& m, const Command& c) {
        const QString v = c.arg_text.toUpper();
        if (v.isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        if (v != QLatin1String("TIMED") && v != QLatin1String("MAN")) {
            m.execution_error(illegal_value);
            return;
        }
        m.set_value(QStringLiteral("PCRH"), v);
        restart_hold(m);
    });
    meter.on(QStringLiteral("PCRT"), [restart_hold](SimMeter& m, const Command& c) {
        const std::optional<double> t = m.number_or_error(c);
        if (!t)
            return;
        if (*t < 0 || *t > 30) {
            m.execution_error(out_of_range);
            return;
        }
        m.set_value(QStringLiteral("PCRT"), c.arg_text);
        restart_hold(m);
    });
    meter.on(QStringLiteral("MMRST"), [restart_hold](SimMeter& m, const Command&) { restart_hold(m); });
    meter.on_reset([restart_hold](SimMeter& m) { restart_hold(m); });
}
