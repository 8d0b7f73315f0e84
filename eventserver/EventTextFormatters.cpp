#include "eventserver/EventTextFormatters.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "eventserver/TextFormat.h"

namespace {

using textformat::Argument;

constexpr size_t kMaxToPlaceholders = 5;
constexpr size_t kMaxDiagnosisPlaceholders = 6;
constexpr size_t kDiagnosisRecordSize = 10;

Argument IntegerArgument(int32_t value) { return Argument{false, value, 0.0}; }

uint32_t ReadBigEndian(const std::vector<uint8_t>& bytes, size_t offset, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value = (value << 8) | bytes[offset + i];
    return value;
}

std::u16string Widen(const char* begin, const char* end) { return std::u16string(begin, end); }

std::u16string InBase(uint32_t value, int base) {
    std::array<char, 33> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, base);
    return Widen(digits.data(), result.ptr);
}

// The fixed-point rendering of a non-floating user alarm with conversion f:
// the value as signed decimal plus a space; ".k" in the format moves the last
// k characters right into the space and puts a point before them. When k
// exceeds the number's length, the point simply replaces the space.
std::u16string FixedPoint(uint32_t value, std::u16string_view format) {
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), int32_t(value));
    const std::u16string number = Widen(digits.data(), result.ptr);

    const size_t dot = format.find(u'.');
    if (dot == std::u16string_view::npos) return number + u' ';

    size_t decimals = 0;
    for (size_t i = dot + 1; i < format.size() && format[i] >= u'0' && format[i] <= u'9'; ++i) {
        decimals = std::min<size_t>(decimals * 10 + size_t(format[i] - u'0'), 1000);
    }
    if (decimals > number.size()) decimals = 0;
    const size_t split = number.size() - decimals;
    return number.substr(0, split) + u'.' + number.substr(split);
}

}  // namespace

size_t UserValueSize(char16_t typeLetter) {
    switch (typeLetter) {
    case u'B':
    case u'C':
    case u'Y': return 1;
    case u'I':
    case u'W': return 2;
    case u'D':
    case u'R':
    case u'X': return 4;
    default: return 0;
    }
}

int32_t FormatUserAlarmText(std::u16string_view text, const std::optional<std::vector<uint8_t>>& valueBytes,
                            std::u16string& out) {
    const size_t open = text.find(u"@1");
    if (open == std::u16string_view::npos) return kFormatNoPlaceholder;
    const size_t typePos = open + 2;
    const size_t close = text.find(u'@', typePos);
    if (close == std::u16string_view::npos) return kFormatInvalid;
    if (!valueBytes) return kFormatInvalid;

    const char16_t typeLetter = text[typePos];
    const size_t valueSize = UserValueSize(typeLetter);
    if (valueSize == 0) return kFormatInvalid;  // also the case close == typePos
    if (valueBytes->size() < valueSize) return kFormatInvalid;
    const uint32_t value = ReadBigEndian(*valueBytes, 0, valueSize);

    // close > typePos here, so the conversion letter is at least the type letter.
    const char16_t conversion = text[close - 1];
    const std::u16string_view format = text.substr(typePos + 1, close - typePos - 1);

    // One unit more than the limit is enough to tell a too long result.
    const size_t insertLimit = kMaxMessageChars + 1;
    std::u16string inserted;
    switch (conversion) {
    case u'X': inserted = InBase(value, 16); break;
    case u'b': inserted = InBase(value, 2); break;
    case u'd':
    case u'u':
        if (typeLetter == u'R') {
            inserted = u"###";
        } else {
            const Argument argument = IntegerArgument(int32_t(value));
            if (textformat::Format(format, &argument, 1, insertLimit, inserted) != textformat::Outcome::Ok)
                return kFormatInvalid;
        }
        break;
    case u'f':
        if (typeLetter == u'R') {
            float single = 0;
            static_assert(sizeof single == sizeof value, "IEEE single expected");
            std::memcpy(&single, &value, sizeof single);
            const Argument argument{true, 0, double(single)};
            if (textformat::Format(format, &argument, 1, insertLimit, inserted) != textformat::Outcome::Ok)
                return kFormatInvalid;
        } else {
            inserted = FixedPoint(value, format);
        }
        break;
    default: break;
    }

    const std::u16string_view before = text.substr(0, open);
    const std::u16string_view after = text.substr(close + 1);
    if (before.size() + inserted.size() + after.size() > kMaxMessageChars) return kFormatTooLong;

    std::u16string result;
    result.reserve(before.size() + inserted.size() + after.size());
    result.append(before).append(inserted).append(after);
    out = std::move(result);
    return 0;
}

namespace {

// Formats the collected integer arguments into at most kMaxMessageChars;
// `out` is written only on success.
int32_t FormatIntegers(const std::u16string& format, const Argument* arguments, size_t count, std::u16string& out) {
    std::u16string result;
    if (textformat::Format(format, arguments, count, kMaxMessageChars, result) != textformat::Outcome::Ok)
        return kFormatInvalid;
    out = std::move(result);
    return 0;
}

}  // namespace

int32_t FormatToAlarmText(std::u16string_view text, const std::optional<std::vector<int32_t>>& paramValues,
                          std::u16string& out) {
    std::u16string format;
    format.reserve(text.size());
    std::array<Argument, kMaxToPlaceholders> arguments{};
    arguments.fill(IntegerArgument(0));
    size_t found = 0;

    for (size_t i = 0; i < text.size();) {
        if (text[i] == u'/' && i + 2 < text.size() && text[i + 2] == u'/') {
            if (found == kMaxToPlaceholders) return kFormatInvalid;
            // The number is read as decimal from the middle character, and
            // the closing '/' ends it, so only that character counts.
            const char16_t middle = text[i + 1];
            const size_t number = (middle >= u'0' && middle <= u'9') ? size_t(middle - u'0') : 0;
            if (!paramValues || number == 0 || number > paramValues->size()) return kFormatInvalid;
            arguments[found++] = IntegerArgument((*paramValues)[number - 1]);
            i += 3;
            continue;
        }
        format.push_back(text[i++]);
    }
    if (found == 0) return kFormatNoPlaceholder;

    return FormatIntegers(format, arguments.data(), arguments.size(), out);
}

int32_t FormatDiagnosisText(std::u16string_view text, const std::optional<std::vector<uint8_t>>& recordBytes,
                            std::u16string& out) {
    size_t z = text.find(u"$Z");
    if (z == std::u16string_view::npos) return kFormatNoPlaceholder;
    if (!recordBytes || recordBytes->size() < kDiagnosisRecordSize) return kFormatInvalid;
    const std::vector<uint8_t>& record = *recordBytes;

    std::array<Argument, kMaxDiagnosisPlaceholders> arguments{};
    arguments.fill(IntegerArgument(0));
    std::u16string format;
    format.reserve(text.size());
    size_t pos = 0;  // start of the text not yet taken over
    size_t taken = 0;

    for (; z != std::u16string_view::npos; z = text.find(u"$Z", pos)) {
        const size_t percent = text.find(u'%', z + 2);
        if (percent == std::u16string_view::npos) return kFormatInvalid;

        uint32_t value = 0;
        if (percent == z + 3) {
            switch (text[z + 2]) {
            case u'1': value = ReadBigEndian(record, 2, 2); break;
            case u'2': value = ReadBigEndian(record, 4, 2); break;
            case u'3': value = ReadBigEndian(record, 6, 2); break;
            case u'4': value = record[0]; break;
            case u'5': value = record[1]; break;
            default: break;
            }
        } else {
            const std::u16string_view selector = text.substr(z + 2, 3);
            if (selector == u"1/2")
                value = ReadBigEndian(record, 2, 4);
            else if (selector == u"2/3")
                value = ReadBigEndian(record, 4, 4);
            else if (selector == u"4/5")
                value = ReadBigEndian(record, 0, 2);
            else
                break;  // not a placeholder: the rest stays as it is
        }
        if (taken == kMaxDiagnosisPlaceholders) return kFormatInvalid;
        arguments[taken++] = IntegerArgument(int32_t(value));
        format.append(text.substr(pos, z - pos));
        pos = percent;
    }
    format.append(text.substr(pos));

    return FormatIntegers(format, arguments.data(), arguments.size(), out);
}
