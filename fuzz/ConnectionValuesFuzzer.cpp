// The text conversions of connection parameter values.

#include <cmath>

#include "deviceinfo/ConnectionValueConversions.h"
#include "fuzz/FuzzInput.h"

using namespace deviceinfo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::u16string text = RemainingText(input);
    const int32_t number = LeadingInteger(text);
    Require(FlagValue(text) == static_cast<uint16_t>(number));
    const uint32_t pdu = PduSizeFromCpuVersion(text);
    Require(pdu == (number > 300 ? 480u : 240u));
    const double days = MinutesToDays(text);
    const double decimal = LeadingDecimal(text);
    Require(std::isnan(decimal) ? std::isnan(days) : days == decimal * (1.0 / 1440));
    const std::u16string consistency = ConsistencyText(text);
    Require(text.size() == 1 ? consistency.empty() : consistency == text);
    return 0;
}
