#include "loading/SourceCategories.h"

#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

// Enters the path when the key names a category.
void InsertIfKnown(const std::map<std::wstring, int32_t>& categoryKeys, const std::wstring& key, std::wstring_view path,
                   SourceTable& sources) {
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
            sourceCategories.InsertCandidate(path.Of(elements.Name(child)), child);
        });
    });
    return S_OK;
}

SourceTable::CandidateCategory ToCategories(const Project& project) {
    return [&elements = project.m_elementIndex, &keys = project.m_model.m_mapCategoryKeys](uint32_t to,
                                                                                           int32_t& category) {
        const auto found = keys.find(L"TOT" + GetAttributeText(elements.Node(to), L"TypeID"));
        if (found == keys.end()) return false;
        category = found->second;
        return true;
    };
}

const int32_t* FindSourceCategory(const Project& project, std::wstring_view path) {
    return project.m_mapSourceCategories.Find(path, ToCategories(project));
}

bool HasSourceCategories(const Project& project) { return !project.m_mapSourceCategories.Empty(ToCategories(project)); }

std::vector<std::pair<std::wstring_view, int32_t>> SourceCategoriesInOrder(const Project& project) {
    return project.m_mapSourceCategories.Sorted(ToCategories(project));
}
