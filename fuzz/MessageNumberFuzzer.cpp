// Message numbers from message names.

#include <cstdio>

#include "eventserver/MessageNumber.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static const char16_t* const kPrefixes[] = {u"", u"Alarm", u"TO_ALARM", u"DIAGNOSIS: ", u"diagnosis00"};
    std::u16string name = kPrefixes[input.ConsumeIntegralInRange(0, 4)];
    name += RemainingText(input);
    const uint32_t number = ParseMessageNumber(name);
    // Names without a known prefix give 0.
    if (name.size() < 5) Require(number == 0);
    return 0;
}
