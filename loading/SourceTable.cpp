#include "loading/SourceTable.h"

#include <algorithm>

SourceTable::Entry& SourceTable::EntryOf(std::wstring_view path) {
    // The entry goes first, so a failed allocation leaves no path without one.
    m_entries.emplace_back();
    uint32_t number = 0;
    try {
        number = m_paths.Intern(path);
    } catch (...) {
        m_entries.pop_back();
        throw;
    }
    if (number + 1 != m_entries.size()) m_entries.pop_back();
    return m_entries[number];
}

void SourceTable::Add(Entry& entry, Candidate candidate) {
    if (entry.state == State::Present) return;
    if (entry.state == State::Absent) entry = Entry();  // none of the earlier candidates named one
    if (entry.first == kNoCandidate && candidate.known) {
        entry.category = static_cast<int32_t>(candidate.value);
        entry.state = State::Present;
        ++m_present;
        return;
    }
    const auto added = static_cast<uint32_t>(m_candidates.size());
    m_candidates.push_back(candidate);
    (entry.first == kNoCandidate ? entry.first : m_candidates[entry.last].next) = added;
    entry.last = added;
}

void SourceTable::Insert(std::wstring_view path, int32_t category) {
    Add(EntryOf(path), Candidate{static_cast<uint32_t>(category), true});
}

void SourceTable::InsertCandidate(std::wstring_view path, uint32_t candidate) {
    Add(EntryOf(path), Candidate{candidate, false});
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
    const uint32_t number = m_paths.Find(path);
    if (number == NameTable::kNone) return nullptr;
    Entry& entry = m_entries[number];
    Settle(entry, categoryOf);
    return entry.state == State::Present ? &entry.category : nullptr;
}

bool SourceTable::Empty(const CandidateCategory& categoryOf) const {
    for (size_t number = 0; m_present == 0 && number < m_entries.size(); ++number)
        Settle(m_entries[number], categoryOf);
    return m_present == 0;
}

void SourceTable::SettleAll(const CandidateCategory& categoryOf) const {
    for (Entry& entry : m_entries) Settle(entry, categoryOf);
}

std::vector<std::pair<std::wstring_view, int32_t>> SourceTable::Sorted(const CandidateCategory& categoryOf) const {
    SettleAll(categoryOf);
    std::vector<std::pair<std::wstring_view, int32_t>> sources;
    sources.reserve(m_present);
    for (uint32_t number = 0; number < m_entries.size(); ++number) {
        if (m_entries[number].state == State::Present)
            sources.emplace_back(m_paths.Text(number), m_entries[number].category);
    }
    std::sort(sources.begin(), sources.end());
    return sources;
}
