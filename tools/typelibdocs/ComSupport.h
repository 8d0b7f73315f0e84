#pragma once

// What the copy's files share: failed calls as exceptions and the
// documentation of a member. Owned BSTRs and text conversions are the
// project's own (loading/).

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "loading/ComValues.h"
#include "loading/TextConversion.h"

// Throws, naming the call, when `hr` is a failure.
inline void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        throw std::runtime_error(what + " failed with " + code);
    }
}

// The name, doc string and help context of a member, or of the type info
// itself for MEMBERID_NIL.
struct Documentation {
    Bstr name;
    Bstr docString;
    DWORD helpContext = 0;
};

inline void ReadDocumentation(ITypeInfo* info, MEMBERID member, Documentation& documentation) {
    Check(info->GetDocumentation(member, documentation.name.Receive(), documentation.docString.Receive(),
                                 &documentation.helpContext, nullptr),
          "ITypeInfo::GetDocumentation");
}
