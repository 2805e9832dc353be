#include "link/vbib32.h"

#include "link/globals.h"
#include "link/link_exchange.h"
#include "platform/clock.h"
#include "platform/gpib_driver.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "util/number_text.h"

#include <algorithm>
#include <cmath>

namespace vbib32 {
namespace {

// A 32-bit value's low 16 bits, read as signed.
qint16 low16(qint32 v) { return static_cast<qint16>(static_cast<quint16>(v & 0xFFFF)); }

void register_globals()
{
    Globals& gs = g();
    if (!gs.gpib_in_use || gs.gpib_globals_registered)
        return;
    GpibDriver* drv = platform().gpib;
    if (!drv)
        return;
    Prompts& prompts = *platform().prompts;
    // A failed registration ends the program after saying why; the driver is released where it took part.
    const auto quit = [&](const QString& why, bool unregister) {
        prompts.message_box(why, Prompts::Buttons::Ok, Prompts::Icon::Critical);
        if (unregister)
            drv->unregister_globals();
        if (platform().end_system)
            platform().end_system();
    };
    switch (drv->register_globals()) {
    case 0:
        gs.gpib_globals_registered = true;
        break;
    case 1:
        drv->unregister_globals();
        drv->register_globals();
        gs.gpib_globals_registered = true;
        break;
    case 2:
        quit(QStringLiteral("Operating System is not multi-threaded. Quitting the Program!"), true);
        break;
    case 3:
        quit(QStringLiteral("Unable to register GPIB thread globals. Quitting the Program!"), true);
        break;
    default:
        quit(QStringLiteral("Unknown Error for Registering GPIB Globals!!! Quitting the Program!"), false);
        break;
    }
}

// Every driver call: register on first use, call, copy the status cells.
template <typename F>
void driver_call(F&& call)
{
    register_globals();
    GpibDriver* drv = platform().gpib;
    if (!drv)
        return;
    call(*drv);
    const GpibDriver::Status st = drv->status();
    Globals& gs = g();
    gs.ibsta = low16(st.sta);
    gs.iberr = static_cast<qint16>(st.err);
    gs.ibcntl = st.cntl;
    gs.ibcnt = low16(st.cntl);
}

bool serial_route(int address)
{
    const Globals& gs = g();
    return gs.serial_in_use && address == gs.meter_address;
}

bool gpib_route() { return g().gpib_in_use; }

SerialPort* port() { return platform().serial; }

Clock& clk() { return *platform().clock; }

// Waits inside the link never let a click in: a command of its own could land between another
// command's request and its reply.
void yield_link() { clk().yield(true); }

constexpr double kFirstByteMs = 10'000;
constexpr qint64 kReplyUs = 20'000'000;
// Longer than any reply the meter gives (its 812-byte block) and than any caller's buffer: a device
// that sends more is streaming noise, and what it sends is dropped.
constexpr int kMaxReply = 4096;

// The length a block header announces: the three characters after " #" and the digit count, read as
// a number, plus 12 for the lead character, the header and the final byte. A text that is no small
// whole number announces nothing (0).
int block_length(const QByteArray& reply, int p)
{
    const double n = numtext::val(reply.mid(p + 3, 3));
    if (!(n >= 0 && n <= 999) || n != std::floor(n))
        return 0;
    return int(n) + 12;
}

// Assigning a reply to a fixed-length buffer: cut, or padded with blanks.
void assign_fixed(QByteArray& buffer, const QByteArray& value)
{
    const int n = buffer.size();
    QByteArray v = value.left(n);
    if (v.size() < n)
        v.append(QByteArray(n - v.size(), ' '));
    buffer = v;
}

}  // namespace

QByteArray fixed_buffer(int n) { return QByteArray(n, ' '); }

QString text_of(const QByteArray& buffer) { return QString::fromLatin1(buffer); }

void serial_write(const QByteArray& text)
{
    SerialPort* sp = port();
    if (!sp || !sp->is_open())
        return;
    sp->discard_output();
    sp->discard_input();
    sp->write(text + "\r\n");
    if (sp->out_count() <= 0)
        return;
    // The drain is bounded: 2 s plus the line time of the text at the port's speed.
    int baud = 9600;
    SerialPort::parse_settings(sp->settings(), &baud, nullptr, nullptr, nullptr);
    const double limit_ms = 2000.0 + (text.size() + 2) * 10.0 * 1000.0 / std::max(baud, 1);
    const qint64 start = clk().now_us();
    while (sp->out_count() > 0 && (clk().now_us() - start) / 1000.0 < limit_ms) {
        yield_link();
        clk().sleep_ms(0.2);
    }
}

bool serial_read(QByteArray& out)
{
    SerialPort* sp = port();
    Clock& c = clk();
    const auto nothing = [] {
        g().ibcnt = 0;
        g().ibcntl = 0;
        return false;
    };
    // A device that has gone away fails at once: nothing more will come from it.
    if (sp && sp->lost())
        return nothing();
    if (!sp) {
        c.sleep_ms(kFirstByteMs);
        return nothing();
    }
    // The port may return early (a failing read): the wait is 10 s whatever it does.
    const qint64 first_deadline = c.now_us() + qint64(kFirstByteMs * 1000);
    while (!sp->wait_for_input(c, (first_deadline - c.now_us()) / 1000.0))
        if (sp->lost() || c.now_us() >= first_deadline)
            return nothing();
    const qint64 deadline = c.now_us() + kReplyUs;
    int block_at = -1;  // where " #" first appears
    int expected = 0;
    QByteArray reply;
    for (;;) {
        const QByteArray got = sp->read_all();
        if (!got.isEmpty()) {
            // Only what is new is searched: " #" may straddle the last byte before it.
            const int scan_from = std::max(0, int(reply.size()) - 1);
            reply += got;
            if (reply.size() > kMaxReply) {
                sp->discard_input();
                reply = "0";
                break;
            }
            if (block_at < 0)
                block_at = int(reply.indexOf(" #", scan_from));
            if (block_at >= 0) {
                if (reply.size() > 10)
                    expected = block_length(reply, block_at);
            } else if (got.back() == '\n') {
                break;
            }
        }
        if (c.now_us() > deadline || sp->lost()) {
            reply = "0";
            break;
        }
        if (block_at >= 0 && expected >= 1 && reply.size() >= expected) {
            // Complete: the block ends when the port is idle.
            if (!sp->wait_for_input(c, 0))
                break;
        } else {
            // Returns at once when more has come; otherwise blocks until it does.
            sp->wait_for_input(c, (deadline - c.now_us() + 1) / 1000.0);
        }
    }
    if (reply.size() >= 2 && (reply[0] == 'R' || reply[0] == 'P'))
        reply.remove(0, 1);
    else if (reply.size() < 2)
        reply.clear();
    out = reply;
    g().ibcnt = static_cast<qint16>(reply.size());
    g().ibcntl = reply.size();
    return true;
}

void Send(int board, int address, const QByteArray& text, int end_mode)
{
    const Exchange exchange;
    if (serial_route(address)) {
        serial_write(text);
        return;
    }
    if (g().serial_in_use || !gpib_route() || address == -1)
        return;
    driver_call([&](GpibDriver& d) { d.send(board, address, text, end_mode); });
}

void Receive(int board, int address, QByteArray& buffer, int termination)
{
    const Exchange exchange;
    if (serial_route(address)) {
        QByteArray reply;
        if (serial_read(reply))
            assign_fixed(buffer, reply);
        return;
    }
    if (g().serial_in_use || !gpib_route())
        return;
    driver_call([&](GpibDriver& d) { d.receive(board, address, buffer, buffer.size(), termination); });
}

void DevClear(int board, int address)
{
    const Exchange exchange;
    if (serial_route(address)) {
        serial_write("!DCL");
        return;
    }
    if (g().serial_in_use || !gpib_route())
        return;
    driver_call([&](GpibDriver& d) { d.dev_clear(board, address); });
}

void ReadStatusByte(int board, int address, int& result)
{
    const Exchange exchange;
    if (serial_route(address)) {
        serial_write("!SPL");
        QByteArray reply;
        if (serial_read(reply))
            g().serial_poll_reply = reply;
        // A poll that was never answered reads as status byte 0.
        const QByteArray& r = g().serial_poll_reply;
        result = r.isEmpty() ? 0 : static_cast<unsigned char>(r[0]);
        return;
    }
    if (g().serial_in_use || !gpib_route())
        return;
    int value = 0;
    driver_call([&](GpibDriver& d) { d.read_status_byte(board, address, &value); });
    result = low16(value);
}

void wait_srq(int board, int& result)
{
    const Exchange exchange;
    if (g().serial_in_use) {
        SerialPort* sp = port();
        Clock& c = clk();
        result = 0;
        if (sp && sp->lost())
            return;
        const qint64 start = c.now_us();
        for (;;) {
            if (sp && sp->in_count() > 0)
                break;
            const qint64 left = 10'000'000 - (c.now_us() - start);
            if (left <= 0 || (sp && sp->lost()))
                return;
            yield_link();
            if (sp)
                sp->wait_for_input(c, std::min<qint64>(left, 10'000) / 1000.0);
            else
                c.sleep_ms(std::min<qint64>(left, 10'000) / 1000.0);
        }
        // Read the line; bounded at 20 s once its first byte has come, and in length.
        const qint64 deadline = c.now_us() + kReplyUs;
        QByteArray text;
        for (;;) {
            const QByteArray got = sp->read_all();
            text += got;
            if (text.size() > kMaxReply) {
                sp->discard_input();
                return;
            }
            if (!got.isEmpty() && got.back() == '\n' && !sp->wait_for_input(c, 0))
                break;
            if (c.now_us() > deadline || sp->lost())
                break;
            if (got.isEmpty())
                sp->wait_for_input(c, (deadline - c.now_us() + 1) / 1000.0);
        }
        result = text.contains('S') ? 1 : 0;
        return;
    }
    if (!gpib_route())
        return;
    ibwait(board, SRQI | TIMO);
    result = (g().ibsta & SRQI) ? 1 : 0;
}

void SendIFC(int board)
{
    if (g().serial_in_use || !gpib_route())
        return;
    driver_call([&](GpibDriver& d) { d.send_ifc(board); });
}

void ibtmo(int unit, int timeout_code)
{
    if (g().serial_in_use || !gpib_route())
        return;
    driver_call([&](GpibDriver& d) { d.ibtmo(unit, timeout_code); });
}

void ibfind(const QString& name, int& unit)
{
    int ud = -1;
    driver_call([&](GpibDriver& d) { ud = d.ibfind(name); });
    unit = low16(ud);
}

void ibsre(int unit, int value)
{
    driver_call([&](GpibDriver& d) { d.ibsre(unit, value); });
}

void ibsic(int unit)
{
    driver_call([&](GpibDriver& d) { d.ibsic(unit); });
}

void ibwait(int unit, int mask)
{
    driver_call([&](GpibDriver& d) { d.ibwait(unit, mask); });
}

void ReceiveSetup(int board, int address)
{
    driver_call([&](GpibDriver& d) { d.receive_setup(board, address); });
}

void RcvRespMsg(int board, QByteArray& buffer, int termination)
{
    driver_call([&](GpibDriver& d) { d.rcv_resp_msg(board, buffer, buffer.size(), termination); });
}

}  // namespace vbib32
