#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

// Keeps a widget's repaints to the screen's pace: however often it changes, it is repainted at most once
// a screen refresh (about 60 times a second). Drawing that arrives between frames waits for the next one,
// so nothing is lost, only shown up to one refresh later. The pace is the screen's real time, whatever
// clock the program runs on.
class FramePacer : public QObject {
public:
    explicit FramePacer(QWidget* widget);
    // The widget has changed: repaint it now, or at the next frame when one was drawn less than a
    // refresh ago.
    void request();
    // Called from the widget's paint event: its picture is current.
    void painted();
    // Time between frames, from the widget's screen (60 per second where the screen does not say).
    int interval_ms() const;
    // Work done just before each repaint is asked for (placing child widgets with the new picture), so
    // that what it moves is repainted in the same frame.
    std::function<void()> before_frame;

private:
    void frame();
    QWidget* widget_;
    QTimer timer_;
    QElapsedTimer since_paint_;
    bool pending_ = false;
};
