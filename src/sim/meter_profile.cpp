#include "sim/meter_profile.h"

#include "frame/trace_block.h"
#include "sim/generator_signal.h"
#include "sim/sim_generator.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>
#include <map>
#include <memory>

namespace sim_profile {
namespace {

const QString settings_conflict = QStringLiteral("-221,\"Settings conflict\"");

// Traces of other operating modes, per meter.
std::map<const SimMeter*, QHash<QString, SimMeter::Handler>>& trace_modes()
{
    static std::map<const SimMeter*, QHash<QString, SimMeter::Handler>> table;
    return table;
}

double number(const SimMeter& m, const QString& key, double fallback)
{
    return m.numbers.value(key, fallback);
}

double path_loss(const SimMeter& m, const QString& sensor)
{
    const double a = number(m, kPathLossA, 1.0);
    return sensor == QLatin1String("B") ? a + number(m, kBBelowA, 10.0) : a;
}

GeneratorSignal signal(const SimMeter& m)
{
    if (!m.generator())
        return GeneratorSignal{};
    return signal_of(*m.generator(), number(m, kRiseUs, 2.0) * 1e-6, number(m, kFallUs, 2.0) * 1e-6);
}

bool calibrator_on(const SimMeter& m, const QString& sensor)
{
    return sensor == QLatin1String("A") && m.value(QStringLiteral("RFCAL")).toUpper() == QLatin1String("ON");
}

struct ScaleState {
    double top = 20.0;
    double bottom = -50.0;
};

QByteArray scale_reply(const char* header, double v)
{
    return QByteArray(header) + ' ' + QByteArray::number(v, 'f', 2);
}

qint32 to_block_value(double db)
{
    const double v = std::round(db * 1024.0);
    return qint32(std::clamp(v, -2147483648.0, 2147483647.0));
}

}  // namespace

double channel_value(const QString& channel, double a, double b)
{
    if (channel == QLatin1String("B"))
        return b;
    if (channel == QLatin1String("A-B"))
        return a - b;
    if (channel == QLatin1String("B-A"))
        return b - a;
    return a;
}

namespace {

// The starts of the last captures (at most s.averages) that the meter, capturing back to back at its
// own rate, has finished by time asked. Captures are looked for over the last 2 x averages capture
// cycles; a trigger rarer than that leaves fewer in the average.
std::vector<double> recent_captures(SimMeter& m, const CaptureSettings& s, double asked, double processing_s)
{
    const double capture_s = s.display_delay_s + s.period_s;
    const double cycle_s = capture_s + processing_s;
    const std::size_t wanted = std::size_t(s.averages);
    std::deque<double> starts;
    double t = asked - 2.0 * double(wanted) * cycle_s;
    for (int guard = 0; guard < 1000000; ++guard) {
        const auto trigger = next_trigger(m, s, t);
        if (!trigger || *trigger + capture_s > asked)
            break;
        starts.push_back(*trigger);
        if (starts.size() > wanted)
            starts.pop_front();
        t = *trigger + cycle_s;
    }
    return {starts.begin(), starts.end()};
}

}  // namespace

CaptureSettings capture_settings(const SimMeter& meter)
{
    CaptureSettings s;
    const QString channel = meter.value(QStringLiteral("CHCFG 1")).toUpper().remove(QLatin1Char(' '));
    if (channel == QLatin1String("B") || channel == QLatin1String("A-B") || channel == QLatin1String("B-A"))
        s.channel = channel;
    s.source = meter.value(QStringLiteral("GTSRC")).trimmed().toUpper();
    s.internal_rising = meter.value(QStringLiteral("GTTYP")).trimmed().toUpper() != QLatin1String("FALL");
    s.external_rising = meter.value(QStringLiteral("GTXTTL")).trimmed().toUpper() != QLatin1String("FALL");
    s.trigger_level_dbm = SimMeter::number_arg(meter.value(QStringLiteral("TRGLVL 1")));
    s.display_delay_s = std::max(0.0, SimMeter::number_arg(meter.value(QStringLiteral("DTRGD"))));
    bool ok = false;
    const double period = SimMeter::number_arg(meter.value(QStringLiteral("GRPRD")), 1.0, &ok);
    s.period_s = ok && period > 0 ? period : 0.01;
    if (meter.value(QStringLiteral("GRSWS")).trimmed().toUpper() == QLatin1String("ON")) {
        const QString key = s.channel == QLatin1String("B") ? QStringLiteral("GRSWP B") : QStringLiteral("GRSWP A");
        s.averages = std::clamp(int(SimMeter::number_arg(meter.value(key))), 1, 1024);
    }
    return s;
}

double sensor_dbm(SimMeter& meter, const QString& sensor, double t)
{
    if (!meter.sensor_fitted(sensor))
        return kMissingSensorDbm;
    double p;
    if (calibrator_on(meter, sensor))
        p = kCalibratorDbm;
    else
        p = signal(meter).power_dbm(t) - path_loss(meter, sensor);
    p += meter.zero_offset_db(sensor);
    return std::max(p, number(meter, kFloorDbm, -60.0));
}

std::optional<double> next_trigger(SimMeter& meter, const CaptureSettings& s, double t)
{
    const double horizon = number(meter, kTriggerHorizonMs, 1000.0) * 1e-3;
    if (s.source == QLatin1String("CONT"))
        return t;
    if (s.source == QLatin1String("EXTTTL")) {
        const auto edge = signal(meter).next_sync_edge(t, s.external_rising);
        if (edge && *edge <= t + horizon)
            return edge;
        return std::nullopt;
    }
    const QString sensor = s.source == QLatin1String("INTB") ? QStringLiteral("B") : QStringLiteral("A");
    if ((s.source != QLatin1String("INTA") && s.source != QLatin1String("INTB")) || !meter.sensor_fitted(sensor) ||
        calibrator_on(meter, sensor))
        return std::nullopt;
    // Below the floor the reading never goes down to the level, so it never crosses it.
    if (s.trigger_level_dbm < number(meter, kFloorDbm, -60.0))
        return std::nullopt;
    const double offset = meter.zero_offset_db(sensor) - path_loss(meter, sensor);
    return signal(meter).next_crossing(t, s.trigger_level_dbm, s.internal_rising, offset, horizon);
}

std::array<double, 200> capture(SimMeter& meter, const CaptureSettings& s, double start_s)
{
    std::array<double, 200> out{};
    const GeneratorSignal sig = signal(meter);
    const double floor = number(meter, kFloorDbm, -60.0);
    const double noise = number(meter, kNoiseDb, 0.05);
    const double floor_noise = number(meter, kFloorNoiseDb, 1.0);
    const bool fitted_a = meter.sensor_fitted(QStringLiteral("A"));
    const bool fitted_b = meter.sensor_fitted(QStringLiteral("B"));
    const bool cal_a = calibrator_on(meter, QStringLiteral("A"));
    const double loss_a = path_loss(meter, QStringLiteral("A"));
    const double loss_b = path_loss(meter, QStringLiteral("B"));
    const double zero_a = meter.zero_offset_db(QStringLiteral("A"));
    const double zero_b = meter.zero_offset_db(QStringLiteral("B"));
    const bool need_a = s.channel != QLatin1String("B");
    const bool need_b = s.channel != QLatin1String("A");
    const double dt = s.period_s / 200.0;
    // A point covers its whole time bin: where the bin is longer than the signal's shortest feature, the
    // point is the peak over the bin, else the instant at the bin's start.
    const double feature = sig.shortest_feature_s();
    const bool binned = feature > 0 && dt > feature;
    const double floor_mw = std::pow(10.0, floor / 10.0);
    const double floor_spread = std::pow(10.0, floor_noise / 10.0) - 1.0;
    for (int k = 0; k < 200; ++k) {
        const double t = start_s + s.display_delay_s + k * dt;
        const double source = (binned ? sig.peak_dbm(t, t + dt) : sig.power_dbm(t)) + meter.noise(noise);
        const auto reading = [&](bool fitted, bool cal, double loss, double zero) {
            if (!fitted)
                return kMissingSensorDbm;
            const double p = (cal ? kCalibratorDbm : source - loss) + zero;
            // The sensor's own noise adds as power on top of the floor.
            const double mw = std::max(p, floor) > floor ? std::pow(10.0, p / 10.0) : floor_mw;
            const double noise_mw = floor_noise > 0 ? floor_mw * floor_spread * meter.noise(1.0) : 0.0;
            return 10.0 * std::log10(std::max(mw + noise_mw, floor_mw * 1e-3));
        };
        const double a = need_a ? reading(fitted_a, cal_a, loss_a, zero_a) : 0.0;
        const double b = need_b ? reading(fitted_b, false, loss_b, zero_b) : 0.0;
        out[std::size_t(k)] = channel_value(s.channel, a, b);
    }
    return out;
}

void add_trace_mode(SimMeter& meter, const QString& operating_mode, SimMeter::Handler handler)
{
    trace_modes()[&meter][operating_mode.toUpper()] = std::move(handler);
}

}  // namespace sim_profile

void install_profile_commands(SimMeter& meter)
{
    using namespace sim_profile;
    using Command = SimMeter::Command;

    trace_modes().erase(&meter);
    const std::pair<QString, double> defaults[] = {
        {kPathLossA, 1.0}, {kBBelowA, 10.0},  {kFloorDbm, -60.0},    {kNoiseDb, 0.05},
        {kFloorNoiseDb, 1.0}, {kRiseUs, 2.0}, {kFallUs, 2.0}, {kProcessingMs, 1.0}, {kTriggerHorizonMs, 1000.0},
    };
    for (const auto& [key, value] : defaults)
        meter.numbers.insert(key, value);

    auto scale = std::make_shared<ScaleState>();
    meter.on_reset([scale](SimMeter&) { *scale = ScaleState{}; });

    meter.on(QStringLiteral("OGBD"), [](SimMeter& m, const Command& c) {
        const QString mode = m.operating_mode();
        if (mode != QLatin1String("PROFILE")) {
            const auto table = trace_modes().find(&m);
            if (table != trace_modes().end()) {
                const auto it = table->second.constFind(mode);
                if (it != table->second.constEnd()) {
                    const SimMeter::Handler handler = *it;
                    handler(m, c);
                    return;
                }
            }
            m.execution_error(settings_conflict);
            return;
        }
        const CaptureSettings s = capture_settings(m);
        const double asked = m.command_time_us() / 1e6;
        const double processing_s = number(m, kProcessingMs, 1.0) * 1e-3;
        // Averaging: the moving average of the captures already made, answered at once.
        std::vector<double> starts = s.averages > 1 ? recent_captures(m, s, asked, processing_s) : std::vector<double>{};
        double ready = asked;
        if (starts.empty()) {
            const auto trigger = next_trigger(m, s, asked);
            if (!trigger)
                return;  // no trigger: the meter stays silent
            starts.push_back(*trigger);
            ready = *trigger + s.display_delay_s + s.period_s;
        }
        std::array<double, 200> sum{};
        for (double start : starts) {
            const std::array<double, 200> one = capture(m, s, start);
            for (std::size_t k = 0; k < sum.size(); ++k)
                sum[k] += one[k];
        }
        std::array<qint32, trace_block::kPoints> values{};
        for (std::size_t k = 0; k < values.size(); ++k)
            values[k] = to_block_value(sum[k] / double(starts.size()));
        m.reply_raw(make_trace_block(values), (ready - asked + processing_s) * 1000.0);
    });

    const auto set_scale = [scale](bool top) {
        return [scale, top](SimMeter& m, const Command& c) {
            if (const std::optional<double> v = m.number_or_error(c))
                (top ? scale->top : scale->bottom) = *v;
        };
    };
    meter.on(QStringLiteral("GRYT"), set_scale(true));
    meter.on(QStringLiteral("GRYB"), set_scale(false));
    meter.on(QStringLiteral("GRYT?"), [scale](SimMeter& m, const Command&) { m.reply(scale_reply("GRYT", scale->top)); });
    meter.on(QStringLiteral("GRYB?"), [scale](SimMeter& m, const Command&) {
        m.reply(scale_reply("GRYB", scale->bottom));
    });
    meter.on(QStringLiteral("GRAUTO"), [scale](SimMeter& m, const Command&) {
        CaptureSettings s = capture_settings(m);
        s.source = QStringLiteral("CONT");
        const std::array<double, 200> trace = capture(m, s, m.command_time_us() / 1e6);
        const auto [lo, hi] = std::minmax_element(trace.begin(), trace.end());
        scale->top = std::clamp(5.0 * std::ceil(*hi / 5.0) + 5.0, -100.0, 50.0);
        scale->bottom = std::clamp(5.0 * std::floor(*lo / 5.0) - 5.0, -100.0, 50.0);
        m.busy_for_ms((s.display_delay_s + s.period_s) * 1000.0);
    });
}
