#include "eventserver/SubscriptionTable.h"

namespace eventserver {

std::optional<int32_t> SubscriptionTable::Create() {
    const std::optional<int32_t> handle =
        m_takenHandles.FirstFreeFrom(static_cast<int32_t>(m_mapSubscriptions.size()) + 1);
    if (!handle) return std::nullopt;
    m_mapSubscriptions.emplace(*handle, SubscriptionSelections{});
    try {
        m_takenHandles.Take(*handle);
    } catch (...) {
        m_mapSubscriptions.erase(*handle);
        throw;
    }
    return handle;
}

bool SubscriptionTable::Delete(int32_t handle) {
    if (!m_mapSubscriptions.count(handle)) return false;
    m_takenHandles.Release(handle);  // may fail to allocate: nothing is changed then
    m_mapSubscriptions.erase(handle);
    return true;
}

SubscriptionSelections* SubscriptionTable::Find(int32_t handle) {
    const auto found = m_mapSubscriptions.find(handle);
    return found == m_mapSubscriptions.end() ? nullptr : &found->second;
}

const std::set<int32_t>* SubscriptionTable::FindSelection(int32_t handle, int32_t categoryId) const {
    const auto subscription = m_mapSubscriptions.find(handle);
    if (subscription == m_mapSubscriptions.end()) return nullptr;
    const auto selection = subscription->second.find(categoryId);
    return selection == subscription->second.end() ? nullptr : &selection->second;
}

}  // namespace eventserver
