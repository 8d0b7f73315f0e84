#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "model/AttributeInfo.h"
#include "model/CategoryInfo.h"

// The event model built by the load passes. Keys compare by UTF-16 code
// unit (std::wstring is 16-bit and unsigned here), shorter first on a common
// prefix; an insert of an existing key keeps the stored value.
struct EventModelTables {
    uint32_t m_alarmTypes = 0;
    std::map<std::wstring, int32_t> m_mapAttributeKeys;
    std::map<std::wstring, int32_t> m_mapCategoryKeys;
    std::map<int32_t, CategoryInfo> m_mapCategories;
    std::map<int32_t, AttributeInfo> m_mapAttributes;
};
