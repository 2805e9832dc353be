#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The GPIB driver calls the link makes. After every call the driver has written its status word, error
// code and byte count, which status() returns (the thread status cells of a real driver).
class GpibDriver {
public:
    // Status word bits.
    static constexpr int ERR = 0x8000;
    static constexpr int TIMO = 0x4000;
    static constexpr int END = 0x2000;
    static constexpr int SRQI = 0x1000;
    static constexpr int CMPL = 0x0100;
    // Error codes.
    static constexpr int EDVR = 0, ECIC = 1, ENOL = 2, EADR = 3, EARG = 4, ESAC = 5, EABO = 6, ENEB = 7;
    // End modes and termination.
    static constexpr int NLend = 1, NULLend = 0, STOPend = 0x100;

    struct Status {
        qint32 sta = 0;
        qint32 err = 0;
        qint32 cnt = 0;
        qint32 cntl = 0;
    };

    virtual ~GpibDriver() = default;

    // 0 registered, 1 already registered, 2 no threads, 3 unable to register.
    virtual int register_globals() = 0;
    virtual void unregister_globals() = 0;
    virtual Status status() const = 0;

    virtual int ibfind(const QString& name) = 0;
    virtual void ibsre(int ud, int value) = 0;
    virtual void ibsic(int ud) = 0;
    virtual void ibtmo(int ud, int code) = 0;
    virtual void ibwait(int ud, int mask) = 0;
    virtual void send(int board, int address, const QByteArray& data, int end_mode) = 0;
    // Reads at most max_count bytes into the front of buffer (which keeps its length).
    virtual void receive(int board, int address, QByteArray& buffer, int max_count, int termination) = 0;
    virtual void receive_setup(int board, int address) = 0;
    virtual void rcv_resp_msg(int board, QByteArray& buffer, int max_count, int termination) = 0;
    virtual void read_status_byte(int board, int address, int* result) = 0;
    virtual void send_ifc(int board) = 0;
    virtual void dev_clear(int board, int address) = 0;

    // Time-out codes to seconds: 0 none, 1 10 us ... 11 1 s, 12 3 s, 13 10 s, 14 30 s, 15 100 s, 16 300 s, 17 1000 s.
    static double timeout_seconds(int code);
};
