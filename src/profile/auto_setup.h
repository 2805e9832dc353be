#pragma once
#include <QString>
#include <array>

// The rules of the profile window's automatic set-up, apart from the window: which capture spans it
// tries, how it counts the pulses of a trace and when it accepts one.
namespace auto_setup {

// Spans tried, shortest first (ms).
inline constexpr std::array<float, 11> kSpansMs{0.2f, 0.5f, 1, 2, 5, 10, 20, 50, 100, 200, 500};
// The progress bar: 6 a span, plus the steps of the last one.
constexpr int kBarMaximum = 77;
inline int bar_at_span(int k) { return 6 * k; }  // k = 1 for the first span

// Link time-out codes: 1 s while searching, 10 s otherwise.
constexpr int kSearchTimeout = 11;
constexpr int kNormalTimeout = 13;

// Rising transitions over the whole trace through the middle of its extremes: a point at or below the
// middle arms, the next point above it counts one and disarms.
int transitions(const float* trace, float level_min, float level_max);
// A trace shows a handful of pulses: five to nine.
inline bool accepted(int transitions) { return transitions > 4 && transitions < 10; }

// Only an external or a sensor-A trigger gives the search something to find.
inline bool searchable_source(int trigger_index) { return trigger_index == 1 || trigger_index == 2; }

inline const QString kConfirmTitle = QStringLiteral("Auto-Setup");
inline const QString kConfirmText = QStringLiteral(
    "This will take the current trigger source and search for the trigger event.\r\nAre you sure you wish to continue?");
inline const QString kNeedTriggerText = QStringLiteral("Your trigger source must be set to either; External TTL or Internal");
inline const QString kFailedTitle = QStringLiteral("Auto-Setup: Sorry");
inline const QString kFailedText = QStringLiteral("Auto Setup could not find any pulses");

}  // namespace auto_setup
