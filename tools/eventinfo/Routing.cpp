#include "tools/eventinfo/Routing.h"

#include <cstdio>

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Dotted(const std::vector<uint8_t>& bytes, size_t from) {
    std::string out;
    for (size_t i = from; i < bytes.size(); ++i) out += (i > from ? "." : "") + std::to_string(bytes[i]);
    return out;
}

}  // namespace

std::string DescribeRoute(const RouteFacts& facts) {
    if (!facts.hasRoutingElement) return "not routed";
    if (facts.network.empty())
        return "routing element without ROUTNET: no routing block, ADDRESS is ROUTADR " + Quoted(facts.routerAddress);
    if (facts.routerInsidePc) {
        const std::string router = "ROUTDEV " + Quoted(facts.router);
        const std::string slot = !facts.routerFound ? router + " names no single element, so ADDRESS is MPIDefault"
                                 : facts.routerSlot ? router + " in slot " + *facts.routerSlot
                                                    : router + " has no SLOT, so ADDRESS is refused";
        return "routed through a module inside the PC (" + facts.network + "), " + slot;
    }
    return "routed through network " + facts.network + ", router at " +
           (facts.routerAddress.empty() ? "(no ROUTADR)" : facts.routerAddress);
}

std::string DescribeRoutingBlock(const std::vector<uint8_t>& block) {
    if (block.size() < 8) return "too short for a routing block (" + std::to_string(block.size()) + " bytes)";
    char subnet[32];
    std::snprintf(subnet, sizeof subnet, "%02X%02X-%02X%02X", block[1], block[2], block[5], block[6]);
    std::string text = "subnet field " + std::to_string(block[0]) + " bytes, subnet ID " + subnet;
    if (block[3] != 0 || block[4] != 0) text += " (bytes 3 and 4 are not 0)";
    const size_t count = block[7];
    text += ", address " + Dotted(block, 8) + " (" + std::to_string(count) + (count == 1 ? " byte" : " bytes");
    if (block.size() - 8 != count) text += ", but " + std::to_string(block.size() - 8) + " follow";
    return text + ")";
}
