#include "tests/inspector/InspectorRun.h"

#include <fstream>
#include <iterator>

namespace {

HANDLE Inheritable(const std::wstring& path) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

}  // namespace

std::wstring TempFile(const wchar_t* name) {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + L"eventinfo-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary) << text;
}

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string plain;
    for (char c : text)
        if (c != '\r') plain += c;
    return plain;
}

Outcome RunInspector(const std::wstring& arguments) {
    const std::wstring outPath = TempFile(L"out.txt"), errPath = TempFile(L"err.txt");
    HANDLE out = Inheritable(outPath), err = Inheritable(errPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring commandLine = L"\"" + std::wstring(INSPECTOR_PROGRAM) + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    Outcome outcome;
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &outcome.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    outcome.out = ReadText(outPath);
    outcome.err = ReadText(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return outcome;
}
