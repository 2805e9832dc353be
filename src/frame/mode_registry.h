#pragma once
#include <functional>
#include <map>

class ModeWindow;

enum class Mode { Gsm, Cdma, Profile, Readout, SourceSweep };

using ModeFactory = std::function<ModeWindow*()>;

// The window class of each mode the main window offers. The application composes it (app/modes.h), so
// the frame knows no mode; a mode without a window class cannot be entered.
class ModeRegistry {
public:
    ModeFactory factory(Mode mode) const
    {
        const auto it = factories_.find(mode);
        return it == factories_.end() ? ModeFactory() : it->second;
    }
    void add(Mode mode, ModeFactory factory) { factories_[mode] = std::move(factory); }

private:
    std::map<Mode, ModeFactory> factories_;
};
