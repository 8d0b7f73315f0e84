#include "loading/SystemMessage.h"

#include <cwchar>

std::wstring SystemMessage(HRESULT result) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(result), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out(text ? text : L"", text ? length : 0);
    LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ' || out.back() == L'.'))
        out.pop_back();
    if (!out.empty()) return out;
    wchar_t code[24] = {};
    swprintf(code, 24, L"error 0x%08lX", static_cast<unsigned long>(result));
    return code;
}
