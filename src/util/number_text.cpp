#include "util/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace numtext {

namespace {

constexpr int single_digits = 7;
constexpr int double_digits = 15;

// A finite non-zero magnitude rounded to a number of significant digits:
// value = d0.d1d2... x 10^exp, no trailing zeros in digits.
struct Decimal
{
    std::string digits;
    int exp = 0;
};

// std::to_chars is locale independent, so no C locale can turn "." into ",".
Decimal decompose(double magnitude, int significant)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   significant - 1);
    Decimal d;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
    }
    if (p < res.ptr) {
        ++p;
        bool neg = false;
        if (p < res.ptr && (*p == '+' || *p == '-'))
            neg = *p++ == '-';
        int e = 0;
        std::from_chars(p, res.ptr, e);
        d.exp = neg ? -e : e;
    }
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

QString non_finite(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    return v < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

// The digits of the general form without any sign; with_zero keeps the "0"
// before the point of a value below 1 (CStr), otherwise it is dropped (Str).
std::string general_magnitude(double magnitude, int significant, bool with_zero)
{
    if (magnitude == 0)
        return "0";
    const Decimal d = decompose(magnitude, significant);
    std::string out;
    if (d.exp < -4 || d.exp >= significant) {
        out.push_back(d.digits[0]);
        if (d.digits.size() > 1) {
            out.push_back('.');
            out.append(d.digits, 1);
        }
        out.push_back('E');
        out.push_back(d.exp < 0 ? '-' : '+');
        const int e = d.exp < 0 ? -d.exp : d.exp;
        if (e < 10)
            out.push_back('0');
        out.append(std::to_string(e));
        return out;
    }
    if (d.exp >= 0) {
        const std::size_t int_len = static_cast<std::size_t>(d.exp) + 1;
        if (d.digits.size() <= int_len) {
            out = d.digits;
            out.append(int_len - d.digits.size(), '0');
        } else {
            out.assign(d.digits, 0, int_len);
            out.push_back('.');
            out.append(d.digits, int_len);
        }
        return out;
    }
    if (with_zero)
        out.push_back('0');
    out.push_back('.');
    out.append(static_cast<std::size_t>(-d.exp - 1), '0');
    out.append(d.digits);
    return out;
}

QString general(double v, int significant, bool str_form)
{
    if (!std::isfinite(v)) {
        const QString t = non_finite(v);
        return (str_form && !t.startsWith(QLatin1Char('-'))) ? QLatin1Char(' ') + t : t;
    }
    const bool negative = v < 0; // -0.0 is not below zero, so it prints as " 0"
    std::string text = negative ? "-" : (str_form ? " " : "");
    text += general_magnitude(std::fabs(v), significant, !str_form);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// ---- Format -----------------------------------------------------------------

enum class TokKind { Required, Optional, Point, Literal, Comma };

struct Tok
{
    TokKind kind;
    QString text; // literal text
};

struct Pattern
{
    std::vector<Tok> toks;
    bool grouping = false;
    bool percent = false;
    bool has_point = false;
    int int_places = 0;   // placeholders before the point
    int int_min = 0;      // digits always printed before the point
    int frac_max = 0;     // placeholders after the point
    int frac_min = 0;     // decimals kept even when zero (up to the last "0")
};

Pattern parse_pattern(const QString& pattern)
{
    Pattern p;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('#') || c == QLatin1Char('0')) {
            p.toks.push_back({c == QLatin1Char('0') ? TokKind::Required : TokKind::Optional, {}});
        } else if (c == QLatin1Char('.') && !p.has_point) {
            p.has_point = true;
            p.toks.push_back({TokKind::Point, {}});
        } else if (c == QLatin1Char(',') && !p.has_point) {
            p.toks.push_back({TokKind::Comma, {}});
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < n)
                p.toks.push_back({TokKind::Literal, QString(pattern.at(++i))});
        } else if (c == QLatin1Char('"')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? n : end;
            p.toks.push_back({TokKind::Literal, pattern.mid(i + 1, stop - i - 1)});
            i = stop;
        } else {
            if (c == QLatin1Char('%'))
                p.percent = true;
            p.toks.push_back({TokKind::Literal, QString(c)});
        }
    }

    // A comma with integer placeholders on both sides asks for grouping;
    // any other comma is plain text.
    bool seen_place = false;
    for (std::size_t i = 0; i < p.toks.size(); ++i) {
        Tok& t = p.toks[i];
        if (t.kind == TokKind::Point)
            break;
        if (t.kind == TokKind::Required || t.kind == TokKind::Optional) {
            seen_place = true;
        } else if (t.kind == TokKind::Comma) {
            bool place_after = false;
            for (std::size_t j = i + 1; j < p.toks.size() && p.toks[j].kind != TokKind::Point; ++j) {
                if (p.toks[j].kind == TokKind::Required || p.toks[j].kind == TokKind::Optional) {
                    place_after = true;
                    break;
                }
            }
            if (seen_place && place_after)
                p.grouping = true;
            else
                t = {TokKind::Literal, QStringLiteral(",")};
        }
    }

    bool after_point = false;
    int first_required_int = -1;
    for (const Tok& t : p.toks) {
        if (t.kind == TokKind::Point) {
            after_point = true;
        } else if (t.kind == TokKind::Required || t.kind == TokKind::Optional) {
            if (after_point) {
                ++p.frac_max;
                if (t.kind == TokKind::Required)
                    p.frac_min = p.frac_max;
            } else {
                if (t.kind == TokKind::Required && first_required_int < 0)
                    first_required_int = p.int_places;
                ++p.int_places;
            }
        }
    }
    p.int_min = first_required_int < 0 ? 0 : p.int_places - first_required_int;
    return p;
}

// Rounds the decimal text of the value (not its binary value) to frac_max
// decimals, halves away from zero, and splits it at the point.
void round_decimal(Decimal d, int frac_max, std::string& int_part, std::string& frac_part)
{
    const long long keep = static_cast<long long>(d.exp) + frac_max + 1;
    if (keep < 0) {
        d.digits.clear();
    } else if (keep < static_cast<long long>(d.digits.size())) {
        const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
        d.digits.resize(static_cast<std::size_t>(keep));
        if (up) {
            std::size_t i = d.digits.size();
            while (i > 0 && d.digits[i - 1] == '9') {
                d.digits[i - 1] = '0';
                --i;
            }
            if (i == 0) {
                d.digits.insert(d.digits.begin(), '1');
                ++d.exp;
            } else {
                ++d.digits[i - 1];
            }
        }
    }

    int_part.clear();
    frac_part.assign(static_cast<std::size_t>(frac_max), '0');
    if (d.digits.empty())
        return;
    if (d.exp >= 0) {
        const std::size_t int_len = static_cast<std::size_t>(d.exp) + 1;
        int_part.assign(d.digits, 0, std::min(int_len, d.digits.size()));
        int_part.append(int_len - int_part.size(), '0');
    }
    for (int j = 1; j <= frac_max; ++j) {
        const long long idx = static_cast<long long>(d.exp) + j;
        if (idx >= 0 && idx < static_cast<long long>(d.digits.size()))
            frac_part[static_cast<std::size_t>(j - 1)] = d.digits[static_cast<std::size_t>(idx)];
    }
}

QString format_impl(double v, const QString& pattern, int significant)
{
    if (pattern.isEmpty())
        return general(v, significant, false);
    if (!std::isfinite(v))
        return non_finite(v);

    const Pattern p = parse_pattern(pattern);

    std::string int_part;
    std::string frac_part(static_cast<std::size_t>(p.frac_max), '0');
    if (v != 0) {
        Decimal d = decompose(std::fabs(v), significant);
        if (p.percent)
            d.exp += 2; // exact on the decimal text, unlike v * 100
        round_decimal(d, p.frac_max, int_part, frac_part);
    }
    const auto nonzero = [](const std::string& s) { return s.find_first_not_of('0') != std::string::npos; };
    const bool negative = v < 0 && (nonzero(int_part) || nonzero(frac_part));

    const std::size_t first = int_part.find_first_not_of('0');
    int_part.erase(0, first == std::string::npos ? int_part.size() : first);
    if (int_part.size() < static_cast<std::size_t>(p.int_min))
        int_part.insert(0, static_cast<std::size_t>(p.int_min) - int_part.size(), '0');
    std::size_t frac_len = frac_part.size();
    while (frac_len > static_cast<std::size_t>(p.frac_min) && frac_part[frac_len - 1] == '0')
        --frac_len;

    QString out;
    if (negative)
        out += QLatin1Char('-');

    const long long ilen = static_cast<long long>(int_part.size());
    const auto emit_int_digit = [&](long long idx) {
        if (p.grouping && idx > 0 && (ilen - idx) % 3 == 0)
            out += QLatin1Char(',');
        out += QLatin1Char(int_part[static_cast<std::size_t>(idx)]);
    };

    int int_seen = 0;
    int frac_seen = 0;
    bool after_point = false;
    for (const Tok& t : p.toks) {
        switch (t.kind) {
        case TokKind::Literal:
            out += t.text;
            break;
        case TokKind::Comma:
            break;
        case TokKind::Point:
            if (p.int_places == 0) {
                for (long long i = 0; i < ilen; ++i)
                    emit_int_digit(i);
            }
            out += QLatin1Char('.');
            after_point = true;
            break;
        case TokKind::Required:
        case TokKind::Optional:
            if (after_point) {
                if (static_cast<std::size_t>(frac_seen) < frac_len)
                    out += QLatin1Char(frac_part[static_cast<std::size_t>(frac_seen)]);
                ++frac_seen;
            } else {
                // Placeholder k from the left takes the digit k places from the
                // right end; the leftmost one also takes every surplus digit.
                const long long from_right = p.int_places - 1 - int_seen;
                const long long idx = ilen - 1 - from_right;
                if (int_seen == 0) {
                    for (long long i = 0; i <= idx; ++i)
                        emit_int_digit(i);
                } else if (idx >= 0) {
                    emit_int_digit(idx);
                }
                ++int_seen;
            }
            break;
        }
    }
    return out;
}

// ---- Val --------------------------------------------------------------------

// found, when given, is set when the text holds a number rather than none (the 0 of an empty text).
template <typename At>
double val_impl(qsizetype n, At at, bool* found = nullptr)
{
    qsizetype pos = 0;
    // Blanks, tabs and line feeds are ignored wherever they stand.
    const auto peek = [&]() -> char32_t {
        while (pos < n) {
            const char32_t c = at(pos);
            if (c != U' ' && c != U'\t' && c != U'\n')
                return c;
            ++pos;
        }
        return 0;
    };
    const auto is_digit = [](char32_t c) { return c >= U'0' && c <= U'9'; };

    char32_t c = peek();
    if (c == U'&') {
        ++pos;
        c = peek();
        unsigned base = 0;
        if (c == U'H' || c == U'h')
            base = 16;
        else if (c == U'O' || c == U'o')
            base = 8;
        else
            return 0;
        ++pos;
        std::uint64_t value = 0;
        bool any = false;
        bool saturated = false;
        for (;;) {
            c = peek();
            unsigned digit = 0;
            if (is_digit(c))
                digit = static_cast<unsigned>(c - U'0');
            else if (base == 16 && c >= U'a' && c <= U'f')
                digit = static_cast<unsigned>(c - U'a') + 10;
            else if (base == 16 && c >= U'A' && c <= U'F')
                digit = static_cast<unsigned>(c - U'A') + 10;
            else
                break;
            if (digit >= base)
                break;
            any = true;
            if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base)
                saturated = true;
            else
                value = value * base + digit;
            ++pos;
        }
        if (!any)
            return 0;
        if (found)
            *found = true;
        const bool force_long = peek() == U'&';
        if (saturated)
            return static_cast<double>(std::numeric_limits<std::uint64_t>::max());
        if (value <= 0xFFFFu && !force_long)
            return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
        if (value <= 0xFFFFFFFFu)
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        return static_cast<double>(value);
    }

    bool negative = false;
    if (c == U'+' || c == U'-') {
        negative = c == U'-';
        ++pos;
    }
    std::string int_digits;
    std::string frac_digits;
    while (is_digit(c = peek())) {
        int_digits.push_back(static_cast<char>(c));
        ++pos;
    }
    if (c == U'.') {
        ++pos;
        while (is_digit(c = peek())) {
            frac_digits.push_back(static_cast<char>(c));
            ++pos;
        }
    }
    if (int_digits.empty() && frac_digits.empty())
        return 0;
    if (found)
        *found = true;

    long long exp = 0;
    if (c == U'E' || c == U'e' || c == U'D' || c == U'd') {
        ++pos;
        c = peek();
        bool exp_negative = false;
        if (c == U'+' || c == U'-') {
            exp_negative = c == U'-';
            ++pos;
        }
        // Saturates far beyond any double so a long exponent cannot overflow.
        constexpr long long exp_cap = 100000000;
        while (is_digit(c = peek())) {
            exp = std::min(exp * 10 + static_cast<long long>(c - U'0'), exp_cap);
            ++pos;
        }
        if (exp_negative)
            exp = -exp;
    }

    const std::size_t int_lead = std::min(int_digits.find_first_not_of('0'), int_digits.size());
    int_digits.erase(0, int_lead);
    const std::size_t frac_nonzero = frac_digits.find_first_not_of('0');
    if (int_digits.empty() && frac_nonzero == std::string::npos)
        return 0;

    std::string text = int_digits.empty() ? std::string("0") : int_digits;
    if (!frac_digits.empty()) {
        text.push_back('.');
        text.append(frac_digits);
    }
    text.push_back('e');
    text.append(std::to_string(exp));

    double result = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), result,
                                     std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Decimal order of the leading digit decides overflow or underflow.
        const long long order = int_digits.empty()
            ? exp - static_cast<long long>(frac_nonzero) - 1
            : exp + static_cast<long long>(int_digits.size()) - 1;
        result = order > 0 ? DBL_MAX : 0.0;
    } else if (res.ec != std::errc()) {
        result = 0;
    }
    if (result == 0)
        return 0; // never -0
    return negative ? -result : result;
}

double round_half_even(double v)
{
    const double f = std::floor(v);
    const double diff = v - f;
    if (diff > 0.5)
        return f + 1;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

long long clamp_to_ll(double v)
{
    constexpr double two63 = 9223372036854775808.0;
    if (std::isnan(v))
        return 0;
    if (v >= two63)
        return std::numeric_limits<long long>::max();
    if (v < -two63)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(v);
}

} // namespace

QString str_single(float v) { return general(static_cast<double>(v), single_digits, true); }
QString str_double(double v) { return general(v, double_digits, true); }
QString cstr_single(float v) { return general(static_cast<double>(v), single_digits, false); }
QString cstr_double(double v) { return general(v, double_digits, false); }

QString str_int(long long v)
{
    const QString digits = QString::number(v);
    return v < 0 ? digits : QLatin1Char(' ') + digits;
}

QString cstr_int(long long v) { return QString::number(v); }

QString format(double v, const QString& pattern) { return format_impl(v, pattern, double_digits); }

QString format_single(float v, const QString& pattern)
{
    return format_impl(static_cast<double>(v), pattern, single_digits);
}

double val(const QString& s)
{
    const QChar* d = s.constData();
    return val_impl(s.size(), [d](qsizetype i) { return static_cast<char32_t>(d[i].unicode()); });
}

double val(const QByteArray& s)
{
    const char* d = s.constData();
    return val_impl(s.size(), [d](qsizetype i) { return static_cast<char32_t>(static_cast<unsigned char>(d[i])); });
}

bool val_finds_number(const QString& s)
{
    const QChar* d = s.constData();
    bool found = false;
    val_impl(s.size(), [d](qsizetype i) { return static_cast<char32_t>(d[i].unicode()); }, &found);
    return found;
}

bool has_number(const QByteArray& s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto skip_blanks = [&] {
        while (i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n'))
            ++i;
    };
    skip_blanks();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    skip_blanks();
    if (i < n && s[i] == '.')
        ++i;
    skip_blanks();
    return i < n && s[i] >= '0' && s[i] <= '9';
}

std::optional<double> val_finite_single(const QByteArray& s)
{
    if (!has_number(s))
        return std::nullopt;
    const double v = val(s);
    // Halfway between FLT_MAX and 2^128: a magnitude below it rounds to a finite single.
    constexpr double single_overflow = 0x1p128 - 0x1p103;
    if (!(std::abs(v) < single_overflow))
        return std::nullopt;
    return v;
}

bool is_well_formed_number(const QString& s)
{
    const qsizetype n = s.size();
    qsizetype i = 0;
    const auto sign = [&] {
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            ++i;
    };
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && s[i] >= u'0' && s[i] <= u'9')
            ++i;
        return i - from;
    };
    sign();
    qsizetype mantissa = digits();
    if (i < n && s[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < n && (s[i] == u'E' || s[i] == u'e')) {
        ++i;
        sign();
        if (digits() == 0)
            return false;
    }
    // val() reads an overflow as the largest double.
    return i == n && std::abs(val(s)) < DBL_MAX;
}

double val(const char* s)
{
    if (!s)
        return 0;
    const auto n = static_cast<qsizetype>(std::strlen(s));
    return val_impl(n, [s](qsizetype i) { return static_cast<char32_t>(static_cast<unsigned char>(s[i])); });
}

int cint(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = round_half_even(v);
    if (r >= 32767)
        return 32767;
    if (r <= -32768)
        return -32768;
    return static_cast<int>(r);
}

long clng(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = round_half_even(v);
    if (r >= 2147483647.0)
        return 2147483647L;
    if (r <= -2147483648.0)
        return -2147483647L - 1;
    return static_cast<long>(r);
}

long long fix(double v) { return clamp_to_ll(std::trunc(v)); }

long long int_floor(double v) { return clamp_to_ll(std::floor(v)); }

QString with_decimal_point(const QString& cstr_text, const QString& decimal_point)
{
    QString out = cstr_text;
    return out.replace(QLatin1Char('.'), decimal_point);
}

QString pad_right(const QString& s, int width)
{
    if (width <= 0)
        return QString();
    if (s.size() >= width)
        return s.left(width);
    return s + QString(width - s.size(), QLatin1Char(' '));
}

} // namespace numtext
