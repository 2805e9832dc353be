#pragma once
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/timed_bytes.h"

#include <QByteArray>

// A simulated device's end of a serial line: what it sends reaches the program byte by byte at the
// line speed on the clock, and the device is brought up to the clock's time before every look.
class TimedLineEnd : public SerialEndpoint {
public:
    explicit TimedLineEnd(Clock& clock) : clock_(clock) {}

    QByteArray take_available() override
    {
        update();
        return out_.take_at(clock_.now_us());
    }
    int available() override
    {
        update();
        return out_.count_at(clock_.now_us());
    }
    void host_opened() override { update(); }

    // Moves what has fallen due (replies, call progress, service requests) onto the line.
    virtual void update() = 0;

    // Line speed towards the program; 960 bytes/s is 9600 baud with 10 bits a byte. 0: instantaneous.
    double line_bytes_per_second = 960.0;

protected:
    // Queues bytes leaving at start_us, or once the line is free.
    void queue(const QByteArray& bytes, qint64 start_us)
    {
        out_.push(bytes, start_us, line_bytes_per_second > 0 ? 1e6 / line_bytes_per_second : 0.0);
    }

    Clock& clock_;
    TimedBytes out_;
};
