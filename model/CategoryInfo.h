#pragma once

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <cstdint>
#include <set>
#include <string>

#include "loading/ElementIndex.h"

// One event category of the loaded project.
struct CategoryInfo {
    std::wstring name;  // its key in the category key table
    std::wstring description;
    std::set<int32_t> attributeIds;
    std::wstring messageAttribute;             // last message text attribute declared, or empty
    Microsoft::WRL::ComPtr<IXMLDOMNode> node;  // the category's element
    ElementIndex elements;                     // of the element's document, for message lookups
    ElementIndex::Element element = ElementIndex::kNoElement;
    int32_t alarmType = 0;   // a tagAlarmTypes value
    int32_t eventClass = 0;  // an EventClass code
};

// Event class codes; a class's base category id is its code shifted left by 16.
enum EventClass : int32_t {
    EVENT_CLASS_SIMPLE = 16,
    EVENT_CLASS_CONDITIONAL = 32,
    EVENT_CLASS_TRACKING = 64,
};
