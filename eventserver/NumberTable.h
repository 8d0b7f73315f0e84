#pragma once

// A value for each of a list of 32-bit numbers, found by number, with the
// value in the slot the number's hash picks: a lookup of a large table
// misses the processor's cache once.

#include <cstddef>
#include <cstdint>

#include "eventserver/OpenSlots.h"

template <class Value>
class NumberTable {
public:
    NumberTable() = default;  // finds nothing
    // Room for `entries` numbers.
    explicit NumberTable(size_t entries) : m_slots(entries) {}

    // Enters the number with its value; a number entered before keeps its
    // first value. At most the `entries` of the constructor.
    void Add(uint32_t number, const Value& value) {
        Slot* slot = Probe(number);
        if (slot && slot->Empty()) *slot = Slot{number, true, value};
    }

    Value* Find(uint32_t number) {
        Slot* slot = Probe(number);
        return slot && !slot->Empty() ? &slot->value : nullptr;
    }

private:
    struct Slot {
        uint32_t number = 0;
        bool used = false;
        Value value{};
        bool Empty() const { return !used; }
    };

    // Fibonacci hashing spreads runs of consecutive numbers, the usual
    // message numbering, over the whole table.
    Slot* Probe(uint32_t number) {
        return m_slots.Probe(number * UINT64_C(0x9E3779B97F4A7C15), [&](const Slot& s) { return s.number == number; });
    }

    OpenSlots<Slot> m_slots;
};
