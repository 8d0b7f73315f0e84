#include "deviceinfo/RoutingCache.h"

IXMLDOMNode* RoutingCache::Of(std::wstring_view deviceName, IXMLDOMNode* device) {
    const std::wstring key(deviceName);
    auto found = m_routing.find(key);
    if (found == m_routing.end()) found = m_routing.emplace(key, FindChildByName(device, L"RoutInfo")).first;
    return found->second.Get();
}
