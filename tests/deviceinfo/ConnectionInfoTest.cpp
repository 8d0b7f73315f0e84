// IUMCInfo::GetConnectionInfo: every parameter's type, default, fallback to
// the common element and conversion; routing overrides and blocks.

#include <gtest/gtest.h>

#include <string>

#include "tests/deviceinfo/DeviceInfoTestSupport.h"
#include "tests/support/LateBinding.h"

namespace {

// What one call is expected to give.
struct Expected {
    HRESULT hr = S_OK;
    tagIUMCErrors error = IUMC_OK;
    VARTYPE type = VT_EMPTY;
    ULONG number = 0;  // integer and boolean values
    double days = 0;   // VT_DATE
    std::wstring text;
    Bytes bytes;
};

Expected Empty(tagIUMCErrors error = IUMC_OK) { return {S_OK, error, VT_EMPTY, 0, 0, {}, {}}; }
Expected Refused() { return {E_INVALIDARG, IUMC_OK, VT_EMPTY, 0, 0, {}, {}}; }
Expected Num(VARTYPE type, ULONG value) { return {S_OK, IUMC_OK, type, value, 0, {}, {}}; }
Expected Bool(USHORT value) { return Num(VT_BOOL, value); }
Expected Days(double value) { return {S_OK, IUMC_OK, VT_DATE, 0, value, {}, {}}; }
Expected Str(std::wstring value) { return {S_OK, IUMC_OK, VT_BSTR, 0, 0, std::move(value), {}}; }
Expected Octets(Bytes value) { return {S_OK, IUMC_OK, VT_ARRAY | VT_UI1, 0, 0, {}, std::move(value)}; }

constexpr ULONG kTrue = 0xFFFF;

// Calls through the vtable. A failing call must leave ParamValue and pError
// as they were, which the sentinels show.
void ExpectConnectionInfo(IUMCInfo* info, const wchar_t* device, LONG id, const Expected& expected) {
    const Bstr name(device);
    BSTR devName = name.Get();
    VARIANT value;
    V_VT(&value) = VT_I4;
    V_I4(&value) = 4711;
    tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
    const HRESULT hr = info->GetConnectionInfo(&devName, static_cast<tagConfigParams>(id), &value, &error);
    ASSERT_EQ(hr, expected.hr);
    if (FAILED(hr)) {
        EXPECT_EQ(V_VT(&value), VT_I4);
        EXPECT_EQ(V_I4(&value), 4711);
        EXPECT_EQ(error, 77);
        return;
    }
    EXPECT_EQ(error, expected.error);
    ASSERT_EQ(V_VT(&value), expected.type);
    switch (expected.type) {
    case VT_BOOL: EXPECT_EQ(static_cast<USHORT>(V_BOOL(&value)), expected.number); break;
    case VT_UI2: EXPECT_EQ(V_UI2(&value), expected.number); break;
    case VT_UI1:
    case VT_UI4:
        // All 32 bits are stored, whatever the declared width.
        EXPECT_EQ(V_UI4(&value), expected.number);
        break;
    case VT_DATE: EXPECT_DOUBLE_EQ(V_DATE(&value), expected.days); break;
    case VT_BSTR: EXPECT_EQ(std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))), expected.text); break;
    case VT_ARRAY | VT_UI1: EXPECT_EQ(BytesOf(value), expected.bytes); break;
    default: break;
    }
    VariantClear(&value);
}

ComPtr<IUMCInfo> LoadedInfo(const ProjectDirectory& directory, const std::string& xml) {
    directory.WriteProject(xml);
    return CreateComponent<IUMCInfo>();
}

// One value per parameter, each chosen to show its conversion. Written on
// the device ("Dev") and, with the same values, on the common element for
// the device without attributes ("Bare"). The categories give alarm types 1|2.
constexpr char kValueAttributes[] =
    R"(BAUDRATE="19200" CONNNAME="Line1" VFD="Vfd A" LocDevice="CP1" LocTSAP="10.02" MPIDefault="2" )"
    R"(RemTSAP="03.1.7" INITIATE="300" PASSIVE="1" OPTIMIZEK4READ="1" OPTIMIZEK4WRITE="7" )"
    R"(EVENTSALARM="0" EVENTSTOALARM="0" EVENTSDIAG="1" CheckSum="12AB" DEFAULTSEVERITYALARM="700" )"
    R"(INDIVIDUALSEVERITYALARM="1" DEFAULTSEVERITYDIAG="900" INDIVIDUALSEVERITYDIAG="1" CREDITS="8" )"
    R"(CPUVersion="0301" ABORTCONNECTIONAFTER="3" TIMEOUT="5000" CONNECTTIMEOUT="-5" AUTOPASSWORDRESET="-1" )"
    R"(SZLRepeat="7" SZLRead="9" TimeDifference="-120" StatePath="0" REMNSAP="06.00")";

std::string ValueProject() {
    return std::string(R"(<R><CONDITIONAL><U7SQ/><TOPOSAXIS/></CONDITIONAL><DEVICES>)") + "<Dev " + kValueAttributes +
           "/><Bare/>" + R"(</DEVICES><CORVALIS><ConnectionInfo )" + kValueAttributes + R"(/></CORVALIS></R>)";
}

struct ParameterRow {
    LONG id;
    Expected fromText;     // from the text in kValueAttributes
    Expected fromDefault;  // with the attribute missing everywhere
};

const ParameterRow kParameterRows[] = {
    {0, Refused(), Refused()},
    {CONFIG_BAUDRATE, Empty(), Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
    {CONFIG_CONNNAME, Str(L"Line1"), Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
    {CONFIG_VFD, Str(L"Vfd A"), Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
    {CONFIG_CP, Str(L"CP1"), Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
    {CONFIG_LOCSAP, Octets({0x0A, 0x02}), Octets({0x00, 0x01})},
    {CONFIG_ADDRESS, Octets({0x02}), Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
    {CONFIG_REMSAP, Octets({0x03, 0x01, 0x07}), Octets({0x02, 0x02})},
    {CONFIG_INITIATE, Num(VT_UI1, 300), Num(VT_UI1, 2)},
    {CONFIG_PASSIVE, Bool(1), Bool(0)},
    {CONFIG_OPTIMIZEK4READ, Num(VT_UI1, 1), Num(VT_UI1, 0)},
    {CONFIG_OPTIMIZEK4WRITE, Num(VT_UI1, 7), Num(VT_UI1, 0)},
    // The loaded alarm types decide, not the attributes; the defaults load none.
    {CONFIG_EVENTSALARM, Bool(1), Bool(0)},
    {CONFIG_EVENTSTOALARM, Bool(2), Bool(0)},
    {CONFIG_EVENTSDIAG, Bool(0), Bool(0)},
    {CONFIG_CONSISTENCE, Str(L"12AB"), Str(L"")},
    {CONFIG_DEFAULTSEVERITYALARM, Num(VT_UI2, 700), Num(VT_UI2, 500)},
    {CONFIG_INDIVIDUALSEVERITYALARM, Empty(), Empty()},
    {CONFIG_DEFAULTSEVERITYDIAG, Num(VT_UI2, 900), Num(VT_UI2, 500)},
    {CONFIG_INDIVIDUALSEVERITYDIAG, Empty(), Empty()},
    {CONFIG_CREDITS, Num(VT_UI1, 8), Num(VT_UI1, 2)},
    {CONFIG_PDUSize, Num(VT_UI2, 480), Num(VT_UI2, 240)},
    {CONFIG_ABORTCONNECTIONAFTER, Num(VT_UI4, 3), Num(VT_UI4, 0)},
    {CONFIG_TIMEOUT, Num(VT_UI4, 5000), Num(VT_UI4, 15000)},
    {CONFIG_CONNECTTIMEOUT, Num(VT_UI4, 0xFFFFFFFB), Num(VT_UI4, 30000)},
    {CONFIG_AUTOPASSWORDRESET, Bool(kTrue), Bool(0)},
    {CONFIG_SZLREPEAT, Num(VT_UI4, 7), Num(VT_UI4, 100)},
    {CONFIG_SZLWAIT, Num(VT_UI4, 9), Num(VT_UI4, 50)},
    {CONFIG_UTCTimeBias, Days(-120.0 / 1440.0), Days(60.0 / 1440.0)},
    {CONFIG_StatePath, Bool(0), Bool(kTrue)},
    // Without a routing element there is no routing block, whatever REMNSAP says.
    {CONFIG_REMNSAP, Refused(), Refused()},
    {31, Refused(), Refused()},
};

}  // namespace

TEST(GetConnectionInfo, EveryParameterFromDeviceCommonElementAndDefault) {
    ProjectDirectory values;
    auto info = LoadedInfo(values, ValueProject());
    ASSERT_TRUE(info);
    // A file without a single CORVALIS, or one whose ConnectionInfo has no
    // attributes, answers with the defaults.
    const char* const defaultProjects[] = {
        "<R><DEVICES><Bare/></DEVICES></R>",
        "<R><DEVICES><Bare/></DEVICES><CORVALIS><ConnectionInfo/></CORVALIS></R>",
        R"(<R><DEVICES><Bare/></DEVICES><CORVALIS><ConnectionInfo TIMEOUT="1"/></CORVALIS><CORVALIS/></R>)",
        R"(<R><DEVICES><Bare/></DEVICES><CORVALIS><Other TIMEOUT="1"/></CORVALIS></R>)",
    };
    for (const ParameterRow& row : kParameterRows) {
        SCOPED_TRACE(row.id);
        {
            SCOPED_TRACE("device attribute");
            ExpectConnectionInfo(info.Get(), L"Dev", row.id, row.fromText);
        }
        {
            SCOPED_TRACE("common element");
            ExpectConnectionInfo(info.Get(), L"Bare", row.id, row.fromText);
        }
    }
    for (const char* project : defaultProjects) {
        SCOPED_TRACE(project);
        ProjectDirectory directory;
        auto defaults = LoadedInfo(directory, project);
        ASSERT_TRUE(defaults);
        for (const ParameterRow& row : kParameterRows) {
            SCOPED_TRACE(row.id);
            ExpectConnectionInfo(defaults.Get(), L"Bare", row.id, row.fromDefault);
        }
    }
}

// Precedence of device, common element and defaults, device lookup by
// name, and the routing overrides.
TEST(GetConnectionInfo, PerDevice) {
    ProjectDirectory directory;
    auto info = LoadedInfo(
        directory,
        R"(<R><DEVICES>)"
        R"(<Own TIMEOUT="1" CONNNAME="Own"/><Blank TIMEOUT=""/><Dup/>)"
        R"(<Eth SubnetID="00120001" MPIDefault="2" LocTSAP="05.05" RemTSAP="09.09">)"
        R"(<RoutInfo ROUTNET="Ethernet1" ROUTADR="192.168.0.5"/></Eth>)"
        R"(<Dotted SubnetID="00128001" MPIDefault="10.1.2.3"><RoutInfo ROUTNET="Net"/></Dotted>)"
        R"(<HighWord SubnetID="8001FFFF" MPIDefault="300"><RoutInfo ROUTNET="Net"/></HighWord>)"
        R"(<Long SubnetID="00010002" MPIDefault="1.2.3.4.5.6.7.8.9"><RoutInfo ROUTNET="Net"/></Long>)"
        R"(<Inherited><RoutInfo ROUTNET="Net" ROUTADR="7"/></Inherited>)"
        R"(<NoNet MPIDefault="3"><RoutInfo ROUTADR="1.2"/></NoNet>)"
        R"(<Plain MPIDefault="2" LocTSAP="05.05"/>)"
        R"(<Pc MPIDefault="9"><RoutInfo ROUTNET="PC-Internal-1" ROUTDEV="Router1" ROUTADR="5"/></Pc>)"
        R"(<PcNoSlot><RoutInfo ROUTNET="PC-Internal" ROUTDEV="Router2"/></PcNoSlot>)"
        R"(<PcMissing MPIDefault="7"><RoutInfo ROUTNET="PC-Internal" ROUTDEV="Nowhere"/></PcMissing>)"
        R"(<PcTwice MPIDefault="8"><RoutInfo ROUTNET="PC-Internal" ROUTDEV="Twice"/></PcTwice>)"
        R"(</DEVICES><X><Dup/></X>)"
        R"(<Router1><!--slots--><S1 SLOT=""/><S2 SLOT="3"/><S3 SLOT="4"/></Router1>)"
        R"(<Router2><S1/><S2 SLOT=""/></Router2><Twice><S SLOT="1"/></Twice><Twice/>)"
        R"(<CORVALIS><ConnectionInfo TIMEOUT="5000" CREDITS="8" SubnetID="00AB00CD" MPIDefault="4"/></CORVALIS></R>)");
    ASSERT_TRUE(info);
    const struct {
        const wchar_t* device;
        LONG id;
        Expected expected;
    } rows[] = {
        {L"Own", CONFIG_TIMEOUT, Num(VT_UI4, 1)},
        {L"Own", CONFIG_CONNNAME, Str(L"Own")},
        {L"Own", CONFIG_CREDITS, Num(VT_UI1, 8)},
        {L"Blank", CONFIG_TIMEOUT, Num(VT_UI4, 5000)},
        {L"own", CONFIG_TIMEOUT, Refused()},
        {L"Dup", CONFIG_TIMEOUT, Refused()},
        {L"Nowhere", CONFIG_TIMEOUT, Refused()},
        {L"", CONFIG_TIMEOUT, Refused()},
        {L"*", CONFIG_TIMEOUT, Refused()},
        {L"Eth", CONFIG_ADDRESS, Octets({0xC0, 0xA8, 0x00, 0x05})},
        {L"Eth", CONFIG_REMNSAP, Octets({6, 0x00, 0x12, 0, 0, 0x00, 0x01, 1, 0x02})},
        {L"Eth", CONFIG_LOCSAP, Octets({0x01, 0x00})},
        {L"Eth", CONFIG_REMSAP, Octets({0x02, 0x02})},
        {L"Dotted", CONFIG_REMNSAP, Octets({6, 0x00, 0x12, 0, 0, 0x80, 0x01, 4, 10, 1, 2, 3})},
        // ROUTADR is the address even when it is missing.
        {L"Dotted", CONFIG_ADDRESS, Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
        {L"HighWord", CONFIG_REMNSAP, Octets({6, 0x80, 0x01, 0, 0, 0xFF, 0xFF, 1, 0x2C})},
        {L"Long", CONFIG_REMNSAP, Octets({6, 0x00, 0x01, 0, 0, 0x00, 0x02, 7, 1, 2, 3, 4, 5, 6, 7})},
        {L"Inherited", CONFIG_REMNSAP, Octets({6, 0x00, 0xAB, 0, 0, 0x00, 0xCD, 1, 4})},
        {L"Inherited", CONFIG_ADDRESS, Octets({7})},
        {L"NoNet", CONFIG_REMNSAP, Refused()},
        {L"NoNet", CONFIG_ADDRESS, Octets({1, 2})},
        {L"NoNet", CONFIG_LOCSAP, Octets({0x01, 0x00})},
        {L"Plain", CONFIG_REMNSAP, Refused()},
        {L"Plain", CONFIG_ADDRESS, Octets({2})},
        {L"Plain", CONFIG_LOCSAP, Octets({5, 5})},
        {L"Pc", CONFIG_ADDRESS, Octets({3})},
        {L"PcNoSlot", CONFIG_ADDRESS, Refused()},
        // A missing or ambiguous router element abandons the override.
        {L"PcMissing", CONFIG_ADDRESS, Octets({7})},
        {L"PcTwice", CONFIG_ADDRESS, Octets({8})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::wstring(row.device) + L" " + std::to_wstring(row.id));
        ExpectConnectionInfo(info.Get(), row.device, row.id, row.expected);
    }
}

// The routing block is found once per device and load: each device is asked
// twice, and again after a load of a file where the blocks moved.
TEST(GetConnectionInfo, RoutingBlockOfEachLoad) {
    ProjectDirectory directory;
    const std::string tos = R"(<RT1 TypeID="x"/><RT2 TypeID="x"/><!--RoutInfo--><RT3/>)";
    const auto project = [&](const std::string& first, const std::string& second) {
        return R"(<R><DEVICES><First MPIDefault="2">)" + first + tos + R"(</First><Second MPIDefault="3">)" + tos +
               second + R"(</Second><Pi MPIDefault="4"><?RoutInfo ROUTADR="6"?><RoutInfo ROUTADR="5"/></Pi>)" +
               R"(</DEVICES></R>)";
    };
    const std::string block = R"(<RoutInfo ROUTNET="Ethernet" ROUTADR="1.1"/>)";
    auto info = LoadedInfo(directory, project(block, ""));
    ASSERT_TRUE(info);
    const struct {
        const wchar_t* device;
        LONG id;
        Expected before, after;
    } rows[] = {
        {L"First", CONFIG_ADDRESS, Octets({1, 1}), Octets({2})},
        {L"First", CONFIG_REMNSAP, Octets({6, 0, 0, 0, 0, 0, 0, 1, 2}), Refused()},
        {L"First", CONFIG_LOCSAP, Octets({0x01, 0x00}), Octets({0x00, 0x01})},
        {L"Second", CONFIG_ADDRESS, Octets({3}), Octets({1, 1})},
        {L"Second", CONFIG_REMNSAP, Refused(), Octets({6, 0, 0, 0, 0, 0, 0, 1, 3})},
        {L"Second", CONFIG_LOCSAP, Octets({0x00, 0x01}), Octets({0x01, 0x00})},
        // The first child of that name is a processing instruction, which has no attributes.
        {L"Pi", CONFIG_ADDRESS, Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE), Empty(IUMC_ERROR_XMLFILE_NOINFOAVAILABLE)},
        {L"Pi", CONFIG_LOCSAP, Octets({0x01, 0x00}), Octets({0x01, 0x00})},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::wstring(row.device) + L" " + std::to_wstring(row.id) + L" pass " + std::to_wstring(pass));
            ExpectConnectionInfo(info.Get(), row.device, row.id, row.before);
        }
    }
    directory.WriteProject(project("", block));
    ComPtr<IEventInfoInit> init;
    ASSERT_EQ(info.As(&init), S_OK);
    ASSERT_EQ(init->ParseXML(nullptr), S_OK);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::wstring(row.device) + L" " + std::to_wstring(row.id) + L" after the load");
        ExpectConnectionInfo(info.Get(), row.device, row.id, row.after);
    }
}

TEST(GetConnectionInfo, NullPointers) {
    ProjectDirectory directory;
    auto info = LoadedInfo(directory, R"(<R><DEVICES><D1 TIMEOUT="5"/></DEVICES></R>)");
    ASSERT_TRUE(info);
    const Bstr name(L"D1");
    BSTR devName = name.Get();
    BSTR nullName = nullptr;
    Variant value;
    tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
    EXPECT_EQ(info->GetConnectionInfo(nullptr, CONFIG_TIMEOUT, value.Get(), &error), E_POINTER);
    EXPECT_EQ(info->GetConnectionInfo(&devName, CONFIG_TIMEOUT, nullptr, &error), E_POINTER);
    EXPECT_EQ(info->GetConnectionInfo(&devName, CONFIG_TIMEOUT, value.Get(), nullptr), E_POINTER);
    EXPECT_EQ(info->GetConnectionInfo(&nullName, CONFIG_TIMEOUT, value.Get(), &error), E_INVALIDARG);
    EXPECT_EQ(V_VT(value.Get()), VT_EMPTY);
    EXPECT_EQ(error, 77);
}

TEST(DeviceInfoLateBound, ConnectionInfoByName) {
    ProjectDirectory directory;
    auto info = LoadedInfo(directory, R"(<R><DEVICES><D1 TIMEOUT="5000"/></DEVICES></R>)");
    ASSERT_TRUE(info);
    BSTR devName = SysAllocString(L"D1");
    Variant value;
    const InvokeResult timeout =
        InvokeByName(info.Get(), L"GetConnectionInfo", {ByRef(&devName), Long(CONFIG_TIMEOUT), ByRef(value.Get())});
    EXPECT_EQ(timeout.hr, S_OK);
    EXPECT_EQ(V_I4(&timeout.value), IUMC_OK);
    EXPECT_EQ(V_VT(value.Get()), VT_UI4);
    EXPECT_EQ(V_UI4(value.Get()), 5000u);

    const InvokeResult missing = InvokeByName(info.Get(), L"GetConnectionInfo",
                                              {ByRef(&devName), Long(CONFIG_CONNNAME), ByRef(value.Receive())});
    EXPECT_EQ(missing.hr, S_OK);
    EXPECT_EQ(V_I4(&missing.value), IUMC_ERROR_XMLFILE_NOINFOAVAILABLE);
    EXPECT_EQ(V_VT(value.Get()), VT_EMPTY);

    const InvokeResult outOfRange =
        InvokeByName(info.Get(), L"GetConnectionInfo", {ByRef(&devName), Long(31), ByRef(value.Receive())});
    EXPECT_EQ(outOfRange.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(outOfRange.scode, E_INVALIDARG);
    SysFreeString(devName);
}
