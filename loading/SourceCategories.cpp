#include "loading/SourceCategories.h"

#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

void InsertIfKnown(const std::map<std::wstring, int32_t>& categoryKeys, const std::wstring& key,
                   const std::wstring& path, std::map<std::wstring, int32_t>& sourceCategories) {
    const auto found = categoryKeys.find(key);
    if (found != categoryKeys.end()) sourceCategories.emplace(path, found->second);
}

}  // namespace

HRESULT BuildSourceCategories(const ElementIndex& elements, bool projectMode,
                              const std::map<std::wstring, int32_t>& categoryKeys,
                              std::map<std::wstring, int32_t>& sourceCategories) {
    const DomNode devices = elements.FindUniqueElement(L"DEVICES");
    if (!devices) return E_FAIL;
    const bool diagnosisGroupPresent = elements.FindUniqueElement(L"U7DIAG") != nullptr;
    const bool userAlarmGroupPresent = elements.FindUniqueElement(L"U7SQ") != nullptr;

    // Children are walked by sibling: positional access to a child list
    // costs time in proportion to the position here.
    ForEachChild(devices.Get(), [&](IXMLDOMNode* device) {
        if (!IsElement(device)) return;
        const std::wstring prefix = L"/" + NodeName(device) + L"/";

        if (projectMode) {
            // Project names are matched as the file spells them, in UTF-16.
            const std::wstring project = GetAttributeText(device, L"Project");
            InsertIfKnown(categoryKeys, project + L"/U7SQ", prefix + L"U7SQ", sourceCategories);
            InsertIfKnown(categoryKeys, project + L"/USERDIAG", prefix + L"USERDIAG", sourceCategories);
        } else if (userAlarmGroupPresent) {
            sourceCategories.emplace(prefix + L"U7SQ", kUserAlarmCategoryId);
        }
        if (diagnosisGroupPresent) sourceCategories.emplace(prefix + L"U7DIAG", kDiagnosisCategoryId);

        ForEachChild(device, [&](IXMLDOMNode* child) {
            InsertIfKnown(categoryKeys, L"TOT" + GetAttributeText(child, L"TypeID"), prefix + NodeName(child),
                          sourceCategories);
        });
    });
    return S_OK;
}
