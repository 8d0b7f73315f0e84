#include "model/ModelBuilder.h"

#include "loading/XmlAccess.h"

namespace {

struct ToType {
    const wchar_t* name;
    const wchar_t* typeKey;  // "TOT" + the type's GUID
};

constexpr ToType kToTypes[] = {
    {L"TOPOSAXIS", L"TOT25A0AFB1-337A-11D3-8F3E-00105A2DC995"},
    {L"TOMEASURINGINPUTTYPE", L"TOT323D0D81-32F6-11D3-8F3C-00105A2DC995"},
    {L"TOOUTPUTCAMTYPE", L"TOT004C0831-32F9-11D3-8F3C-00105A2DC995"},
    {L"TOEXTERNALENCODERTYPE", L"TOTB9ACAF91-337F-11D3-8F3E-00105A2DC995"},
    {L"TOCAMTYPE", L"TOT4516CE54-32EB-11D3-8F3C-00105A2DC995"},
    {L"TOFOLLOWINGAXIS", L"TOT05DAC271-32EE-11D3-8F3C-00105A2DC995"},
    {L"TOFOLLOWINGOBJECTTYPE", L"TOT4516CE52-32EB-11D3-8F3C-00105A2DC995"},
};

struct FixedAttributeKey {
    const wchar_t* name;
    int32_t id;
};

constexpr FixedAttributeKey kFixedAttributeKeys[] = {
    {L"CATDESCR", 5050}, {L"CatDescr", 5050}, {L"MSG0007", 5051}, {L"MSG0407", 5051}, {L"MSG0009", 5052},
    {L"MSG0409", 5052},  {L"MSG0809", 5052},  {L"MSG000A", 5053}, {L"MSG040A", 5053}, {L"MSG080A", 5053},
    {L"MSG0C0A", 5053},  {L"MSG000C", 5054},  {L"MSG040C", 5054}, {L"MSG0010", 5055}, {L"MSG0410", 5055},
};

constexpr int32_t kAlarmTypeProject = 1;
constexpr int32_t kAlarmTypeTo = 2;
constexpr int32_t kAlarmTypeDiagnosis = 4;

const wchar_t* ClassElementName(int32_t eventClass) {
    switch (eventClass) {
    case EVENT_CLASS_SIMPLE: return L"SIMPLE";
    case EVENT_CLASS_CONDITIONAL: return L"CONDITIONAL";
    case EVENT_CLASS_TRACKING: return L"TRACKING";
    default: return nullptr;
    }
}

bool StartsWithMsgInAnyCase(const std::wstring& name) {
    static constexpr wchar_t kPrefix[] = L"MSG";
    if (name.size() < 3) return false;
    for (size_t i = 0; i < 3; ++i) {
        const wchar_t c = name[i];
        const wchar_t upper = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
        if (upper != kPrefix[i]) return false;
    }
    return true;
}

std::wstring ProjectName(const std::wstring& elementName) {
    static constexpr std::wstring_view kPrefix = L"Proj";
    if (elementName.compare(0, kPrefix.size(), kPrefix) == 0) return elementName.substr(kPrefix.size());
    return elementName;
}

}  // namespace

ModelBuilder::ModelBuilder(EventModelTables& tables, const ElementIndex& elements, bool projectMode,
                           LoadDiagnostics* diagnostics)
    : m_tables(tables), m_elements(elements), m_projectMode(projectMode), m_diagnostics(diagnostics) {}

void ModelBuilder::RecordDrop(LoadDropKind kind, IXMLDOMNode* element, std::wstring detail) {
    if (m_diagnostics) m_diagnostics->push_back(LoadDrop{kind, ElementPath(element), std::move(detail)});
}

void ModelBuilder::BuildFixedTables() {
    m_nextUserCategoryId = kUserAlarmCategoryId;
    m_nextCategoryId = kFirstToTypeCategoryId;

    auto& keys = m_tables.m_mapCategoryKeys;
    keys.emplace(L"U7SQ", kUserAlarmCategoryId);
    keys.emplace(L"U7DIAG", kDiagnosisCategoryId);
    bool first = true;
    for (const ToType& type : kToTypes) {
        if (!first) ++m_nextCategoryId;
        first = false;
        keys.emplace(type.name, m_nextCategoryId);
        keys.emplace(type.typeKey, m_nextCategoryId);
    }

    for (const FixedAttributeKey& key : kFixedAttributeKeys) m_tables.m_mapAttributeKeys.emplace(key.name, key.id);
    m_tables.m_mapAttributes.emplace(kProcessParameterAttributeId,
                                     AttributeInfo{L"ProcPara1", L"Parameter delivered by the process", VT_SAFEARRAY});
    m_nextAttributeId = static_cast<int32_t>(m_tables.m_mapAttributeKeys.size()) + 10;
}

HRESULT ModelBuilder::BuildCategories(int32_t eventClass) {
    const wchar_t* className = ClassElementName(eventClass);
    if (!className) return E_INVALIDARG;
    const Element classElement = m_elements.FindUnique(className);
    if (classElement == ElementIndex::kNoElement) return S_OK;
    const int32_t baseId = eventClass << 16;

    if (m_projectMode) BuildProjectCategories(classElement, baseId);

    m_elements.ForEachChild(classElement, [&](Element element) {
        CategoryInfo category;
        category.name = m_elements.Name(element);
        category.eventClass = eventClass;
        if (category.name == L"U7SQ") {
            if (m_projectMode) return;
            m_tables.m_alarmTypes |= kAlarmTypeProject;
            category.alarmType = kAlarmTypeProject;
            category.eventClass = EVENT_CLASS_SIMPLE;
        } else if (category.name == L"USERDIAG") {
            if (m_projectMode) return;
            m_tables.m_alarmTypes |= kAlarmTypeProject;
            category.alarmType = kAlarmTypeDiagnosis;
        } else if (category.name == L"U7DIAG") {
            m_tables.m_alarmTypes |= kAlarmTypeDiagnosis;
            category.alarmType = kAlarmTypeDiagnosis;
        } else {
            m_tables.m_alarmTypes |= kAlarmTypeTo;
            category.alarmType = kAlarmTypeTo;
        }
        AddCategory(element, category, baseId);
    });
    return S_OK;
}

// Per project under "U7SQ": a user-alarm category, and a user-diagnosis
// category when "USERDIAG" has a child of the same name.
void ModelBuilder::BuildProjectCategories(Element classElement, int32_t baseId) {
    const Element userAlarms = m_elements.FindChild(classElement, L"U7SQ");
    const Element userDiagnosis = m_elements.FindChild(classElement, L"USERDIAG");
    if (userAlarms == ElementIndex::kNoElement) return;
    m_tables.m_alarmTypes |= kAlarmTypeProject | kAlarmTypeDiagnosis;

    m_elements.ForEachChild(userAlarms, [&](Element element) {
        const std::wstring elementName(m_elements.Name(element));
        const std::wstring project = ProjectName(elementName);
        const Element diagnosisElement = userDiagnosis == ElementIndex::kNoElement
                                             ? ElementIndex::kNoElement
                                             : m_elements.FindChild(userDiagnosis, elementName);

        CategoryInfo category;
        category.name = project + L"/U7SQ";
        category.alarmType = kAlarmTypeProject;
        category.eventClass = EVENT_CLASS_SIMPLE;
        AddCategory(element, category, kUserAlarmCategoryId);

        if (diagnosisElement != ElementIndex::kNoElement) {
            category.name = project + L"/USERDIAG";
            category.alarmType = kAlarmTypeDiagnosis;
            AddCategory(diagnosisElement, category, baseId);
        }
    });
}

// Project user-alarm categories draw from their own range, which ends below
// the TO types' ids; a project beyond it gets no user-alarm category rather
// than taking a TO type's id.
std::optional<int32_t> ModelBuilder::AllocateCategoryId(int32_t baseId) {
    if (baseId >= kUserAlarmCategoryId && baseId <= kLastProjectUserAlarmId) {
        if (m_nextUserCategoryId >= kLastProjectUserAlarmId) return std::nullopt;
        return ++m_nextUserCategoryId;
    }
    return baseId + ++m_nextCategoryId;
}

void ModelBuilder::AddCategory(Element element, const CategoryInfo& templateCategory, int32_t baseId) {
    IXMLDOMNode* const node = m_elements.Node(element);
    int32_t id = 0;
    const auto key = m_tables.m_mapCategoryKeys.find(templateCategory.name);
    if (key != m_tables.m_mapCategoryKeys.end()) {
        id = key->second;
    } else {
        const std::optional<int32_t> allocated = AllocateCategoryId(baseId);
        if (!allocated) {
            RecordDrop(LoadDropKind::ProjectBeyondRange, node,
                       L"no user-alarm category id left for " + templateCategory.name);
            return;
        }
        id = *allocated;
        m_tables.m_mapCategoryKeys.emplace(templateCategory.name, id);
    }

    CategoryInfo category = templateCategory;
    category.description = GetAttributeText(node, L"CatDescr");
    if (category.description.empty()) category.description = category.name;
    category.node = node;
    category.elements = m_elements;
    category.element = element;

    const auto [entry, inserted] = m_tables.m_mapCategories.emplace(id, std::move(category));
    if (!inserted) {
        RecordDrop(LoadDropKind::CategoryTaken, node,
                   L"category " + templateCategory.name + L" (id " + std::to_wstring(id) + L") already taken by " +
                       entry->second.name);
        return;
    }
    ReadCategoryAttributes(element, entry->second);
}

int32_t ModelBuilder::AttributeIdFor(const std::wstring& name) {
    const auto found = m_tables.m_mapAttributeKeys.find(name);
    if (found != m_tables.m_mapAttributeKeys.end()) return found->second;
    const int32_t id = ++m_nextAttributeId;
    m_tables.m_mapAttributeKeys.emplace(name, id);
    return id;
}

void ModelBuilder::ReadCategoryAttributes(Element element, CategoryInfo& category) {
    Element attributeElement = m_elements.FindChild(element, L"Attributes");
    if (attributeElement == ElementIndex::kNoElement) attributeElement = m_elements.FindChild(element, L"ATTRIBUTES");
    if (attributeElement == ElementIndex::kNoElement) return;

    std::wstring messageAttribute;
    ForEachAttribute(m_elements.Node(attributeElement), [&](const std::wstring& name, std::wstring description) {
        if (StartsWithMsgInAnyCase(name)) messageAttribute = name;
        const int32_t id = AttributeIdFor(name);
        m_tables.m_mapAttributes.emplace(id, AttributeInfo{name, std::move(description), VT_BSTR});
        category.attributeIds.insert(id);
    });

    if (!messageAttribute.empty()) {
        category.attributeIds.insert(kMessageTextAttributeId);
        m_tables.m_mapAttributes.emplace(kMessageTextAttributeId,
                                         AttributeInfo{L"MSG0000", L"Language independent Message", VT_BSTR});
        category.messageAttribute = messageAttribute;
    }
    category.attributeIds.insert(kProcessParameterAttributeId);
}
