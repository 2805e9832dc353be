#pragma once
#include "platform/prompts.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <vector>

// What the figures of a benchmark are printed with: the machine, the build, the boxes met.

inline QString cpu_model()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("model name"))
            return QString::fromLatin1(line.mid(line.indexOf(':') + 1)).trimmed();
    return QStringLiteral("unknown");
}

// A debug build's figures say little; a release build says so too.
inline void print_build()
{
#ifdef NDEBUG
    std::printf("build: release\n");
#else
    std::printf("build: debug (figures are not representative)\n");
#endif
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Every box shown since the last call, one line each, then forgotten.
inline void report_boxes(RecordingPrompts& prompts, const char* where)
{
    for (const QString& b : prompts.boxes())
        std::printf("  box during %s: %s\n", where, qPrintable(QString(b).replace(QStringLiteral("\r\n"), QStringLiteral(" / "))));
    prompts.clear();
}
