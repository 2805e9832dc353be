#include "profile/profile_settings.h"

#include "frame/meter_limits.h"
#include "util/number_text.h"

namespace profile_settings {

using numtext::str_single;

QString sample_delay_command(float ms) { return QStringLiteral("GTDLY ") + str_single(ms) + QStringLiteral("ms"); }

QString gate_width_command(float ms) { return QStringLiteral("GTGW ") + str_single(ms) + QStringLiteral("ms"); }

QString display_delay_command(float ms) { return QStringLiteral("DTRGD ") + str_single(ms) + QStringLiteral("ms"); }

QString trigger_level_command(float dbm) { return QStringLiteral("TRGLVL 1,") + str_single(dbm); }

QString trigger_type_command(const QString& edge)
{
    return QStringLiteral("GTTYP ") + edge + QStringLiteral("; GTXTTL ") + edge;
}

QString trigger_source_command(int index)
{
    switch (index) {
    case 1: return QStringLiteral("GTSRC EXTTTL");
    case 2: return QStringLiteral("GTSRC INTA");
    case 3: return QStringLiteral("GTSRC INTB");
    default: return QStringLiteral("GTSRC CONT");
    }
}

std::optional<QString> channel_config_command(int index)
{
    switch (index) {
    case 0: return QStringLiteral("CHCFG 1, A");
    case 1: return QStringLiteral("CHCFG 1, B");
    case 2: return QStringLiteral("CHCFG 1, A-B");
    case 3: return QStringLiteral("CHCFG 1, B-A");
    default: return std::nullopt;
    }
}

QString range_hold_command(int index) { return QStringLiteral("RGH A, ") + numtext::cstr_int(index); }

QString display_command(bool on) { return on ? QStringLiteral("DISP ON") : QStringLiteral("DISP OFF"); }

QString rf_calibrator_command(bool on) { return on ? QStringLiteral("RFCAL ON") : QStringLiteral("RFCAL OFF"); }

int averaging_count(const QString& item) { return numtext::cint(numtext::val(item)); }

namespace {
constexpr entry::Limits kDepthPct{0.0, 100.0, false};
}  // namespace

std::optional<QString> sweeper_power_command(const QString& box_text)
{
    return entry::command(QStringLiteral("RF1; L1 "), box_text, meter_limits::kGeneratorLevelDbm, QStringLiteral(" DM"));
}

std::optional<QString> pulse_period_command(const QString& box_text)
{
    return entry::command(QStringLiteral("PER "), box_text, entry::kAboveZero, QStringLiteral(" MS"));
}

std::optional<QString> pulse_width_command(const QString& box_text)
{
    return entry::command(QStringLiteral("PW "), box_text, entry::kAboveZero, QStringLiteral(" MS"));
}

QString mod_type_command(int index)
{
    if (index < 0 || index > 6)
        return QStringLiteral("AMW");
    return QStringLiteral("AMW") + numtext::cstr_int(index + 1);
}

QString pulse_mode_command(bool on) { return on ? QStringLiteral("IP") : QStringLiteral("P0"); }

QString mod_mode_command(bool on) { return on ? QStringLiteral("AM7") : QStringLiteral("AM0"); }

std::optional<QString> mod_depth_command(const QString& box_text)
{
    return entry::command(QStringLiteral("ADP1 "), box_text, kDepthPct, QStringLiteral(" PCT"));
}

std::optional<QString> mod_rate_command(const QString& box_text)
{
    return entry::command(QStringLiteral("AMR "), box_text, entry::kAboveZero, QStringLiteral(" KH"));
}

bool accept_ms_box(double v) { return v >= 0 && v <= 1; }

QString ms_box_text(float ms) { return numtext::format_single(ms, QStringLiteral("##0.0000##")); }

// Counted from the 0 dBm mark rather than as position / 100 - 80, so that the level is the nearest
// double to its two-decimal value (7999 gives -.01, not -1.00000000000051E-02).
double power_level(int position) { return (position - kPowerScrollStart) / 100.0; }

// A text the generator would not take leaves the bar where the generator's level is.
std::optional<int> power_position(const QString& box_text)
{
    const auto level = entry::sendable(box_text);
    if (!level)
        return std::nullopt;
    const double p = (level->value + 80.0) * 100.0;
    if (p < kPowerScrollMin || p > kPowerScrollMax)
        return std::nullopt;
    return numtext::cint(p);
}

QString power_drag_text(int position) { return numtext::str_double(power_level(position)); }

std::optional<QString> power_box_rewrite(int position, const QString& box_text)
{
    const double level = power_level(position);
    const auto typed = entry::sendable(box_text);
    if (typed && typed->value == level)
        return std::nullopt;
    return numtext::format(level, QStringLiteral("##0.00"));
}

}  // namespace profile_settings
