#include "platform/system_gpib.h"

#include <dlfcn.h>

// Bus addresses go to the library as its 16-bit address type (primary address, no secondary).
using Addr = unsigned short;

struct SystemGpibDriver::Calls {
    int (*ibfind)(const char*) = nullptr;
    int (*ibsre)(int, int) = nullptr;
    int (*ibsic)(int) = nullptr;
    int (*ibtmo)(int, int) = nullptr;
    int (*ibwait)(int, int) = nullptr;
    void (*Send)(int, Addr, const void*, long, int) = nullptr;
    void (*Receive)(int, Addr, void*, long, int) = nullptr;
    void (*ReceiveSetup)(int, Addr) = nullptr;
    void (*RcvRespMsg)(int, void*, long, int) = nullptr;
    void (*ReadStatusByte)(int, Addr, short*) = nullptr;
    void (*SendIFC)(int) = nullptr;
    void (*DevClear)(int, Addr) = nullptr;
    int (*ThreadIbsta)() = nullptr;
    int (*ThreadIberr)() = nullptr;
    long (*ThreadIbcntl)() = nullptr;
};

namespace {

template <typename F>
bool resolve(void* handle, const char* name, F& target)
{
    void* symbol = ::dlsym(handle, name);
    target = reinterpret_cast<F>(symbol);
    return symbol != nullptr;
}

// Status bits the link acts on, by meaning; the library's other bits pass as they are.
struct BitPair {
    int library;
    int link;
};
constexpr BitPair status_bits[] = {
    {0x8000, GpibDriver::ERR}, {0x4000, GpibDriver::TIMO}, {0x2000, GpibDriver::END},
    {0x1000, GpibDriver::SRQI}, {0x0100, GpibDriver::CMPL},
};

// The library's error codes with the meaning the link gives them.
struct ErrorPair {
    int library;
    int link;
};
constexpr ErrorPair error_codes[] = {
    {0, GpibDriver::EDVR}, {1, GpibDriver::ECIC}, {2, GpibDriver::ENOL}, {3, GpibDriver::EADR},
    {4, GpibDriver::EARG}, {5, GpibDriver::ESAC}, {6, GpibDriver::EABO}, {7, GpibDriver::ENEB},
    {8, 8 /* EDMA */},     {10, 10 /* EOIP */},   {11, 11 /* ECAP */},   {12, 12 /* EFSO */},
    {14, 14 /* EBUS */},   {15, 15 /* ESTB */},   {16, 16 /* ESRQ */},   {20, 20 /* ETAB */},
};

}  // namespace

QStringList SystemGpibDriver::required_calls()
{
    return {QStringLiteral("ibfind"),       QStringLiteral("ibsre"),        QStringLiteral("ibsic"),
            QStringLiteral("ibtmo"),        QStringLiteral("ibwait"),       QStringLiteral("Send"),
            QStringLiteral("Receive"),      QStringLiteral("ReceiveSetup"), QStringLiteral("RcvRespMsg"),
            QStringLiteral("ReadStatusByte"), QStringLiteral("SendIFC"),    QStringLiteral("DevClear"),
            QStringLiteral("ThreadIbsta"),  QStringLiteral("ThreadIberr"),  QStringLiteral("ThreadIbcntl")};
}

SystemGpibDriver::Loaded SystemGpibDriver::load(const QString& library)
{
    Loaded out;
    const QByteArray name = library.toLocal8Bit();
    ::dlerror();
    void* handle = ::dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        out.error = why ? QString::fromLocal8Bit(why) : QStringLiteral("cannot be opened");
        return out;
    }
    auto calls = std::make_unique<Calls>();
    Calls& c = *calls;
    // In the order of required_calls().
    const bool found[] = {
        resolve(handle, "ibfind", c.ibfind),
        resolve(handle, "ibsre", c.ibsre),
        resolve(handle, "ibsic", c.ibsic),
        resolve(handle, "ibtmo", c.ibtmo),
        resolve(handle, "ibwait", c.ibwait),
        resolve(handle, "Send", c.Send),
        resolve(handle, "Receive", c.Receive),
        resolve(handle, "ReceiveSetup", c.ReceiveSetup),
        resolve(handle, "RcvRespMsg", c.RcvRespMsg),
        resolve(handle, "ReadStatusByte", c.ReadStatusByte),
        resolve(handle, "SendIFC", c.SendIFC),
        resolve(handle, "DevClear", c.DevClear),
        resolve(handle, "ThreadIbsta", c.ThreadIbsta),
        resolve(handle, "ThreadIberr", c.ThreadIberr),
        resolve(handle, "ThreadIbcntl", c.ThreadIbcntl),
    };
    const QStringList names = required_calls();
    for (int i = 0; i < names.size(); ++i) {
        if (!found[i]) {
            out.missing_call = names[i];
            ::dlclose(handle);
            return out;
        }
    }
    out.driver.reset(new SystemGpibDriver(handle, library, std::move(calls)));
    return out;
}

SystemGpibDriver::SystemGpibDriver(void* handle, QString library, std::unique_ptr<Calls> calls)
    : handle_(handle), library_(std::move(library)), calls_(std::move(calls))
{
}

SystemGpibDriver::~SystemGpibDriver()
{
    calls_.reset();
    if (handle_)
        ::dlclose(handle_);
}

int SystemGpibDriver::library_end_mode(int end_mode)
{
    switch (end_mode) {
    case GpibDriver::NLend: return Library::NLend;
    case GpibDriver::NULLend: return Library::NULLend;
    default: return Library::NLend;
    }
}

int SystemGpibDriver::library_termination(int termination)
{
    // STOPend: end on END only; anything else is an end-of-string character.
    return termination == GpibDriver::STOPend ? Library::STOPend : (termination & 0xFF);
}

int SystemGpibDriver::status_from_library(int sta)
{
    int mapped = 0;
    int rest = sta;
    for (const BitPair& b : status_bits) {
        if (sta & b.library)
            mapped |= b.link;
        rest &= ~b.library;
    }
    return mapped | rest;
}

int SystemGpibDriver::error_from_library(int err)
{
    for (const ErrorPair& e : error_codes)
        if (e.library == err)
            return e.link;
    return err;
}

void SystemGpibDriver::read_status()
{
    status_.sta = status_from_library(calls_->ThreadIbsta());
    status_.err = error_from_library(calls_->ThreadIberr());
    const long count = calls_->ThreadIbcntl();
    status_.cntl = static_cast<qint32>(count);
    status_.cnt = static_cast<qint32>(count);
}

// The library keeps its status per thread and offers it through its Thread* calls; there are no
// cells to hand over, so registering only records that the link has asked.
int SystemGpibDriver::register_globals()
{
    if (registered_)
        return 1;
    registered_ = true;
    return 0;
}

void SystemGpibDriver::unregister_globals() { registered_ = false; }

int SystemGpibDriver::ibfind(const QString& name)
{
    const QByteArray n = name.toLocal8Bit();
    const int ud = calls_->ibfind(n.constData());
    read_status();
    return ud;
}

void SystemGpibDriver::ibsre(int ud, int value)
{
    calls_->ibsre(ud, value);
    read_status();
}

void SystemGpibDriver::ibsic(int ud)
{
    calls_->ibsic(ud);
    read_status();
}

void SystemGpibDriver::ibtmo(int ud, int code)
{
    // Both number their time-outs alike: 0 none, 1 10 us ... 17 1000 s.
    calls_->ibtmo(ud, code);
    read_status();
}

void SystemGpibDriver::ibwait(int ud, int mask)
{
    int library_mask = 0;
    for (const BitPair& b : status_bits)
        if (mask & b.link)
            library_mask |= b.library;
    calls_->ibwait(ud, library_mask);
    read_status();
}

void SystemGpibDriver::send(int board, int address, const QByteArray& data, int end_mode)
{
    calls_->Send(board, static_cast<Addr>(address), data.constData(), static_cast<long>(data.size()),
                 library_end_mode(end_mode));
    read_status();
}

void SystemGpibDriver::into_buffer(QByteArray& buffer, const QByteArray& data)
{
    const int n = qBound(0, status_.cntl, static_cast<int>(data.size()));
    for (int i = 0; i < n && i < buffer.size(); ++i)
        buffer[i] = data[i];
}

void SystemGpibDriver::receive(int board, int address, QByteArray& buffer, int max_count, int termination)
{
    QByteArray data(qMax(0, max_count), '\0');
    calls_->Receive(board, static_cast<Addr>(address), data.data(), static_cast<long>(data.size()),
                    library_termination(termination));
    read_status();
    into_buffer(buffer, data);
}

void SystemGpibDriver::receive_setup(int board, int address)
{
    calls_->ReceiveSetup(board, static_cast<Addr>(address));
    read_status();
}

void SystemGpibDriver::rcv_resp_msg(int board, QByteArray& buffer, int max_count, int termination)
{
    QByteArray data(qMax(0, max_count), '\0');
    calls_->RcvRespMsg(board, data.data(), static_cast<long>(data.size()), library_termination(termination));
    read_status();
    into_buffer(buffer, data);
}

void SystemGpibDriver::read_status_byte(int board, int address, int* result)
{
    short value = 0;
    calls_->ReadStatusByte(board, static_cast<Addr>(address), &value);
    read_status();
    if (result)
        *result = value;
}

void SystemGpibDriver::send_ifc(int board)
{
    calls_->SendIFC(board);
    read_status();
}

void SystemGpibDriver::dev_clear(int board, int address)
{
    calls_->DevClear(board, static_cast<Addr>(address));
    read_status();
}

int NoGpibDriver::register_globals()
{
    if (registered_)
        return 1;
    registered_ = true;
    return 0;
}

int NoGpibDriver::ibfind(const QString&)
{
    fail();
    return -1;
}
