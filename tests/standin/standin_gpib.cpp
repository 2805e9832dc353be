// A stand-in for the system's 488.2 library, for tests only: a shared object exporting the same C calls,
// numbered as the system library numbers them, answering from the simulated bench and recording every
// call. It is loaded only where a test names it. Built twice: whole, and without ReadStatusByte.
#include "platform/clock.h"
#include "sim/sim_bench.h"
#include "sim/sim_gpib_bus.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The system library's numbering.
constexpr int lib_NLend = 2, lib_DABend = 1, lib_STOPend = 0x100;

struct StandIn {
    VirtualClock clock;
    SimBench bench{clock};
    QStringList calls;
    QByteArray text;  // keeps the last text handed out alive
};

std::unique_ptr<StandIn>& instance()
{
    static std::unique_ptr<StandIn> s;
    return s;
}

StandIn& si()
{
    if (!instance())
        instance() = std::make_unique<StandIn>();
    return *instance();
}

SimGpibBus& bus() { return si().bench.bus(); }

void record(const QString& line) { si().calls << line; }

int link_end_mode(int eot)
{
    if (eot == lib_NLend)
        return GpibDriver::NLend;
    if (eot == lib_DABend)
        return GpibDriver::NULLend;  // the bus has no separate END-only mode
    return GpibDriver::NULLend;
}

int link_termination(int term) { return term == lib_STOPend ? GpibDriver::STOPend : term; }

void copy_out(const QByteArray& from, void* buffer, long count)
{
    const long n = qMin<long>(count, from.size());
    memcpy(buffer, from.constData(), size_t(qMax<long>(0, n)));
}

const char* hand_out(const QByteArray& text)
{
    si().text = text;
    return si().text.constData();
}

}  // namespace

STANDIN_EXPORT int ibfind(const char* name)
{
    record(QStringLiteral("ibfind %1").arg(QString::fromLocal8Bit(name)));
    return bus().ibfind(QString::fromLocal8Bit(name));
}

STANDIN_EXPORT int ibsre(int ud, int v)
{
    record(QStringLiteral("ibsre %1 %2").arg(ud).arg(v));
    bus().ibsre(ud, v);
    return bus().status().sta;
}

STANDIN_EXPORT int ibsic(int ud)
{
    record(QStringLiteral("ibsic %1").arg(ud));
    bus().ibsic(ud);
    return bus().status().sta;
}

STANDIN_EXPORT int ibtmo(int ud, int v)
{
    record(QStringLiteral("ibtmo %1 %2").arg(ud).arg(v));
    bus().ibtmo(ud, v);
    return bus().status().sta;
}

STANDIN_EXPORT int ibwait(int ud, int mask)
{
    record(QStringLiteral("ibwait %1 0x%2").arg(ud).arg(mask, 0, 16));
    bus().ibwait(ud, mask);
    return bus().status().sta;
}

STANDIN_EXPORT void Send(int board, unsigned short address, const void* data, long count, int eot)
{
    const QByteArray bytes(static_cast<const char*>(data), int(count));
    record(QStringLiteral("Send %1 %2 %3 eot=%4").arg(board).arg(address).arg(QString::fromLatin1(bytes)).arg(eot));
    bus().send(board, address, bytes, link_end_mode(eot));
}

STANDIN_EXPORT void Receive(int board, unsigned short address, void* buffer, long count, int term)
{
    record(QStringLiteral("Receive %1 %2 count=%3 term=0x%4").arg(board).arg(address).arg(count).arg(term, 0, 16));
    QByteArray b(int(count), '\0');
    bus().receive(board, address, b, int(count), link_termination(term));
    copy_out(b.left(bus().status().cntl), buffer, count);
}

STANDIN_EXPORT void ReceiveSetup(int board, unsigned short address)
{
    record(QStringLiteral("ReceiveSetup %1 %2").arg(board).arg(address));
    bus().receive_setup(board, address);
}

STANDIN_EXPORT void RcvRespMsg(int board, void* buffer, long count, int term)
{
    record(QStringLiteral("RcvRespMsg %1 count=%2 term=0x%3").arg(board).arg(count).arg(term, 0, 16));
    QByteArray b(int(count), '\0');
    bus().rcv_resp_msg(board, b, int(count), link_termination(term));
    copy_out(b.left(bus().status().cntl), buffer, count);
}

#ifndef STANDIN_WITHOUT_READSTATUSBYTE
STANDIN_EXPORT void ReadStatusByte(int board, unsigned short address, short* result)
{
    record(QStringLiteral("ReadStatusByte %1 %2").arg(board).arg(address));
    int r = 0;
    bus().read_status_byte(board, address, &r);
    *result = short(r);
}
#endif

STANDIN_EXPORT void SendIFC(int board)
{
    record(QStringLiteral("SendIFC %1").arg(board));
    bus().send_ifc(board);
}

STANDIN_EXPORT void DevClear(int board, unsigned short address)
{
    record(QStringLiteral("DevClear %1 %2").arg(board).arg(address));
    bus().dev_clear(board, address);
}

STANDIN_EXPORT int ThreadIbsta() { return bus().status().sta; }
STANDIN_EXPORT int ThreadIberr() { return bus().status().err; }
STANDIN_EXPORT int ThreadIbcnt() { return bus().status().cntl; }
STANDIN_EXPORT long ThreadIbcntl() { return bus().status().cntl; }

// Test controls.
STANDIN_EXPORT void pelmora_standin_reset() { instance().reset(); }
STANDIN_EXPORT const char* pelmora_standin_calls() { return hand_out(si().calls.join(QLatin1Char('\n')).toLatin1()); }
STANDIN_EXPORT const char* pelmora_standin_wire()
{
    // Replies hold any byte (a trace block holds NULs and line feeds): each line goes out percent-encoded.
    QByteArray out;
    for (const QString& line : si().bench.log().lines())
        out += line.toLatin1().toPercentEncoding(" ") + '\n';
    return hand_out(out);
}
STANDIN_EXPORT void pelmora_standin_fail_next(const char* call, int err)
{
    bus().fail_next(QString::fromLatin1(call), err);
}
STANDIN_EXPORT void pelmora_standin_always_timeout(int address, int on) { bus().always_timeout(address, on != 0); }
