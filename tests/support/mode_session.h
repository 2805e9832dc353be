#pragma once
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "support/event_loop.h"
#include "support/test_bench.h"

#include <QPointer>
#include <functional>
#include <memory>

// The program's state after a passed system check.
inline void checked_system(const TestBench& tb)
{
    Globals& gs = g();
    gs.instruments_ok = true;
    gs.meter_model = tb.bench.description().model;
    gs.gpib_board_ud = 0;
    gs.gpib_board_ud_valid = true;
}

// The main window over a test bench, with one mode window entered through its menu.
template <typename Window>
struct ModeSession {
    explicit ModeSession(Mode m, TestBench::Link link = TestBench::Link::Gpib, const BenchDescription& d = {})
        : tb(link, d), mode(m)
    {
        checked_system(tb);
        main = std::make_unique<sorvdemo>(all_modes());
        main->show();
    }
    ~ModeSession()
    {
        tb.clock.on_yield = nullptr;
        if (window)
            window->request_close();
        settle_events();
        main.reset();
        settle_events();
    }
    Window* enter()
    {
        main->enter_mode(mode);
        window = qobject_cast<Window*>(main->open_mode_window());
        return window;
    }
    // Runs action once, at the first yield after when() holds.
    void at_yield(std::function<bool()> when, std::function<void()> action)
    {
        tb.clock.on_yield = [this, when, action] {
            if (!when())
                return;
            const std::function<void()> act = action;
            tb.clock.on_yield = nullptr;
            act();
        };
    }

    TestBench tb;
    Mode mode;
    std::unique_ptr<sorvdemo> main;
    QPointer<Window> window;
};
