#pragma once
#include "frame/meter_limits.h"
#include "frame/trace_block.h"
#include "util/entry_rule.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

// The source-sweep window's rules, apart from the window: the generator's and the meter's sweep
// commands, the x axis of frequency and level sweeps, the cursor, zoom and centring rules, the
// calibration store and the data file's text.
namespace sweep_rules {

constexpr int kPoints = trace_block::kPoints;
// The reply is read into a buffer that holds a whole block.
constexpr int kReplyBufferSize = 1024;
// A calibration capture makes this many valid passes; Run Once makes two.
constexpr int kCalPasses = 3;
constexpr int kRunOncePasses = 2;
// Cursor start positions and the centre a "Center on" puts its cursor at.
constexpr int kCursor1Start = 100;
constexpr int kCursor2Start = 134;
constexpr int kCentreIndex = 100;

enum SweepType { Analog = 0, Cw = 1, Step = 2 };

// The texts of the "Sweeper" tab's boxes, with their defaults.
struct SweepFields {
    QString level = QStringLiteral("0.00");
    QString level_start = QStringLiteral("-10.00");
    QString level_stop = QStringLiteral("10.00");
    QString level_steps = QStringLiteral("50");
    QString level_dwell = QStringLiteral("0.002");
    QString analog_start, analog_stop, analog_time;
    QString step_start, step_stop, step_steps, step_dwell;
    QString cw_freq = QStringLiteral("2.0");
};

// The generator's level, and the meter's in a level sweep.
inline constexpr entry::Limits kLevel = meter_limits::kGeneratorLevelDbm;

// The generator's programming for a sweep kind: "RF0", the branch's commands (the first of which is
// status-checked), and the RF output as the box says. A command goes out only when its box passes the
// entry rule (frequencies, steps, dwell and sweep time above 0, levels within kLevel), carrying the
// trimmed text; one whose box is refused is left out. At the window's load an empty box goes out as it
// stands, as the set-up of the empty sweep boxes always has.
QStringList generator_setup(const SweepFields& f, int sweep_type, bool rf_on, bool at_load = false);
// The meter's source-sweep mode and range, on the same terms; the range only with its start below its stop.
QStringList meter_sweep_commands(const SweepFields& f, bool level_sweep, int sweep_type, bool at_load = false);

// The meter's range alone, for a change of a start or stop box of the sweep in use: only while both
// ends pass the entry rule and the start is below the stop; none in a CW frequency sweep.
std::optional<QString> meter_range_command(const SweepFields& f, bool level_sweep, int sweep_type);

// A box of the "Sweeper" tab whose every change programs the generator.
enum class Box {
    AnalogStart, AnalogStop, AnalogTime, CwFreq, StepStart, StepStop, StepSteps, StepDwell,
    Level, LevelDwell, LevelStart, LevelSteps, LevelStop
};
// The command a change of the box's text sends, with the trimmed text, or none: only what the entry rule
// lets out goes, and from the frequency, time, step and dwell boxes only a value above 0.
std::optional<QString> box_command(Box box, const QString& text);

// Gate commands: "GTDLY " / "GTGW " and the value in the Str form.
QString gate_delay_command(float seconds);
QString gate_width_command(float seconds);
// "CHCFG 1, A" and the rest by list index; none outside 0..3.
std::optional<QString> channel_command(int index);
// Averaging count of a list item: "OFF" is 0.
int averaging_count(const QString& item);
// The x-axis boxes' commands on Enter.
QString x_axis_command(bool level_sweep, bool left, float v);
QString x_axis_label(bool level_sweep, bool left);
// The value a typed end of the x axis sends on Enter, or none: a text the entry rule lets out (a
// frequency above 0) that a single holds, the start below the other end and the stop above it.
std::optional<float> x_axis_entry(bool level_sweep, bool left, const QString& text, double other_end);

// Y-axis entry limits (both strict): -80 < bottom < top, bottom < top < 30.
bool accept_y_bottom(double v, double top);
bool accept_y_top(double v, double bottom);
// The value a typed end of the y axis gives the scale, or none: a text the entry rule lets out, within
// the limits above.
std::optional<float> y_axis_entry(bool top, const QString& text, double other_end);

// The x value of a cursor: index x (right - left) / 200 + start.
double cursor_x(int index, double left, double right, double start);
// "C1: -3.012 dB @ 2.100GHz", and "1.500 dB" for the difference.
QString cursor_label(int cursor, double power_db, double x, bool level_sweep);
QString diff_label(double d);
// The numeric value of the text after the first "@ " (the unit is ignored); 0 when there is none.
double value_after_at(const QString& label);
// The axis boxes' text of a sweep end, "##0.000##".
QString axis_text(double v);

// The lowest start the zoom and centring commands give a frequency sweep, in GHz. It must be above 0,
// or the boxes would refuse it and the generator, the meter and the axis would part; 1 MHz is the
// smallest step the cursor readouts show.
constexpr double kLowestStartGhz = 0.001;
// New sweep range of "Zoom Out": each end out by a fourth of the span; a frequency start below
// kLowestStartGhz is raised to it.
std::pair<double, double> zoom_out(double left, double right, bool frequency_sweep);
// "Zoom to Cursors": the two cursor x values in order.
std::pair<double, double> zoom_between(double x1, double x2);
// "Center on": the same span around the centre; a frequency start is raised as by zoom_out.
std::pair<double, double> centre_on(double left, double right, double centre, bool frequency_sweep);
// The texts a zoom or centring writes into the sweep boxes, start and stop in the general form; none,
// to be refused with a beep, unless the boxes would send them as a range (a frequency start above 0, the
// start below the stop as written).
std::optional<std::pair<QString, QString>> range_texts(double start, double stop, bool frequency_sweep);
// Cursor to the next turning point, to the right or to the left; the index stays when there is none.
int turning_point(const float* points, int index, bool to_right);
// A dragged cursor's index for pointer x: CInt(x), within 1..199.
int drag_index(double x);
// Which cursor is within one point of x: 1, 2 or 0.
int cursor_near(double x, int cursor1, int cursor2);

// The extremes of a trace and the auto scale from them: none when they are not known or flat.
std::optional<std::pair<float, float>> auto_scale(const TraceExtremes& e, bool whole_trace_known);

// Rate labels of a pass that took dt_us: milliseconds a trace "###0.00" and points a second "###0.0";
// none when the interval is not positive.
struct Rates {
    QString ms_per_trace;
    QString points_per_second;
};
std::optional<Rates> rates(qint64 dt_us);

// The calibration reference and its state. A capture always stores the raw points it receives; the
// calibration becomes valid only when a capture has stored at least one point.
class CalStore {
public:
    void begin_capture();
    // Ends a capture (whatever ended the run).
    void end_capture();
    void toggle_applied() { applied_ = !applied_; }
    // The trace shown for the decoded values of one block: raw, or raw less the reference when the
    // correction is on. Points beyond the block keep their earlier values in trace.
    void take(const TraceValues& block, TracePoints& trace);
    // Counts a valid pass of a capture; true when the capture has made all of its passes.
    bool count_pass();

    bool capturing() const { return capture_; }
    bool valid() const { return valid_; }
    bool applied() const { return applied_; }
    int passes_left() const { return passes_left_; }
    const TracePoints& reference() const { return reference_; }

private:
    TracePoints reference_{};
    bool capture_ = false;
    bool captured_ = false;
    bool valid_ = false;
    bool applied_ = false;
    int passes_left_ = kCalPasses;
};

// The text of the sweep graph data file after its time stamp line: empty line, identity lines, the
// column header and 200 rows, each line ended by CR LF.
QString data_file_body(const QString& identity_lines, bool level_sweep, double left, double right,
                       const float* trace);

// The window's layout on a resize, in twips. The tab control sits at the left, its top level with the
// graph's; the two graph frames fill the rest of the client area beside it. The window is at least twice
// the tab's width wide and the tab's top plus its height high; each dimension raised to its limit beeps
// once. The graph keeps its left and top, reaches to 120 above the bottom, and leaves 400 at the right for
// the axis boxes; when that leaves it no width it keeps its width and beeps.
struct ResizeLayout {
    QSizeF client;  // the client area after the minimum
    QRectF tab;
    QRectF frame;  // both graph frames, in the client area
    QRectF graph;  // in its frame
    int beeps = 0;
};
ResizeLayout resize_layout(QSizeF client, QSizeF tab, QRectF graph);

}  // namespace sweep_rules
