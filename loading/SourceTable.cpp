#include "loading/SourceTable.h"

#include <algorithm>

void SourceTable::Add(std::wstring_view path, Candidate candidate) {
    Entry& entry = m_paths.Add(path).value;
    if (entry.state == State::Present) return;
    if (entry.state == State::Absent) entry = Entry();  // none of the earlier candidates named one
    if (entry.first == kNoCandidate && candidate.known) {
        entry.category = static_cast<int32_t>(candidate.value);
        entry.state = State::Present;
        ++m_present;
        return;
    }
    // A failed allocation leaves a path without candidates, which names none.
    const auto added = static_cast<uint32_t>(m_candidates.size());
    m_candidates.push_back(candidate);
    (entry.first == kNoCandidate ? entry.first : m_candidates[entry.last].next) = added;
    entry.last = added;
}

void SourceTable::Insert(std::wstring_view path, int32_t category) {
    Add(path, Candidate{static_cast<uint32_t>(category), true});
}

void SourceTable::InsertCandidate(std::wstring_view path, uint32_t candidate) {
    Add(path, Candidate{candidate, false});
}

void SourceTable::Settle(Entry& entry, const CandidateCategory& categoryOf) const {
    if (entry.state != State::Open) return;
    for (uint32_t at = entry.first; at != kNoCandidate; at = m_candidates[at].next) {
        const Candidate& candidate = m_candidates[at];
        int32_t category = static_cast<int32_t>(candidate.value);
        if (candidate.known || categoryOf(candidate.value, category)) {
            entry = Entry{category, kNoCandidate, kNoCandidate, State::Present};
            ++m_present;
            return;
        }
    }
    entry = Entry{0, kNoCandidate, kNoCandidate, State::Absent};
}

const int32_t* SourceTable::Find(std::wstring_view path, const CandidateCategory& categoryOf) const {
    Entry* entry = m_paths.Find(path);
    if (!entry) return nullptr;
    Settle(*entry, categoryOf);
    return entry->state == State::Present ? &entry->category : nullptr;
}

bool SourceTable::Empty(const CandidateCategory& categoryOf) const {
    // Paths are settled only until one has a category.
    if (m_present == 0)
        m_paths.ForEach([&](std::wstring_view, Entry& entry) {
            if (m_present == 0) Settle(entry, categoryOf);
        });
    return m_present == 0;
}

void SourceTable::SettleAll(const CandidateCategory& categoryOf) const {
    m_paths.ForEach([&](std::wstring_view, Entry& entry) { Settle(entry, categoryOf); });
}

std::vector<std::pair<std::wstring_view, int32_t>> SourceTable::Sorted(const CandidateCategory& categoryOf) const {
    SettleAll(categoryOf);
    std::vector<std::pair<std::wstring_view, int32_t>> sources;
    sources.reserve(m_present);
    m_paths.ForEach([&](std::wstring_view path, const Entry& entry) {
        if (entry.state == State::Present) sources.emplace_back(path, entry.category);
    });
    std::sort(sources.begin(), sources.end());
    return sources;
}
