#include "WrittenLibraryCheck.h"

#include <wrl/client.h>

#include "ComSupport.h"

using Microsoft::WRL::ComPtr;

namespace {

// The number of the constants of `info` that have their text; throws at one
// that has another.
size_t CheckConstants(ITypeInfo* info, const HelpTexts& texts) {
    TYPEATTR* attributes = nullptr;
    Check(info->GetTypeAttr(&attributes), "ITypeInfo::GetTypeAttr");
    const TYPEKIND kind = attributes->typekind;
    const WORD count = attributes->cVars;
    info->ReleaseTypeAttr(attributes);
    if (kind != TKIND_ENUM) return 0;

    for (WORD i = 0; i < count; ++i) {
        VARDESC* variable = nullptr;
        Check(info->GetVarDesc(i, &variable), "ITypeInfo::GetVarDesc");
        const MEMBERID member = variable->memid;
        info->ReleaseVarDesc(variable);
        Documentation documentation;
        ReadDocumentation(info, member, documentation);
        const auto expected = texts.find(std::wstring(documentation.name.View()));
        if (expected == texts.end() || expected->second != std::wstring(documentation.docString.View()))
            throw std::runtime_error("the written library has the doc string \"" +
                                     Utf8(std::wstring(documentation.docString.View())) + "\" for " +
                                     Utf8(std::wstring(documentation.name.View())));
    }
    return count;
}

}  // namespace

void CheckWrittenHelpTexts(const std::wstring& path, const HelpTexts& texts) {
    ComPtr<ITypeLib> library;
    Check(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library), "LoadTypeLibEx of the written library");
    size_t checked = 0;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        Check(library->GetTypeInfo(i, &info), "ITypeLib::GetTypeInfo");
        checked += CheckConstants(info.Get(), texts);
    }
    if (checked != texts.size())
        throw std::runtime_error("the written library has " + std::to_string(checked) +
                                 " enumeration constants, the IDL " + std::to_string(texts.size()) + " help texts");
}
