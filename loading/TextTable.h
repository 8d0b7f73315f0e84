#pragma once

// A table from texts to values, built by adding and then mostly read. The
// texts are kept one after the other in one block; each slot of a flat
// table, picked by the text's hash, holds the hash, where the text lies and
// its value, so that a lookup of a large table misses the processor's cache
// twice: at its slot and at the text it compares. At most half the slots
// are used, which keeps the steps from slot to slot few.

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

template <class Value>
class TextTable {
public:
    // Where a text lies in the block; it stays there while the table lives.
    struct Span {
        uint32_t offset = 0;
        uint32_t length = kNoText;
    };
    struct Entry {
        Span span;
        Value& value;
    };

    // The text's entry, added with a default value when the table lacks it;
    // valid until the next Add. A failed allocation leaves the table as it
    // was.
    Entry Add(std::wstring_view text) {
        if (2 * (m_size + 1) > m_slots.size()) Grow();
        const uint32_t hash = Hash(text);
        Slot& slot = m_slots[Probe(hash, text)];
        if (!slot.Empty()) return {slot.span, slot.value};
        if (m_texts.size() + text.size() >= kNoText) throw std::bad_alloc();  // beyond what a span can point at
        const Span span{static_cast<uint32_t>(m_texts.size()), static_cast<uint32_t>(text.size())};
        m_texts += text;
        slot = Slot{hash, span, Value()};
        ++m_size;
        return {slot.span, slot.value};
    }

    // The text's value, or null.
    const Value* Find(std::wstring_view text) const {
        if (m_slots.empty()) return nullptr;
        const Slot& slot = m_slots[Probe(Hash(text), text)];
        return slot.Empty() ? nullptr : &slot.value;
    }
    Value* Find(std::wstring_view text) { return const_cast<Value*>(static_cast<const TextTable&>(*this).Find(text)); }

    // Asks the processor to fetch what a lookup of the text will read, for a
    // caller that knows its lookups ahead: the slot the text's hash picks
    // and, once that slot has come, the text it points at.
    void PrefetchSlot(std::wstring_view text) const {
        if (!m_slots.empty()) __builtin_prefetch(&m_slots[Hash(text) & (m_slots.size() - 1)]);
    }
    void PrefetchText(std::wstring_view text) const {
        if (m_slots.empty()) return;
        const Slot& slot = m_slots[Hash(text) & (m_slots.size() - 1)];
        if (!slot.Empty()) __builtin_prefetch(m_texts.data() + slot.span.offset);
    }

    std::wstring_view Text(Span span) const { return std::wstring_view(m_texts).substr(span.offset, span.length); }
    size_t Size() const { return m_size; }

    // Calls visit(text, value) for every entry, in no particular order.
    template <class Visit>
    void ForEach(Visit visit) {
        for (Slot& slot : m_slots)
            if (!slot.Empty()) visit(Text(slot.span), slot.value);
    }

private:
    static constexpr uint32_t kNoText = UINT32_MAX;
    struct Slot {
        uint32_t hash = 0;
        Span span;
        Value value{};
        bool Empty() const { return span.length == kNoText; }
    };

    static uint32_t Hash(std::wstring_view text) { return static_cast<uint32_t>(std::hash<std::wstring_view>()(text)); }

    // The slot holding the text, or the empty slot where it belongs.
    size_t Probe(uint32_t hash, std::wstring_view text) const {
        const size_t mask = m_slots.size() - 1;
        for (size_t index = hash & mask;; index = (index + 1) & mask) {
            const Slot& slot = m_slots[index];
            if (slot.Empty() || (slot.hash == hash && Text(slot.span) == text)) return index;
        }
    }

    void Grow() {
        std::vector<Slot> slots(m_slots.empty() ? 64 : 2 * m_slots.size());
        const size_t mask = slots.size() - 1;
        for (const Slot& slot : m_slots) {
            if (slot.Empty()) continue;
            size_t index = slot.hash & mask;
            while (!slots[index].Empty()) index = (index + 1) & mask;
            slots[index] = slot;
        }
        m_slots = std::move(slots);
    }

    std::vector<Slot> m_slots;
    std::wstring m_texts;
    size_t m_size = 0;
};
