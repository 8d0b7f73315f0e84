// Routing blocks from "subnet|address" texts.

#include "deviceinfo/ConnectionValueConversions.h"
#include "fuzz/FuzzInput.h"

using namespace deviceinfo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::u16string text = RemainingText(input);
    const std::vector<uint8_t> block = RoutingBlock(text);
    Require(block.size() >= 8 && block.size() <= 8 + 7);
    Require(block[0] == 6 && block[3] == 0 && block[4] == 0);
    Require(block.size() == 8u + block[7]);
    return 0;
}
