#pragma once

// The slot array of a table built once and then only read, by open
// addressing: a lookup lands on the slot its hash picks and steps on to the
// next until the entry or an empty slot. At most half the slots are used,
// which keeps those steps few; a lookup touches one or two slots, where a
// node table follows a pointer or two into memory the size of the table.
// A Slot is default-constructed empty and answers Empty().

#include <cstddef>
#include <cstdint>
#include <vector>

template <class Slot>
class OpenSlots {
public:
    OpenSlots() = default;  // no slots: every probe finds nothing
    explicit OpenSlots(size_t entries) {
        if (entries == 0) return;
        unsigned bits = 1;
        while ((size_t{1} << bits) < 2 * entries) ++bits;
        m_shift = 64 - bits;
        m_slots.resize(size_t{1} << bits);
    }

    // The slot holding the entry `matches` accepts, or the empty slot where
    // it belongs; null without slots. The hash's high bits pick the slot.
    template <class Matches>
    Slot* Probe(uint64_t hash, Matches matches) {
        return const_cast<Slot*>(static_cast<const OpenSlots&>(*this).Probe(hash, matches));
    }
    template <class Matches>
    const Slot* Probe(uint64_t hash, Matches matches) const {
        if (m_slots.empty()) return nullptr;
        const size_t mask = m_slots.size() - 1;
        for (size_t index = static_cast<size_t>(hash >> m_shift);; index = (index + 1) & mask) {
            const Slot& slot = m_slots[index];
            if (slot.Empty() || matches(slot)) return &slot;
        }
    }

private:
    std::vector<Slot> m_slots;
    unsigned m_shift = 63;
};
