#include "tools/eventinfo/MessageNames.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eventserver/EventTextFormatters.h"
#include "tools/eventinfo/CommandLine.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

bool AllOf(std::string_view text, int (*accepts)(int)) {
    if (text.empty()) return false;
    for (char c : text)
        if (!accepts(static_cast<unsigned char>(c))) return false;
    return true;
}

std::optional<uint32_t> Read(std::string_view digits, int base) {
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    const unsigned long long value = std::strtoull(std::string(digits).c_str(), nullptr, base);
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(value);
}

void Add(std::vector<uint32_t>& numbers, std::optional<uint32_t> number) {
    if (!number) return;
    for (uint32_t known : numbers)
        if (known == *number) return;
    numbers.push_back(*number);
}

}  // namespace

std::string EventMessageName(int32_t alarmType, uint32_t number) {
    char name[32];
    switch (alarmType) {
    case 1: std::snprintf(name, sizeof name, "Alarm%lu", static_cast<unsigned long>(number)); break;
    case 2: std::snprintf(name, sizeof name, "TO_ALARM%lu", static_cast<unsigned long>(number)); break;
    case 4: std::snprintf(name, sizeof name, "DIAGNOSIS: %lX", static_cast<unsigned long>(number)); break;
    default: return {};
    }
    return name;
}

std::string EventMessageNameForm(int32_t alarmType) {
    switch (alarmType) {
    case 1: return "Alarm and the number in decimal, as Alarm17";
    case 2: return "TO_ALARM and the number in decimal, as TO_ALARM30001";
    case 4: return "\"DIAGNOSIS: \" and the number in hexadecimal, as \"DIAGNOSIS: 4302\"";
    default: return "a name the category's alarm type does not define";
    }
}

std::vector<uint32_t> TypedMessageNumbers(std::string_view typed) {
    while (!typed.empty() && typed.front() == ' ') typed.remove_prefix(1);
    bool hexFirst = false;
    if (StartsWithNoCase(typed, "ID") && typed.size() == 10 && AllOf(typed.substr(2), std::isxdigit)) {
        std::vector<uint32_t> numbers;
        Add(numbers, Read(typed.substr(2), 16));
        return numbers;
    }
    for (const char* prefix : {"DIAGNOSIS", "TO_ALARM", "ALARM"}) {
        if (!StartsWithNoCase(typed, prefix)) continue;
        typed.remove_prefix(std::strlen(prefix));
        hexFirst = prefix[0] == 'D';
        break;
    }
    while (!typed.empty() && (typed.front() == ':' || typed.front() == ' ' || typed.front() == '#'))
        typed.remove_prefix(1);
    std::vector<uint32_t> numbers;
    if (typed.size() > 2 && typed[0] == '0' && (typed[1] == 'x' || typed[1] == 'X')) {
        if (AllOf(typed.substr(2), std::isxdigit)) Add(numbers, Read(typed.substr(2), 16));
    } else if (AllOf(typed, std::isdigit)) {
        Add(numbers, Read(typed, hexFirst ? 16 : 10));
        Add(numbers, Read(typed, hexFirst ? 10 : 16));
    } else if (AllOf(typed, std::isxdigit)) {
        Add(numbers, Read(typed, 16));
    }
    return numbers;
}

std::optional<std::vector<uint8_t>> UserAlarmValueBytes(std::u16string_view text, std::string_view value,
                                                        std::string& error) {
    const size_t placeholder = text.find(u"@1");
    if (placeholder == std::u16string_view::npos || placeholder + 2 >= text.size()) {
        error = "the message text has no \"@1\" placeholder to take a value";
        return std::nullopt;
    }
    const char16_t typeLetter = text[placeholder + 2];
    const size_t size = UserValueSize(typeLetter);
    if (size == 0) {
        error = "the placeholder's type letter is none of B, C, Y, I, W, D, R, X";
        return std::nullopt;
    }
    uint32_t bits = 0;
    if (typeLetter == u'R') {
        char* end = nullptr;
        const std::string number(value);
        const float real = std::strtof(number.c_str(), &end);
        if (number.empty() || *end != '\0') {
            error = "the value '" + number + "' is not a number";
            return std::nullopt;
        }
        std::memcpy(&bits, &real, sizeof bits);
    } else {
        const auto number = ParseInteger(value);
        const int64_t high = (int64_t{1} << (8 * size)) - 1, low = -(int64_t{1} << (8 * size - 1));
        if (!number || *number < low || *number > high) {
            error = "the value '" + std::string(value) + "' is not an integer of " + std::to_string(size) +
                    (size == 1 ? " byte" : " bytes") + ", as the placeholder's type letter wants";
            return std::nullopt;
        }
        bits = static_cast<uint32_t>(*number);
    }
    std::vector<uint8_t> bytes;
    for (size_t i = size; i-- > 0;) bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return bytes;
}
