#pragma once
#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// The readout window's rules, apart from its widgets: command texts, reading and rate texts, and which
// controls show. Everything here is a plain function of its arguments.
namespace readout {

// What channel 1 measures, by the index of the measurement menu: 0 A, 1 B, 2 A-B, 3 B-A, 4 A/B, 5 B/A.
constexpr int channel_count = 6;
QString channel_label(int channel_index);
// "CHCFG 1, A-B"
QString measure_command(int channel_index);
// What the display shows before the first reading of a channel: "A-B --.--- dBm".
QString placeholder_text(int channel_index);

// Replies land in a fixed 32-character buffer, left-aligned and padded with blanks.
constexpr int reading_buffer_size = 32;
QByteArray place_reading(const QByteArray& reply);
// A reply counts as a reading only when it starts with a number (blanks, tabs and line feeds allowed
// before its digits, as the value is read) that a single holds: an empty or garbled reply, or "1e999",
// must never be shown as a power.
bool is_reading(const QByteArray& buffer);
// "A-B 12.345 dBm": the label, a blank, the leading number formatted "###0.000", and " dBm".
QString reading_text(int channel_index, const QByteArray& buffer);

// Time per reading and readings per second of one pass. A pass with no reading, or one that took no
// measurable time, must not divide by zero.
struct RateFigures {
    float ms_per_reading = 0;  // single precision, as the figure is kept
    QString avg_time;          // "###0.00", or "N/A" when no reading arrived
    QString rdgs_per_sec;      // "##0", or "N/A" when it cannot be computed
};
RateFigures rate_figures(qint64 elapsed_us, int readings);

// "This Display Update Every" menu: item 0..6 gives 500, 100, 50, 25, 10, 5, 1 readings per update.
constexpr int update_item_count = 7;
int update_count_for_item(int item);
// The item showing a count; -1 when no item has it.
int update_item_for_count(int count);

// Per-sensor control arrays: index 0 is sensor "A", index 1 "B".
QString sensor_letter(int sensor_index);

// Averaging list items and the count they give set_averaging: "AUTO" -1, "OFF" 0, else the number.
QStringList averaging_items();
int averaging_count(const QString& item_text);
// Range hold list: "Auto", then ranges 1 to 5. "RGH A, 3"
QStringList range_hold_items();
QString range_hold_command(int sensor_index, int range_index);
// Sensor mode options 0..2 are sensor A, 3..5 sensor B: "SENMM B, MOD"
QString sensor_mode_command(int option_index);

// Trigger source list: "Continuous", "External TTL", "Interal Sensor A", "Interal Sensor B".
QStringList trigger_source_items();
// "CONT", "EXTTTL", "INTA", "INTB"; no selection (-1) is continuous.
QString trigger_source_name(int source_index);
QString trigger_source_command(int source_index);
// The edge options mean something only for a triggered source.
bool edge_options_enabled(int source_index);
// Edge 0 rising, 1 falling: "GTTYP RISE; GTXTTL RISE; TRGXTTL 1, RISE"
QString trigger_edge_command(int edge_index);
// "TRGLVL 1,-15" or "TRGLVL 1, 10": the level (within meter_limits::kTriggerLevelDbm) in the general
// number form.
QString trigger_level_command(double level_dbm);
// "TRGDLY 1, " and "TRGGW 1, " with the box's text, trimmed, when it is one number the meter takes (a
// delay from 0, a width above 0); nothing otherwise.
std::optional<QString> trigger_delay_command(const QString& box_text);
std::optional<QString> trigger_width_command(const QString& box_text);
QString rfcal_command(bool on);

// The "Custom Setup" frame shows when a sensor in custom mode takes part in the measurement.
bool custom_frame_visible(bool sensor_a_custom, bool sensor_b_custom, int channel_index);

// Set-up and leaving texts; the serial link has no display or fast-mode commands.
QString setup_command(bool serial_link);
QString leave_command(bool serial_link);
// Only the two statistics-capable models have a reading mode to settle.
bool has_reading_mode(const QString& meter_model);
// The reply to "RDMODE?" asks for a change back to standard readings.
bool reading_mode_needs_change(const QString& reply);

// The fastest set-up: the first group (display off), then the second (sensor B, if any) ending in *OPC.
QString fastest_first_command();
QString fastest_second_command(bool two_input);

// Fits a window into the desktop work area after a display change: a window taller than the area takes
// its top and height, one wider takes its left and width.
QRect fit_to_work_area(const QRect& window, const QRect& work_area);

}  // namespace readout
