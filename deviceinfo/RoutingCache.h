#pragma once

// The "RoutInfo" child of each device the connection queries met, found on
// first use: the search walks the device's children, TOs included, and most
// devices have no such child. The cache holds the device elements of one
// document's index; a load clears it.

#include <windows.h>
#include <msxml2.h>

#include <unordered_map>

#include "loading/ElementIndex.h"
#include "loading/XmlAccess.h"

class RoutingCache {
public:
    // The first child of the device element named "RoutInfo", or null.
    IXMLDOMNode* Of(const ElementIndex& elements, ElementIndex::Element device);
    void Clear() { m_routing.clear(); }

private:
    std::unordered_map<ElementIndex::Element, DomNode> m_routing;
};
