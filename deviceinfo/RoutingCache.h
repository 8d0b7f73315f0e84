#pragma once

// The "RoutInfo" child of each device the connection queries met, found on
// first use: the search walks the device's children, TOs included, and most
// devices have no such child. A device is the only element of its tag name,
// so the name stands for the element until the next load, which clears the
// cache.

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "loading/XmlAccess.h"

class RoutingCache {
public:
    // The first child of `device` named "RoutInfo", or null; `deviceName` is
    // the device's tag name.
    IXMLDOMNode* Of(std::wstring_view deviceName, IXMLDOMNode* device);
    void Clear() { m_routing.clear(); }

private:
    std::unordered_map<std::wstring, DomNode> m_routing;
};
