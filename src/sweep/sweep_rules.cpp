#include "sweep/sweep_rules.h"

#include "util/number_text.h"

#include <algorithm>
#include <cmath>

namespace sweep_rules {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Appends prefix + the box's trimmed text + suffix, unless the entry rule refuses the box; at the window's
// load an empty box goes out as it stands.
void add(QStringList& out, const char* prefix, const QString& text, const char* suffix, const entry::Limits& limits,
         bool at_load)
{
    if (at_load && text.isEmpty())
        out << QLatin1String(prefix) + QLatin1String(suffix);
    else if (const auto c = entry::command(QLatin1String(prefix), text, limits, QLatin1String(suffix)))
        out << *c;
}

// The meter's range command of the sweep in use, both ends carried, the start below the stop.
std::optional<QString> range_command(const SweepFields& f, bool level_sweep, int sweep_type, bool at_load)
{
    // A level sweep has its range at a CW frequency only; a CW frequency sweep has none.
    if (level_sweep ? sweep_type != Cw : sweep_type == Cw)
        return std::nullopt;
    const QString& start = level_sweep ? f.level_start : sweep_type == Step ? f.step_start : f.analog_start;
    const QString& stop = level_sweep ? f.level_stop : sweep_type == Step ? f.step_stop : f.analog_stop;
    QString a, b;
    if (!(at_load && start.isEmpty() && stop.isEmpty())) {
        const auto r = entry::sendable_range(start, stop, level_sweep ? kLevel : entry::kAboveZero);
        if (!r)
            return std::nullopt;
        a = r->start.text;
        b = r->stop.text;
    }
    if (level_sweep)
        return QStringLiteral("SRCSTPWR ") + a + QStringLiteral("; SRCSPPWR ") + b;
    return QStringLiteral("SRCSTFRQ ") + a + QStringLiteral("GHz;SRCSPFRQ ") + b + QStringLiteral("GHz");
}
}  // namespace

QStringList generator_setup(const SweepFields& f, int sweep_type, bool rf_on, bool at_load)
{
    const entry::Limits& above_zero = entry::kAboveZero;
    QStringList out{QStringLiteral("RF0")};
    switch (sweep_type) {
    case Step:
        out << QStringLiteral("SF1 SSP") + kCrLf;
        add(out, "SNS ", f.step_steps, "SPS", above_zero, at_load);
        add(out, "SDT ", f.step_dwell, "SEC", above_zero, at_load);
        add(out, "F1 ", f.step_start, "GH", above_zero, at_load);
        add(out, "F2 ", f.step_stop, "GH", above_zero, at_load);
        add(out, "L1 ", f.level, "DM", kLevel, at_load);
        break;
    case Cw:
        out << QStringLiteral("CF1") + kCrLf;
        add(out, "F1 ", f.cw_freq, "GH", above_zero, at_load);
        add(out, "PDT ", f.level_dwell, "SEC", above_zero, at_load);
        add(out, "RF0 L1 ", f.level_start, "DM", kLevel, at_load);
        add(out, "L2 ", f.level_stop, "DM", kLevel, at_load);
        add(out, "PNS ", f.level_steps, "SPS LSP", above_zero, at_load);
        break;
    default:
        out << QStringLiteral("SF1 SWP") + kCrLf;
        add(out, "SWT", f.analog_time, "SEC", above_zero, at_load);
        add(out, "F1 ", f.analog_start, "GH", above_zero, at_load);
        add(out, "F2 ", f.analog_stop, "GH", above_zero, at_load);
        add(out, "L1 ", f.level, "DM", kLevel, at_load);
        break;
    }
    out << (rf_on ? QStringLiteral("RF1") : QStringLiteral("RF0"));
    return out;
}

QStringList meter_sweep_commands(const SweepFields& f, bool level_sweep, int sweep_type, bool at_load)
{
    QStringList out;
    if (level_sweep) {
        out << QStringLiteral("SRCMOD POWER");
        if (sweep_type == Cw) {
            out << QStringLiteral("CFSRC A, FREQ; CFSRC B, FREQ");
            add(out, "CFFRQ A,", f.cw_freq, "GHZ", entry::kAboveZero, at_load);
            add(out, "CFFRQ B,", f.cw_freq, "GHZ", entry::kAboveZero, at_load);
        }
    } else {
        out << QStringLiteral("SRCMOD FREQ") << QStringLiteral("CFSRC A, VGHZ; CFSRC B, VGHZ");
    }
    if (const auto range = range_command(f, level_sweep, sweep_type, at_load))
        out << *range;
    return out;
}

std::optional<QString> meter_range_command(const SweepFields& f, bool level_sweep, int sweep_type)
{
    return range_command(f, level_sweep, sweep_type, false);
}

std::optional<QString> box_command(Box box, const QString& text)
{
    struct Rule {
        const char* prefix;
        const char* suffix;
        bool above_zero;
    };
    static const Rule rules[] = {
        {"F1 ", "GH", true},    {"F2 ", "GH", true},   {"SWT ", "SEC", true}, {"CF1 ", "GH", true},
        {"F1 ", "GH", true},    {"F2 ", "GH", true},   {"SNS ", "SPS", true}, {"SDT ", "SEC", true},
        {"L1 ", "DM", false},   {"PDT ", "SEC", true}, {"L1 ", "DM LSP", false}, {"PNS ", "SPS", true},
        {"L2 ", "DM  LSP", false},
    };
    const Rule& r = rules[int(box)];
    return entry::command(QLatin1String(r.prefix), text, r.above_zero ? entry::kAboveZero : kLevel,
                          QLatin1String(r.suffix));
}

QString gate_delay_command(float seconds) { return QStringLiteral("GTDLY ") + numtext::str_single(seconds); }

QString gate_width_command(float seconds) { return QStringLiteral("GTGW ") + numtext::str_single(seconds); }

std::optional<QString> channel_command(int index)
{
    static const char* const channels[] = {"A", "B", "A-B", "B-A"};
    if (index < 0 || index > 3)
        return std::nullopt;
    return QStringLiteral("CHCFG 1, ") + QLatin1String(channels[index]);
}

int averaging_count(const QString& item) { return int(numtext::val(item)); }

QString x_axis_command(bool level_sweep, bool left, float v)
{
    if (level_sweep)
        return (left ? QStringLiteral("SRCSTPWR ") : QStringLiteral("SRCSPPWR ")) + numtext::str_single(v);
    return (left ? QStringLiteral("SRCSTFRQ ") : QStringLiteral("SRCSPFRQ ")) + numtext::str_single(v) + QStringLiteral("GHZ");
}

QString x_axis_label(bool level_sweep, bool left)
{
    if (level_sweep)
        return left ? QStringLiteral("LH X power update") : QStringLiteral("RH X power update");
    return left ? QStringLiteral("LH X freq update") : QStringLiteral("RH X freq update");
}

std::optional<float> x_axis_entry(bool level_sweep, bool left, const QString& text, double other_end)
{
    const entry::Limits& limits = level_sweep ? kLevel : entry::kAboveZero;
    const auto n = entry::sendable(text, limits);
    if (!n || !entry::fits_single(n->value, limits))
        return std::nullopt;
    const float v = float(n->value);
    if (left ? !(v < other_end) : !(other_end < v))
        return std::nullopt;
    return v;
}

bool accept_y_bottom(double v, double top) { return v > -80 && v < top; }

bool accept_y_top(double v, double bottom) { return v > bottom && v < 30; }

std::optional<float> y_axis_entry(bool top, const QString& text, double other_end)
{
    const auto n = entry::sendable(text);
    if (!n || !(top ? accept_y_top(n->value, other_end) : accept_y_bottom(n->value, other_end)))
        return std::nullopt;
    return float(n->value);
}

double cursor_x(int index, double left, double right, double start) { return index * ((right - left) / kPoints) + start; }

QString cursor_label(int cursor, double power_db, double x, bool level_sweep)
{
    return QStringLiteral("C%1: ").arg(cursor) + numtext::format(power_db, QStringLiteral("##0.000")) +
           QStringLiteral(" dB @ ") + numtext::format(x, QStringLiteral("##0.000")) +
           (level_sweep ? QStringLiteral("dBm") : QStringLiteral("GHz"));
}

QString diff_label(double d) { return numtext::format(d, QStringLiteral("##0.000")) + QStringLiteral(" dB"); }

double value_after_at(const QString& label)
{
    const int at = int(label.indexOf(QLatin1String("@ ")));
    return at < 0 ? 0.0 : numtext::val(label.mid(at + 2));
}

QString axis_text(double v) { return numtext::format(v, QStringLiteral("##0.000##")); }

std::pair<double, double> zoom_out(double left, double right, bool frequency_sweep)
{
    const double quarter = (right - left) / 4;
    double new_left = left - quarter;
    if (frequency_sweep && new_left < kLowestStartGhz)
        new_left = kLowestStartGhz;
    return {new_left, right + quarter};
}

std::pair<double, double> zoom_between(double x1, double x2) { return {std::min(x1, x2), std::max(x1, x2)}; }

std::pair<double, double> centre_on(double left, double right, double centre, bool frequency_sweep)
{
    const double half = (right - left) / 2;
    double start = centre - half;
    if (frequency_sweep && start < kLowestStartGhz)
        start = kLowestStartGhz;
    return {start, centre + half};
}

std::optional<std::pair<QString, QString>> range_texts(double start, double stop, bool frequency_sweep)
{
    const auto r = entry::sendable_range(numtext::cstr_double(start), numtext::cstr_double(stop),
                                         frequency_sweep ? entry::kAboveZero : kLevel);
    if (!r)
        return std::nullopt;
    return std::make_pair(r->start.text, r->stop.text);
}

int turning_point(const float* points, int index, bool to_right)
{
    bool rising = false, falling = false;
    if (to_right) {
        for (int i = std::max(index, 0); i <= kPoints - 2; ++i) {
            const float d = points[i + 1] - points[i];
            rising = rising || d > 0;
            falling = falling || d < 0;
            if (rising && falling)
                return i;
        }
    } else {
        for (int i = std::min(index, kPoints - 1); i >= 1; --i) {
            const float d = points[i - 1] - points[i];
            rising = rising || d > 0;
            falling = falling || d < 0;
            if (rising && falling)
                return i;
        }
    }
    return index;
}

int drag_index(double x)
{
    if (x > 199)
        return 199;
    if (x < 1)
        return 1;
    return numtext::cint(x);
}

int cursor_near(double x, int cursor1, int cursor2)
{
    const int i = numtext::cint(x);
    if (std::abs(i - cursor1) <= 1)
        return 1;
    if (std::abs(i - cursor2) <= 1)
        return 2;
    return 0;
}

std::optional<std::pair<float, float>> auto_scale(const TraceExtremes& e, bool whole_trace_known)
{
    if (!e.valid || !whole_trace_known || e.max / 1024 == e.min / 1024)
        return std::nullopt;
    return std::make_pair(e.max / 1024, e.min / 1024);
}

std::optional<Rates> rates(qint64 dt_us)
{
    if (dt_us <= 0)
        return std::nullopt;
    const double dt = dt_us / 1e6;
    return Rates{numtext::format(dt * 1000.0, QStringLiteral("###0.00")),
                 numtext::format(1.0 / (dt / kPoints), QStringLiteral("###0.0"))};
}

void CalStore::begin_capture()
{
    capture_ = true;
    captured_ = false;
    passes_left_ = kCalPasses;
}

void CalStore::end_capture()
{
    if (capture_ && captured_)
        valid_ = true;
    capture_ = false;
    passes_left_ = kCalPasses;
}

void CalStore::take(const TraceValues& block, TracePoints& trace)
{
    const bool correct = valid_ && applied_;
    for (int i = 0; i < block.count; ++i) {
        const float raw = float(block.values[std::size_t(i)]);
        trace[std::size_t(i)] = correct ? raw - reference_[std::size_t(i)] : raw;
        if (capture_) {
            reference_[std::size_t(i)] = raw;
            captured_ = true;
        }
    }
}

bool CalStore::count_pass()
{
    if (!capture_)
        return false;
    return --passes_left_ <= 0;
}

QString data_file_body(const QString& identity_lines, bool level_sweep, double left, double right, const float* trace)
{
    QString out = kCrLf + identity_lines;
    out += QStringLiteral("Point\t") +
           (level_sweep ? QStringLiteral("Pwr Start\tPwr End") : QStringLiteral("Freq Start\tFreq End")) +
           QStringLiteral("\tdBm Average") + kCrLf;
    const double step = (right - left) / kPoints;
    for (int i = 0; i < kPoints; ++i) {
        out += numtext::str_int(i) + QLatin1Char(' ') + numtext::str_double(left + i * step) + QLatin1Char(' ') +
               numtext::str_double(left + (i + 1) * step) + QLatin1Char(' ') +
               numtext::str_single(trace[i] / 1024.0f) + QLatin1Char(' ') + kCrLf;
    }
    return out;
}

ResizeLayout resize_layout(QSizeF client, QSizeF tab, QRectF graph)
{
    ResizeLayout out;
    const double min_width = 2 * tab.width();
    const double min_height = graph.top() + tab.height();
    if (client.width() < min_width) {
        client.setWidth(min_width);
        ++out.beeps;
    }
    if (client.height() < min_height) {
        client.setHeight(min_height);
        ++out.beeps;
    }
    out.client = client;
    out.tab = QRectF(QPointF(0, graph.top()), tab);
    out.frame = QRectF(tab.width(), 0, client.width() - tab.width(), client.height());
    const double width = client.width() - tab.width() - graph.left() - 400;
    if (width > 0)
        graph.setWidth(width);
    else
        ++out.beeps;
    graph.setHeight(std::max(0.0, client.height() - graph.top() - 120));
    out.graph = graph;
    return out;
}

}  // namespace sweep_rules
