#include "deviceinfo/ConnectionValueConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace deviceinfo {
namespace {

using Bytes = std::vector<uint8_t>;

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

TEST(LeadingInteger, ReadsLikeAtoi) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const struct {
        std::u16string_view text;
        int32_t expected;
    } cases[] = {
        {u"", 0},
        {u"   ", 0},
        {u"42", 42},
        {u"0300", 300},
        {u"  42", 42},
        {u" \t\n\v\f\r7", 7},
        {u"+5", 5},
        {u"-5", -5},
        {u"-1", -1},
        {u"--5", 0},
        {u"+-5", 0},
        {u"- 5", 0},
        {u"12abc", 12},
        {u"1.5", 1},
        {u"abc", 0},
        {u"x12", 0},
        {u"\u00A05", 0},  // only ASCII white space is skipped
        {u"\uFF11", 0},   // full-width digit is no digit
        {u"2147483647", kMax},
        {u"-2147483648", kMin},
        {u"2147483648", kMin},  // wraps modulo 2^32
        {u"4294967295", -1},
        {u"4294967296", 0},
        {u"4294967297", 1},
        {u"99999999999999999999", 1661992959},
        {u"-99999999999999999999", -1661992959},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(LeadingInteger(c.text), c.expected);
    }
}

TEST(LeadingDecimal, ReadsPlainDecimalsLikeAtof) {
    const double kInf = std::numeric_limits<double>::infinity();
    const std::u16string manyOnes(400, u'1');
    const std::u16string zerosThenOne = std::u16string(400, u'0') + u"1";
    const struct {
        std::u16string_view text;
        double expected;
    } cases[] = {
        {u"", 0.0},
        {u"  ", 0.0},
        {u"60", 60.0},
        {u"-120", -120.0},
        {u"  +1.5", 1.5},
        {u"\t-0.25", -0.25},
        {u".5", 0.5},
        {u"5.", 5.0},
        {u".", 0.0},
        {u"-", 0.0},
        {u"-.", 0.0},
        {u"1e3", 1000.0},
        {u"1E-2", 0.01},
        {u"2.5e+1x", 25.0},
        {u"1e", 1.0},  // exponent without digits is not part of the number
        {u"1e+", 1.0},
        {u"1e-x", 1.0},
        {u"1,5", 1.0},
        {u"abc", 0.0},
        {u"inf", 0.0},  // only plain decimals are read
        {u"nan", 0.0},
        {u"0x10", 0.0},
        {u"1e400", kInf},
        {u"-1e400", -kInf},
        {u"1e99999999999999999999", kInf},
        {u"0.001e310", 1e307},
        {manyOnes, kInf},
        {zerosThenOne, 1.0},
        {u"1e-400", 0.0},
        {u"1000e-330", 0.0},
        {u"1e-99999999999999999999", 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text.substr(0, 40)));
        EXPECT_EQ(LeadingDecimal(c.text), c.expected);
    }
    EXPECT_TRUE(std::signbit(LeadingDecimal(u"-1e-400")));
}

TEST(DottedTextToBytes, OneBytePerNonEmptyPiece) {
    const struct {
        std::u16string_view text;
        Bytes expected;
    } cases[] = {
        {u"00.01", {0x00, 0x01}},
        {u"02.02", {0x02, 0x02}},
        {u"2", {0x02}},
        {u"192.168.0.5", {0xC0, 0xA8, 0x00, 0x05}},
        {u"", {}},
        {u".", {}},
        {u"...", {}},
        {u"1..2", {0x01, 0x02}},
        {u".1.", {0x01}},
        {u"256.257", {0x00, 0x01}},
        {u"-1", {0xFF}},
        {u"a.b", {0x00, 0x00}},
        {u" ", {0x00}},
        {u" 3 . 4", {0x03, 0x04}},
        {u"1.2.3.4.5.6.7.8.9", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(DottedTextToBytes(c.text), c.expected);
    }
}

TEST(ParseDottedBytes, StopsAtCapacity) {
    const struct {
        std::u16string_view text;
        size_t capacity;
        Bytes expected;
    } cases[] = {
        {u"10.1.2.3", 7, {0x0A, 0x01, 0x02, 0x03}},
        {u"1.2.3.4.5.6.7", 7, {1, 2, 3, 4, 5, 6, 7}},
        {u"1.2.3.4.5.6.7.8.9", 7, {1, 2, 3, 4, 5, 6, 7}},
        {u"1..2..3", 2, {0x01, 0x02}},
        {u"..", 7, {}},
        {u"", 7, {}},
        {u"1.2", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text) + " cap " + std::to_string(c.capacity));
        // Guard bytes after the capacity must stay untouched.
        Bytes buffer(c.capacity + 4, 0xEE);
        const size_t n = ParseDottedBytes(c.text, buffer.data(), c.capacity);
        ASSERT_EQ(n, c.expected.size());
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + n), c.expected);
        for (size_t i = n; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << "index " << i;
    }
    EXPECT_EQ(ParseDottedBytes(u"1.2", nullptr, 0), 0u);
}

TEST(ConsistencyText, SingleCharacterReadsAsEmpty) {
    const struct {
        std::u16string_view text;
        std::u16string_view expected;
    } cases[] = {
        {u"", u""}, {u" ", u""}, {u"A", u""}, {u"AB", u"AB"}, {u"  ", u"  "}, {u"3F2A-77", u"3F2A-77"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(ConsistencyText(c.text), c.expected);
    }
}

TEST(ScalarConversions, FlagPduSizeAndMinutes) {
    const struct {
        std::u16string_view text;
        uint16_t flag;
        uint32_t pdu;
    } cases[] = {
        {u"-1", 0xFFFF, 240},
        {u"0", 0, 240},
        {u"1", 1, 240},
        {u"", 0, 240},
        {u"true", 0, 240},
        {u"-2", 0xFFFE, 240},
        {u"65536", 0, 480},
        {u"65537", 1, 480},
        {u"0300", 300, 240},
        {u"0301", 301, 480},
        {u" 301", 301, 480},
        {u"1000", 1000, 480},
        {u"2147483648", 0, 240},  // wraps to a negative version
        {u"4294967295", 0xFFFF, 240},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(FlagValue(c.text), c.flag);
        EXPECT_EQ(PduSizeFromCpuVersion(c.text), c.pdu);
    }

    EXPECT_DOUBLE_EQ(MinutesToDays(u"60"), 1.0 / 24);
    EXPECT_DOUBLE_EQ(MinutesToDays(u"-120"), -120.0 / 1440);
    EXPECT_DOUBLE_EQ(MinutesToDays(u"90.5"), 90.5 / 1440);
    EXPECT_DOUBLE_EQ(MinutesToDays(u"1440"), 1.0);
    EXPECT_EQ(MinutesToDays(u""), 0.0);
    EXPECT_EQ(MinutesToDays(u"abc"), 0.0);
}

TEST(RoutingBlock, SubnetHeaderAndAddress) {
    const std::u16string longText = std::u16string(100, u'1') + u"|" + std::u16string(50, u'.') + u"9.8.7.6.5.4.3.2.1";
    const struct {
        std::u16string_view text;
        Bytes expected;
    } cases[] = {
        {u"00120001|2", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x02}},
        {u"00120001|10.1.2.3", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 4, 0x0A, 0x01, 0x02, 0x03}},
        {u"00128001|2", {6, 0x00, 0x12, 0, 0, 0x80, 0x01, 1, 0x02}},
        {u"80018001|5", {6, 0x80, 0x01, 0, 0, 0x80, 0x01, 1, 0x05}},
        {u"FFFFFFFF|255", {6, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 1, 0xFF}},
        {u"00ab00Cd|1", {6, 0x00, 0xAB, 0, 0, 0x00, 0xCD, 1, 0x01}},
        // Short, long and non-hexadecimal subnet texts.
        {u"12|3", {6, 0x00, 0x00, 0, 0, 0x00, 0x12, 1, 0x03}},
        {u"123456789|1", {6, 0x23, 0x45, 0, 0, 0x67, 0x89, 1, 0x01}},
        {u"0012zz01|2", {6, 0x00, 0x00, 0, 0, 0x00, 0x12, 1, 0x02}},
        {u"G0120001|2", {6, 0, 0, 0, 0, 0, 0, 1, 0x02}},
        {u"0x120001|2", {6, 0, 0, 0, 0, 0, 0, 1, 0x02}},
        {u"|2", {6, 0, 0, 0, 0, 0, 0, 1, 0x02}},
        // Missing or repeated separator.
        {u"", {6, 0, 0, 0, 0, 0, 0, 1, 0x00}},
        {u"00120001", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x00}},
        {u"00120001|", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x00}},
        {u"00120001|3|4", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x03}},
        {u"00120001||7", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x00}},
        {u"00120001|1.2|3.4", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 3, 0x01, 0x02, 0x04}},
        // Single-number addresses keep the low 8 bits.
        {u"00120001|300", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x2C}},
        {u"00120001|-1", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0xFF}},
        {u"00120001|abc", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x00}},
        // Dotted addresses: empty pieces skipped, at most seven bytes.
        {u"00120001|1..2", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 2, 0x01, 0x02}},
        {u"00120001|...", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 0}},
        {u"00120001| 10.1", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 2, 0x0A, 0x01}},
        {u"00120001|1.2.3.4.5.6.7.8.9", {6, 0x00, 0x12, 0, 0, 0x00, 0x01, 7, 1, 2, 3, 4, 5, 6, 7}},
        {longText, {6, 0x11, 0x11, 0, 0, 0x11, 0x11, 7, 9, 8, 7, 6, 5, 4, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text.substr(0, 40)));
        EXPECT_EQ(RoutingBlock(c.text), c.expected);
    }
}

}  // namespace
}  // namespace deviceinfo
