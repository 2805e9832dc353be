#pragma once
#include <QByteArray>
#include <QtGlobal>

// An instrument on the simulated bench, as the bus or a serial endpoint sees it.
class SimInstrument {
public:
    virtual ~SimInstrument() = default;
    // One program message, its terminator (LF / CR LF) removed.
    virtual void receive_message(const QByteArray& message) = 0;
    // A reply is queued (it may not be ready yet).
    virtual bool reply_pending() const = 0;
    // Virtual time at which the next queued reply is ready; -1 when none is queued.
    virtual qint64 reply_ready_at_us() const = 0;
    // The next whole reply, its terminator included (LF for text, the block's own final byte for blocks).
    virtual QByteArray take_reply() = 0;
    // Status byte for a serial poll; the poll clears the request-service bit.
    virtual int serial_poll() = 0;
    // The instrument asserts the service-request line.
    virtual bool requesting_service() const = 0;
    virtual void device_clear() = 0;
    // Interface clear / remote enable changes (the meter leaves remote on a GTL-like sequence).
    virtual void interface_clear() {}
    virtual void remote_enable(bool) {}
    // Virtual time of the next change the instrument makes on its own (a queued reply becoming ready, a
    // pending operation completing, a service request); -1 when nothing is scheduled. Waiting front ends
    // sleep until then instead of polling.
    virtual qint64 next_event_us() const { return -1; }
    // A reader is about to take a reply: a talk-only stream queues its next reading here.
    virtual void read_requested() {}
};
