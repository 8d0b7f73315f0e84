// Dotted texts to bytes.

#include "deviceinfo/ConnectionValueConversions.h"
#include "fuzz/FuzzInput.h"

using namespace deviceinfo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const size_t capacity = input.ConsumeIntegralInRange<size_t>(0, 9);
    const std::u16string text = RemainingText(input);
    const std::vector<uint8_t> bytes = DottedTextToBytes(text);

    // A guard byte after the buffer must never be written.
    std::vector<uint8_t> buffer(capacity + 1, 0xA5);
    const size_t written = ParseDottedBytes(text, buffer.data(), capacity);
    Require(written <= capacity);
    Require(buffer[capacity] == 0xA5);
    Require(written == std::min(bytes.size(), capacity));
    for (size_t i = 0; i < written; ++i) Require(buffer[i] == bytes[i]);
    return 0;
}
