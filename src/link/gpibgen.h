#pragma once
#include <QString>

// The status check run after every instrument step, and the completion-checked set-up.
namespace gpibgen {

// What gpib_error returns for the driver's system error (EDVR, whose code is 0): a failure must never
// read as success.
constexpr int system_error_result = 100;

// Shows the driver error and the step label in a "GPIB Comms error" box when the last GPIB call
// failed; returns 0 when it did not, else a positive value.
int gpib_error(const QString& label);

// Text of the box for an error code, without the label; empty for a code the driver does not name.
QString gpib_error_text(int code);

// Sends the command framed by the status handshake and waits for the meter to report completion.
// Raises AppError 32000 when either framing send fails.
bool configure_with_opc(const QString& command, int timeout, int board, int address);
bool wait_opc(int timeout, int address, int board);
int read_status_byte(int address);
int read_esr(int board, int address);
QString read_errlst(int board, int address);

}  // namespace gpibgen
