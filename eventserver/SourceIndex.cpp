#include "eventserver/SourceIndex.h"

void SourceIndex::Rebuild(const std::map<std::wstring, int32_t>& sources) {
    m_categories.clear();
    m_categories.reserve(sources.size());
    for (const auto& [path, category] : sources) m_categories.emplace(path, category);
}

const int32_t* SourceIndex::Find(std::wstring_view path) const {
    const auto found = m_categories.find(path);
    return found == m_categories.end() ? nullptr : &found->second;
}
