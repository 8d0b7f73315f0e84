#include "eventserver/MessageNumber.h"

#include <limits>

namespace {

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

bool StartsWithNoCase(std::u16string_view name, std::string_view prefix) {
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiUpper(name[i]) != AsciiUpper(char16_t(prefix[i]))) return false;
    }
    return true;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Skips leading white space and an optional sign; true for a minus.
bool SkipSpaceAndSign(std::u16string_view s, size_t& i) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) return s[i++] == u'-';
    return false;
}

// Reads like strtoul(..., 16) with a 32-bit unsigned long: optional sign
// (a minus negates modulo 2^32), optional 0x, saturation on overflow.
uint32_t ReadHex(std::u16string_view s) {
    size_t i = 0;
    const bool negative = SkipSpaceAndSign(s, i);
    if (i + 2 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X') && HexDigit(s[i + 2]) >= 0) {
        i += 2;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; i < s.size(); ++i) {
        const int digit = HexDigit(s[i]);
        if (digit < 0) break;
        if (!overflow) {
            value = value * 16 + uint64_t(digit);
            if (value > std::numeric_limits<uint32_t>::max()) overflow = true;
        }
    }
    if (overflow) return std::numeric_limits<uint32_t>::max();
    const uint32_t result = uint32_t(value);
    return negative ? uint32_t(0u - result) : result;
}

// Reads like wcstol(..., 10) with a 32-bit long: optional sign, saturation
// at the signed limits.
int32_t ReadDecimal(std::u16string_view s) {
    size_t i = 0;
    const bool negative = SkipSpaceAndSign(s, i);
    // Magnitude limit: 2^31 for negative numbers, 2^31 - 1 otherwise.
    const int64_t limit = negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
    int64_t value = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        if (value < limit) value = value * 10 + (s[i] - u'0');
        if (value > limit) value = limit;
    }
    return int32_t(negative ? -value : value);
}

}  // namespace

uint32_t ParseMessageNumber(std::u16string_view messageName) {
    if (StartsWithNoCase(messageName, "DIAGNOSIS")) {
        if (messageName.size() < 12) return 0;
        return ReadHex(messageName.substr(11));
    }
    if (StartsWithNoCase(messageName, "TO_ALARM")) {
        return uint32_t(ReadDecimal(messageName.substr(8)));
    }
    if (StartsWithNoCase(messageName, "Alarm")) {
        return uint32_t(ReadDecimal(messageName.substr(5)));
    }
    return 0;
}
