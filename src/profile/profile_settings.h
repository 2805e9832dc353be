#pragma once
#include <QString>
#include <optional>

// The profile window's instrument settings as command texts, and the rules of its entry boxes, apart
// from the window. Times stored in ms go out with their unit written out; numbers kept by the window are
// singles and go out in the Str form (" .005"); the generator boxes go out as typed, trimmed, and only when
// the text is one number the generator takes (a level of -150 to +50 dBm, a depth of 0 to 100 %, a
// period, width or rate above 0): otherwise there is no command.
namespace profile_settings {

// Meter.
QString sample_delay_command(float ms);     // "GTDLY " & Str(ms) & "ms"
QString gate_width_command(float ms);       // "GTGW " & Str(ms) & "ms"
QString display_delay_command(float ms);    // "DTRGD " & Str(ms) & "ms"
QString trigger_level_command(float dbm);   // "TRGLVL 1," & Str(dbm)
QString trigger_type_command(const QString& edge);  // "GTTYP " & edge & "; GTXTTL " & edge
// "GTSRC " and the source of the list index: -1 or 0 CONT, 1 EXTTTL, 2 INTA, 3 INTB.
QString trigger_source_command(int index);
// "CHCFG 1, A" ... "CHCFG 1, B-A" for list index 0 to 3; nothing for another index.
std::optional<QString> channel_config_command(int index);
QString range_hold_command(int index);      // "RGH A, " & index
QString display_command(bool on);           // "DISP ON" / "DISP OFF"
QString rf_calibrator_command(bool on);     // "RFCAL ON" / "RFCAL OFF"
// The averaging list's item as a count: its whole-number value, "OFF" giving 0.
int averaging_count(const QString& item);

// Generator.
std::optional<QString> sweeper_power_command(const QString& box_text);   // "RF1; L1 " & text & " DM"
std::optional<QString> pulse_period_command(const QString& box_text);    // "PER " & text & " MS"
std::optional<QString> pulse_width_command(const QString& box_text);     // "PW " & text & " MS"
QString mod_type_command(int index);                                     // "AMW1".."AMW7"; "AMW" for another index
QString pulse_mode_command(bool on);                                     // "IP" / "P0"
QString mod_mode_command(bool on);                                       // "AM7" / "AM0"
std::optional<QString> mod_depth_command(const QString& box_text);       // "ADP1 " & text & " PCT"
std::optional<QString> mod_rate_command(const QString& box_text);        // "AMR " & text & " KH"

// Entry boxes.
bool accept_ms_box(double v);              // the sample delay, gate width and display delay boxes: 0..1 ms
QString ms_box_text(float ms);             // Format(ms, "##0.0000##")

// The generator level scroll bar: positions 0 to 10000, level = position / 100 - 80 dBm.
constexpr int kPowerScrollMin = 0;
constexpr int kPowerScrollMax = 10000;
constexpr int kPowerScrollStart = 8000;
double power_level(int position);
// The position for a level typed in the box, or nothing when the text is no level or one outside the bar.
std::optional<int> power_position(const QString& box_text);
// The box while the bar is dragged: Str(level).
QString power_drag_text(int position);
// After the bar has moved: the box's new text when the level differs from the box's, Format(level,
// "##0.00"); nothing when the box already says that level.
std::optional<QString> power_box_rewrite(int position, const QString& box_text);

}  // namespace profile_settings
