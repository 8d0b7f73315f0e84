#pragma once

// The load passes that build the event model from the project file: the
// fixed key rows, the categories of an event class (with the project
// categories in project mode) and each category's attributes.

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <optional>

#include "loading/ElementIndex.h"
#include "model/EventModelTables.h"
#include "model/LoadDiagnostics.h"

// Fixed category ids.
inline constexpr int32_t kUserAlarmCategoryId = 0x200001;
inline constexpr int32_t kLastProjectUserAlarmId = 0x200020;
inline constexpr int32_t kDiagnosisCategoryId = 0x100002;
inline constexpr int32_t kFirstToTypeCategoryId = 0x200021;

// Fixed attribute ids.
inline constexpr int32_t kProcessParameterAttributeId = 1;
inline constexpr int32_t kMessageTextAttributeId = -1;

class ModelBuilder {
public:
    // Elements the passes drop are recorded in `diagnostics` when given.
    ModelBuilder(EventModelTables& tables, const ElementIndex& elements, bool projectMode,
                 LoadDiagnostics* diagnostics = nullptr);

    // Fixed rows of the key tables, row 1 of the attributes, and the counters.
    void BuildFixedTables();

    // The categories of one event class (16, 32 or 64); E_INVALIDARG for any
    // other code.
    HRESULT BuildCategories(int32_t eventClass);

private:
    using Element = ElementIndex::Element;

    void BuildProjectCategories(Element classElement, int32_t baseId);
    void AddCategory(Element element, const CategoryInfo& category, int32_t baseId);
    std::optional<int32_t> AllocateCategoryId(int32_t baseId);
    void ReadCategoryAttributes(Element element, CategoryInfo& category);
    int32_t AttributeIdFor(const std::wstring& name);
    void RecordDrop(LoadDropKind kind, IXMLDOMNode* element, std::wstring detail);

    EventModelTables& m_tables;
    ElementIndex m_elements;  // shared with the categories it builds
    bool m_projectMode;
    LoadDiagnostics* m_diagnostics;

    // Id counters of this load; every load starts them afresh.
    int32_t m_nextUserCategoryId = kUserAlarmCategoryId;
    int32_t m_nextCategoryId = kFirstToTypeCategoryId;
    int32_t m_nextAttributeId = 0;
};
