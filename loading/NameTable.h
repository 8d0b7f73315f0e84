#pragma once

// The distinct names of a document, each numbered in the order first met.
// Most elements carry a name met before, which a lookup finds with a probe
// of one flat table and one comparison with text kept in one block, without
// a copy of the name.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class NameTable {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    // The number of the name, numbering it when it is new.
    uint32_t Intern(std::wstring_view name);
    // The number of the name, or kNone.
    uint32_t Find(std::wstring_view name) const;

    std::wstring_view Text(uint32_t number) const {
        const Span span = m_spans[number];
        return std::wstring_view(m_texts).substr(span.offset, span.length);
    }
    size_t Size() const { return m_spans.size(); }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t number = kNone;
    };
    struct Span {
        size_t offset;
        size_t length;
    };

    static uint32_t Hash(std::wstring_view name);
    // The slot holding the name, or the empty slot where it belongs; the
    // table is never full.
    size_t Probe(uint32_t hash, std::wstring_view name) const;
    void Grow();

    std::vector<Slot> m_slots;
    std::vector<Span> m_spans;  // by number
    std::wstring m_texts;       // every name, one after the other
};
