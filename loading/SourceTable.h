#pragma once

// The event source table: each source path with the category id of its
// events. A path is given its candidates in document order, and the first
// one that names a category gives the path's: a group names its category
// outright, a TO through its type, which is read only when the path is first
// looked up (reading every TO's type would cost the load more than all its
// other work on the TOs). A lookup probes a flat table of hashes and compares
// with the paths kept in one block, where an ordered map of some 100,000
// paths misses the processor's cache at every level of its tree.

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "loading/TextTable.h"

class SourceTable {
public:
    // The category a TO candidate's type names; false when it names none.
    using CandidateCategory = std::function<bool(uint32_t candidate, int32_t& category)>;

    // A candidate whose category is known.
    void Insert(std::wstring_view path, int32_t category);
    // A TO candidate, asked for its category when the path is looked up.
    void InsertCandidate(std::wstring_view path, uint32_t candidate);

    // The category id of the path; null when none of its candidates names one.
    const int32_t* Find(std::wstring_view path, const CandidateCategory& categoryOf) const;
    bool Empty(const CandidateCategory& categoryOf) const;
    // Readies the processor's cache for a lookup of the path soon: first
    // its slot, a few lookups later its text.
    void PrefetchSlot(std::wstring_view path) const { m_paths.PrefetchSlot(path); }
    void PrefetchText(std::wstring_view path) const { m_paths.PrefetchText(path); }
    // Every path that has a category, with it, ordered by UTF-16 code units
    // (a shorter path first on a common prefix).
    std::vector<std::pair<std::wstring_view, int32_t>> Sorted(const CandidateCategory& categoryOf) const;
    // Settles every path, for instance before the candidates' document goes.
    void SettleAll(const CandidateCategory& categoryOf) const;
    void Clear() { *this = SourceTable(); }

private:
    static constexpr uint32_t kNoCandidate = UINT32_MAX;
    enum class State : uint8_t { Open, Present, Absent };
    // A path: its category once settled, else its candidates still to ask.
    struct Entry {
        int32_t category = 0;
        uint32_t first = kNoCandidate;
        uint32_t last = kNoCandidate;
        State state = State::Open;
    };
    struct Candidate {
        uint32_t value;  // a TO candidate, or a category when `known`
        bool known;
        uint32_t next = kNoCandidate;
    };

    void Add(std::wstring_view path, Candidate candidate);
    void Settle(Entry& entry, const CandidateCategory& categoryOf) const;

    // Settling fills in what the candidates always gave; the table's answers
    // do not change by it.
    mutable TextTable<Entry> m_paths;
    std::vector<Candidate> m_candidates;
    mutable size_t m_present = 0;  // entries settled with a category
};
