#pragma once
// What the tests of a mode window opened on its own share: the wire as text, the trace requests, the bench
// without a generator, and opening and closing the window.
#include "support/event_loop.h"
#include "support/test_bench.h"

#include <QPointer>
#include <QStringList>

// The program's sends, GPIB bus clears and interface clears, as "kind address text".
inline QStringList wire_traffic(TestBench& tb)
{
    QStringList out;
    for (const WireLog::Entry& e : tb.log().entries()) {
        if (e.kind == "send" || e.kind == "devclear" || e.kind == "ifc")
            out << QStringLiteral("%1 %2 %3").arg(e.kind).arg(e.address).arg(QString::fromLatin1(e.bytes)).trimmed();
    }
    return out;
}

// How many traces the meter has been asked for.
inline int trace_requests(TestBench& tb) { return int(tb.meter_sent().count("OGBD")); }

inline BenchDescription without_generator()
{
    BenchDescription d;
    d.generator_address = -1;
    return d;
}

// The window on its own (no main window), loaded, with the load's traffic and boxes cleared.
template <typename Window>
Window* open_loaded(TestBench& tb)
{
    auto* w = new Window;
    w->show();
    w->load();
    tb.clear_log();
    tb.prompts.clear();
    return w;
}

// Exit from the window's menu, and the window really gone.
template <typename Window>
void close_window(QPointer<Window>& w)
{
    if (w)
        w->menuExit_Click();
    settle_events();
}
