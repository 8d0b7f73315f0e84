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
    const ElementIndex::Element devices = elements.FindUnique(L"DEVICES");
    if (devices == ElementIndex::kNoElement) return E_FAIL;
    const bool diagnosisGroupPresent = elements.FindUnique(L"U7DIAG") != ElementIndex::kNoElement;
    const bool userAlarmGroupPresent = elements.FindUnique(L"U7SQ") != ElementIndex::kNoElement;

    elements.ForEachChild(devices, [&](ElementIndex::Element device) {
        const std::wstring prefix = L"/" + elements.Name(device) + L"/";

        if (projectMode) {
            // Project names are matched as the file spells them, in UTF-16.
            const std::wstring project = GetAttributeText(elements.Node(device), L"Project");
            InsertIfKnown(categoryKeys, project + L"/U7SQ", prefix + L"U7SQ", sourceCategories);
            InsertIfKnown(categoryKeys, project + L"/USERDIAG", prefix + L"USERDIAG", sourceCategories);
        } else if (userAlarmGroupPresent) {
            sourceCategories.emplace(prefix + L"U7SQ", kUserAlarmCategoryId);
        }
        if (diagnosisGroupPresent) sourceCategories.emplace(prefix + L"U7DIAG", kDiagnosisCategoryId);

        elements.ForEachChild(device, [&](ElementIndex::Element child) {
            InsertIfKnown(categoryKeys, L"TOT" + GetAttributeText(elements.Node(child), L"TypeID"),
                          prefix + elements.Name(child), sourceCategories);
        });
    });
    return S_OK;
}
