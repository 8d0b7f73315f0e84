#include "loading/NameTable.h"

#include <functional>

uint32_t NameTable::Hash(std::wstring_view name) { return static_cast<uint32_t>(std::hash<std::wstring_view>()(name)); }

size_t NameTable::Probe(uint32_t hash, std::wstring_view name) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t index = hash & mask;; index = (index + 1) & mask) {
        const Slot& slot = m_slots[index];
        if (slot.number == kNone || (slot.hash == hash && Text(slot.number) == name)) return index;
    }
}

uint32_t NameTable::Find(std::wstring_view name) const {
    if (m_slots.empty()) return kNone;
    return m_slots[Probe(Hash(name), name)].number;
}

uint32_t NameTable::Intern(std::wstring_view name) {
    // At most half the slots are used, which keeps the probes short.
    if (2 * (m_spans.size() + 1) > m_slots.size()) Grow();
    const uint32_t hash = Hash(name);
    Slot& slot = m_slots[Probe(hash, name)];
    if (slot.number != kNone) return slot.number;
    // The slot is taken last, so a failed allocation leaves the table as it was.
    m_spans.push_back(Span{m_texts.size(), name.size()});
    try {
        m_texts += name;
    } catch (...) {
        m_spans.pop_back();
        throw;
    }
    slot = Slot{hash, static_cast<uint32_t>(m_spans.size() - 1)};
    return slot.number;
}

void NameTable::Grow() {
    std::vector<Slot> slots(m_slots.empty() ? 64 : 2 * m_slots.size());
    const size_t mask = slots.size() - 1;
    for (const Slot& slot : m_slots) {
        if (slot.number == kNone) continue;
        size_t index = slot.hash & mask;
        while (slots[index].number != kNone) index = (index + 1) & mask;
        slots[index] = slot;
    }
    m_slots = std::move(slots);
}
