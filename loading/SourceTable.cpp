#include "loading/SourceTable.h"

#include <algorithm>

bool SourceTable::Insert(std::wstring_view path, int32_t category) {
    // The category goes first, so a failed allocation leaves no path without one.
    m_categories.push_back(category);
    uint32_t number = 0;
    try {
        number = m_paths.Intern(path);
    } catch (...) {
        m_categories.pop_back();
        throw;
    }
    if (number + 1 == m_categories.size()) return true;
    m_categories.pop_back();
    return false;
}

const int32_t* SourceTable::Find(std::wstring_view path) const {
    const uint32_t number = m_paths.Find(path);
    return number == NameTable::kNone ? nullptr : &m_categories[number];
}

std::vector<std::pair<std::wstring_view, int32_t>> SourceTable::Sorted() const {
    std::vector<std::pair<std::wstring_view, int32_t>> sources;
    sources.reserve(Size());
    for (uint32_t number = 0; number < Size(); ++number)
        sources.emplace_back(m_paths.Text(number), m_categories[number]);
    std::sort(sources.begin(), sources.end());
    return sources;
}

std::map<std::wstring, int32_t> SourceTable::ToMap() const {
    std::map<std::wstring, int32_t> sources;
    for (const auto& [path, category] : Sorted()) sources.emplace_hint(sources.end(), path, category);
    return sources;
}
