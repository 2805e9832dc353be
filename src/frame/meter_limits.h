#pragma once
// Limits of meter settings that more than one mode sends.
#include "util/entry_rule.h"

namespace meter_limits {

// The internal trigger level in dBm: from -50, the lowest the windows have always taken, to +20, the top
// of the meter's power range.
inline constexpr entry::Limits kTriggerLevelDbm{-50.0, 20.0, false};

}  // namespace meter_limits
