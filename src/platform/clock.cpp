#include "platform/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>

void Clock::pause_yielding(double ms, bool exclude_user_input)
{
    const qint64 end = now_us() + qint64(ms * 1000.0);
    while (now_us() < end) {
        yield(exclude_user_input);
        const qint64 left = end - now_us();
        if (left > 0)
            sleep_ms(std::min<double>(left / 1000.0, 1.0));
    }
}

static qint64 steady_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RealClock::RealClock() : start_ns_(steady_ns()) {}

qint64 RealClock::now_us() const { return (steady_ns() - start_ns_) / 1000; }

double RealClock::time_of_day() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

QDateTime RealClock::date_time() const { return QDateTime::currentDateTime(); }

void RealClock::sleep_ms(double ms)
{
    if (ms > 0)
        QThread::usleep(static_cast<unsigned long>(ms * 1000.0));
}

void RealClock::yield(bool exclude_user_input)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(exclude_user_input ? QEventLoop::ExcludeUserInputEvents
                                                           : QEventLoop::AllEvents);
}

VirtualClock::VirtualClock(QDateTime start) : start_(std::move(start)) {}

double VirtualClock::time_of_day() const
{
    const double t = start_.time().msecsSinceStartOfDay() / 1000.0 + now_us_ / 1e6;
    return std::fmod(t, 86400.0);
}

QDateTime VirtualClock::date_time() const { return start_.addMSecs(now_us_ / 1000); }

void VirtualClock::advance_us(qint64 us)
{
    if (us > 0)
        now_us_ += us;
}

void VirtualClock::yield(bool exclude_user_input)
{
    ++yields_;
    if (on_yield)
        on_yield();
    if (process_events && QCoreApplication::instance())
        QCoreApplication::processEvents(exclude_user_input ? QEventLoop::ExcludeUserInputEvents
                                                           : QEventLoop::AllEvents);
}
