#pragma once

// A line on standard error that tells a user at a terminal what a long run
// is doing: it appears once the work has taken about a second, counts its
// steps when it knows them, and is cleared when the work ends. Nothing
// appears when standard error is not a terminal or the user asked for quiet.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

class ProgressLine {
public:
    ProgressLine(std::string label, bool quiet, size_t total = 0);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Advance() { m_done.fetch_add(1, std::memory_order_relaxed); }

private:
    void Show();

    std::string m_label;
    size_t m_total;
    std::atomic<size_t> m_done{0};
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_ending = false;
    std::thread m_thread;
};
