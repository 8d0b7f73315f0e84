#pragma once

// The subscriptions of the event server: per handle, the attribute ids it
// selected for each category. Handles are numbered from the count of
// subscriptions plus 1, taking the first free one from there.
//
// Plain C++: no Windows headers.

#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "eventserver/TakenHandles.h"

namespace eventserver {

using SubscriptionSelections = std::map<int32_t, std::set<int32_t>>;

class SubscriptionTable {
public:
    // A new subscription's handle; nothing when no handle is left.
    std::optional<int32_t> Create();
    // False when no subscription has the handle.
    bool Delete(int32_t handle);

    SubscriptionSelections* Find(int32_t handle);
    // The attribute ids a subscription selected for a category, or null.
    const std::set<int32_t>* FindSelection(int32_t handle, int32_t categoryId) const;

private:
    std::map<int32_t, SubscriptionSelections> m_mapSubscriptions;
    TakenHandles m_takenHandles;  // the keys of m_mapSubscriptions
};

}  // namespace eventserver
