#pragma once
// Limits of meter and generator settings that more than one mode sends.
#include "util/entry_rule.h"

namespace meter_limits {

// The internal trigger level in dBm: from -50, the lowest the windows have always taken, to +20, the top
// of the meter's power range.
inline constexpr entry::Limits kTriggerLevelDbm{-50.0, 20.0, false};

// A generator's RF level in dBm, and the levels of a meter's power sweep: wider than any generator's
// range, so that only a level no generator can take (1e39) is refused here.
inline constexpr entry::Limits kGeneratorLevelDbm{-150.0, 50.0, false};

}  // namespace meter_limits
