#pragma once

// The event source table by hash. The table of a large plant holds some
// 100,000 paths in a tree whose every level is a miss of the processor's
// cache; the index finds a path with two: its slot, which holds the path's
// hash and category, and the path's text, kept in one block. It is rebuilt
// whenever the table changes.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "eventserver/OpenSlots.h"

class SourceIndex {
public:
    void Rebuild(const std::map<std::wstring, int32_t>& sources);
    void Clear() { Rebuild({}); }

    // The category id of the path, as the table holds it; null when absent.
    const int32_t* Find(std::wstring_view path) const;

private:
    struct Slot {
        uint64_t hash = 0;
        uint32_t offset = UINT32_MAX;  // of the path in m_paths
        uint32_t length = 0;
        int32_t category = 0;
        bool Empty() const { return offset == UINT32_MAX; }
    };
    // Whether the slot holds exactly this path.
    bool Holds(const Slot& slot, uint64_t hash, std::wstring_view path) const;

    OpenSlots<Slot> m_slots;
    std::wstring m_paths;  // every path, one after the other
};
