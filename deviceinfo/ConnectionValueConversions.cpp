#include "deviceinfo/ConnectionValueConversions.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace deviceinfo {

namespace {

constexpr char16_t kDot = u'.';
constexpr char16_t kRoutingSeparator = u'|';
constexpr uint8_t kSubnetFieldLength = 6;
constexpr size_t kRoutingHeaderSize = 8;

// The white space set of the C locale's isspace.
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r'; }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

size_t SkipSpace(std::u16string_view text, size_t pos) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    return pos;
}

size_t SkipDigits(std::u16string_view text, size_t pos) {
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos;
}

// Two's complement reinterpretation without relying on implementation-defined
// narrowing.
int32_t WrapToInt32(uint32_t value) {
    if (value <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        return static_cast<int32_t>(value);
    }
    return static_cast<int32_t>(value - 0x80000000u) + std::numeric_limits<int32_t>::min();
}

// Calls onPiece for every non-empty piece between dots, in order, until it
// returns false.
template <typename OnPiece>
void ForEachDottedPiece(std::u16string_view text, OnPiece onPiece) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(kDot, start);
        if (end == std::u16string_view::npos) end = text.size();
        if (end > start && !onPiece(text.substr(start, end - start))) return;
        start = end + 1;
    }
}

// For a decimal number that from_chars reports out of range: true when it
// overflows, false when it underflows. `mantissa` holds digits and at most one
// ".", `exponent` the decimal exponent (saturated).
bool DecimalOverflows(std::string_view mantissa, int64_t exponent) {
    const size_t point = mantissa.find('.');
    const std::string_view integral = mantissa.substr(0, point);
    const size_t firstNonZero = integral.find_first_not_of('0');
    int64_t magnitude = 0;
    if (firstNonZero != std::string_view::npos) {
        magnitude = static_cast<int64_t>(integral.size() - firstNonZero);
    } else if (point != std::string_view::npos) {
        const std::string_view fraction = mantissa.substr(point + 1);
        const size_t nz = fraction.find_first_not_of('0');
        magnitude = -static_cast<int64_t>(nz == std::string_view::npos ? fraction.size() : nz);
    }
    return magnitude + exponent > 0;
}

}  // namespace

int32_t LeadingInteger(std::u16string_view text) {
    size_t pos = SkipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    uint32_t value = 0;  // unsigned arithmetic wraps by definition
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = value * 10u + static_cast<uint32_t>(text[pos] - u'0');
    }
    if (negative) value = 0u - value;
    return WrapToInt32(value);
}

double LeadingDecimal(std::u16string_view text) {
    size_t pos = SkipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }

    const size_t mantissaStart = pos;
    const size_t integralEnd = SkipDigits(text, pos);
    size_t mantissaEnd = integralEnd;
    size_t digitCount = integralEnd - mantissaStart;
    if (mantissaEnd < text.size() && text[mantissaEnd] == kDot) {
        const size_t fractionEnd = SkipDigits(text, mantissaEnd + 1);
        digitCount += fractionEnd - (mantissaEnd + 1);
        mantissaEnd = fractionEnd;
    }
    if (digitCount == 0) return 0.0;

    // An exponent counts only when at least one digit follows the "e" and sign.
    size_t numberEnd = mantissaEnd;
    size_t exponentDigitsStart = 0;
    bool exponentNegative = false;
    if (mantissaEnd < text.size() && (text[mantissaEnd] == u'e' || text[mantissaEnd] == u'E')) {
        size_t p = mantissaEnd + 1;
        if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) {
            exponentNegative = text[p] == u'-';
            ++p;
        }
        const size_t end = SkipDigits(text, p);
        if (end > p) {
            exponentDigitsStart = p;
            numberEnd = end;
        }
    }

    // Everything matched is ASCII, so a narrowing copy is exact.
    std::string ascii;
    ascii.reserve(numberEnd - mantissaStart);
    for (size_t i = mantissaStart; i < numberEnd; ++i) ascii.push_back(static_cast<char>(text[i]));

    double value = 0.0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        int64_t exponent = 0;
        if (numberEnd > mantissaEnd) {
            for (size_t i = exponentDigitsStart; i < numberEnd; ++i) {
                if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - u'0');
            }
            if (exponentNegative) exponent = -exponent;
        }
        const std::string_view mantissa(ascii.data(), mantissaEnd - mantissaStart);
        value = DecimalOverflows(mantissa, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::vector<uint8_t> DottedTextToBytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    ForEachDottedPiece(text, [&bytes](std::u16string_view piece) {
        bytes.push_back(static_cast<uint8_t>(LeadingInteger(piece) & 0xFF));
        return true;
    });
    return bytes;
}

size_t ParseDottedBytes(std::u16string_view text, uint8_t* buffer, size_t capacity) {
    size_t count = 0;
    if (buffer == nullptr || capacity == 0) return 0;
    ForEachDottedPiece(text, [&](std::u16string_view piece) {
        buffer[count++] = static_cast<uint8_t>(LeadingInteger(piece) & 0xFF);
        return count < capacity;
    });
    return count;
}

std::u16string ConsistencyText(std::u16string_view valueText) {
    if (valueText.size() == 1) return std::u16string();
    return std::u16string(valueText);
}

uint16_t FlagValue(std::u16string_view text) {
    return static_cast<uint16_t>(static_cast<uint32_t>(LeadingInteger(text)) & 0xFFFFu);
}

uint32_t PduSizeFromCpuVersion(std::u16string_view text) { return LeadingInteger(text) > 300 ? 480u : 240u; }

double MinutesToDays(std::u16string_view text) { return LeadingDecimal(text) * (1.0 / 1440); }

std::vector<uint8_t> RoutingBlock(std::u16string_view routingText) {
    uint32_t subnetId = 0;
    for (size_t i = 0; i < routingText.size(); ++i) {
        const int digit = HexDigitValue(routingText[i]);
        if (digit < 0) break;
        subnetId = (subnetId << 4) | static_cast<uint32_t>(digit);  // keeps the low 32 bits
    }

    const size_t separator = routingText.find(kRoutingSeparator);
    const std::u16string_view address =
        separator == std::u16string_view::npos ? std::u16string_view() : routingText.substr(separator + 1);

    std::vector<uint8_t> block(kRoutingHeaderSize + kMaxRoutingAddressBytes, 0);
    block[0] = kSubnetFieldLength;
    block[1] = static_cast<uint8_t>(subnetId >> 24);
    block[2] = static_cast<uint8_t>(subnetId >> 16);
    block[3] = 0;
    block[4] = 0;
    block[5] = static_cast<uint8_t>(subnetId >> 8);
    block[6] = static_cast<uint8_t>(subnetId);

    size_t addressBytes = 0;
    if (address.find(kDot) != std::u16string_view::npos) {
        addressBytes = ParseDottedBytes(address, block.data() + kRoutingHeaderSize, kMaxRoutingAddressBytes);
    } else {
        block[kRoutingHeaderSize] = static_cast<uint8_t>(LeadingInteger(address) & 0xFF);
        addressBytes = 1;
    }
    block[7] = static_cast<uint8_t>(addressBytes);
    block.resize(kRoutingHeaderSize + addressBytes);
    return block;
}

bool IsRouterInsidePc(std::u16string_view routingNetwork) { return routingNetwork.substr(0, 11) == u"PC-Internal"; }

}  // namespace deviceinfo
