#pragma once
#include <QString>
#include <functional>
#include <optional>

// The Peak CDF/PDF window's traffic with the meter, apart from its widgets: the set-up that puts the
// meter into its CDMA reading mode, the leaving command, and one pass of the run loop. None of these
// steps is followed by a status check.
namespace cdma {

// Device clear, operating and reading mode, channel measurements, range holds, channel configuration
// and peak hold off. Returns true for a two-input meter.
bool set_up_meter(int board, int address);
// Back to the standard reading mode; the meter needs 12 s for it.
void leave_meter(int board, int address);

struct PassReadings {
    double peak = 0;
    double average = 0;
};
// "o 1" (the held peak) then "o 2" (the average). None when either reading did not come or held no
// number; the average is not asked for when the peak failed.
std::optional<PassReadings> read_pass(int board, int address);

// The box of a failed pass.
QString communication_failure_text();

}  // namespace cdma

namespace cdma {

class Collection;

// The window's run state: a stop is read at the top of each pass only.
struct RunFlags {
    bool stop_requested = false;
    bool run_active = false;
    bool exit_requested = false;
};

// The run loop: passes until a stop is requested. A pass that fails shows its box, stops the run and
// counts nothing; the collection so far is kept. show(false) runs after each counted pass (the labels,
// the graph, which may wait for a later pass), then the loop yields once, so every other command acts
// between two passes. show(true) runs before the failure box: the box must not stand over stale labels.
void run_passes(Collection& collection, RunFlags& flags, int board, int address,
                const std::function<void(bool now)>& show);

}  // namespace cdma
