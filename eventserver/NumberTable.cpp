#include "eventserver/NumberTable.h"

namespace {

// Fibonacci hashing spreads runs of consecutive numbers, the usual message
// numbering, over the whole table.
uint64_t HashOf(uint32_t number) { return number * UINT64_C(0x9E3779B97F4A7C15); }

}  // namespace

NumberTable::NumberTable(const std::vector<uint32_t>& numbers) : m_slots(numbers.size()) {
    for (size_t position = 0; position < numbers.size(); ++position) {
        const uint32_t number = numbers[position];
        Slot* slot = m_slots.Probe(HashOf(number), [&](const Slot& s) { return s.number == number; });
        if (slot->Empty()) *slot = Slot{number, static_cast<uint32_t>(position)};  // else the first keeps it
    }
}

size_t NumberTable::Find(uint32_t number) const {
    const Slot* slot = m_slots.Probe(HashOf(number), [&](const Slot& s) { return s.number == number; });
    return slot && !slot->Empty() ? slot->position : kNone;
}
