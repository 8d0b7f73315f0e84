#pragma once

// What a device's routing element means for its connection: whether it is
// routed, through which network and router, and the routing block field by
// field. Plain C++, tested without the platform.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the file says about a device's route. Texts are UTF-8.
struct RouteFacts {
    bool hasRoutingElement = false;         // the device's first RoutInfo child
    std::string network;                    // its ROUTNET
    bool routerInsidePc = false;            // ROUTNET names a router inside the PC
    std::string router;                     // its ROUTDEV
    std::string routerAddress;              // its ROUTADR
    bool routerFound = false;               // ROUTDEV names exactly one element
    std::optional<std::string> routerSlot;  // the first non-empty SLOT of that element's children
};

// One line: "not routed", or the network and the router with its address
// or slot, as the component computes ADDRESS from them.
std::string DescribeRoute(const RouteFacts& facts);

// The routing block's fields ("subnet ID 0012-8001, address 10.1.2.3 (4
// bytes)"), or what is wrong with its layout.
std::string DescribeRoutingBlock(const std::vector<uint8_t>& block);
