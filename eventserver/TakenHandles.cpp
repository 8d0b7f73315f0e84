#include "eventserver/TakenHandles.h"

#include <limits>

namespace eventserver {

template <class Runs>
auto TakenHandles::RunContaining(Runs& runs, int32_t handle) -> decltype(runs.begin()) {
    auto run = runs.upper_bound(handle);
    if (run == runs.begin()) return runs.end();
    --run;
    return run->second >= handle ? run : runs.end();
}

std::optional<int32_t> TakenHandles::FirstFreeFrom(int32_t candidate) const {
    const auto run = RunContaining(m_runs, candidate);
    if (run == m_runs.end()) return candidate;
    // Runs never touch, so the handle after a run is free.
    if (run->second == std::numeric_limits<int32_t>::max()) return std::nullopt;
    return run->second + 1;
}

// Each change inserts before it erases, so a failed allocation leaves the
// runs as they were.
void TakenHandles::Take(int32_t handle) {
    const bool hasNext = handle != std::numeric_limits<int32_t>::max();
    const auto after = hasNext ? m_runs.find(handle + 1) : m_runs.end();
    const int32_t last = after != m_runs.end() ? after->second : handle;
    auto before = handle != std::numeric_limits<int32_t>::min() ? RunContaining(m_runs, handle - 1) : m_runs.end();
    if (before != m_runs.end()) {
        before->second = last;
    } else {
        m_runs.emplace(handle, last);
    }
    if (after != m_runs.end()) m_runs.erase(after);
}

void TakenHandles::Release(int32_t handle) {
    const auto run = RunContaining(m_runs, handle);
    if (run == m_runs.end()) return;
    const int32_t last = run->second;
    if (handle < last) m_runs.emplace(handle + 1, last);
    if (run->first < handle) {
        run->second = handle - 1;
    } else {
        m_runs.erase(run);
    }
}

}  // namespace eventserver
