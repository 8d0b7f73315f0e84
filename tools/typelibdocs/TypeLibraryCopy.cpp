#include "TypeLibraryCopy.h"

#include <functional>
#include <memory>
#include <vector>

#include "ComSupport.h"
#include "ReferenceMap.h"
#include "TypeInfoCopy.h"

namespace {

void CopyLibraryAttributes(ITypeLib* source, const TLIBATTR& attributes, ICreateTypeLib2* copy) {
    Bstr name;
    Bstr docString;
    Bstr helpFile;
    DWORD helpContext = 0;
    Check(source->GetDocumentation(-1, name.Receive(), docString.Receive(), &helpContext, helpFile.Receive()),
          "ITypeLib::GetDocumentation");
    Check(copy->SetName(name.Get()), "ICreateTypeLib::SetName");
    Check(copy->SetGuid(attributes.guid), "ICreateTypeLib::SetGuid");
    Check(copy->SetVersion(attributes.wMajorVerNum, attributes.wMinorVerNum), "ICreateTypeLib::SetVersion");
    Check(copy->SetLcid(attributes.lcid), "ICreateTypeLib::SetLcid");
    Check(copy->SetLibFlags(attributes.wLibFlags), "ICreateTypeLib::SetLibFlags");
    if (!docString.View().empty()) Check(copy->SetDocString(docString.Get()), "ICreateTypeLib::SetDocString");
    if (!helpFile.View().empty()) Check(copy->SetHelpFileName(helpFile.Get()), "ICreateTypeLib::SetHelpFileName");
    if (helpContext != 0) Check(copy->SetHelpContext(helpContext), "ICreateTypeLib::SetHelpContext");
}

}  // namespace

void WriteCopy(ITypeLib* source, const std::wstring& path, ConstantHelpTexts& helpTexts) {
    TLIBATTR* attributes = nullptr;
    Check(source->GetLibAttr(&attributes), "ITypeLib::GetLibAttr");
    const std::unique_ptr<TLIBATTR, std::function<void(TLIBATTR*)>> release(
        attributes, [source](TLIBATTR* released) { source->ReleaseTLibAttr(released); });

    ComPtr<ICreateTypeLib2> copy;
    Check(CreateTypeLib2(attributes->syskind, path.c_str(), &copy), "CreateTypeLib2");
    CopyLibraryAttributes(source, *attributes, copy.Get());

    std::vector<ComPtr<ITypeInfo>> infos(source->GetTypeInfoCount());
    std::vector<ComPtr<ICreateTypeInfo>> copies;
    for (UINT i = 0; i < infos.size(); ++i) {
        Check(source->GetTypeInfo(i, &infos[i]), "ITypeLib::GetTypeInfo");
        copies.push_back(CreateCopy(infos[i].Get(), copy.Get()));
    }
    const ReferenceMap references(source, copies);
    const WORD pointerSize = attributes->syskind == SYS_WIN64 ? 8 : 4;
    for (size_t i = 0; i < infos.size(); ++i)
        CopyMembers(infos[i].Get(), copies[i].Get(), references, helpTexts, pointerSize);
    helpTexts.CheckAllMatched();

    for (size_t i = 0; i < infos.size(); ++i) LayOut(infos[i].Get(), copies[i].Get());
    Check(copy->SaveAllChanges(), "ICreateTypeLib::SaveAllChanges");
}
