#pragma once
#include <QString>

class QWidget;

namespace module1 {

// Dials the meter's site through a Hayes modem on the main window's serial port, waits up to 30 s for
// the carrier and asks the meter for its identity. True when the carrier is up and the identity names
// the RQ581xK family; reply receives the identity. With quiet, no boxes are shown.
bool modem_connect(const QString& phone_number, QString& reply, QWidget* window, bool quiet);

// The modem's set-up line: hardware flow control off, verbose result codes, echo off.
inline constexpr char modem_init_command[] = "at&h1&r2x4v1q0f1s0=1e0";

}  // namespace module1
