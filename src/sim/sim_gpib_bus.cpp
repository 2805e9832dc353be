#include "sim/sim_gpib_bus.h"

#include "platform/clock.h"
#include "sim/sim_instrument.h"
#include "sim/wire_log.h"

#include <algorithm>

namespace {
const QString channel = QStringLiteral("gpib");
// A time-out code of 0 means no limit; the simulation still gives up after this long.
constexpr double unlimited_wait_s = 1000.0;
}  // namespace

SimGpibBus::SimGpibBus(Clock& clock, WireLog& log) : clock_(clock), log_(log) {}

void SimGpibBus::attach(int address, SimInstrument* instrument)
{
    if (instrument)
        devices_[address] = instrument;
    else
        detach(address);
}

void SimGpibBus::detach(int address)
{
    devices_.remove(address);
    remainder_.remove(address);
}

void SimGpibBus::no_listener(int address, bool on)
{
    if (on)
        not_listening_.insert(address);
    else
        not_listening_.remove(address);
}

void SimGpibBus::always_timeout(int address, bool on)
{
    if (on)
        timing_out_.insert(address);
    else
        timing_out_.remove(address);
}

void SimGpibBus::fail_next(const QString& call, int err) { fail_next_[call] = err; }

// ---- helpers -------------------------------------------------------------------------------------------

void SimGpibBus::set_status(int sta, int err, int cnt)
{
    status_.sta = sta;
    status_.err = err;
    status_.cnt = cnt;
    status_.cntl = cnt;
}

void SimGpibBus::fail(const char* kind, int err, int address, int extra_sta)
{
    set_status(ERR | CMPL | extra_sta, err, 0);
    log_.add(channel, QStringLiteral("error"), address, QByteArray(kind) + ' ' + QByteArray::number(err));
}

bool SimGpibBus::injected_failure(const char* call, const char* kind, int address)
{
    auto it = fail_next_.find(QLatin1String(call));
    if (it == fail_next_.end())
        it = fail_next_.find(QLatin1String(kind));
    if (it == fail_next_.end())
        return false;
    const int err = *it;
    fail_next_.erase(it);
    fail(kind, err, address);
    return true;
}

bool SimGpibBus::board_ok(int board, const char* kind, int address)
{
    if (board == 0)
        return true;
    fail(kind, ENEB, address);
    return false;
}

bool SimGpibBus::address_ok(int address, const char* kind)
{
    if (address >= 0 && address <= 30)
        return true;
    fail(kind, EARG, address);
    return false;
}

bool SimGpibBus::unit_ok(int ud, const char* kind)
{
    // Only the board's own descriptor exists; it is also its index.
    if (ud == 0)
        return true;
    fail(kind, EDVR);
    return false;
}

void SimGpibBus::charge(int bytes)
{
    if (us_per_byte > 0 && bytes > 0)
        clock_.sleep_ms(bytes * us_per_byte / 1000.0);
}

qint64 SimGpibBus::deadline_us() const
{
    double s = GpibDriver::timeout_seconds(timeout_code_);
    if (s <= 0)
        s = unlimited_wait_s;
    return clock_.now_us() + qint64(s * 1e6 + 0.5);
}

template <typename Ready>
bool SimGpibBus::wait_until(Ready ready, qint64 deadline)
{
    for (;;) {
        if (ready())
            return true;
        const qint64 now = clock_.now_us();
        if (now >= deadline)
            return false;
        qint64 wake = deadline;
        for (SimInstrument* d : std::as_const(devices_)) {
            const qint64 t = d->next_event_us();
            if (t > now)
                wake = std::min(wake, t);
        }
        clock_.sleep_ms(double(wake - now) / 1000.0);
    }
}

// ---- registration and board calls ----------------------------------------------------------------------

int SimGpibBus::register_globals()
{
    const int result = register_result ? *register_result : (registered_ ? 1 : 0);
    if (result == 0 || result == 1)
        registered_ = true;
    log_.add(channel, QStringLiteral("register"), -1, QByteArray::number(result));
    return result;
}

void SimGpibBus::unregister_globals()
{
    registered_ = false;
    log_.add(channel, QStringLiteral("unregister"), -1);
}

int SimGpibBus::ibfind(const QString& name)
{
    if (injected_failure("ibfind", "find"))
        return -1;
    if (name.compare(QLatin1String("GPIB0"), Qt::CaseInsensitive) != 0) {
        fail("find", EDVR);
        return -1;
    }
    log_.add(channel, QStringLiteral("find"), -1, name.toLatin1());
    set_status(CMPL, 0, status_.cntl);
    return 0;
}

void SimGpibBus::ibsre(int ud, int value)
{
    if (injected_failure("ibsre", "sre") || !unit_ok(ud, "sre"))
        return;
    remote_enabled_ = value != 0;
    for (SimInstrument* d : std::as_const(devices_))
        d->remote_enable(remote_enabled_);
    log_.add(channel, QStringLiteral("sre"), -1, remote_enabled_ ? "1" : "0");
    set_status(CMPL, 0, status_.cntl);
}

void SimGpibBus::ibsic(int ud)
{
    if (injected_failure("ibsic", "sic") || !unit_ok(ud, "sic"))
        return;
    clear_interface(QStringLiteral("sic"));
}

void SimGpibBus::send_ifc(int board)
{
    if (injected_failure("send_ifc", "ifc") || !board_ok(board, "ifc"))
        return;
    clear_interface(QStringLiteral("ifc"));
}

// Interface clear, by either call: every instrument hears it and no one is left talking.
void SimGpibBus::clear_interface(const QString& kind)
{
    for (SimInstrument* d : std::as_const(devices_))
        d->interface_clear();
    talker_ = -1;
    log_.add(channel, kind, -1);
    set_status(CMPL, 0, status_.cntl);
}

void SimGpibBus::ibtmo(int ud, int code)
{
    if (injected_failure("ibtmo", "tmo") || !unit_ok(ud, "tmo"))
        return;
    if (code < 0 || code > 17) {
        fail("tmo", EARG);
        return;
    }
    timeout_code_ = code;
    log_.add(channel, QStringLiteral("tmo"), -1, QByteArray::number(code));
    set_status(CMPL, 0, status_.cntl);
}

void SimGpibBus::ibwait(int ud, int mask)
{
    if (injected_failure("ibwait", "wait") || !unit_ok(ud, "wait"))
        return;
    const int count = status_.cntl;
    if (mask & SRQI) {
        const auto requested = [this] {
            for (SimInstrument* d : std::as_const(devices_))
                if (d->requesting_service())
                    return true;
            return false;
        };
        const bool got = wait_until(requested, deadline_us());
        log_.add(channel, QStringLiteral("wait"), -1, got ? "SRQI" : "TIMO");
        set_status(CMPL | (got ? SRQI : TIMO), 0, count);
    } else if (mask & TIMO) {
        wait_until([] { return false; }, deadline_us());
        log_.add(channel, QStringLiteral("wait"), -1, "TIMO");
        set_status(CMPL | TIMO, 0, count);
    } else {
        log_.add(channel, QStringLiteral("wait"), -1);
        set_status(CMPL, 0, count);
    }
}

// ---- device calls --------------------------------------------------------------------------------------

// The checks every call to one instrument makes first: an injected failure, the board, the address.
bool SimGpibBus::addressable(const char* call, const char* kind, int board, int address)
{
    return !injected_failure(call, kind, address) && board_ok(board, kind, address) &&
           address_ok(address, kind);
}

// The instrument at the address when it listens; otherwise the call fails with ENOL.
SimInstrument* SimGpibBus::listener(const char* kind, int address)
{
    SimInstrument* dev = instrument(address);
    if (!dev || not_listening_.contains(address)) {
        fail(kind, ENOL, address);
        return nullptr;
    }
    return dev;
}

void SimGpibBus::send(int board, int address, const QByteArray& data, int)
{
    if (!addressable("send", "send", board, address))
        return;
    SimInstrument* dev = listener("send", address);
    if (!dev)
        return;
    log_.add(channel, QStringLiteral("send"), address, data);
    charge(int(data.size()));
    // Whatever the device still had to say is dropped with the new message.
    remainder_.remove(address);
    QByteArray message = data;
    if (message.endsWith("\r\n"))
        message.chop(2);
    else if (message.endsWith('\n'))
        message.chop(1);
    dev->receive_message(message);
    set_status(CMPL, 0, int(data.size()));
}

void SimGpibBus::read_from(int address, QByteArray& buffer, int max_count, int termination)
{
    if (max_count <= 0) {
        fail("receive", EARG, address);
        return;
    }
    QByteArray reply;
    const auto rest = remainder_.find(address);
    if (rest != remainder_.end() && !rest->isEmpty()) {
        reply = *rest;
        remainder_.erase(rest);
    } else {
        remainder_.remove(address);
        SimInstrument* dev = instrument(address);
        const qint64 deadline = deadline_us();
        bool got = false;
        if (dev && !timing_out_.contains(address)) {
            dev->read_requested();
            got = wait_until(
                [&] { return dev->reply_pending() && dev->reply_ready_at_us() <= clock_.now_us(); }, deadline);
        } else {
            wait_until([] { return false; }, deadline);
        }
        if (got)
            reply = dev->take_reply();
        if (reply.isEmpty()) {
            fail("receive", EABO, address, TIMO);
            return;
        }
    }
    int n = std::min<int>(max_count, int(reply.size()));
    bool end = n == reply.size();
    // A termination below 256 is an end-of-string byte that also ends the read.
    if (termination >= 0 && termination <= 0xFF) {
        const int p = int(reply.indexOf(char(termination)));
        if (p >= 0 && p < n) {
            n = p + 1;
            end = true;
        }
    }
    const QByteArray chunk = reply.left(n);
    if (n < reply.size())
        remainder_[address] = reply.mid(n);
    charge(n);
    if (buffer.size() < n)
        buffer.resize(n);
    buffer.replace(0, n, chunk);
    log_.add(channel, QStringLiteral("receive"), address, chunk);
    set_status(CMPL | (end ? END : 0), 0, n);
}

void SimGpibBus::receive(int board, int address, QByteArray& buffer, int max_count, int termination)
{
    if (!addressable("receive", "receive", board, address))
        return;
    read_from(address, buffer, max_count, termination);
}

void SimGpibBus::receive_setup(int board, int address)
{
    if (!addressable("receive_setup", "setup", board, address))
        return;
    talker_ = address;
    log_.add(channel, QStringLiteral("setup"), address);
    set_status(CMPL, 0, status_.cntl);
}

void SimGpibBus::rcv_resp_msg(int board, QByteArray& buffer, int max_count, int termination)
{
    if (injected_failure("rcv_resp_msg", "receive", talker_) || !board_ok(board, "receive", talker_))
        return;
    if (talker_ < 0) {
        fail("receive", EADR);
        return;
    }
    read_from(talker_, buffer, max_count, termination);
}

void SimGpibBus::read_status_byte(int board, int address, int* result)
{
    if (!addressable("read_status_byte", "poll", board, address))
        return;
    SimInstrument* dev = instrument(address);
    if (!dev) {
        fail("poll", ENOL, address);
        return;
    }
    const int status = dev->serial_poll();
    if (result)
        *result = status;
    charge(1);
    log_.add(channel, QStringLiteral("poll"), address, QByteArray::number(status));
    set_status(CMPL, 0, 1);
}

void SimGpibBus::dev_clear(int board, int address)
{
    if (!addressable("dev_clear", "devclear", board, address))
        return;
    SimInstrument* dev = listener("devclear", address);
    if (!dev)
        return;
    dev->device_clear();
    remainder_.remove(address);
    log_.add(channel, QStringLiteral("devclear"), address);
    set_status(CMPL, 0, status_.cntl);
}
