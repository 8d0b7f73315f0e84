#pragma once

// What the copy's files share: failed calls as exceptions, owned BSTRs and
// names for messages.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <stdexcept>
#include <string>

// Throws, naming the call, when `hr` is a failure.
inline void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        throw std::runtime_error(what + " failed with " + code);
    }
}

inline std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

class Bstr {
public:
    Bstr() = default;
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR* operator&() { return &m_text; }
    BSTR get() const { return m_text; }
    bool empty() const { return SysStringLen(m_text) == 0; }
    std::wstring str() const { return m_text ? std::wstring(m_text, SysStringLen(m_text)) : std::wstring(); }

private:
    BSTR m_text = nullptr;
};

// The name, doc string and help context of a member, or of the type info
// itself for MEMBERID_NIL.
struct Documentation {
    Bstr name;
    Bstr docString;
    DWORD helpContext = 0;
};

inline void ReadDocumentation(ITypeInfo* info, MEMBERID member, Documentation& documentation) {
    Check(info->GetDocumentation(member, &documentation.name, &documentation.docString, &documentation.helpContext,
                                 nullptr),
          "ITypeInfo::GetDocumentation");
}
