#pragma once
#include <functional>

class ModeWindow;
class QWidget;

enum class Mode { Gsm, Cdma, Profile, Readout, SourceSweep };

using ModeFactory = std::function<ModeWindow*()>;

// The window class of each mode; a mode without one cannot be entered yet.
ModeFactory mode_factory(Mode mode);
void set_mode_factory(Mode mode, ModeFactory factory);
// Registers every mode this build has.
void register_all_modes();
