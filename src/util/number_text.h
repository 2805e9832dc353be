#pragma once

// Number <-> text conversions with the exact behaviour of the classic BASIC
// runtime the instrument command texts and the displayed values were written
// for. Always "." as decimal point, whatever the process or Qt locale.
//
// General form (Str / CStr): the value is rounded to 7 significant digits for
// singles and 15 for doubles, trailing zeros dropped. With X the decimal
// exponent after rounding, the fixed form is used when -5 < X < digits
// (0.0001 -> ".0001", 1234567 as single -> "1234567"), otherwise the E form:
// mantissa without trailing zeros, "E", sign, at least two exponent digits
// (1E-05, 1.234568E+07, 1E+15 as double). Negative zero prints as zero.
// Non-finite values, which the runtime could not hold, print "Inf", "-Inf"
// and "NaN" (Str adds the sign blank as for any non-negative value).

#include <QByteArray>
#include <QString>
#include <optional>

namespace numtext {

// Str(): " 20", "-50", " .05", "-.5", " 0", " 1E+16".
QString str_single(float v);
QString str_double(double v);
QString str_int(long long v);

// CStr(): no sign blank, zero kept before the point: "20", "0.05", "-0.5".
QString cstr_single(float v);
QString cstr_double(double v);
QString cstr_int(long long v);

// Format() with a digit pattern: "#" optional digit, "0" required digit,
// "," between integer placeholders turns on thousands grouping, the first "."
// is the decimal point, "%" multiplies by 100 and prints itself, "\x" and
// "quoted text" are literals, any other character prints as it stands.
// The value is first written to 15 significant digits (7 for
// format_single) and that decimal text is rounded, halves away from zero.
// All integer digits are printed even beyond the placeholders; an integer
// part of "#" only prints nothing for zero (format(0, "#") == "").
// The minus sign leads the whole result ("-" before a leading literal) and
// is dropped when the shown value is zero. The decimal point is printed
// whenever the pattern has one. An empty pattern gives the CStr form.
QString format(double v, const QString& pattern);
QString format_single(float v, const QString& pattern);

// Val(): blanks, tabs and line feeds are ignored anywhere; optional sign,
// digits, ".", digits, exponent E/e/D/d with optional sign; stops at the
// first character that cannot continue the number; 0 when there is none.
// "&H"/"&O" prefixes read hexadecimal/octal: a value up to &HFFFF is a
// 16-bit signed integer (&HFFFF = -1) and one up to &HFFFFFFFF a 32-bit
// signed one, as the runtime did; a trailing "&" forces the 32-bit reading.
// Wider values, which the runtime rejected with an overflow, are returned
// unsigned. Decimal overflow, where the runtime raised an error, is clamped
// to +-DBL_MAX; underflow gives 0. The QByteArray form reads Latin-1 bytes.
double val(const QString& s);
double val(const QByteArray& s);
double val(const char* s);
// val() finds a number in the text rather than falling back to 0 ("&H"/"&O" forms count too).
bool val_finds_number(const QString& s);
// The text holds a number where val() reads one: blanks, tabs and line feeds may stand anywhere before
// its first digit. A reply without one must never count as a reading of 0.
bool has_number(const QByteArray& s);
// The number of a reply that is kept as a single-precision value: none when the text holds no number,
// or when its number is beyond what a single holds (1e39; 1e999, which val() clamps), so that no
// infinity can pass for a reading.
std::optional<double> val_finite_single(const QByteArray& s);
// The whole text is one plain decimal number an instrument may be sent: ASCII digits with at most one
// leading sign, at most one point and an exponent ("E" or "e", its own sign, digits), at least one digit
// before the exponent, nothing else (no blanks) and a value a double holds. "1." and ".5" are;
// "", "-", ".", "1e", "1;*RST", "nan", "1e999" and digits of other scripts are not.
bool is_well_formed_number(const QString& s);

// CInt() / CLng(): nearest integer, halves to the even neighbour. The
// runtime raised an overflow outside the type's range; here the result is
// clamped to -32768..32767 and -2147483648..2147483647. NaN gives 0.
int cint(double v);
long clng(double v);

// Fix() truncates toward zero, Int() rounds toward minus infinity; both are
// clamped to the long long range, NaN gives 0.
long long fix(double v);
long long int_floor(double v);

// A CStr() text with the decimal point a desktop writes in its files ("," for "."): for files written
// as the system's settings say, never for command texts.
QString with_decimal_point(const QString& cstr_text, const QString& decimal_point);

// Assignment to a fixed-length text buffer: cut to width or padded with
// blanks on the right.
QString pad_right(const QString& s, int width);

} // namespace numtext
