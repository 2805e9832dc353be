#pragma once
#include <QString>

// The link choice, addresses, generator kind, modem use and serial settings kept between runs.
namespace module1 {

// True when a configuration is stored (the meter address key is present).
bool config_stored();
// Reads everything into the program-wide values and the serial port; the first key that does not
// convert stops loading with an "Error: " box.
void load_config();
// The optional device names of ports 1 and 2 (a USB adapter, a pseudo-terminal) and the files standing in
// for a pseudo-terminal's missing carrier line; never written. Also read before the configuration window
// of the first start, which opens the port.
void load_port_devices();
void save_config();

// Conversions of stored texts; false with a description when the text does not convert.
bool to_integer(const QString& text, int* out, QString* error);
bool to_boolean(const QString& text, bool* out, QString* error);
QString boolean_text(bool value);
// A phone number the modem may be given: a control character would end the dial command and start
// another ("555\r\nAT&F").
bool dialable(const QString& phone_number);

}  // namespace module1
