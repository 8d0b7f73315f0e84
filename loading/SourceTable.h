#pragma once

// The event source table: each source path with the category id of its
// events. A path inserted again keeps its first category. A lookup probes a
// flat table of hashes and compares with the paths kept in one block, where
// an ordered map of some 100,000 paths misses the processor's cache at every
// level of its tree.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "loading/NameTable.h"

class SourceTable {
public:
    // Whether the path was new; a known path keeps its category.
    bool Insert(std::wstring_view path, int32_t category);
    // The category id of the path; null when the table lacks it.
    const int32_t* Find(std::wstring_view path) const;

    size_t Size() const { return m_categories.size(); }
    bool Empty() const { return m_categories.empty(); }
    void Clear() { *this = SourceTable(); }

    // Every path with its category, ordered by UTF-16 code units (a shorter
    // path first on a common prefix).
    std::vector<std::pair<std::wstring_view, int32_t>> Sorted() const;
    std::map<std::wstring, int32_t> ToMap() const;

private:
    NameTable m_paths;
    std::vector<int32_t> m_categories;  // by path number
};
