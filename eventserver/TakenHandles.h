#pragma once

// The subscription handles in use, kept as runs of consecutive handles, so
// that the first free handle at or above a candidate is found in time that
// does not grow with the number of handles taken above it.
//
// Plain C++: no Windows headers.

#include <cstdint>
#include <map>
#include <optional>

namespace eventserver {

class TakenHandles {
public:
    // The smallest handle at or above `candidate` that is not taken; nothing
    // when every handle from there to the largest 32-bit value is taken.
    std::optional<int32_t> FirstFreeFrom(int32_t candidate) const;

    void Take(int32_t handle);     // a handle that is free
    void Release(int32_t handle);  // a handle that is taken

private:
    // The run containing `handle`, or runs.end().
    template <class Runs>
    static auto RunContaining(Runs& runs, int32_t handle) -> decltype(runs.begin());

    std::map<int32_t, int32_t> m_runs;  // first handle of a run -> its last; runs never touch
};

}  // namespace eventserver
