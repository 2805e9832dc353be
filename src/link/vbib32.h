#pragma once
#include <QByteArray>
#include <QString>

// The instrument link: driver calls routed to GPIB, or to the main window's serial port for the meter
// when the serial link is chosen. Callers name a board and a bus address and never know which link
// carries the traffic. Status words of the last call are in g().ibsta, iberr, ibcnt and ibcntl.
namespace vbib32 {

constexpr int NLend = 1;
constexpr int STOPend = 256;
constexpr int ERR = 0x8000;
constexpr int TIMO = 0x4000;
constexpr int SRQI = 0x1000;

// A fixed-length text buffer of n blanks, as callers hand to Receive.
QByteArray fixed_buffer(int n);

void Send(int board, int address, const QByteArray& text, int end_mode = NLend);
inline void Send(int board, int address, const QString& text, int end_mode = NLend)
{
    Send(board, address, text.toLatin1(), end_mode);
}
inline void Send(int board, int address, const char* text, int end_mode = NLend)
{
    Send(board, address, QByteArray(text), end_mode);
}
// Reads into the caller's fixed-length buffer: at most its length in bytes.
void Receive(int board, int address, QByteArray& buffer, int termination = STOPend);
void DevClear(int board, int address);
void ReadStatusByte(int board, int address, int& result);
void wait_srq(int board, int& result);
void SendIFC(int board);
void ibtmo(int unit, int timeout_code);
void ibfind(const QString& name, int& unit);
void ibsre(int unit, int value);
void ibsic(int unit);
void ibwait(int unit, int mask);
void ReceiveSetup(int board, int address);
void RcvRespMsg(int board, QByteArray& buffer, int termination = STOPend);

// The serial route's own pieces, also used by the modem dialler and the main window's exit.
void serial_write(const QByteArray& text);
// Reads one reply; out is set only when a byte arrives (a late reply gives an empty text).
bool serial_read(QByteArray& out);

// The buffer as text, byte for byte (a fixed-length buffer keeps its blanks).
QString text_of(const QByteArray& buffer);

}  // namespace vbib32
