#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class Clock;

// Every exchange on the simulated bench, with virtual timestamps.
class WireLog {
public:
    struct Entry {
        qint64 t_us = 0;
        QString channel;  // "gpib", "serial", "modem"
        QString kind;     // "send", "receive", "devclear", "poll", "ifc", "sre", "sic", "wait", "write", "read", ...
        int address = -1;
        QByteArray bytes;
    };

    explicit WireLog(Clock* clock = nullptr) : clock_(clock) {}
    void set_clock(Clock* clock) { clock_ = clock; }
    void add(const QString& channel, const QString& kind, int address, const QByteArray& bytes = {});
    void clear() { entries_.clear(); }
    const std::vector<Entry>& entries() const { return entries_; }
    // Texts the program sent to one address, in order (GPIB sends and serial lines without CR LF).
    QStringList sent(int address) const;
    // Every entry as "kind address text", for exact sequence checks.
    QStringList lines() const;

private:
    Clock* clock_;
    std::vector<Entry> entries_;
};
