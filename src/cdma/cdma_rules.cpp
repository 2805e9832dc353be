#include "cdma/cdma_rules.h"

#include "link/vbib32.h"
#include "stats/stats_graph.h"
#include "util/entry_rule.h"
#include "util/number_text.h"

#include <cfloat>
#include <cmath>

namespace cdma {

QString measure_word(int index)
{
    static const char* const words[measure_count] = {"A", "B", "A-B", "B-A", "A/B", "B/A"};
    return index >= 0 && index < measure_count ? QLatin1String(words[index]) : QStringLiteral("A");
}

QString measure_command(int channel, int index)
{
    return QStringLiteral("CHCFG %1, ").arg(channel) + measure_word(index);
}

PeakHoldTime peak_hold_time(const QString& answer)
{
    // The whole part, taken before any conversion to an integer: a huge answer (1e10, 1e999) stays out of
    // range and is refused, never wrapped into a time the meter is sent.
    const double whole = std::floor(numtext::val(answer));
    PeakHoldTime out;
    if (!(whole >= 1 && whole <= 30)) {
        // val() reads 1e999 as the largest double, a number nobody typed.
        const QString shown = std::abs(whole) < DBL_MAX ? numtext::cstr_double(whole) : entry::trimmed(answer);
        out.refusal = QStringLiteral("Invalid value: ") + shown + QStringLiteral("\r\nDefaulting to 5 seconds reset");
        return out;
    }
    out.seconds = int(whole);
    return out;
}

QString peak_hold_caption(int seconds)
{
    return QStringLiteral("Peak Hold Timed Reset (") + QString::number(seconds) + QStringLiteral(" seconds)");
}

QString peak_hold_time_command(int seconds) { return QStringLiteral("PCRT ") + QString::number(seconds); }

QString bucket_caption(float bucket_size)
{
    return QStringLiteral("Change Bucket Size (") + numtext::format_single(bucket_size, QStringLiteral("0.0#")) +
           QLatin1Char(')');
}

std::optional<float> bucket_size_answer(const QString& answer)
{
    // Read as the scale boxes are: the whole answer must be one number.
    const std::optional<double> b = stats::StatsGraph::box_number(answer);
    if (!b || *b < stats::kMinBucketSize || *b > stats::kMaxBucketSize)
        return std::nullopt;
    return float(*b);
}

QString include_average_title(bool include)
{
    return (include ? QStringLiteral("Include") : QStringLiteral("Exclude")) +
           QStringLiteral(" Average readings in Stats. anaylsis");
}

std::optional<double> reading_of(const QByteArray& buffer, bool gpib, int ibsta, int ibcnt)
{
    if ((gpib && (ibsta & vbib32::ERR)) || ibcnt <= 0)
        return std::nullopt;
    const std::optional<double> v = numtext::val_finite_single(buffer);
    if (!v || !(std::abs(*v) < kReadingLimit))
        return std::nullopt;
    return v;
}

}  // namespace cdma
