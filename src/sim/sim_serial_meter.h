#pragma once
#include "sim/timed_line_end.h"

#include <QByteArray>
#include <random>

class Clock;
class SimMeter;
class WireLog;

// The meter's serial front end. A program message is a line ended by CR LF. Every reply goes back with
// one leading character the program's reader removes: "R" for an ordinary reply, "P" for the answer to
// a serial poll. Commands beginning with "!" act the moment their fourth character arrives, line end or
// not: "!DCL" device clear, "!SPL" serial poll, "!BYE" end of session. When the meter raises a service
// request on its event summary bit, an unsolicited "SRQ" line goes out.
class SimSerialMeter : public TimedLineEnd {
public:
    SimSerialMeter(SimMeter& meter, Clock& clock, WireLog& log);

    // SerialEndpoint
    void receive_from_host(const QByteArray& bytes) override;
    void host_closed() override;

    // Moves the meter's ready replies and service requests onto the line; done on every call above.
    void update() override;
    // When the next byte reaches the program; -1 when nothing is on the way.
    qint64 next_arrival_us() const override { return out_.next_at_us(); }

    SimMeter& meter() { return meter_; }
    int address() const;

    // Fault injection.
    bool silent = false;          // nothing comes back: no replies, poll answers or service requests
    void drop_after(int bytes) { drop_after_ = bytes; }  // the next reply is cut after this many bytes
    bool garble_next = false;     // the next reply keeps its framing but its content is noise
    // Bytes sent to the program exactly as given (line noise, or a reply the meter would not make).
    void inject(const QByteArray& bytes);

    // Times "!BYE" has ended a session.
    int sessions_ended() const { return sessions_ended_; }

private:
    void handle_byte(char c);
    bool try_immediate();
    void send_line_to_meter();
    QByteArray garbled(const QByteArray& wire);

    SimMeter& meter_;
    WireLog& log_;
    QByteArray line_;
    bool srq_sent_ = false;
    int drop_after_ = -1;
    int sessions_ended_ = 0;
    std::mt19937 noise_{20260115u};
};
