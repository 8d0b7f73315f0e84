#include "loading/SystemMessage.h"

#include <cwchar>

std::wstring SystemMessage(HRESULT result) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(result), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::wstring out = WithoutFinalStop(std::wstring_view(text ? text : L"", text ? length : 0));
    LocalFree(text);
    if (!out.empty()) return out;
    wchar_t code[24] = {};
    swprintf(code, 24, L"error 0x%08lX", static_cast<unsigned long>(result));
    return code;
}

std::wstring WithoutFinalStop(std::wstring_view message) {
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ' || message.back() == L'.'))
        message.remove_suffix(1);
    return std::wstring(message);
}
