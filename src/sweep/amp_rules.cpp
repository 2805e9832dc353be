#include "sweep/amp_rules.h"

#include "util/entry_rule.h"
#include "util/number_text.h"

#include <cmath>

namespace amp_rules {

double gain_db(const float* trace)
{
    double sum = 0;
    for (int i = 0; i < kGainPoints; ++i)
        sum += trace[i];
    return sum / kGainPoints / 1024.0;
}

QString gain_text(double gain) { return numtext::format(gain, QStringLiteral("##0.000 dB")); }

std::optional<double> compression_dbm(const float* trace, const QString& gain_shown, double left, double right)
{
    const double gain = numtext::val(gain_shown);
    for (int i = 0; i < 200; ++i) {
        if (gain - trace[i] / 1024.0 >= 1.0)
            return left + i * (right - left) / 200;
    }
    return std::nullopt;
}

QString compression_text(const std::optional<double>& dbm)
{
    return dbm ? numtext::format(*dbm, QStringLiteral("##0.000 dBm")) : QStringLiteral("N/A");
}

namespace {

const Refusal kStartRefusal{QStringLiteral("Please enter a start frequency greater than 0."), QStringLiteral("Start frequency")};
const Refusal kStopRefusal{QStringLiteral("Please enter a stop frequency greater than 0."), QStringLiteral("Stop frequency")};

}  // namespace

std::optional<Measured> measure(const float* trace, double left, double right)
{
    Measured m;
    const double gain = gain_db(trace);
    m.gain_text = gain_text(gain);
    const auto comp = compression_dbm(trace, m.gain_text, left, right);
    m.compression_text = compression_text(comp);
    // What a run keeps is the value shown.
    const double gain_kept = numtext::val(m.gain_text);
    const double comp_kept = comp ? numtext::val(m.compression_text) : kNoCompression;
    using entry::fits_single;
    if (!fits_single(gain) || !fits_single(gain_kept) || (comp && (!fits_single(*comp) || !fits_single(comp_kept))))
        return std::nullopt;
    m.gain = float(gain_kept);
    m.compression = float(comp_kept);
    return m;
}

Plan single_plan(const QString& start_text)
{
    Plan plan;
    if (const auto start = entry::sendable(start_text, entry::kAboveZero)) {
        plan.start = start->text;
        plan.frequencies.push_back(start->value);
    } else {
        plan.refusal = kStartRefusal;
    }
    return plan;
}

Plan frequency_plan(const QString& start_text, const QString& stop_text, const QString& step_text)
{
    Plan plan;
    // Anything but a number is refused first; a start at or below 0 only after the span's own checks.
    const auto start_number = entry::sendable(start_text);
    if (!start_number) {
        plan.refusal = kStartRefusal;
        return plan;
    }
    const auto stop_number = entry::sendable(stop_text);
    if (!stop_number) {
        plan.refusal = kStopRefusal;
        return plan;
    }
    const auto step_number = entry::sendable(step_text, entry::kAboveZero);
    if (!step_number) {
        plan.refusal = Refusal{QStringLiteral("Please enter a frequency step greater than 0."),
                               QStringLiteral("Frequency step")};
        return plan;
    }
    const double start = start_number->value;
    const double stop = stop_number->value;
    const double step = step_number->value;
    if (stop < start) {
        plan.refusal = Refusal{QStringLiteral("Please change starting frequency"), QStringLiteral("Start frequency too high")};
        return plan;
    }
    if ((stop - start) / step > kMaxPoints) {
        plan.refusal = Refusal{QStringLiteral("Please change the Stepping frequency"),
                               QStringLiteral("Too many frequency points")};
        return plan;
    }
    // A stop not above 0 is refused with the start, as stop >= start here.
    if (!(start > 0)) {
        plan.refusal = kStartRefusal;
        return plan;
    }
    plan.start = start_number->text;
    // Each frequency from its index, with room for the rounding of the span's quotient, so the last one
    // is never lost.
    const long long last = std::llround(std::floor((stop - start) / step + 1e-9));
    for (long long k = 0; k <= last; ++k)
        plan.frequencies.push_back(start + double(k) * step);
    return plan;
}

QString generator_frequency_command(double ghz) { return QStringLiteral("F1") + numtext::str_double(ghz) + QStringLiteral(" GH"); }

QString meter_frequency_command(const QString& sensor, double ghz)
{
    return QStringLiteral("CFFRQ ") + sensor + QLatin1Char(',') + numtext::str_double(ghz) + QStringLiteral("GHZ");
}

QStringList offset_commands(const QString& sensor, int kind, double fixed_db, int table)
{
    const QString head = QStringLiteral("OFFTYP ") + sensor;
    if (kind == 1)
        return {head + QStringLiteral(", FIXED"), QStringLiteral("OFFFIX ") + sensor + QStringLiteral(", ") + numtext::str_double(fixed_db)};
    if (kind == 2)
        return {head + QStringLiteral(", TABLE"), QStringLiteral("OFFTBL ") + sensor + QStringLiteral(", ") + numtext::str_int(table)};
    return {head + QStringLiteral(", OFF")};
}

void Results::add(double ghz, float gain, float compression)
{
    const bool first = points_.empty();
    points_.push_back(Point{ghz, gain, compression});
    if (first) {
        gain_max_ = gain_min_ = gain;
    } else if (gain > gain_max_) {
        gain_max_ = gain;
    } else if (gain < gain_min_) {
        gain_min_ = gain;
    }
    if (compression == kNoCompression)
        return;
    if (!comp_valid_) {
        comp_max_ = comp_min_ = compression;
        comp_valid_ = true;
    } else if (compression > comp_max_) {
        comp_max_ = compression;
    } else if (compression < comp_min_) {
        comp_min_ = compression;
    }
}

Readout cursor_readout(const Results& r, int i)
{
    if (r.empty() || i < 0 || i >= r.count())
        return {QString(), QString(), QStringLiteral("N/A")};
    const float c = r.compression(i);
    return {numtext::cstr_single(r.gain(i)), c == kNoCompression ? QStringLiteral("N/A") : numtext::cstr_single(c),
            numtext::format(r.frequency(i), QStringLiteral("##0.000"))};
}

}  // namespace amp_rules
