#pragma once
#include <QString>
#include <functional>

// Carrier detect for a pseudo-terminal, which has no such line: the far end writes "1" or "0" into a
// file whenever its carrier changes. A missing or unreadable file reads as no carrier.
std::function<bool()> carrier_file_probe(const QString& path);
bool carrier_file_up(const QString& path);
