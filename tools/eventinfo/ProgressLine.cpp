#include "tools/eventinfo/ProgressLine.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRefresh = std::chrono::milliseconds(250);

// The Linux wrapper says so when its standard error is a terminal: under Wine
// a program whose output goes to a pipe sees no terminal on standard error.
bool ErrorOutputIsTerminal() {
    if (GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR) return true;
    const char* told = std::getenv("EVENTINFO_STDERR_TERMINAL");
    return told && std::strcmp(told, "1") == 0;
}

}  // namespace

ProgressLine::ProgressLine(std::string label, bool quiet, size_t total) : m_label(std::move(label)), m_total(total) {
    if (quiet || !ErrorOutputIsTerminal()) return;
    m_thread = std::thread([this] { Show(); });
}

ProgressLine::~ProgressLine() {
    if (!m_thread.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ending = true;
    }
    m_ended.notify_one();
    m_thread.join();
}

void ProgressLine::Show() {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_ended.wait_for(lock, kQuietStart, [this] { return m_ending; })) return;
    size_t width = 0;
    do {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
        std::string text = "eventinfo: " + m_label;
        if (m_total)
            text += " " + std::to_string(m_done.load(std::memory_order_relaxed)) + "/" + std::to_string(m_total);
        text += " (" + std::to_string(seconds) + " s)";
        if (text.size() > width) width = text.size();
        std::fprintf(stderr, "\r%-*s", static_cast<int>(width), text.c_str());
        std::fflush(stderr);
    } while (!m_ended.wait_for(lock, kRefresh, [this] { return m_ending; }));
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(width), "");
    std::fflush(stderr);
}
