#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Fill an event's message text with the event's parameters, one formatter per
// alarm type. Each returns 0 when it produced a text (then stored in `out`)
// and a non-zero code otherwise (`out` untouched).
constexpr int32_t kFormatNoPlaceholder = 1;
constexpr int32_t kFormatInvalid = int32_t(0x80070057);  // E_INVALIDARG
constexpr int32_t kFormatTooLong = int32_t(0x8007000E);  // E_OUTOFMEMORY

// Longest formatted text; the caller's buffer holds this plus a terminator.
constexpr size_t kMaxMessageChars = 119;

// User alarm: one placeholder "@1" + type letter + format + "@".
// valueBytes: nullopt when the event's parameters do not have the user-alarm
// shape (params array of exactly one element that is a VT_ARRAY|VT_UI1,
// paramInfo starting with 1); the caller decides that.
// A result longer than kMaxMessageChars gives kFormatTooLong.
// Size in bytes of a user-alarm value by its type letter (B, C, Y one; I, W
// two; D, R, X four); 0 for unknown ones.
size_t UserValueSize(char16_t typeLetter);

int32_t FormatUserAlarmText(std::u16string_view text, const std::optional<std::vector<uint8_t>>& valueBytes,
                            std::u16string& out);

// TO alarm: placeholders "/n/" pick parameter n; the rest of the text is a
// printf-style format over the picked values. The result is cut at
// kMaxMessageChars.
// paramValues: the 32-bit value field of each params element, index 0 =
// parameter 1; nullopt when params is not an array of VARIANTs.
int32_t FormatToAlarmText(std::u16string_view text, const std::optional<std::vector<int32_t>>& paramValues,
                          std::u16string& out);

// Diagnosis: placeholders "$Z" + field selector pick values of the 10-byte
// diagnosis record; the printf conversion after each stays in the format.
// The result is cut at kMaxMessageChars.
// recordBytes: the raw data bytes of the params element's array (after the
// VT_ARRAY|VT_VARIANT element-0 unwrapping, which the caller does); nullopt
// when there is no array.
int32_t FormatDiagnosisText(std::u16string_view text, const std::optional<std::vector<uint8_t>>& recordBytes,
                            std::u16string& out);
