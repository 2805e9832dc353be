#include "sim/sim_serial_meter.h"

#include "platform/clock.h"
#include "sim/sim_meter.h"
#include "sim/wire_log.h"

namespace {
const QString channel = QStringLiteral("serial");
}

SimSerialMeter::SimSerialMeter(SimMeter& meter, Clock& clock, WireLog& log)
    : TimedLineEnd(clock), meter_(meter), log_(log)
{
}

int SimSerialMeter::address() const { return meter_.bench().meter_address; }

void SimSerialMeter::receive_from_host(const QByteArray& bytes)
{
    update();
    for (char c : bytes)
        handle_byte(c);
    update();
}

void SimSerialMeter::handle_byte(char c)
{
    if (c == '\n') {
        if (line_.endsWith('\r'))
            line_.chop(1);
        // The line end after an immediate command arrives as an empty line: nothing to pass on.
        if (!line_.isEmpty())
            send_line_to_meter();
        line_.clear();
        return;
    }
    line_.append(c);
    if (line_.size() == 4 && line_[0] == '!')
        try_immediate();
}

bool SimSerialMeter::try_immediate()
{
    const QByteArray command = line_.toUpper();
    const qint64 now = clock_.now_us();
    if (command == "!DCL") {
        log_.add(channel, QStringLiteral("devclear"), address());
        meter_.device_clear();
        out_.clear(now);
    } else if (command == "!SPL") {
        const int status = meter_.serial_poll();
        log_.add(channel, QStringLiteral("poll"), address(), QByteArray(1, char(status)));
        if (!silent)
            queue(QByteArray("P") + char(status) + '\n', now);
    } else if (command == "!BYE") {
        log_.add(channel, QStringLiteral("bye"), address());
        // The session is over: whatever the meter still had to say is dropped.
        meter_.device_clear();
        out_.clear(now);
        ++sessions_ended_;
    } else {
        return false;
    }
    line_.clear();
    return true;
}

void SimSerialMeter::send_line_to_meter()
{
    log_.add(channel, QStringLiteral("send"), address(), line_);
    meter_.receive_message(line_);
}

void SimSerialMeter::update()
{
    const qint64 now = clock_.now_us();
    while (meter_.reply_pending() && meter_.reply_ready_at_us() <= now) {
        const qint64 ready_at = meter_.reply_ready_at_us();
        const QByteArray reply = meter_.take_reply();
        if (reply.isEmpty())
            break;
        QByteArray wire = QByteArray("R") + reply;
        if (silent)
            continue;
        if (garble_next) {
            wire = garbled(wire);
            garble_next = false;
        }
        if (drop_after_ >= 0) {
            wire.truncate(drop_after_);
            drop_after_ = -1;
        }
        log_.add(channel, QStringLiteral("receive"), address(), wire);
        queue(wire, ready_at);
    }
    // Only the event summary bit raises the line: a reply waiting (MAV) goes out by itself anyway.
    const bool requesting = meter_.requesting_service() && (meter_.status_byte() & 32);
    if (requesting && !srq_sent_) {
        srq_sent_ = true;
        if (!silent) {
            log_.add(channel, QStringLiteral("srq"), address());
            queue("SRQ\r\n", now);
        }
    } else if (!requesting) {
        srq_sent_ = false;
    }
}

QByteArray SimSerialMeter::garbled(const QByteArray& wire)
{
    if (wire.size() < 3)
        return wire;
    QByteArray out = wire;
    // A block keeps its header so that it is read whole; its data turn to noise. A text keeps its
    // prefix and line end.
    const int header_end = wire.indexOf(" #");
    const bool block = header_end >= 0 && header_end < 11 && wire.size() > 12;
    const int first = block ? 11 : 1;
    static const char text_noise[] = "ABCDEFGHJKLMNOPQSTUVWXYZ0123456789+-.,;:*?&%$";
    for (int i = first; i < out.size() - 1; ++i) {
        const unsigned r = noise_();
        out[i] = block ? char(r & 0xFF) : text_noise[r % (sizeof(text_noise) - 1)];
    }
    return out;
}

void SimSerialMeter::inject(const QByteArray& bytes)
{
    log_.add(channel, QStringLiteral("inject"), address(), bytes);
    queue(bytes, clock_.now_us());
}

void SimSerialMeter::host_closed()
{
    update();
    line_.clear();
    out_.clear(clock_.now_us());
}
