#pragma once

// A receiver of the platform's debug output, as a debug-output viewer sets
// one up: the "DBWIN_BUFFER" section with its two events. While it lives,
// every OutputDebugString of the machine's processes lands here.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class DebugOutputListener {
public:
    DebugOutputListener() {
        m_bufferReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
        m_dataReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
        m_section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize, L"DBWIN_BUFFER");
        m_view = m_section ? static_cast<char*>(MapViewOfFile(m_section, FILE_MAP_READ, 0, 0, kBufferSize)) : nullptr;
        m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (m_bufferReady && m_dataReady && m_view && m_stop)
            m_thread = CreateThread(nullptr, 0, &DebugOutputListener::Listen, this, 0, nullptr);
    }
    DebugOutputListener(const DebugOutputListener&) = delete;
    DebugOutputListener& operator=(const DebugOutputListener&) = delete;
    ~DebugOutputListener() {
        if (m_thread) {
            SetEvent(m_stop);
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
        if (m_view) UnmapViewOfFile(m_view);
        for (HANDLE handle : {m_section, m_dataReady, m_bufferReady, m_stop})
            if (handle) CloseHandle(handle);
    }

    bool Listening() const { return m_thread != nullptr; }
    size_t Messages() const { return m_count.load(); }

    // The texts heard from this process so far.
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_texts;
    }

private:
    static constexpr DWORD kBufferSize = 4096;

    static DWORD WINAPI Listen(void* self) {
        static_cast<DebugOutputListener*>(self)->Run();
        return 0;
    }

    void Run() {
        const HANDLE waits[] = {m_dataReady, m_stop};
        SetEvent(m_bufferReady);
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
            DWORD process = 0;
            memcpy(&process, m_view, sizeof process);
            if (process == GetCurrentProcessId()) {
                const char* text = m_view + sizeof process;
                std::lock_guard<std::mutex> lock(m_lock);
                m_texts.emplace_back(text, strnlen(text, kBufferSize - sizeof process));
            }
            ++m_count;
            SetEvent(m_bufferReady);
        }
    }

    HANDLE m_bufferReady = nullptr;
    HANDLE m_dataReady = nullptr;
    HANDLE m_section = nullptr;
    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
    char* m_view = nullptr;
    std::atomic<size_t> m_count{0};
    std::mutex m_lock;
    std::vector<std::string> m_texts;
};
