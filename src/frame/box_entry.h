#pragma once
// What the modes' boxes share on their way to an instrument: the limits of a setting more than one mode
// sends, and a command built round a box's text that entry::sendable lets out.
#include "util/entry_rule.h"

#include <QString>
#include <optional>

namespace box_entry {

// The meter's internal trigger level in dBm: from -50, the lowest the windows have always taken, to +20,
// the top of the meter's power range.
inline constexpr entry::Limits kTriggerLevelDbm{-50.0, 20.0, false};

// head + the box's text, trimmed, + tail; nothing when the text is no number within the limits.
inline std::optional<QString> command(const QString& head, const QString& box_text, const entry::Limits& limits,
                                      const QString& tail = {})
{
    if (const auto n = entry::sendable(box_text, limits))
        return head + n->text + tail;
    return std::nullopt;
}

}  // namespace box_entry
