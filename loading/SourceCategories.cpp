#include "loading/SourceCategories.h"

#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

constexpr std::wstring_view kToTypePrefix = L"TOT";

// The category keys of TO types by the type id that follows "TOT", found by
// a TO's "TypeID" as it is read.
std::map<std::wstring, int32_t, std::less<>> ToTypeCategories(const std::map<std::wstring, int32_t>& categoryKeys) {
    std::map<std::wstring, int32_t, std::less<>> types;
    for (const auto& [key, id] : categoryKeys) {
        if (key.compare(0, kToTypePrefix.size(), kToTypePrefix) == 0)
            types.emplace(key.substr(kToTypePrefix.size()), id);
    }
    return types;
}

// Inserts the path when the key names a category.
template <class Keys, class Key>
void InsertIfKnown(const Keys& categoryKeys, const Key& key, std::wstring_view path, SourceTable& sources) {
    const auto found = categoryKeys.find(key);
    if (found != categoryKeys.end()) sources.Insert(path, found->second);
}

// The path of one source of a device: the device's prefix "/" device "/"
// and, while it is asked for, one source name after it.
class SourcePath {
public:
    explicit SourcePath(std::wstring_view device) {
        m_text += L'/';
        m_text += device;
        m_text += L'/';
        m_prefix = m_text.size();
    }
    std::wstring_view Of(std::wstring_view source) {
        m_text.resize(m_prefix);
        m_text += source;
        return m_text;
    }

private:
    std::wstring m_text;
    size_t m_prefix;
};

}  // namespace

HRESULT BuildSourceCategories(const ElementIndex& elements, bool projectMode,
                              const std::map<std::wstring, int32_t>& categoryKeys, SourceTable& sourceCategories) {
    const ElementIndex::Element devices = elements.FindUnique(L"DEVICES");
    if (devices == ElementIndex::kNoElement) return E_FAIL;
    const bool diagnosisGroupPresent = elements.FindUnique(L"U7DIAG") != ElementIndex::kNoElement;
    const bool userAlarmGroupPresent = elements.FindUnique(L"U7SQ") != ElementIndex::kNoElement;
    const auto toTypes = ToTypeCategories(categoryKeys);
    const Bstr typeId(L"TypeID");

    elements.ForEachChild(devices, [&](ElementIndex::Element device) {
        SourcePath path(elements.Name(device));
        if (projectMode) {
            // Project names are matched as the file spells them, in UTF-16.
            const std::wstring project = GetAttributeText(elements.Node(device), L"Project");
            InsertIfKnown(categoryKeys, project + L"/U7SQ", path.Of(L"U7SQ"), sourceCategories);
            InsertIfKnown(categoryKeys, project + L"/USERDIAG", path.Of(L"USERDIAG"), sourceCategories);
        } else if (userAlarmGroupPresent) {
            sourceCategories.Insert(path.Of(L"U7SQ"), kUserAlarmCategoryId);
        }
        if (diagnosisGroupPresent) sourceCategories.Insert(path.Of(L"U7DIAG"), kDiagnosisCategoryId);

        elements.ForEachChild(device, [&](ElementIndex::Element child) {
            InsertIfKnown(toTypes, GetAttributeText(elements.Node(child), typeId), path.Of(elements.Name(child)),
                          sourceCategories);
        });
    });
    return S_OK;
}
