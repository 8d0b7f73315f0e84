#pragma once

// Splits a fuzzer's bytes into the plain inputs of the functions under test.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline std::u16string ConsumeText(FuzzedDataProvider& input, size_t maxUnits = 400) {
    const size_t units = input.ConsumeIntegralInRange<size_t>(0, maxUnits);
    std::u16string text;
    for (size_t i = 0; i < units && input.remaining_bytes() > 0; ++i) {
        // Mostly ASCII, so that placeholders and digits occur often.
        const uint8_t low = input.ConsumeIntegral<uint8_t>();
        text.push_back(low < 0xF0 ? char16_t(low & 0x7F) : input.ConsumeIntegral<char16_t>());
    }
    return text;
}

inline std::u16string RemainingText(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    return std::u16string(bytes.begin(), bytes.end());
}

// Stops the run with a crash report when a promise of the code is broken.
inline void Require(bool condition) {
    if (!condition) std::abort();
}
