#include "platform/frame_pacer.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

FramePacer::FramePacer(QWidget* widget) : QObject(widget), widget_(widget)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { frame(); });
}

void FramePacer::frame()
{
    if (before_frame)
        before_frame();
    widget_->update();
}

int FramePacer::interval_ms() const
{
    const QScreen* screen = widget_->screen();
    double rate = screen ? screen->refreshRate() : 60.0;
    if (!std::isfinite(rate) || rate < 24 || rate > 500)
        rate = 60.0;
    return std::max(1, int(std::floor(1000.0 / rate)));
}

void FramePacer::request()
{
    if (pending_)
        return;
    pending_ = true;
    const qint64 since = since_paint_.isValid() ? since_paint_.elapsed() : -1;
    const int interval = interval_ms();
    if (since < 0 || since >= interval)
        frame();
    else
        timer_.start(int(interval - since));
}

void FramePacer::painted()
{
    pending_ = false;
    timer_.stop();
    since_paint_.start();
}
