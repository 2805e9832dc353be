#include "util/entry_rule.h"

#include "util/number_text.h"

#include <cmath>

namespace entry {

QString trimmed(const QString& box_text)
{
    qsizetype from = 0;
    qsizetype to = box_text.size();
    const auto blank = [&](qsizetype i) { return box_text[i] == u' ' || box_text[i] == u'\t'; };
    while (from < to && blank(from))
        ++from;
    while (to > from && blank(to - 1))
        --to;
    return box_text.mid(from, to - from);
}

namespace {
bool within(double v, const Limits& limits)
{
    return std::isfinite(v) && v >= limits.low && v <= limits.high && (!limits.above_zero || v > 0);
}
}  // namespace

std::optional<Number> sendable(const QString& box_text, const Limits& limits)
{
    Number n{trimmed(box_text), 0};
    if (!numtext::is_well_formed_number(n.text))
        return std::nullopt;
    n.value = numtext::val(n.text);
    if (!within(n.value, limits))
        return std::nullopt;
    return n;
}

std::optional<QString> command(const QString& head, const QString& box_text, const Limits& limits, const QString& tail)
{
    if (const auto n = sendable(box_text, limits))
        return head + n->text + tail;
    return std::nullopt;
}

bool fits_single(double value, const Limits& limits)
{
    if (!within(value, limits) || std::abs(value) > double(FLT_MAX))
        return false;
    const float single = float(value);
    return !limits.above_zero || single >= FLT_MIN;
}

std::optional<Range> sendable_range(const QString& start_text, const QString& stop_text, const Limits& limits)
{
    auto start = sendable(start_text, limits);
    auto stop = sendable(stop_text, limits);
    if (!start || !stop || !(start->value < stop->value))
        return std::nullopt;
    return Range{*start, *stop};
}

}  // namespace entry
