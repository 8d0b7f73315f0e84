#include "eventserver/SourceIndex.h"

#include <functional>
#include <new>

void SourceIndex::Rebuild(const std::map<std::wstring, int32_t>& sources) {
    m_slots = OpenSlots<Slot>(sources.size());
    m_paths.clear();
    size_t total = 0;
    for (const auto& source : sources) total += source.first.size();
    if (total >= UINT32_MAX) throw std::bad_alloc();  // beyond what a slot can point at
    m_paths.reserve(total);
    // The table's keys are distinct, so each lands on an empty slot.
    for (const auto& [path, category] : sources) {
        const uint64_t hash = std::hash<std::wstring_view>()(path);
        *m_slots.Probe(hash, [](const Slot&) { return false; }) =
            Slot{hash, static_cast<uint32_t>(m_paths.size()), static_cast<uint32_t>(path.size()), category};
        m_paths += path;
    }
}

bool SourceIndex::Holds(const Slot& slot, uint64_t hash, std::wstring_view path) const {
    return slot.hash == hash && std::wstring_view(m_paths).substr(slot.offset, slot.length) == path;
}

const int32_t* SourceIndex::Find(std::wstring_view path) const {
    const uint64_t hash = std::hash<std::wstring_view>()(path);
    const Slot* slot = m_slots.Probe(hash, [&](const Slot& s) { return Holds(s, hash, path); });
    return slot && !slot->Empty() ? &slot->category : nullptr;
}
