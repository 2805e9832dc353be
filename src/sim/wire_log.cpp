#include "sim/wire_log.h"

#include "platform/clock.h"

void WireLog::add(const QString& channel, const QString& kind, int address, const QByteArray& bytes)
{
    entries_.push_back(Entry{clock_ ? clock_->now_us() : 0, channel, kind, address, bytes});
}

QStringList WireLog::sent(int address) const
{
    QStringList out;
    for (const Entry& e : entries_)
        if (e.address == address && (e.kind == QLatin1String("send")))
            out << QString::fromLatin1(e.bytes);
    return out;
}

QStringList WireLog::lines() const
{
    QStringList out;
    for (const Entry& e : entries_)
        out << QStringLiteral("%1 %2 %3").arg(e.kind).arg(e.address).arg(QString::fromLatin1(e.bytes));
    return out;
}
