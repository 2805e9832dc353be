#include "sim/meter_sweep.h"

#include "frame/trace_block.h"
#include "sim/meter_profile.h"
#include "sim/sim_generator.h"

#include <algorithm>
#include <cmath>

namespace sim_sweep {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::map<const SimMeter*, SweepBench>& benches()
{
    static std::map<const SimMeter*, SweepBench> table;
    return table;
}

class ThroughPath : public SweepPath {
public:
    std::optional<double> at_sensor(const QString& sensor, double, double source_dbm) const override
    {
        if (sensor != QLatin1String("A"))
            return std::nullopt;
        return source_dbm;
    }
};

class BandPassPath : public SweepPath {
public:
    std::optional<double> at_sensor(const QString& sensor, double f_hz, double source_dbm) const override
    {
        if (sensor != QLatin1String("A"))
            return std::nullopt;
        return source_dbm + band_pass_db(f_hz);
    }
};

double lerp_table(const std::vector<std::pair<double, double>>& table, double f)
{
    if (table.empty())
        return 0.0;
    if (f <= table.front().first)
        return table.front().second;
    if (f >= table.back().first)
        return table.back().second;
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (f <= table[i].first) {
            const auto& [f0, v0] = table[i - 1];
            const auto& [f1, v1] = table[i];
            return f1 == f0 ? v1 : v0 + (v1 - v0) * (f - f0) / (f1 - f0);
        }
    }
    return table.back().second;
}

double setting_number(const SimMeter& m, const QString& key)
{
    return SimMeter::number_arg(m.value(key));
}

// What a sweep reads from the meter's and the generator's settings, once a sweep.
struct SweepState {
    bool rf_on = false;
    bool level_axis = false;
    bool freq_sweep = false;
    bool level_sweep = false;
    double f1 = 0, f2 = 0, l1 = 0, l2 = 0;
    double cw_hz = 0, level_dbm = 0;
    double axis_start = 0, axis_stop = 0;
};

struct SensorState {
    bool fitted = false;
    bool cal_at_point = false;  // cal factor at the point's own frequency
    double cal_hz = 0;
    double zero_db = 0;
    int offset_kind = 0;  // 0 none, 1 fixed, 2 table
    double offset_fixed = 0;
    const std::vector<std::pair<double, double>>* table = nullptr;
};

SweepState sweep_state(const SimMeter& meter, const SimGenerator& gen)
{
    SweepState s;
    s.rf_on = gen.rf_on;
    s.level_axis = meter.value(QStringLiteral("SRCMOD")).trimmed().toUpper() == QLatin1String("POWER");
    s.freq_sweep = gen.sweep_mode == QLatin1String("SWP") || gen.sweep_mode == QLatin1String("SSP");
    s.level_sweep = gen.sweep_mode == QLatin1String("LSP");
    s.f1 = gen.number(QStringLiteral("F1"));
    s.f2 = gen.number(QStringLiteral("F2"));
    s.l1 = gen.number(QStringLiteral("L1"));
    s.l2 = gen.number(QStringLiteral("L2"));
    s.cw_hz = gen.frequency_hz;
    s.level_dbm = gen.level_dbm;
    s.axis_start = setting_number(meter, s.level_axis ? QStringLiteral("SRCSTPWR") : QStringLiteral("SRCSTFRQ"));
    s.axis_stop = setting_number(meter, s.level_axis ? QStringLiteral("SRCSPPWR") : QStringLiteral("SRCSPFRQ"));
    return s;
}

SensorState sensor_state(SimMeter& meter, const SweepBench& bench, const QString& sensor)
{
    SensorState s;
    s.fitted = meter.sensor_fitted(sensor);
    s.cal_at_point = meter.value(QStringLiteral("CFSRC ") + sensor).trimmed().toUpper() == QLatin1String("VGHZ");
    s.cal_hz = setting_number(meter, QStringLiteral("CFFRQ ") + sensor);
    s.zero_db = meter.zero_offset_db(sensor);
    const QString kind = meter.value(QStringLiteral("OFFTYP ") + sensor).trimmed().toUpper();
    if (kind == QLatin1String("FIXED")) {
        s.offset_kind = 1;
        s.offset_fixed = setting_number(meter, QStringLiteral("OFFFIX ") + sensor);
    } else if (kind == QLatin1String("TABLE")) {
        s.offset_kind = 2;
        const auto it = bench.offset_tables.find(int(setting_number(meter, QStringLiteral("OFFTBL ") + sensor)));
        if (it != bench.offset_tables.end())
            s.table = &it->second;
    }
    return s;
}

// The source at point i: frequency and level, or none when the generator puts nothing out there.
struct Source {
    double f_hz = 0;
    double dbm = 0;
};

std::optional<Source> source_at(const SweepState& st, bool flatness, int i)
{
    if (!st.rf_on)
        return std::nullopt;
    const double share = double(i) / trace_block::kPoints;
    Source s{st.cw_hz, st.level_dbm};
    if (st.freq_sweep) {
        s.f_hz = st.f1 + share * (st.f2 - st.f1);
        if (!st.level_axis) {
            s.f_hz = st.axis_start + share * (st.axis_stop - st.axis_start);
            if (s.f_hz < std::min(st.f1, st.f2) - 1.0 || s.f_hz > std::max(st.f1, st.f2) + 1.0)
                return std::nullopt;
        }
    } else if (st.level_sweep) {
        s.dbm = st.l1 + share * (st.l2 - st.l1);
        if (st.level_axis) {
            s.dbm = st.axis_start + share * (st.axis_stop - st.axis_start);
            if (s.dbm < std::min(st.l1, st.l2) - 1e-9 || s.dbm > std::max(st.l1, st.l2) + 1e-9)
                return std::nullopt;
        }
    }
    if (flatness)
        s.dbm += source_flatness_db(s.f_hz);
    return s;
}

}  // namespace

double source_flatness_db(double f_hz)
{
    const double ghz = f_hz / 1e9;
    return 0.4 * std::sin(2 * kPi * ghz / 3.0) - 0.05 * ghz;
}

double band_pass_db(double f_hz)
{
    if (f_hz <= 0)
        return -200.0;
    const double x = (f_hz / kBandPassCentreHz - kBandPassCentreHz / f_hz) * kBandPassCentreHz / kBandPassWidthHz;
    return -kBandPassLossDb - 10.0 * std::log10(1.0 + std::pow(x * x, 3));
}

double sensor_response_db(const QString& sensor, double f_hz)
{
    const double ghz = f_hz / 1e9;
    const double tilt = sensor == QLatin1String("B") ? -0.03 : -0.02;
    return tilt * ghz + 0.15 * std::cos(2 * kPi * ghz / 5.0);
}

SweepBench& bench_of(SimMeter& meter) { return benches()[&meter]; }

std::shared_ptr<SweepPath> fixture_path(Fixture fixture)
{
    if (fixture == Fixture::BandPass)
        return std::make_shared<BandPassPath>();
    return std::make_shared<ThroughPath>();
}

std::array<double, 200> sweep_trace(SimMeter& meter)
{
    SweepBench& bench = bench_of(meter);
    const std::shared_ptr<SweepPath> path = bench.path ? bench.path : fixture_path(bench.fixture);
    QString channel = meter.value(QStringLiteral("CHCFG 1")).toUpper().remove(QLatin1Char(' '));
    if (channel == QLatin1String("B/A"))
        channel = QStringLiteral("B-A");  // a ratio of powers is a difference in dB
    else if (channel != QLatin1String("B") && channel != QLatin1String("A-B") && channel != QLatin1String("B-A"))
        channel = QStringLiteral("A");
    const SimGenerator* gen = meter.generator();
    const SweepState st = gen ? sweep_state(meter, *gen) : SweepState{};
    const QString names[2] = {QStringLiteral("A"), QStringLiteral("B")};
    const SensorState sensors[2] = {sensor_state(meter, bench, names[0]), sensor_state(meter, bench, names[1])};
    const auto reading = [&](int k, const std::optional<Source>& src) {
        const SensorState& sn = sensors[k];
        if (!sn.fitted)
            return sim_profile::kMissingSensorDbm;
        double p = bench.floor_dbm;
        if (src) {
            if (const auto in = path->at_sensor(names[k], src->f_hz, src->dbm)) {
                const double fc = sn.cal_at_point ? src->f_hz : sn.cal_hz;
                p = *in + sensor_response_db(names[k], src->f_hz) - sensor_response_db(names[k], fc) + sn.zero_db;
                if (sn.offset_kind == 1)
                    p += sn.offset_fixed;
                else if (sn.offset_kind == 2 && sn.table)
                    p += lerp_table(*sn.table, src->f_hz);
            }
        }
        if (bench.noise_db > 0)
            p += meter.noise(bench.noise_db);
        return std::max(p, bench.floor_dbm);
    };
    const bool need_a = channel != QLatin1String("B");
    const bool need_b = channel != QLatin1String("A");
    std::array<double, 200> out{};
    for (int i = 0; i < trace_block::kPoints; ++i) {
        const std::optional<Source> src = gen ? source_at(st, bench.source_flatness, i) : std::nullopt;
        const double a = need_a ? reading(0, src) : 0.0;
        const double b = need_b ? reading(1, src) : 0.0;
        double v = a;
        if (channel == QLatin1String("B"))
            v = b;
        else if (channel == QLatin1String("A-B"))
            v = a - b;
        else if (channel == QLatin1String("B-A"))
            v = b - a;
        out[std::size_t(i)] = v;
    }
    return out;
}

double sweep_time_s(const SimGenerator& gen)
{
    const QString mode = gen.sweep_mode;
    double t = kCwSweepS;
    if (mode == QLatin1String("SWP"))
        t = gen.number(QStringLiteral("SWT"));
    else if (mode == QLatin1String("SSP"))
        t = (gen.number(QStringLiteral("SNS")) + 1) * gen.number(QStringLiteral("SDT"));
    else if (mode == QLatin1String("LSP"))
        t = (gen.number(QStringLiteral("PNS")) + 1) * gen.number(QStringLiteral("PDT"));
    return t > 0 ? t : kCwSweepS;
}

}  // namespace sim_sweep

void install_sweep_commands(SimMeter& meter)
{
    using namespace sim_sweep;
    SweepBench& bench = bench_of(meter);
    bench = SweepBench{};
    if (meter.bench().sweep_fixture.compare(QLatin1String("band-pass"), Qt::CaseInsensitive) == 0)
        bench.fixture = Fixture::BandPass;
    const QStringList inputs{QStringLiteral("A"), QStringLiteral("B")};
    meter.setting(QStringLiteral("SRCSTPWR"), QStringLiteral("-10"));
    meter.setting(QStringLiteral("SRCSPPWR"), QStringLiteral("10"));
    meter.keyed_setting(QStringLiteral("OFFTBL"), inputs, QStringLiteral("0"));
    meter.keyed_setting(QStringLiteral("CFUSEL"), inputs, QStringLiteral("0"));
    sim_profile::add_trace_mode(meter, QStringLiteral("SRCSWP"), [](SimMeter& m, const SimMeter::Command&) {
        const SweepBench& b = bench_of(m);
        const int sweeps = sim_profile::capture_settings(m).averages;
        std::array<double, 200> sum{};
        for (int n = 0; n < sweeps; ++n) {
            const std::array<double, 200> one = sweep_trace(m);
            for (std::size_t k = 0; k < sum.size(); ++k)
                sum[k] += one[k];
        }
        std::array<qint32, trace_block::kPoints> values{};
        for (std::size_t k = 0; k < values.size(); ++k)
            values[k] = qint32(std::lround(sum[k] / sweeps * 1024.0));
        const double sweep_s = b.instant ? 0.0 : m.generator() ? sweep_time_s(*m.generator()) : kCwSweepS;
        m.reply_raw(make_trace_block(values), sweeps * sweep_s * 1000.0 + b.processing_ms);
    });
}
