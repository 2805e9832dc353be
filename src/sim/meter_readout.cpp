#include "sim/meter_readout.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>

namespace sim_readout {
namespace {

const QString missing_parameter = QStringLiteral("-109,\"Missing parameter\"");
const QString illegal_value = QStringLiteral("-224,\"Illegal parameter value\"");
const QString settings_conflict = QStringLiteral("-221,\"Settings conflict\"");

double number(const SimMeter& m, const QString& key, double fallback) { return m.numbers.value(key, fallback); }

bool fast_on(const SimMeter& m) { return m.value(QStringLiteral("FAST")).toUpper() == QLatin1String("ON"); }

bool readout_mode(const SimMeter& m) { return m.operating_mode() == QLatin1String("DIGIT"); }

double range_bottom(int range) { return -70.0 + 20.0 * (range - 1); }
double range_top(int range) { return range_bottom(range) + 20.0; }

// One noisy reading of a sensor, in dBm.
double sensor_reading(SimMeter& m, const QString& sensor)
{
    if (!m.sensor_fitted(sensor))
        return kMissingSensorDbm;
    const double level = sensor_level_dbm(m, sensor);
    double sigma = number(m, kNoiseDb, 0.05) / std::sqrt(double(averages(m, sensor)));
    const int held = held_range(m, sensor);
    if (held == 0)
        return level + m.noise(sigma);
    if (level < range_bottom(held))
        sigma *= std::pow(10.0, (range_bottom(held) - level) / 20.0);
    return std::min(level + m.noise(sigma), range_top(held));
}

QByteArray reading_of(SimMeter& m, const QString& configuration)
{
    const QString c = configuration.toUpper();
    const bool uses_a = c.contains(QLatin1Char('A'));
    const bool uses_b = c.contains(QLatin1Char('B'));
    const double a = uses_a ? sensor_reading(m, QStringLiteral("A")) : 0.0;
    const double b = uses_b ? sensor_reading(m, QStringLiteral("B")) : 0.0;
    return QByteArray::number(combine_channel(c, a, b), 'f', 4);
}

QString configuration_of(const SimMeter& m, const QString& channel)
{
    const QString c = m.value(QStringLiteral("CHCFG ") + channel);
    return c.isEmpty() ? QStringLiteral("A") : c;
}

// Queues channel's reading to be ready latency_ms after its trigger; nothing when no trigger comes.
void queue_reading(SimMeter& m, const QString& channel, double latency_ms)
{
    const qint64 start = m.command_time_us();
    const std::optional<qint64> trigger = next_trigger_us(m, channel, start);
    if (!trigger)
        return;
    m.reply(reading_of(m, configuration_of(m, channel)), double(*trigger - start) / 1000.0 + latency_ms);
}

qint64 next_edge_us(qint64 t_us, double rate_hz)
{
    const double period_us = 1e6 / rate_hz;
    return qint64(std::ceil(double(t_us) / period_us) * period_us + 0.5);
}

}  // namespace

double sensor_level_dbm(const SimMeter& meter, const QString& sensor)
{
    const QString s = sensor.toUpper();
    if (!meter.sensor_fitted(s))
        return kMissingSensorDbm;
    if (s == QLatin1String("A") && meter.value(QStringLiteral("RFCAL")).toUpper() == QLatin1String("ON"))
        return kCalibratorDbm + meter.zero_offset_db(s);
    return cw_level_dbm(meter, s) + meter.zero_offset_db(s);
}

double cw_level_dbm(const SimMeter& meter, const QString& sensor)
{
    return sensor.toUpper() == QLatin1String("A") ? number(meter, kLevelA, -10.0) : number(meter, kLevelB, -13.0);
}

int averages(const SimMeter& meter, const QString& sensor)
{
    const QString avg = meter.value(QStringLiteral("AVG ") + sensor.toUpper()).toUpper();
    if (avg.startsWith(QLatin1String("AUTO")))
        return std::max(1, int(number(meter, kAutoAverages, 16)));
    if (avg.startsWith(QLatin1String("MOV")) &&
        meter.value(QStringLiteral("GRSWS")).toUpper() == QLatin1String("ON")) {
        const int n = int(SimMeter::number_arg(avg.section(QLatin1Char(','), 1, 1)));
        return std::max(1, n);
    }
    return 1;
}

int held_range(const SimMeter& meter, const QString& sensor)
{
    const int r = int(SimMeter::number_arg(meter.value(QStringLiteral("RGH ") + sensor.toUpper())));
    return r >= 1 && r <= 5 ? r : 0;
}

int auto_range(double level_dbm) { return std::clamp(int(std::floor((level_dbm + 70.0) / 20.0)) + 1, 1, 5); }

double ranged_level_dbm(double level_dbm, int range)
{
    return range >= 1 && range <= 5 ? std::min(level_dbm, range_top(range)) : level_dbm;
}

double channel_value(const SimMeter& meter, const QString& configuration)
{
    const auto level = [&](const char* s) {
        const QString sensor = QLatin1String(s);
        if (!meter.sensor_fitted(sensor))
            return kMissingSensorDbm;
        return ranged_level_dbm(sensor_level_dbm(meter, sensor), held_range(meter, sensor));
    };
    return combine_channel(configuration, level("A"), level("B"));
}

double combine_channel(const QString& configuration, double a_dbm, double b_dbm)
{
    const QString c = configuration.toUpper();
    if (c == QLatin1String("B"))
        return b_dbm;
    if (c == QLatin1String("A-B"))
        return a_dbm - b_dbm;
    if (c == QLatin1String("B-A"))
        return b_dbm - a_dbm;
    if (c == QLatin1String("A/B"))
        return std::pow(10.0, (a_dbm - b_dbm) / 10.0);
    if (c == QLatin1String("B/A"))
        return std::pow(10.0, (b_dbm - a_dbm) / 10.0);
    return a_dbm;
}

std::optional<qint64> next_trigger_us(const SimMeter& meter, const QString& channel, qint64 t_us)
{
    const QString source = meter.value(QStringLiteral("TRGSRC ") + channel).toUpper();
    if (source.isEmpty() || source == QLatin1String("CONT"))
        return t_us;
    if (source == QLatin1String("EXTTTL")) {
        const double rate = number(meter, kExtTriggerHz, 0.0);
        if (rate <= 0)
            return std::nullopt;
        return next_edge_us(t_us, rate);
    }
    if (source == QLatin1String("INTA") || source == QLatin1String("INTB")) {
        const QString sensor = source.right(1);
        const double level = SimMeter::number_arg(meter.value(QStringLiteral("TRGLVL ") + channel));
        const double rate = number(meter, kPrfHz, 1000.0);
        if (!meter.sensor_fitted(sensor) || sensor_level_dbm(meter, sensor) < level || rate <= 0)
            return std::nullopt;
        return next_edge_us(t_us, rate);
    }
    return std::nullopt;
}

void zero_latency(SimMeter& meter)
{
    meter.numbers[kQueryMs] = 0;
    meter.numbers[kFastMs] = 0;
    meter.numbers[kFastestMs] = 0;
    meter.query_latency_ms = 0;
}

}  // namespace sim_readout

void install_readout_commands(SimMeter& meter)
{
    using Command = SimMeter::Command;
    using namespace sim_readout;

    meter.on(QStringLiteral("O"), [](SimMeter& m, const Command& c) {
        if (c.args.isEmpty() || c.args[0].isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        const QString channel = c.args[0];
        if (channel != QLatin1String("1") && channel != QLatin1String("2")) {
            m.execution_error(illegal_value);
            return;
        }
        if (!readout_mode(m)) {
            m.execution_error(settings_conflict);
            return;
        }
        queue_reading(m, channel, number(m, kQueryMs, 2.0));
    });

    meter.setting(QStringLiteral("FAST"), QStringLiteral("OFF"));
    meter.on(QStringLiteral("FAST"), [](SimMeter& m, const Command& c) {
        const QString v = c.arg_text.toUpper();
        if (v.isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        if (v != QLatin1String("ON") && v != QLatin1String("OFF")) {
            m.execution_error(illegal_value);
            return;
        }
        m.set_value(QStringLiteral("FAST"), v);
    });

    // In fast mode the meter talks a fresh reading whenever it is read with nothing else to say, unless
    // it is still working through earlier commands (a zero, say).
    meter.read_hook = [](SimMeter& m) {
        if (!fast_on(m) || !readout_mode(m) || m.reply_pending() || m.busy_until_us() > m.clock().now_us())
            return;
        queue_reading(m, QStringLiteral("1"), m.display_on ? number(m, kFastMs, 0.5) : number(m, kFastestMs, 0.2));
    };
}
