#pragma once

// Conversions between the UTF-16 text of the platform's strings and the
// 8-bit texts of files, the registry script and consoles, and between the
// platform's wide characters and the plain logic's UTF-16 code units.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide characters are UTF-16 code units");

// UTF-16 to 8-bit text in a code page (characters it cannot represent are
// replaced), and back.
inline std::string Narrow(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(codePage, 0, text.data(), length, &out[0], size, nullptr, nullptr);
    return out;
}

inline std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), length, &out[0], size);
    return out;
}

inline std::string Utf8(std::wstring_view text) { return Narrow(text, CP_UTF8); }
inline std::wstring FromUtf8(std::string_view text) { return Widen(text, CP_UTF8); }
inline std::string Ansi(std::wstring_view text) { return Narrow(text, CP_ACP); }

// A BSTR's text; a null BSTR is the empty text.
inline std::wstring_view BstrView(BSTR text) { return {text ? text : L"", SysStringLen(text)}; }

inline std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
// The same code units seen as UTF-16, without a copy: a wide character is
// one UTF-16 code unit on this platform.
inline std::u16string_view U16View(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::wstring_view WideView(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}
