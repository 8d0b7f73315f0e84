#pragma once

// The positions of a list of 32-bit numbers, found by number.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "eventserver/OpenSlots.h"

class NumberTable {
public:
    static constexpr size_t kNone = SIZE_MAX;

    NumberTable() = default;  // finds nothing
    // Position i holds numbers[i]; a number listed twice is found at its first.
    explicit NumberTable(const std::vector<uint32_t>& numbers);

    size_t Find(uint32_t number) const;

private:
    struct Slot {
        uint32_t number = 0;
        uint32_t position = UINT32_MAX;
        bool Empty() const { return position == UINT32_MAX; }
    };
    OpenSlots<Slot> m_slots;
};
