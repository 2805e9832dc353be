#pragma once
// What the profile window's own source files share: the platform's clock and boxes, the Enter key's code
// and the window's smallest size.
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"

namespace profile_window {

constexpr int kEnter = 13;
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 480;

inline Clock& clk() { return *platform().clock; }
inline Prompts& prompts() { return *platform().prompts; }

}  // namespace profile_window
