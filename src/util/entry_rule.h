#pragma once

// The one rule by which a box's text may reach an instrument, whatever the path: typing, Enter, leaving
// the box, a set-up, an axis box, a zoom, a menu, a run that sends its settings again. What is refused
// sends nothing, and the window keeps showing what the instruments have.

#include <QString>
#include <cfloat>
#include <optional>

namespace entry {

// What a box may hold to reach an instrument.
struct Limits {
    double low = -DBL_MAX;    // lowest value an instrument takes
    double high = DBL_MAX;    // highest
    bool above_zero = false;  // frequencies, counts, times, widths: 0 and below are refused
};

// Frequencies, counts, times and widths.
inline constexpr Limits kAboveZero{-DBL_MAX, DBL_MAX, true};

// A box's text as it goes out: the blanks and tabs round it trimmed (Val and the instruments skip them).
QString trimmed(const QString& box_text);

// A number a box may send: the trimmed text, which the command carries, and its value.
struct Number {
    QString text;
    double value = 0;
};

// The box's text, trimmed, when it is one finite number (is_well_formed_number) within the limits;
// none otherwise. A value above zero must stay above zero as the command writes it: "1e-400" is 0.
std::optional<Number> sendable(const QString& box_text, const Limits& limits = {});

// A value the program works out and writes as a single: it must be finite as a single, within the
// limits, and, above zero, a normal single (8E-43 is no sensible time, width or frequency).
bool fits_single(double value, const Limits& limits = {});

// head + the box's text, trimmed, + tail: the command a box sends; nothing when sendable() refuses the text.
std::optional<QString> command(const QString& head, const QString& box_text, const Limits& limits = {},
                               const QString& tail = {});

// A start and a stop that may go out together: each sendable within the limits, the start below the stop.
struct Range {
    Number start;
    Number stop;
};
std::optional<Range> sendable_range(const QString& start_text, const QString& stop_text, const Limits& limits = {});

}  // namespace entry
