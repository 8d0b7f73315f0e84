#include "eventserver/TextFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using textformat::Argument;
using textformat::Format;
using textformat::Outcome;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Readable form for failure messages; non-ASCII units as \uXXXX.
std::string Narrow(const std::u16string& s) {
    std::string r;
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            r.push_back(char(c));
        } else {
            static const char hex[] = "0123456789ABCDEF";
            r += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) r.push_back(hex[(c >> shift) & 0xF]);
        }
    }
    return r;
}

Argument Int(int32_t v) { return Argument{false, v, 0.0}; }
Argument Dbl(double v) { return Argument{true, 0, v}; }

// Formats with one argument; "<refused>" stands for Outcome::Unsupported.
std::string FormatOne(const std::string& format, Argument arg, size_t maxChars = 119) {
    std::u16string out = u"untouched";
    if (Format(Wide(format), &arg, 1, maxChars, out) != Outcome::Ok) {
        EXPECT_EQ(out, u"untouched") << format;
        return "<refused>";
    }
    return Narrow(out);
}

struct IntCase {
    const char* format;
    int32_t value;
    const char* expected;
};

TEST(TextFormatTest, IntegerConversionsMatchC) {
    const IntCase cases[] = {
        {"%d", -42, "-42"},
        {"%i", INT32_MIN, "-2147483648"},
        {"%u", -1, "4294967295"},
        {"%x", 255, "ff"},
        {"%X", 255, "FF"},
        {"%o", -1, "37777777777"},
        {"%#o", 8, "010"},
        {"%#x", 255, "0xff"},
        {"%#08x", 255, "0x0000ff"},
        {"%#-8x|", 255, "0xff    |"},
        {"%5d", 42, "   42"},
        {"%05d", -42, "-0042"},
        {"%-05d|", 5, "5    |"},
        {"%+d", 5, "+5"},
        {"% d", 5, " 5"},
        {"%+05d", 0, "+0000"},
        {"%.3d", 5, "005"},
        {"%08.3d", 5, "     005"},
        {"%.0d", 0, ""},
        {"%#.0o", 0, "0"},
        {"%hd", 65535, "-1"},
        {"%hu", -1, "65535"},
        {"%hhd", 255, "-1"},
        {"%hx", 0x12345, "2345"},
        {"%I32d", -7, "-7"},
        {"%3c", 'A', "  A"},
        {"%c", 0x20AC, "\\u20AC"},
        {"%c", 0x1F600, "\\uF600"},
        {"%hc", 0x141, "A"},
        {"[%c]", 0, "[]"},
        {"[%5c]", 0, "[]"},
        {"100%% %d", 1, "100% 1"},
    };
    for (const IntCase& c : cases) EXPECT_EQ(FormatOne(c.format, Int(c.value)), c.expected) << c.format;
}

struct FloatCase {
    const char* format;
    double value;
    const char* expected;
};

TEST(TextFormatTest, FloatingConversionsMatchC) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const FloatCase cases[] = {
        {"%.2f", 1.005, "1.00"},
        {"%.0f", 2.5, "2"},
        {"%#.0f", 1, "1."},
        {"%f", -0.0, "-0.000000"},
        {"%010.2f", -3.14159, "-000003.14"},
        {"%e", 1.5, "1.500000e+00"},
        {"%E", 1.5e-10, "1.500000E-10"},
        {"%#.0e", 1, "1.e+00"},
        {"%012.3e", -12.5, "-001.250e+01"},
        {"%e", 5e-324, "4.940656e-324"},
        {"%g", 0.00001, "1e-05"},
        {"%g", 1234567, "1.23457e+06"},
        {"%g", 999999.5, "1e+06"},
        {"%.2g", 100, "1e+02"},
        {"%#g", 1, "1.00000"},
        {"%#.0g", 5, "5."},
        {"%.17g", 0.1, "0.10000000000000001"},
        {"%f", inf, "inf"},
        {"%5f", -inf, " -inf"},
        {"%E", nan, "NAN"},
    };
    for (const FloatCase& c : cases) EXPECT_EQ(FormatOne(c.format, Dbl(c.value)), c.expected) << c.format;
}

TEST(TextFormatTest, RefusesConversionsOutsideTheSubset) {
    const char* formats[] = {
        "%s",  "%S",  "%ls",  "%hs",   "%n",   "%hn",   "%p",   "%a",  "%A",  "%F",  "%wc",
        "%Z",  "%*d", "%.*d", "%5.*d", "%-*d", "%I64d", "%lld", "%Id", "%jd", "%zd", "%td",
        "%Ld", "%qd", "%hld", "%5%",   "%",    "abc%",  "%5",   "%-",  "%.",  "%l",  "%hh",
    };
    for (const char* f : formats) {
        EXPECT_EQ(FormatOne(f, Int(1)), "<refused>") << f;
        EXPECT_EQ(FormatOne(f, Dbl(1)), "<refused>") << f;
    }
}

TEST(TextFormatTest, RefusesMissingOrMismatchedArguments) {
    const Argument two[] = {Int(1), Int(2)};
    std::u16string out;
    EXPECT_EQ(Format(u"%d %d", two, 2, 119, out), Outcome::Ok);
    EXPECT_EQ(out, u"1 2");
    EXPECT_EQ(Format(u"%d %d %d", two, 2, 119, out), Outcome::Unsupported);
    EXPECT_EQ(Format(u"%d", nullptr, 0, 119, out), Outcome::Unsupported);
    EXPECT_EQ(Format(u"no conversion", nullptr, 0, 119, out), Outcome::Ok);
    EXPECT_EQ(FormatOne("%f", Int(1)), "<refused>");
    EXPECT_EQ(FormatOne("%d", Dbl(1)), "<refused>");
    EXPECT_EQ(FormatOne("%c", Dbl(65)), "<refused>");
}

TEST(TextFormatTest, OutputIsCutAtTheLimit) {
    struct LimitCase {
        std::string format;
        Argument arg;
        size_t maxChars;
        std::string expected;
    };
    const LimitCase cases[] = {
        {"%99999d", Int(1), 119, std::string(119, ' ')},
        {"%-99999d", Int(1), 119, "1" + std::string(118, ' ')},
        {"%099999d", Int(-1), 119, "-" + std::string(118, '0')},
        {"%.99999d", Int(1), 119, std::string(119, '0')},
        {"%.99999f", Dbl(1), 119, "1." + std::string(117, '0')},
        {"%.99999e", Dbl(1), 119, "1." + std::string(117, '0')},
        {std::string(119, 'a'), Int(0), 119, std::string(119, 'a')},
        {std::string(200, 'a'), Int(0), 119, std::string(119, 'a')},
        {std::string(117, 'a') + "%d", Int(123), 119, std::string(117, 'a') + "12"},
        {"%d", Int(5), 0, ""},
        // Digits past the exactly computed precision are zeros before the exponent.
        {"%.1200e", Dbl(0.5), 2000, "5." + std::string(1200, '0') + "e-01"},
        {"%.1200f", Dbl(0.5), 2000, "0.5" + std::string(1199, '0')},
    };
    for (const LimitCase& c : cases) EXPECT_EQ(FormatOne(c.format, c.arg, c.maxChars), c.expected) << c.format;
}

TEST(TextFormatTest, ChecksTheWholeFormatEvenPastTheLimit) {
    EXPECT_EQ(FormatOne(std::string(200, 'a') + "%s", Int(1)), "<refused>");
    EXPECT_EQ(FormatOne("%200d%n", Int(1)), "<refused>");
    const Argument one = Int(1);
    std::u16string out;
    EXPECT_EQ(Format(Wide(std::string(200, 'a') + "%d%d"), &one, 1, 119, out), Outcome::Unsupported);
}

}  // namespace
