#pragma once
#include <QColor>
#include <QString>
#include <optional>

class Canvas;

// The analysis of the one pulse between the profile graph's cursors, and of the pulse train over the
// whole trace, apart from the window. Points are in 1/1024 dB, 200 of them; times in ms from the start
// of the display. Every result is optional: what cannot be computed shows "N/A".
namespace pulse_analysis {

constexpr int kPoints = 200;

// The complete pulses between two cursors, judged against the middle of the trace's extremes (a
// pulse needs 10 dB between them). rise and fall index the first complete pulse; found holds when it is
// the only one and the trace does not end inside a second. quick_check demands a low trace at the lower
// cursor.
struct OnePulse {
    int rise = 0;
    int fall = 0;
    int count = 0;
    bool found = false;
};
OnePulse check_one_pulse(const float* trace, int cursor_a, int cursor_b, float level_min, float level_max,
                         bool quick_check);

// Reference levels as fractions of the way from the base line to the top line.
struct Fractions {
    double distal = 0.9;
    double mesial = 0.5;
    double proximal = 0.1;
};
// Levels the pulse definition window accepts: an error text for its box, or nothing when they are good.
// d, m and p in percent.
std::optional<QString> definition_error(double d, double m, double p);

struct Input {
    const float* trace = nullptr;
    int cursor_a = 0;
    int cursor_b = 0;
    float pulse_top = 0;
    float pulse_bottom = 0;
    Fractions fractions;
    double span_ms = 0;         // the capture span in force
    double peak_power_dbm = 0;  // the peak power as shown
};

struct Crossing {
    double time_ms = 0;
    int index = 0;  // the point before the crossing
};

struct Result {
    float distal_level = 0, mesial_level = 0, proximal_level = 0;  // 1/1024 dB
    double distal_dbm = 0, mesial_dbm = 0, proximal_dbm = 0;       // as shown, three decimals
    std::optional<Crossing> rise_proximal, rise_mesial, rise_distal;
    std::optional<Crossing> fall_proximal, fall_mesial, fall_distal;
    double top_dbm = 0, base_dbm = 0;
    std::optional<double> rise_time, fall_time, width, pulse_power, overshoot;
    std::optional<double> repetition, frequency_khz, duty, off_time, average_power;
};

// The levels, the crossings between the cursors and the figures of the pulse, and the repetition
// figures over the whole trace.
Result analyse(const Input& in);

// The result controls' texts, in their formats; "N/A" where a figure could not be computed.
struct Texts {
    QString top_line, bottom_line;
    QString rise_time, fall_time, width, pulse_power, overshoot;
    QString repetition, frequency, duty_cycle, off_time, average_power;
};
Texts texts(const Result& r);
// The texts when no single pulse lies between the cursors.
Texts not_available();
inline const QString kNotAvailable = QStringLiteral("N/A");

// The hint shown instead of the results.
QString hint_text();

// The gate that Auto Cursors puts around the first pulse of the whole trace: ten points either side,
// kept on the trace. Without a pulse it covers points 0 to 10.
struct Gate {
    int first = 0;
    int last = 0;
};
Gate auto_gate(const float* trace, float level_min, float level_max);

// Colours of the level lines.
inline const QColor kLevelColor{0, 255, 0};
inline const QColor kEdgeColor{255, 160, 0};
// The top and base lines across the plot, a line for each reference level between its crossings
// (moved 5 points out), and a vertical at each crossing from base to top. Drawn dotted; the draw
// style is put back afterwards.
void draw_lines(Canvas& canvas, const Result& r, double span_ms);

}  // namespace pulse_analysis
