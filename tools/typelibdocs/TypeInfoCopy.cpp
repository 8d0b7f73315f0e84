#include "TypeInfoCopy.h"

#include <functional>
#include <memory>
#include <string>

#include "ComSupport.h"
#include "TypeDescCopies.h"

namespace {

using TypeAttr = std::unique_ptr<TYPEATTR, std::function<void(TYPEATTR*)>>;

TypeAttr Attributes(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    Check(info->GetTypeAttr(&attributes), "ITypeInfo::GetTypeAttr");
    return TypeAttr(attributes, [info](TYPEATTR* released) { info->ReleaseTypeAttr(released); });
}

// A dual interface is read as its dispatch side; it is written as the
// interface it is declared as, from which the new library derives the
// dispatch side again.
ComPtr<ITypeInfo> Declaration(ITypeInfo* source) {
    const TypeAttr attributes = Attributes(source);
    ComPtr<ITypeInfo> declaration = source;
    HREFTYPE interfaceSide = 0;
    if (attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL) &&
        SUCCEEDED(source->GetRefTypeOfImplType(-1, &interfaceSide)))
        Check(source->GetRefTypeInfo(interfaceSide, &declaration), "GetRefTypeInfo of a dual interface");
    return declaration;
}

void CopyAttributes(ITypeInfo* source, const TYPEATTR& attributes, ICreateTypeInfo* copy) {
    Documentation documentation;
    ReadDocumentation(source, MEMBERID_NIL, documentation);
    if (attributes.guid != GUID_NULL) Check(copy->SetGuid(attributes.guid), "ICreateTypeInfo::SetGuid");
    Check(copy->SetTypeFlags(attributes.wTypeFlags), "ICreateTypeInfo::SetTypeFlags");
    if (!documentation.docString.View().empty())
        Check(copy->SetDocString(documentation.docString.Get()), "ICreateTypeInfo::SetDocString");
    if (documentation.helpContext != 0)
        Check(copy->SetHelpContext(documentation.helpContext), "ICreateTypeInfo::SetHelpContext");
    Check(copy->SetVersion(attributes.wMajorVerNum, attributes.wMinorVerNum), "ICreateTypeInfo::SetVersion");
    Check(copy->SetAlignment(attributes.cbAlignment), "ICreateTypeInfo::SetAlignment");
}

void CopyImplementedTypes(ITypeInfo* source, const TYPEATTR& attributes, ICreateTypeInfo* copy,
                          const ReferenceMap& references) {
    for (UINT i = 0; i < attributes.cImplTypes; ++i) {
        HREFTYPE reference = 0;
        INT flags = 0;
        Check(source->GetRefTypeOfImplType(i, &reference), "ITypeInfo::GetRefTypeOfImplType");
        Check(source->GetImplTypeFlags(i, &flags), "ITypeInfo::GetImplTypeFlags");
        Check(copy->AddImplType(i, references.Map(source, reference, copy)), "ICreateTypeInfo::AddImplType");
        if (flags != 0) Check(copy->SetImplTypeFlags(i, flags), "ICreateTypeInfo::SetImplTypeFlags");
    }
}

void CopyFunction(ITypeInfo* source, UINT index, ICreateTypeInfo* copy, TypeDescCopies& types, WORD pointerSize) {
    FUNCDESC* function = nullptr;
    Check(source->GetFuncDesc(index, &function), "ITypeInfo::GetFuncDesc");
    const std::unique_ptr<FUNCDESC, std::function<void(FUNCDESC*)>> release(
        function, [source](FUNCDESC* released) { source->ReleaseFuncDesc(released); });

    FUNCDESC description = *function;
    description.lprgelemdescParam = types.CopyParameters(function->lprgelemdescParam, function->cParams);
    description.elemdescFunc = types.Copy(function->elemdescFunc);
    // Read, a vtable offset counts this process's pointers; written, it
    // counts those of the library's system.
    description.oVft = static_cast<SHORT>(function->oVft / static_cast<SHORT>(sizeof(void*)) * pointerSize);
    Check(copy->AddFuncDesc(index, &description), "ICreateTypeInfo::AddFuncDesc");

    BSTR names[256] = {};
    UINT count = 0;
    Check(source->GetNames(function->memid, names, 256, &count), "ITypeInfo::GetNames");
    const HRESULT named = copy->SetFuncAndParamNames(index, names, count);
    for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
    Check(named, "ICreateTypeInfo::SetFuncAndParamNames");

    Documentation documentation;
    ReadDocumentation(source, function->memid, documentation);
    if (!documentation.docString.View().empty())
        Check(copy->SetFuncDocString(index, documentation.docString.Get()), "ICreateTypeInfo::SetFuncDocString");
    if (documentation.helpContext != 0)
        Check(copy->SetFuncHelpContext(index, documentation.helpContext), "ICreateTypeInfo::SetFuncHelpContext");
}

// An enumeration constant's doc string is its help text; another variable's
// is its own.
void CopyVariable(ITypeInfo* source, UINT index, const std::wstring& typeName, TYPEKIND kind, ICreateTypeInfo* copy,
                  TypeDescCopies& types, ConstantHelpTexts& helpTexts) {
    VARDESC* variable = nullptr;
    Check(source->GetVarDesc(index, &variable), "ITypeInfo::GetVarDesc");
    const std::unique_ptr<VARDESC, std::function<void(VARDESC*)>> release(
        variable, [source](VARDESC* released) { source->ReleaseVarDesc(released); });

    VARDESC description = *variable;
    description.elemdescVar = types.Copy(variable->elemdescVar);
    Check(copy->AddVarDesc(index, &description), "ICreateTypeInfo::AddVarDesc");

    Documentation documentation;
    ReadDocumentation(source, variable->memid, documentation);
    Check(copy->SetVarName(index, documentation.name.Get()), "ICreateTypeInfo::SetVarName");
    std::wstring docString = std::wstring(documentation.docString.View());
    if (kind == TKIND_ENUM) docString = helpTexts.Take(typeName, std::wstring(documentation.name.View())).value_or(L"");
    if (!docString.empty())
        Check(copy->SetVarDocString(index, const_cast<LPOLESTR>(docString.c_str())),
              "ICreateTypeInfo::SetVarDocString");
    if (documentation.helpContext != 0)
        Check(copy->SetVarHelpContext(index, documentation.helpContext), "ICreateTypeInfo::SetVarHelpContext");
}

}  // namespace

ComPtr<ICreateTypeInfo> CreateCopy(ITypeInfo* source, ICreateTypeLib2* library) {
    const ComPtr<ITypeInfo> declaration = Declaration(source);
    const TypeAttr attributes = Attributes(declaration.Get());
    Documentation documentation;
    ReadDocumentation(declaration.Get(), MEMBERID_NIL, documentation);
    // A module's functions would need their DLL entry points, which this copy
    // does not carry.
    if (attributes->typekind == TKIND_MODULE)
        throw std::runtime_error("the module " + Utf8(std::wstring(documentation.name.View())) + " cannot be copied");

    ComPtr<ICreateTypeInfo> copy;
    Check(library->CreateTypeInfo(documentation.name.Get(), attributes->typekind, &copy),
          "ICreateTypeLib::CreateTypeInfo(" + Utf8(std::wstring(documentation.name.View())) + ")");
    CopyAttributes(declaration.Get(), *attributes, copy.Get());
    return copy;
}

void CopyMembers(ITypeInfo* source, ICreateTypeInfo* copy, const ReferenceMap& references, ConstantHelpTexts& helpTexts,
                 WORD pointerSize) {
    const ComPtr<ITypeInfo> declaration = Declaration(source);
    const TypeAttr attributes = Attributes(declaration.Get());
    Documentation documentation;
    ReadDocumentation(declaration.Get(), MEMBERID_NIL, documentation);
    const std::string context = " of " + Utf8(std::wstring(documentation.name.View()));

    TypeDescCopies types([&](HREFTYPE reference) { return references.Map(declaration.Get(), reference, copy); });
    try {
        CopyImplementedTypes(declaration.Get(), *attributes, copy, references);
        if (attributes->typekind == TKIND_ALIAS) {
            TYPEDESC alias = types.Copy(attributes->tdescAlias);
            Check(copy->SetTypeDescAlias(&alias), "ICreateTypeInfo::SetTypeDescAlias");
        }
        for (UINT i = 0; i < attributes->cFuncs; ++i) CopyFunction(declaration.Get(), i, copy, types, pointerSize);
        for (UINT i = 0; i < attributes->cVars; ++i)
            CopyVariable(declaration.Get(), i, std::wstring(documentation.name.View()), attributes->typekind, copy,
                         types, helpTexts);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(error.what() + context);
    }
}

void LayOut(ITypeInfo* source, ICreateTypeInfo* copy) {
    Check(copy->LayOut(), "ICreateTypeInfo::LayOut");
    // Laying out marks a class whose default interface is dispatchable as
    // dispatchable itself, which the source does not say.
    const WORD sourceFlags = Attributes(Declaration(source).Get())->wTypeFlags;
    ComPtr<ITypeInfo> laidOut;
    Check(copy->QueryInterface(IID_PPV_ARGS(&laidOut)), "QueryInterface(ITypeInfo) of a copy");
    if (Attributes(laidOut.Get())->wTypeFlags != sourceFlags)
        Check(copy->SetTypeFlags(sourceFlags), "ICreateTypeInfo::SetTypeFlags after LayOut");
}
