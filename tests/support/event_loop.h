#pragma once
#include <QCoreApplication>
#include <QEvent>

// The program's own event loop, a few rounds: events, then the objects let go of with deleteLater.
inline void run_event_loop()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Lets posted events and deferred deletes run, so a closed window is really gone.
inline void settle_events()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
