// Number texts both ways: the leading-number parse of replies and entry boxes, the checks of readings
// and of typed numbers, and the forms numbers are written in. Input: 8 bytes of a double, then a text
// used as the parsed text and as the pattern. A check that lets through what it promises to refuse
// aborts the run.
#include "util/entry_rule.h"
#include "util/number_text.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const double parsed = numtext::val(bytes);
    const QString text = QString::fromUtf8(bytes);
    numtext::val(text);

    // A kept reading is a finite single, and only from a text that holds a number.
    if (const std::optional<double> reading = numtext::val_finite_single(bytes))
        if (!std::isfinite(*reading) || std::fabs(*reading) > FLT_MAX || !numtext::has_number(bytes))
            std::abort();
    // A number that may be sent is ASCII digits, signs, a point and an exponent, and finite.
    if (numtext::is_well_formed_number(text)) {
        for (const QChar c : text)
            if (!QStringLiteral("0123456789+-.eE").contains(c))
                std::abort();
        if (!std::isfinite(numtext::val(text)))
            std::abort();
    }

    // What a box may send above zero is a trimmed well-formed number, finite and above zero.
    if (const auto sent = entry::sendable(text, entry::kAboveZero))
        if (!numtext::is_well_formed_number(sent->text) || !(sent->value > 0) || !std::isfinite(sent->value) ||
            sent->text != sent->text.trimmed())
            std::abort();

    double v = parsed;
    QString pattern = QString::fromLatin1(bytes);
    if (size >= 8) {
        std::memcpy(&v, data, 8);
        pattern = QString::fromLatin1(bytes.mid(8)).left(64);
    }
    for (const double x : {v, parsed}) {
        numtext::str_double(x);
        numtext::cstr_double(x);
        numtext::format(x, pattern);
        numtext::cint(x);
        numtext::clng(x);
        numtext::fix(x);
        numtext::int_floor(x);
        // A double beyond a single's range does not convert: only what fits is tried as one.
        if (!std::isfinite(x) || std::fabs(x) <= FLT_MAX) {
            const float f = static_cast<float>(x);
            numtext::str_single(f);
            numtext::cstr_single(f);
            numtext::format_single(f, pattern);
        }
    }
    numtext::pad_right(pattern, int(size % 300));
    return 0;
}
