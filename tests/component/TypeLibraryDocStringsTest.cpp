// The component's type library as a client reads it: every enumeration
// constant has its help text, and apart from those texts the library is the
// one widl compiled from the IDL.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "loading/TextConversion.h"
#include "tests/support/TestSupport.h"

namespace {

const std::map<std::wstring, std::wstring> kHelpTexts = {
    {L"ALARM_TYPE_NONE", L"No Alarms"},
    {L"ALARM_TYPE_PROJECT", L"user defined Alarms (Alarm_S)"},
    {L"ALARM_TYPE_TO", L"TO Alarms"},
    {L"ALARM_TYPE_DIAGBUFFER", L"Diag Alarms"},
    {L"IUMC_OK", L"ok"},
    {L"IUMC_ERROR_XMLFILE_DEVICE", L"Node DEVICE ambigous"},
    {L"IUMC_ERROR_XMLFILE_GENERAL", L"XML-File invalid"},
    {L"IUMC_ERROR_XMLFILE_NODEV", L"No Devices defined"},
    {L"IUMC_ERROR_XMLFILE_DEVPAR", L"No unique node for device"},
    {L"IUMC_ERROR_XMLFILE_TOINFO", L"TO-information corrupt"},
    {L"IUMC_ERROR_XMLFILE_NOINFOAVAILABLE", L"No info available"},
    {L"CONFIG_BAUDRATE", L"Baudrate"},
    {L"CONFIG_CONNNAME", L"Sichtbarer Verbindungsname"},
    {L"CONFIG_VFD", L"VFD"},
    {L"CONFIG_CP", L"CP"},
    {L"CONFIG_LOCSAP", L"LocSAP"},
    {L"CONFIG_ADDRESS", L"Address"},
    {L"CONFIG_REMSAP", L"RemSAP"},
    {L"CONFIG_INITIATE", L"Initiate"},
    {L"CONFIG_PASSIVE", L"Passive"},
    {L"CONFIG_OPTIMIZEK4READ", L"OptimizeK4Read"},
    {L"CONFIG_OPTIMIZEK4WRITE", L"OptimizeK4write"},
    {L"CONFIG_EVENTSALARM", L"NOTIFY/ALARM/ALARM_8/ALARM_8P/_S/_SQ/"},
    {L"CONFIG_EVENTSTOALARM", L"TO_ALARM"},
    {L"CONFIG_EVENTSDIAG", L"DIAGNOSIS"},
    {L"CONFIG_CONSISTENCE", L"Consistence String"},
    {L"CONFIG_DEFAULTSEVERITYALARM", L"Default severity alarm"},
    {L"CONFIG_INDIVIDUALSEVERITYALARM", L"individual severity alarm"},
    {L"CONFIG_DEFAULTSEVERITYDIAG", L"Default severity diagnosis"},
    {L"CONFIG_INDIVIDUALSEVERITYDIAG", L"individual severity diagnosis"},
    {L"CONFIG_CREDITS", L"Credits"},
    {L"CONFIG_PDUSize", L"PDUSize"},
    {L"CONFIG_ABORTCONNECTIONAFTER", L"AbortConnectionAfter"},
    {L"CONFIG_TIMEOUT", L"Timeout"},
    {L"CONFIG_CONNECTTIMEOUT", L"ConnectTimeout"},
    {L"CONFIG_AUTOPASSWORDRESET", L"AutoPasswordReset"},
    {L"CONFIG_SZLREPEAT", L"SZLRepeat"},
    {L"CONFIG_SZLWAIT", L"SZLWait"},
    {L"CONFIG_UTCTimeBias", L"TimeDifference"},
    {L"CONFIG_StatePath", L"StatePath"},
    {L"CONFIG_REMNSAP", L"RoutingInfo"},
};

std::string Shown(BSTR text) { return text ? Utf8(BstrView(text)) : "<null>"; }

// The name and doc string of a member, or of the type info for MEMBERID_NIL.
std::pair<std::wstring, std::wstring> Documentation(ITypeInfo* info, MEMBERID member) {
    BSTR name = nullptr, doc = nullptr;
    info->GetDocumentation(member, &name, &doc, nullptr, nullptr);
    std::pair<std::wstring, std::wstring> result{name ? name : L"", doc ? doc : L""};
    SysFreeString(name);
    SysFreeString(doc);
    return result;
}

std::string Text(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Each enumeration constant of the library with its doc string.
std::map<std::wstring, std::wstring> ConstantDocStrings(ITypeLib* library) {
    std::map<std::wstring, std::wstring> constants;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attributes = nullptr;
        if (FAILED(library->GetTypeInfo(i, &info)) || FAILED(info->GetTypeAttr(&attributes))) continue;
        for (WORD v = 0; attributes->typekind == TKIND_ENUM && v < attributes->cVars; ++v) {
            VARDESC* variable = nullptr;
            if (FAILED(info->GetVarDesc(v, &variable))) continue;
            constants.insert(Documentation(info.Get(), variable->memid));
            info->ReleaseVarDesc(variable);
        }
        info->ReleaseTypeAttr(attributes);
    }
    return constants;
}

std::string TypeText(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt == VT_PTR || type.vt == VT_SAFEARRAY)
        return (type.vt == VT_PTR ? "ptr(" : "array(") + TypeText(info, *type.lptdesc) + ")";
    if (type.vt != VT_USERDEFINED) return "vt" + std::to_string(type.vt);
    ComPtr<ITypeInfo> referenced;
    if (FAILED(info->GetRefTypeInfo(type.hreftype, &referenced))) return "<unresolved>";
    return Text(Documentation(referenced.Get(), MEMBERID_NIL).first);
}

// One line per type info, implemented type, function and variable, with all
// a client sees but the enumeration constants' doc strings.
void Describe(ITypeInfo* info, std::vector<std::string>& lines) {
    TYPEATTR* a = nullptr;
    if (FAILED(info->GetTypeAttr(&a))) return lines.push_back("<no attributes>");
    const auto [name, doc] = Documentation(info, MEMBERID_NIL);
    std::ostringstream line;
    wchar_t guid[40] = {};
    StringFromGUID2(a->guid, guid, 40);
    line << Text(name) << " kind " << a->typekind << " " << Text(guid) << " flags " << a->wTypeFlags << " funcs "
         << a->cFuncs << " vars " << a->cVars << " impl " << a->cImplTypes << " vtable " << a->cbSizeVft << " size "
         << a->cbSizeInstance << " version " << a->wMajorVerNum << "." << a->wMinorVerNum << " doc " << Text(doc);
    lines.push_back(line.str());
    for (UINT i = 0; i < a->cImplTypes; ++i) {
        HREFTYPE reference = 0;
        INT flags = 0;
        ComPtr<ITypeInfo> implemented;
        info->GetRefTypeOfImplType(i, &reference);
        info->GetImplTypeFlags(i, &flags);
        if (FAILED(info->GetRefTypeInfo(reference, &implemented))) return lines.push_back("<unresolved base>");
        lines.push_back("  implements " + Text(Documentation(implemented.Get(), MEMBERID_NIL).first) + " flags " +
                        std::to_string(flags));
    }
    for (UINT f = 0; f < a->cFuncs; ++f) {
        FUNCDESC* d = nullptr;
        if (FAILED(info->GetFuncDesc(f, &d))) continue;
        BSTR names[32] = {};
        UINT count = 0;
        info->GetNames(d->memid, names, 32, &count);
        std::ostringstream function;
        function << "  function " << std::hex << d->memid << std::dec << " kind " << d->funckind << " invoke "
                 << d->invkind << " at " << d->oVft << " callconv " << d->callconv << " optional " << d->cParamsOpt
                 << " flags " << d->wFuncFlags << " returns " << TypeText(info, d->elemdescFunc.tdesc) << " doc "
                 << Text(Documentation(info, d->memid).second) << " names";
        for (UINT n = 0; n < count; ++n) function << " " << Shown(names[n]), SysFreeString(names[n]);
        for (SHORT p = 0; p < d->cParams; ++p)
            function << " [" << TypeText(info, d->lprgelemdescParam[p].tdesc) << " "
                     << d->lprgelemdescParam[p].paramdesc.wParamFlags << "]";
        lines.push_back(function.str());
        info->ReleaseFuncDesc(d);
    }
    for (UINT v = 0; v < a->cVars; ++v) {
        VARDESC* d = nullptr;
        if (FAILED(info->GetVarDesc(v, &d))) continue;
        const auto [varName, varDoc] = Documentation(info, d->memid);
        std::ostringstream variable;
        variable << "  variable " << std::hex << d->memid << std::dec << " " << Text(varName) << " kind " << d->varkind
                 << " " << TypeText(info, d->elemdescVar.tdesc) << " flags " << d->wVarFlags;
        if (d->varkind == VAR_CONST) variable << " value " << V_I4(d->lpvarValue);
        if (a->typekind != TKIND_ENUM) variable << " doc " << Text(varDoc);
        lines.push_back(variable.str());
        info->ReleaseVarDesc(d);
    }
    HREFTYPE interfaceSide = 0;
    ComPtr<ITypeInfo> declared;
    if (a->typekind == TKIND_DISPATCH && SUCCEEDED(info->GetRefTypeOfImplType(-1, &interfaceSide)) &&
        SUCCEEDED(info->GetRefTypeInfo(interfaceSide, &declared)))
        Describe(declared.Get(), lines);
    info->ReleaseTypeAttr(a);
}

std::vector<std::string> Describe(ITypeLib* library) {
    std::vector<std::string> lines;
    TLIBATTR* a = nullptr;
    if (FAILED(library->GetLibAttr(&a))) return {"<no library attributes>"};
    BSTR name = nullptr, doc = nullptr;
    library->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    std::ostringstream line;
    line << Shown(name) << " syskind " << a->syskind << " version " << a->wMajorVerNum << "." << a->wMinorVerNum
         << " lcid " << a->lcid << " flags " << a->wLibFlags << " doc " << Shown(doc);
    lines.push_back(line.str());
    SysFreeString(name);
    SysFreeString(doc);
    library->ReleaseTLibAttr(a);
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (SUCCEEDED(library->GetTypeInfo(i, &info))) Describe(info.Get(), lines);
    }
    return lines;
}

}  // namespace

TEST(TypeLibraryDocStrings, EveryEnumerationConstantOfTheRegisteredLibraryHasItsHelpText) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(LIBID_IEVENTINFOSERVERLib, 1, 0, 0x409, &library), S_OK);
    const auto constants = ConstantDocStrings(library.Get());
    for (const auto& [name, text] : kHelpTexts) {
        const auto found = constants.find(name);
        ASSERT_NE(found, constants.end()) << Text(name);
        EXPECT_EQ(found->second, text) << Text(name);
    }
    EXPECT_EQ(constants.size(), kHelpTexts.size());
}

TEST(TypeLibraryDocStrings, EmbeddedLibraryIsWidlsApartFromTheHelpTexts) {
    const auto widlLibraryPath = std::filesystem::path(ComponentDllPath()).parent_path().parent_path() / "generated" /
                                 "IEventInfoServer.widl.tlb";
    ComPtr<ITypeLib> embedded, compiled;
    ASSERT_EQ(LoadTypeLibEx(ComponentDllPath().c_str(), REGKIND_NONE, &embedded), S_OK);
    ASSERT_EQ(LoadTypeLibEx(widlLibraryPath.wstring().c_str(), REGKIND_NONE, &compiled), S_OK);
    const auto expected = Describe(compiled.Get());
    const auto actual = Describe(embedded.Get());
    for (size_t i = 0; i < std::min(expected.size(), actual.size()); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "line " << i;
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_GT(expected.size(), 60u);  // every type, function and constant made a line
}
