#include "tests/reliability/ReliabilitySupport.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool FullRun() {
    static const bool full = [] {
        const char* run = std::getenv("RELIABILITY_RUN");
        return run && std::strcmp(run, "full") == 0;
    }();
    return full;
}

void Figure(const std::string& key, const std::string& value) {
    std::printf("[figure] %s = %s\n", key.c_str(), value.c_str());
    std::fflush(stdout);
}

std::string FormatNumber(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

PrivateBytes MeasurePrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters))
        return {};
    if (counters.PrivateUsage) return {counters.PrivateUsage, "PrivateUsage"};
    return {counters.PagefileUsage, "PagefileUsage"};
}

std::string Narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out;
}

void Transcript::Add(const std::string& line) {
    for (unsigned char c : line) {
        m_hash ^= c;
        m_hash *= 1099511628211ull;
    }
    m_hash ^= '\n';
    m_hash *= 1099511628211ull;
    ++m_lines;
    if (m_keepText) m_text.push_back(line.size() > 20000 ? line.substr(0, 20000) + "..." : line);
}
