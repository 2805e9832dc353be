#pragma once
#include <QDateTime>
#include <QtGlobal>
#include <functional>
#include <vector>

// Time, pauses and yielding to the event loop. Everything in the program that waits goes through here,
// so the whole program runs on a virtual clock in tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time in microseconds since an arbitrary start.
    virtual qint64 now_us() const = 0;
    double now_ms() const { return now_us() / 1000.0; }
    // Seconds since midnight (the time-of-day timer rates are measured with).
    virtual double time_of_day() const = 0;
    // Wall-clock date and time, for file headers and printed pages.
    virtual QDateTime date_time() const = 0;
    // Blocking pause: no events are processed meanwhile.
    virtual void sleep_ms(double ms) = 0;
    // One pass of the event loop. With exclude_user_input, mouse and key events wait for a later pass.
    virtual void yield(bool exclude_user_input = false) = 0;
    // Pause while yielding to the event loop.
    void pause_yielding(double ms, bool exclude_user_input = false);
};

class RealClock : public Clock {
public:
    RealClock();
    qint64 now_us() const override;
    double time_of_day() const override;
    QDateTime date_time() const override;
    void sleep_ms(double ms) override;
    void yield(bool exclude_user_input = false) override;

private:
    qint64 start_ns_;
};

// Test clock: a pause advances time at once; simulated instruments charge their own work with advance().
class VirtualClock : public Clock {
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(10, 0, 0)));
    qint64 now_us() const override { return now_us_; }
    double time_of_day() const override;
    QDateTime date_time() const override;
    void sleep_ms(double ms) override { advance_us(qint64(ms * 1000.0 + 0.5)); }
    void yield(bool exclude_user_input = false) override;
    void advance_us(qint64 us);
    void advance_ms(double ms) { advance_us(qint64(ms * 1000.0 + 0.5)); }
    int yield_count() const { return yields_; }
    // Called on every yield, before the event loop runs: tests press buttons from here.
    std::function<void()> on_yield;
    // Also run the Qt event loop on a yield (off for pure logic tests).
    bool process_events = true;

private:
    qint64 now_us_ = 0;
    QDateTime start_;
    int yields_ = 0;
};
