#pragma once

// The inspector program run as a child process on files the tests write.

#include <windows.h>

#include <string>

struct Outcome {
    DWORD status = 0xFFFFFFFF;
    std::string out;  // without carriage returns
    std::string err;
};

// A path in the temporary directory, distinct per test process.
std::wstring TempFile(const wchar_t* name);
void WriteText(const std::wstring& path, const std::string& text);
// The file's bytes without carriage returns.
std::string ReadText(const std::wstring& path);

// Runs eventinfo.exe with the arguments and waits up to a minute for it.
Outcome RunInspector(const std::wstring& arguments);
