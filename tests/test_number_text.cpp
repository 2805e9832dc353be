#include "util/entry_rule.h"
#include "util/number_text.h"

#include <QLocale>
#include <QtTest>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

namespace {

// A C++ global locale with "," as decimal point, as a German desktop gives.
struct CommaPoint : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
};

const double k_inf = std::numeric_limits<double>::infinity();
const double k_nan = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestNumberText : public QObject
{
    Q_OBJECT

private:
    QLocale saved_qlocale_;
    std::locale saved_std_locale_;
    std::string saved_c_locale_;

private slots:
    // Every test runs with Qt, C and C++ locales that use "," as decimal point.
    void initTestCase()
    {
        saved_qlocale_ = QLocale();
        saved_c_locale_ = std::setlocale(LC_ALL, nullptr);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            std::setlocale(LC_ALL, "de_DE");
        saved_std_locale_ = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    }

    void cleanupTestCase()
    {
        std::locale::global(saved_std_locale_);
        std::setlocale(LC_ALL, saved_c_locale_.c_str());
        QLocale::setDefault(saved_qlocale_);
    }

    void locale_is_active()
    {
        QCOMPARE(QLocale().toString(1.5), QStringLiteral("1,5"));
        std::ostringstream os;
        os << 1.5;
        QCOMPARE(QString::fromStdString(os.str()), QStringLiteral("1,5"));
        QCOMPARE(numtext::str_single(1.5f), QStringLiteral(" 1.5"));
        QCOMPARE(numtext::format(1.5, QStringLiteral("0.00")), QStringLiteral("1.50"));
        QCOMPARE(numtext::val(QStringLiteral("1.5")), 1.5);
        QCOMPARE(numtext::val(QStringLiteral("1,5")), 1.0);
    }

    void str_general_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("str");
        QTest::addColumn<QString>("cstr");

        // Values sent in instrument commands.
        QTest::newRow("gate width") << true << 0.0017 << " .0017" << "0.0017";
        QTest::newRow("sample delay") << true << 0.005 << " .005" << "0.005";
        QTest::newRow("period") << true << 0.01 << " .01" << "0.01";
        QTest::newRow("0.05") << true << 0.05 << " .05" << "0.05";
        QTest::newRow("-0.5") << true << -0.5 << "-.5" << "-0.5";
        QTest::newRow("20") << true << 20.0 << " 20" << "20";
        QTest::newRow("-50") << true << -50.0 << "-50" << "-50";
        QTest::newRow("1.7") << true << 1.7 << " 1.7" << "1.7";
        QTest::newRow("2.02") << true << 2.02 << " 2.02" << "2.02";
        QTest::newRow("90") << true << 90.0 << " 90" << "90";
        QTest::newRow("zero") << true << 0.0 << " 0" << "0";
        QTest::newRow("negative zero single") << true << -0.0 << " 0" << "0";
        QTest::newRow("negative zero double") << false << -0.0 << " 0" << "0";
        QTest::newRow("0.1 single") << true << 0.1 << " .1" << "0.1";
        QTest::newRow("0.1+0.2 double") << false << 0.1 + 0.2 << " .3" << "0.3";
        QTest::newRow("single widened") << false << static_cast<double>(0.1f)
                                        << " .100000001490116" << "0.100000001490116";

        // Significant digits.
        QTest::newRow("1/3 single") << true << 1.0 / 3 << " .3333333" << "0.3333333";
        QTest::newRow("1/3 double") << false << 1.0 / 3 << " .333333333333333" << "0.333333333333333";
        QTest::newRow("-2/3 single") << true << -2.0 / 3 << "-.6666667" << "-0.6666667";
        QTest::newRow("rounds to 7") << true << 1.23456789 << " 1.234568" << "1.234568";

        // Fixed form up to the digit count, E form beyond.
        QTest::newRow("1234567 single") << true << 1234567.0 << " 1234567" << "1234567";
        QTest::newRow("1e7 single") << true << 1e7 << " 1E+07" << "1E+07";
        QTest::newRow("123456789 single") << true << 123456789.0 << " 1.234568E+08" << "1.234568E+08";
        QTest::newRow("123456789 double") << false << 123456789.0 << " 123456789" << "123456789";
        QTest::newRow("15 digits double") << false << 123456789012345.0 << " 123456789012345"
                                          << "123456789012345";
        QTest::newRow("1e15 double") << false << 1e15 << " 1E+15" << "1E+15";
        QTest::newRow("1e16 double") << false << 1e16 << " 1E+16" << "1E+16";
        QTest::newRow("-1e100 double") << false << -1e100 << "-1E+100" << "-1E+100";
        QTest::newRow("round up to E") << false << 999999999999999.9 << " 1E+15" << "1E+15";
        QTest::newRow("0.0001 single") << true << 0.0001 << " .0001" << "0.0001";
        QTest::newRow("1e-5 single") << true << 1e-5 << " 1E-05" << "1E-05";
        QTest::newRow("1.234e-5 single") << true << 1.234e-5 << " 1.234E-05" << "1.234E-05";
        QTest::newRow("1.5e-8 double") << false << 1.5e-8 << " 1.5E-08" << "1.5E-08";
        QTest::newRow("-2.5e-10 double") << false << -2.5e-10 << "-2.5E-10" << "-2.5E-10";
        QTest::newRow("denormal double") << false << 5e-324 << " 4.94065645841247E-324"
                                         << "4.94065645841247E-324";

        // Values the runtime could not hold.
        QTest::newRow("inf") << false << k_inf << " Inf" << "Inf";
        QTest::newRow("-inf") << true << -k_inf << "-Inf" << "-Inf";
        QTest::newRow("nan") << false << k_nan << " NaN" << "NaN";
    }

    void str_general()
    {
        QFETCH(bool, single);
        QFETCH(double, value);
        QFETCH(QString, str);
        QFETCH(QString, cstr);
        if (single) {
            const float f = static_cast<float>(value);
            QCOMPARE(numtext::str_single(f), str);
            QCOMPARE(numtext::cstr_single(f), cstr);
        } else {
            QCOMPARE(numtext::str_double(value), str);
            QCOMPARE(numtext::cstr_double(value), cstr);
        }
    }

    void str_integers()
    {
        QCOMPARE(numtext::str_int(16), QStringLiteral(" 16"));
        QCOMPARE(numtext::str_int(0), QStringLiteral(" 0"));
        QCOMPARE(numtext::str_int(-3), QStringLiteral("-3"));
        QCOMPARE(numtext::str_int(std::numeric_limits<long long>::min()),
                 QStringLiteral("-9223372036854775808"));
        QCOMPARE(numtext::cstr_int(16), QStringLiteral("16"));
        QCOMPARE(numtext::cstr_int(-3), QStringLiteral("-3"));
    }

    void format_pattern_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");

        // Halves away from zero, judged on the 15-digit decimal text.
        QTest::newRow("2.675") << 2.675 << "0.00" << "2.68";
        QTest::newRow("1.005") << 1.005 << "0.00" << "1.01";
        QTest::newRow("0.0005") << 0.0005 << "0.000" << "0.001";
        QTest::newRow("-0.0005") << -0.0005 << "0.000" << "-0.001";
        QTest::newRow("0.125 to 0.0#") << 0.125 << "0.0#" << "0.13";
        QTest::newRow("2.5 to 0") << 2.5 << "0" << "3";
        QTest::newRow("-2.5 to 0") << -2.5 << "0" << "-3";
        QTest::newRow("carry to new digit") << 99.995 << "##0.00" << "100.00";
        QTest::newRow("carry 9.9999") << 9.9999 << "0.000" << "10.000";
        QTest::newRow("just below half") << 0.00049999 << "0.000" << "0.000";

        // Negative values that show as zero lose the sign.
        QTest::newRow("-0.0004") << -0.0004 << "0.000" << "0.000";
        QTest::newRow("-1e-20") << -1e-20 << "##0.000" << "0.000";
        QTest::newRow("-0.4 #") << -0.4 << "#" << "";
        QTest::newRow("-0.00001 %") << -0.00001 << "#0.00%" << "0.00%";
        QTest::newRow("negative zero") << -0.0 << "0.0" << "0.0";

        // Integer part.
        QTest::newRow("##0.000 half") << 0.5 << "##0.000" << "0.500";
        QTest::newRow("#.00 half") << 0.5 << "#.00" << ".50";
        QTest::newRow("##0 overflowing") << 12345.0 << "##0" << "12345";
        QTest::newRow("####0") << 1234.5 << "####0" << "1235";
        QTest::newRow("# of 0") << 0.0 << "#" << "";
        QTest::newRow("# of 0.5") << 0.5 << "#" << "1";
        QTest::newRow("# of 7") << 7.0 << "#" << "7";
        QTest::newRow("0 of 0") << 0.0 << "0" << "0";
        QTest::newRow("huge") << 1e20 << "##0" << "100000000000000000000";
        QTest::newRow("tiny") << 1e-20 << "0.000" << "0.000";
        QTest::newRow("negative #0.00") << -45.678 << "#0.00" << "-45.68";

        // Decimals: "0" the minimum, "#" more when not zero.
        QTest::newRow("0.0# of 0.05") << 0.05 << "0.0#" << "0.05";
        QTest::newRow("0.0# of 0.1") << 0.1 << "0.0#" << "0.1";
        QTest::newRow("0.0# of 1") << 1.0 << "0.0#" << "1.0";
        QTest::newRow("#0.0# of -2.5") << -2.5 << "#0.0#" << "-2.5";
        QTest::newRow("##0.0000## of 0.0017") << 0.0017 << "##0.0000##" << "0.0017";
        QTest::newRow("##0.0000## of 0.005") << 0.005 << "##0.0000##" << "0.0050";
        QTest::newRow("##0.0000## rounds") << 0.12345678 << "##0.0000##" << "0.123457";
        QTest::newRow("##0.000## of 1.5") << 1.5 << "##0.000##" << "1.500";
        QTest::newRow("##0.00# of -12.3456") << -12.3456 << "##0.00#" << "-12.346";
        QTest::newRow("##0.00# of -12.3") << -12.3 << "##0.00#" << "-12.30";
        QTest::newRow("#0.0000") << 0.001 << "#0.0000" << "0.0010";
        QTest::newRow("#0.000") << -1.0 / 1024 << "#0.000" << "-0.001";
        QTest::newRow("###0.0") << 123.456 << "###0.0" << "123.5";
        QTest::newRow("###0.000") << 10.00049 << "###0.000" << "10.000";
        QTest::newRow("###0.00") << 3.14159 << "###0.00" << "3.14";
        QTest::newRow("0.0") << 0.05 << "0.0" << "0.1";

        // Percent multiplies the decimal text by 100.
        QTest::newRow("% 0.123456") << 0.123456 << "##0.00##%" << "12.3456%";
        QTest::newRow("% 0.5") << 0.5 << "##0.00##%" << "50.00%";
        QTest::newRow("% 1") << 1.0 << "##0.00##%" << "100.00%";
        QTest::newRow("% half of last") << 0.0000005 << "##0.00##%" << "0.0001%";
        QTest::newRow("% 1/3") << 1.0 / 3 << "##0.00##%" << "33.3333%";
        QTest::newRow("#0.00% 0.123") << 0.123 << "#0.00%" << "12.30%";
        QTest::newRow("#0.00% half") << 0.00005 << "#0.00%" << "0.01%";

        // Thousands grouping.
        QTest::newRow("group 1234567") << 1234567.0 << "###,###,###,###" << "1,234,567";
        QTest::newRow("group 0") << 0.0 << "###,###,###,###" << "";
        QTest::newRow("group 999") << 999.0 << "###,###,###,###" << "999";
        QTest::newRow("group 1000") << 1000.0 << "###,###,###,###" << "1,000";
        QTest::newRow("group wide") << 123456789012345.0 << "###,###,###,###" << "123,456,789,012,345";
        QTest::newRow("group wider") << 1234567890123456.0 << "###,###,###,###" << "1,234,567,890,123,460";
        QTest::newRow("group negative") << -1234.5 << "###,###,###,###" << "-1,235";

        // Literal text around the number.
        QTest::newRow("dBm") << -45.0625 << "##0.000dBm" << "-45.063dBm";
        QTest::newRow("blank dBm") << -3.5 << "##0.000 dBm" << "-3.500 dBm";
        QTest::newRow("KHz") << 12.3456 << "###0.00KHz" << "12.35KHz";
        QTest::newRow("leading blank") << 5.5 << " #0.0#" << " 5.5";
        QTest::newRow("leading blank negative") << -5.5 << " #0.0#" << "- 5.5";
        QTest::newRow("escaped") << 5.0 << "\\#0" << "#5";
        QTest::newRow("quoted") << 1.5 << "0.0\" dB\"" << "1.5 dB";
        QTest::newRow("comma not between digits") << 2.0 << "0.0," << "2.0,";

        // Degenerate input.
        QTest::newRow("empty pattern") << 0.05 << "" << "0.05";
        QTest::newRow("inf") << k_inf << "###0.00" << "Inf";
        QTest::newRow("nan") << k_nan << "###0.00" << "NaN";
    }

    void format_pattern()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(numtext::format(value, pattern), expected);
    }

    // A single is written to 7 digits before rounding, so the decimal it was
    // typed as decides, not its binary value.
    void format_single_precision()
    {
        QCOMPARE(numtext::format_single(2.675f, QStringLiteral("0.00")), QStringLiteral("2.68"));
        QCOMPARE(numtext::format(static_cast<double>(2.675f), QStringLiteral("0.00")), QStringLiteral("2.67"));
        QCOMPARE(numtext::format_single(0.005f, QStringLiteral("#0.00")), QStringLiteral("0.01"));
        QCOMPARE(numtext::format(static_cast<double>(0.005f), QStringLiteral("#0.00")), QStringLiteral("0.00"));
        QCOMPARE(numtext::format_single(0.05f, QStringLiteral("0.0#")), QStringLiteral("0.05"));
        QCOMPARE(numtext::format_single(-1e-9f, QStringLiteral("##0.000")), QStringLiteral("0.000"));
    }

    void val_text_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");

        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("letters") << QByteArray("abc") << 0.0;
        QTest::newRow("reply prefix") << QByteArray("R-12.345 dBm") << 0.0;
        QTest::newRow("unit after") << QByteArray(" 12.5dBm") << 12.5;
        QTest::newRow("negative") << QByteArray("-50") << -50.0;
        QTest::newRow("exponent") << QByteArray("1e3") << 1000.0;
        QTest::newRow("D exponent") << QByteArray("1d2") << 100.0;
        QTest::newRow("signed exponent") << QByteArray("  -.25E+2x") << -25.0;
        QTest::newRow("point first") << QByteArray(".5") << 0.5;
        QTest::newRow("plus") << QByteArray("+3") << 3.0;
        QTest::newRow("comma stops") << QByteArray("1,5") << 1.0;
        QTest::newRow("line end") << QByteArray("2.02\n") << 2.02;
        QTest::newRow("carriage return stops") << QByteArray("12\r34") << 12.0;
        QTest::newRow("blanks inside") << QByteArray(" 1615 198th Street") << 1615198.0;
        QTest::newRow("tabs and sign") << QByteArray("\t- 5") << -5.0;
        QTest::newRow("lone exponent") << QByteArray("1.5e") << 1.5;
        QTest::newRow("exponent sign only") << QByteArray("1e+") << 1.0;
        QTest::newRow("second point") << QByteArray("1.2.3") << 1.2;
        QTest::newRow("double sign") << QByteArray("--3") << 0.0;
        QTest::newRow("point only") << QByteArray(".") << 0.0;
        QTest::newRow("sign only") << QByteArray("-") << 0.0;
        QTest::newRow("NUL stops") << QByteArray("12\0" "34", 5) << 12.0;
        QTest::newRow("NUL first") << QByteArray("\0" "5", 2) << 0.0;
        QTest::newRow("entry box") << QByteArray("0.0017") << 0.0017;

        // Radix prefixes: 16-bit, then 32-bit signed, as the runtime.
        QTest::newRow("&H10") << QByteArray("&H10") << 16.0;
        QTest::newRow("&h1f") << QByteArray("&h1f") << 31.0;
        QTest::newRow("&HFFFF") << QByteArray("&HFFFF") << -1.0;
        QTest::newRow("&H8000") << QByteArray("&H8000") << -32768.0;
        QTest::newRow("&HFFFF&") << QByteArray("&HFFFF&") << 65535.0;
        QTest::newRow("&H10000") << QByteArray("&H10000") << 65536.0;
        QTest::newRow("&HFFFFFFFF") << QByteArray("&HFFFFFFFF") << -1.0;
        QTest::newRow("&H100000000") << QByteArray("&H100000000") << 4294967296.0;
        QTest::newRow("&O17") << QByteArray("&O17") << 15.0;
        QTest::newRow("&O8") << QByteArray("&O8") << 0.0;
        QTest::newRow("&H alone") << QByteArray("&H") << 0.0;
        QTest::newRow("& alone") << QByteArray("&") << 0.0;
        QTest::newRow("&X") << QByteArray("&X1") << 0.0;
        QTest::newRow("hex overflow") << QByteArray("&H" + QByteArray(40, 'F'))
                                      << static_cast<double>(std::numeric_limits<unsigned long long>::max());

        // Out of range: clamped, never inf.
        QTest::newRow("overflow") << QByteArray("1e400") << DBL_MAX;
        QTest::newRow("negative overflow") << QByteArray("-1e400") << -DBL_MAX;
        QTest::newRow("long exponent") << QByteArray("1e99999999999999999999999") << DBL_MAX;
        QTest::newRow("underflow") << QByteArray("1e-400") << 0.0;
        QTest::newRow("long negative exponent") << QByteArray("5e-99999999999999999999999") << 0.0;
        QTest::newRow("zero with exponent") << QByteArray("0e99999") << 0.0;
        QTest::newRow("long fraction") << QByteArray("0." + QByteArray(399, '0') + "1e400") << 1.0;
        QTest::newRow("long integer") << QByteArray("1" + QByteArray(400, '0') + "e-400") << 1.0;
        QTest::newRow("long integer overflow") << QByteArray("1" + QByteArray(400, '0')) << DBL_MAX;
    }

    void val_text()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        const double from_bytes = numtext::val(text);
        const double from_string = numtext::val(QString::fromLatin1(text));
        QCOMPARE(from_bytes, expected);
        QCOMPARE(from_string, expected);
        QVERIFY(std::isfinite(from_bytes));
        QVERIFY(!std::signbit(from_bytes) || expected < 0);
    }

    void val_edges()
    {
        QVERIFY(!std::signbit(numtext::val("-0")));
        QVERIFY(!std::signbit(numtext::val("-0.000e5")));
        QCOMPARE(numtext::val(static_cast<const char*>(nullptr)), 0.0);
        QCOMPARE(numtext::val(QString()), 0.0);
        QCOMPARE(numtext::val(QStringLiteral("\u00BD5")), 0.0); // non-Latin characters stop
        // Str output reads back as the value it shows.
        QCOMPARE(numtext::val(numtext::str_single(0.0017f)), 0.0017);
        QCOMPARE(numtext::val(numtext::str_double(-1.5e-8)), -1.5e-8);
        QCOMPARE(numtext::val(numtext::str_single(123456789.0f)), 123456800.0);
    }

    void round_to_integer_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("cint");
        QTest::addColumn<long long>("clng");
        QTest::addColumn<long long>("fix");
        QTest::addColumn<long long>("int_floor");

        QTest::newRow("0.5") << 0.5 << 0 << 0LL << 0LL << 0LL;
        QTest::newRow("1.5") << 1.5 << 2 << 2LL << 1LL << 1LL;
        QTest::newRow("2.5") << 2.5 << 2 << 2LL << 2LL << 2LL;
        QTest::newRow("3.5") << 3.5 << 4 << 4LL << 3LL << 3LL;
        QTest::newRow("-0.5") << -0.5 << 0 << 0LL << 0LL << -1LL;
        QTest::newRow("-1.5") << -1.5 << -2 << -2LL << -1LL << -2LL;
        QTest::newRow("-2.5") << -2.5 << -2 << -2LL << -2LL << -3LL;
        QTest::newRow("2.4999") << 2.4999 << 2 << 2LL << 2LL << 2LL;
        QTest::newRow("2.5000001") << 2.5000001 << 3 << 3LL << 2LL << 2LL;
        QTest::newRow("-2.7") << -2.7 << -3 << -3LL << -2LL << -3LL;
        QTest::newRow("32767.4") << 32767.4 << 32767 << 32767LL << 32767LL << 32767LL;
        QTest::newRow("32767.5") << 32767.5 << 32767 << 32768LL << 32767LL << 32767LL;
        QTest::newRow("-32768.5") << -32768.5 << -32768 << -32768LL << -32768LL << -32769LL;
        QTest::newRow("40000") << 40000.0 << 32767 << 40000LL << 40000LL << 40000LL;
        QTest::newRow("-40000") << -40000.0 << -32768 << -40000LL << -40000LL << -40000LL;
        QTest::newRow("3e9") << 3e9 << 32767 << 2147483647LL << 3000000000LL << 3000000000LL;
        QTest::newRow("-3e9") << -3e9 << -32768 << -2147483648LL << -3000000000LL << -3000000000LL;
        QTest::newRow("1e30") << 1e30 << 32767 << 2147483647LL << std::numeric_limits<long long>::max()
                              << std::numeric_limits<long long>::max();
        QTest::newRow("-inf") << -k_inf << -32768 << -2147483648LL << std::numeric_limits<long long>::min()
                              << std::numeric_limits<long long>::min();
        QTest::newRow("nan") << k_nan << 0 << 0LL << 0LL << 0LL;
    }

    void round_to_integer()
    {
        QFETCH(double, value);
        QFETCH(int, cint);
        QFETCH(long long, clng);
        QFETCH(long long, fix);
        QFETCH(long long, int_floor);
        QCOMPARE(numtext::cint(value), cint);
        QCOMPARE(static_cast<long long>(numtext::clng(value)), clng);
        QCOMPARE(numtext::fix(value), fix);
        QCOMPARE(numtext::int_floor(value), int_floor);
    }

    void pad_right()
    {
        const QString cmd = QStringLiteral("GRPRD") + numtext::str_single(0.01f);
        const QString padded = numtext::pad_right(cmd, 30);
        QCOMPARE(padded.size(), 30);
        QCOMPARE(padded, QStringLiteral("GRPRD .01") + QString(21, QLatin1Char(' ')));
        QCOMPARE(numtext::pad_right(QStringLiteral("abcdef"), 3), QStringLiteral("abc"));
        QCOMPARE(numtext::pad_right(QStringLiteral("abc"), 3), QStringLiteral("abc"));
        QCOMPARE(numtext::pad_right(QStringLiteral("abc"), 0), QString());
        QCOMPARE(numtext::pad_right(QStringLiteral("abc"), -4), QString());
        QCOMPARE(numtext::pad_right(QString(), 2), QStringLiteral("  "));
    }

    void well_formed_numbers()
    {
        for (const char* yes : {"2", "-10.00", "+.5", "5.", "1e-3", "2.5E+09", "0", "007"})
            QVERIFY2(numtext::is_well_formed_number(QString::fromUtf8(yes)), yes);
        // Half-typed, several numbers or commands, words, blanks, overflow, other scripts' digits.
        for (const char* no : {"", "-", ".", "+-1", "1.2.3", "1e", "1e+", "e5", "1;*RST", "1,5", " 2", "2 ",
                               "abc", "nan", "inf", "1e999", "-1e400", "1d3", "&H10", "\u0663", "\uff11"})
            QVERIFY2(!numtext::is_well_formed_number(QString::fromUtf8(no)), no);
    }

    // What a box may send: trimmed text, one finite number (is_well_formed_number decides that), within
    // the limits of its kind.
    void box_text_sent_to_an_instrument()
    {
        const entry::Limits any{}, level{-50, 20, false}, above_zero = entry::kAboveZero;
        const struct {
            const char* text;
            const entry::Limits& limits;
            const char* sent;  // nullptr: refused
        } rows[] = {
            {" 2", any, "2"},          {"2 ", any, "2"},           {"0.5\t", any, "0.5"},      {"\t-5 ", any, "-5"},
            {"  ", any, nullptr},      {"1 2", any, nullptr},      {"-5", above_zero, nullptr}, {"0", above_zero, nullptr},
            {"1e-400", above_zero, nullptr}, {"1e-3", above_zero, "1e-3"}, {"-50", level, "-50"},
            {"-50.1", level, nullptr}, {"20", level, "20"},        {"1e39", level, nullptr},
        };
        for (const auto& r : rows) {
            const auto got = entry::sendable(QString::fromUtf8(r.text), r.limits);
            QCOMPARE(got ? got->text : QString(), QString::fromUtf8(r.sent));
            QVERIFY2(bool(got) == (r.sent != nullptr), r.text);
        }
        // Worked-out values written as singles; ranges only with the start below the stop.
        QVERIFY(entry::fits_single(8e-3, above_zero) && entry::fits_single(0));
        QVERIFY(!entry::fits_single(8e-43, above_zero) && !entry::fits_single(1e39) && !entry::fits_single(std::nan("")));
        QVERIFY(entry::sendable_range(" 1", "2 ", above_zero));
        QVERIFY(!entry::sendable_range("2", "2", above_zero) && !entry::sendable_range("20", "10"));
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
