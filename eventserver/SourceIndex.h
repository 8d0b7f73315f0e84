#pragma once

// The event source table by hash. The table of a large plant holds some
// 100,000 paths in a tree whose every level is a miss of the processor's
// cache; a hash finds a path in one or two. The index views the table's
// keys, so it is rebuilt whenever the table changes and lives no longer.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

class SourceIndex {
public:
    void Rebuild(const std::map<std::wstring, int32_t>& sources);
    void Clear() { m_categories.clear(); }

    // The category id of the path, as the table holds it; null when absent.
    const int32_t* Find(std::wstring_view path) const;

private:
    std::unordered_map<std::wstring_view, int32_t> m_categories;
};
