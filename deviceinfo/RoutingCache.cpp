#include "deviceinfo/RoutingCache.h"

IXMLDOMNode* RoutingCache::Of(const ElementIndex& elements, ElementIndex::Element device) {
    auto found = m_routing.find(device);
    if (found == m_routing.end())
        found = m_routing.emplace(device, FindChildByName(elements.Node(device), L"RoutInfo")).first;
    return found->second.Get();
}
