// IUMCInfo: the device list and the TOs of a device. No test calls ParseXML:
// every query of a fresh object loads the file itself.

#include <gtest/gtest.h>

#include "tests/deviceinfo/DeviceInfoTestSupport.h"
#include "tests/support/LateBinding.h"

namespace {

struct Answer {
    HRESULT hr = E_UNEXPECTED;
    LONG error = -1;
    std::vector<Texts> arrays;  // the output arrays in argument order
    LONG alarms = -1;
};

// Failed calls must leave every output empty.
void ReadOutputs(Answer& answer, std::vector<Variant>& outputs) {
    for (Variant& output : outputs) {
        if (SUCCEEDED(answer.hr))
            answer.arrays.push_back(TextsOf(*output.Get()));
        else
            EXPECT_EQ(V_VT(output.Get()), VT_EMPTY);
    }
}

Answer Devices(IUMCInfo* info) {
    Answer answer;
    std::vector<Variant> out(3);
    tagAlarmTypes alarms = static_cast<tagAlarmTypes>(-1);
    tagIUMCErrors error = static_cast<tagIUMCErrors>(-1);
    answer.hr = info->GetDevices(out[0].Get(), out[1].Get(), out[2].Get(), &alarms, &error);
    answer.alarms = alarms;
    answer.error = error;
    ReadOutputs(answer, out);
    return answer;
}

// GetTOs, or GetTOsWithTypes when `withTypes`.
Answer TOs(IUMCInfo* info, const wchar_t* device, bool withTypes) {
    Answer answer;
    std::vector<Variant> out(withTypes ? 3 : 2);
    const Bstr name(device ? device : L"");
    BSTR devName = device ? name.Get() : nullptr;
    tagIUMCErrors error = static_cast<tagIUMCErrors>(-1);
    answer.hr = withTypes ? info->GetTOsWithTypes(devName, out[0].Get(), out[1].Get(), out[2].Get(), &error)
                          : info->GetTOs(devName, out[0].Get(), out[1].Get(), &error);
    answer.error = error;
    ReadOutputs(answer, out);
    return answer;
}

}  // namespace

TEST(GetDevices, ListsTheElementChildrenOfDevices) {
    const struct {
        const char* xml;  // null: no project file
        HRESULT hr;
        LONG error;
        std::vector<Texts> arrays;  // names, checksums, addresses
        LONG alarms;
    } rows[] = {
        {R"(<R><DEVICES><D1 CheckSum="12AB" MPIDefault="2"/><D2/></DEVICES></R>)",
         S_OK,
         IUMC_OK,
         {{L"D1", L"D2"}, {L"12AB", L""}, {L"2", L""}},
         0},
        {R"(<R><SIMPLE><U7SQ/><U7DIAG/></SIMPLE><DEVICES><!--a--><D1 CheckSum="12AB" MPIDefault="2"/>)"
         R"(text<!--b--><D2/></DEVICES></R>)",
         S_OK,
         IUMC_OK,
         {{L"D1", L"D2"}, {L"12AB", L""}, {L"2", L""}},
         5},
        {"<R><CONDITIONAL><TOPOSAXIS/></CONDITIONAL><DEVICES/></R>", S_OK, IUMC_ERROR_XMLFILE_NODEV, {{}, {}, {}}, 2},
        {"<R><DEVICES><!--none--></DEVICES></R>", S_OK, IUMC_OK, {{}, {}, {}}, 0},
        {"<R><DEVICES><D1/></DEVICES><X><DEVICES/></X></R>", E_FAIL, IUMC_ERROR_XMLFILE_DEVICE, {}, 0},
        {"<R><D1/></R>", E_FAIL, IUMC_ERROR_XMLFILE_DEVICE, {}, 0},
        {"not a project file", E_FAIL, IUMC_ERROR_XMLFILE_GENERAL, {}, 0},
        {nullptr, E_FAIL, IUMC_ERROR_XMLFILE_GENERAL, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.xml ? row.xml : "no file");
        ProjectDirectory directory;
        if (row.xml) directory.WriteProject(row.xml);
        auto info = CreateComponent<IUMCInfo>();
        ASSERT_TRUE(info);
        const Answer answer = Devices(info.Get());
        EXPECT_EQ(answer.hr, row.hr);
        EXPECT_EQ(answer.error, row.error);
        EXPECT_EQ(answer.arrays, row.arrays);
        EXPECT_EQ(answer.alarms, row.alarms);
    }
}

TEST(GetDevices, RefusedOutputsAndNullPointersChangeNothing) {
    ProjectDirectory directory;
    directory.WriteProject("<R><DEVICES><D1/></DEVICES></R>");
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    // Positions 0 to 2 hold VT_NULL or VT_ERROR; positions 3 to 7 are null.
    for (int position = 0; position < 8; ++position) {
        SCOPED_TRACE(position);
        VARTYPE types[3] = {VT_EMPTY, VT_EMPTY, VT_EMPTY};
        if (position < 3) types[position] = position == 1 ? VT_ERROR : VT_NULL;
        VARIANT out[3] = {OfType(types[0]), OfType(types[1]), OfType(types[2])};
        tagAlarmTypes alarms = static_cast<tagAlarmTypes>(77);
        tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
        const auto slot = [&](int k) { return position == k + 3 ? nullptr : &out[k]; };
        EXPECT_EQ(info->GetDevices(slot(0), slot(1), slot(2), position == 6 ? nullptr : &alarms,
                                   position == 7 ? nullptr : &error),
                  position < 3 ? E_INVALIDARG : E_POINTER);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(V_VT(&out[k]), types[k]);
        EXPECT_EQ(alarms, 77);
        EXPECT_EQ(error, 77);
    }
}

namespace {

// D2 mixes TOs with a comment, an element not named "RT..." and names too
// short for an address; "Dup" also occurs outside DEVICES.
constexpr char kToProject[] =
    R"(<R><DEVICES>)"
    R"(<D1><RT1 Name="Axis1" TypeID="4516CE52-32EB-11D3-8F3C-00105A2DC995"/><RT17 Name="Cam"/></D1>)"
    R"(<D2><RT3 Name="A"/><!--note--><XY5 Name="X" TypeID="T"/><R/><RT TypeID="U"/></D2>)"
    R"(<D3/><Dup><RT1 Name="Hidden"/></Dup>)"
    R"(</DEVICES><Other><Dup/></Other></R>)";

}  // namespace

TEST(GetTOs, BothMethodsPerDevice) {
    ProjectDirectory directory;
    directory.WriteProject(kToProject);
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    const Answer notFound{E_INVALIDARG, IUMC_OK, {}, -1};
    const struct {
        const wchar_t* device;
        Answer all;    // GetTOs: names, addresses
        Answer typed;  // GetTOsWithTypes: names, addresses, type ids
    } rows[] = {
        {L"D1",
         {S_OK, IUMC_OK, {{L"Axis1", L"Cam"}, {L"1", L"17"}}, -1},
         {S_OK, IUMC_OK, {{L"Axis1", L"Cam"}, {L"1", L"17"}, {L"4516CE52-32EB-11D3-8F3C-00105A2DC995", L""}}, -1}},
        {L"D2",
         {S_OK, IUMC_ERROR_XMLFILE_TOINFO, {{L"A", L"X", L"", L""}, {L"3", L"5", L"", L""}}, -1},
         {S_OK, IUMC_OK, {{L"A", L""}, {L"3", L""}, {L"", L"U"}}, -1}},
        {L"D3", {S_OK, IUMC_OK, {{}, {}}, -1}, {S_OK, IUMC_OK, {{}, {}, {}}, -1}},
        {L"d1", notFound, notFound},
        {L"Dup", notFound, notFound},
        {L"Nowhere", notFound, notFound},
        {L"", notFound, notFound},
        {nullptr, notFound, notFound},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.device ? row.device : L"(null)");
        for (bool withTypes : {true, false}) {
            const Answer& expected = withTypes ? row.typed : row.all;
            const Answer answer = TOs(info.Get(), row.device, withTypes);
            EXPECT_EQ(answer.hr, expected.hr);
            EXPECT_EQ(answer.error, expected.error);
            EXPECT_EQ(answer.arrays, expected.arrays);
        }
    }
}

// The DOM reads "*" as every element; as a name it finds none, even in a
// file of a single element.
TEST(GetTOs, WildcardNamesNoDevice) {
    ProjectDirectory directory;
    directory.WriteProject("<Only><!--x--></Only>");
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    EXPECT_EQ(TOs(info.Get(), L"Only", true).hr, S_OK);
    EXPECT_EQ(TOs(info.Get(), L"*", true).hr, E_INVALIDARG);
    EXPECT_EQ(TOs(info.Get(), L"*", false).hr, E_INVALIDARG);
}

TEST(GetTOs, RefusedOutputsAndNullPointers) {
    ProjectDirectory directory;
    directory.WriteProject(kToProject);
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    const Bstr device(L"D1");
    // A refused output stops the call; the ones before it are already
    // re-initialised (GetTOs) or cleared (GetTOsWithTypes), the rest untouched.
    for (int position = 0; position < 3; ++position) {
        SCOPED_TRACE(position);
        CountedObject held;
        VARIANT out[3];
        const auto fill = [&] {
            for (int k = 0; k < 3; ++k) out[k] = k == position ? OfType(VT_NULL) : held.Held();
            return held.Count();
        };
        const auto expectTypes = [&] {
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(V_VT(&out[k]), k < position ? VT_EMPTY : k == position ? VT_NULL : VT_UNKNOWN);
        };
        tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
        if (position < 2) {
            const LONG before = fill();
            EXPECT_EQ(info->GetTOs(device.Get(), &out[0], &out[1], &error), E_INVALIDARG);
            EXPECT_EQ(held.Count(), before);
            expectTypes();
        }
        const LONG before = fill();
        EXPECT_EQ(info->GetTOsWithTypes(device.Get(), &out[0], &out[1], &out[2], &error), E_INVALIDARG);
        EXPECT_EQ(held.Count(), before - position);
        expectTypes();
        EXPECT_EQ(error, 77);
    }
    Variant a, b, c;
    tagIUMCErrors error = IUMC_OK;
    EXPECT_EQ(info->GetTOs(device.Get(), nullptr, b.Get(), &error), E_POINTER);
    EXPECT_EQ(info->GetTOs(device.Get(), a.Get(), b.Get(), nullptr), E_POINTER);
    EXPECT_EQ(info->GetTOsWithTypes(device.Get(), a.Get(), b.Get(), nullptr, &error), E_POINTER);
    EXPECT_EQ(info->GetTOsWithTypes(device.Get(), a.Get(), b.Get(), c.Get(), nullptr), E_POINTER);
}

// GetDevices, GetTOs and GetConnectionInfo overwrite the caller's VARIANTs
// without releasing them; GetTOsWithTypes releases them first.
TEST(DeviceInfoOutputs, ReinitialisedOrCleared) {
    ProjectDirectory directory;
    directory.WriteProject(kToProject);
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    const Bstr device(L"D1");
    BSTR devName = device.Get();
    tagIUMCErrors error = IUMC_OK;
    tagAlarmTypes alarms = ALARM_TYPE_NONE;
    for (int method = 0; method < 4; ++method) {
        SCOPED_TRACE(method);
        CountedObject held;
        VARIANT out[3] = {held.Held(), held.Held(), held.Held()};
        HRESULT hr = E_UNEXPECTED;
        if (method == 0) hr = info->GetDevices(&out[0], &out[1], &out[2], &alarms, &error);
        if (method == 1) hr = info->GetTOs(devName, &out[0], &out[1], &error);
        if (method == 2) hr = info->GetTOsWithTypes(devName, &out[0], &out[1], &out[2], &error);
        if (method == 3) hr = info->GetConnectionInfo(&devName, CONFIG_TIMEOUT, &out[0], &error);
        EXPECT_EQ(hr, S_OK);
        const int written = method == 1 ? 2 : method == 3 ? 1 : 3;
        EXPECT_EQ(held.Count(), method == 2 ? 1 : 4);
        for (int k = 0; k < written; ++k) {
            EXPECT_NE(V_VT(&out[k]), VT_UNKNOWN);
            VariantClear(&out[k]);
        }
    }
}

// pError is the [out, retval]: late-bound callers get it as the result.
TEST(DeviceInfoLateBound, DeviceAndToQueriesByName) {
    ProjectDirectory directory;
    directory.WriteProject(R"(<R><SIMPLE><U7SQ/></SIMPLE><DEVICES><D1 CheckSum="C1" MPIDefault="4">)"
                           R"(<RT2 Name="Axis" TypeID="T2"/><!--c--><QX9 Name="Q"/></D1></DEVICES></R>)");
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);

    Variant names, checkSums, addresses;
    LONG alarms = -1;
    const InvokeResult devices =
        InvokeByName(info.Get(), L"GetDevices",
                     {ByRef(names.Get()), ByRef(checkSums.Get()), ByRef(addresses.Get()), ByRef(&alarms)});
    EXPECT_EQ(devices.hr, S_OK);
    EXPECT_EQ(V_I4(&devices.value), IUMC_OK);
    EXPECT_EQ(alarms, ALARM_TYPE_PROJECT);
    EXPECT_EQ(TextsOf(*names.Get()), Texts{L"D1"});
    EXPECT_EQ(TextsOf(*checkSums.Get()), Texts{L"C1"});
    EXPECT_EQ(TextsOf(*addresses.Get()), Texts{L"4"});

    Variant toNames, rtAddresses, typeIds;
    const InvokeResult tos =
        InvokeByName(info.Get(), L"GetTOs", {Text(L"D1"), ByRef(toNames.Get()), ByRef(rtAddresses.Get())});
    EXPECT_EQ(tos.hr, S_OK);
    EXPECT_EQ(V_I4(&tos.value), IUMC_ERROR_XMLFILE_TOINFO);
    EXPECT_EQ(TextsOf(*rtAddresses.Get()), (Texts{L"2", L"9"}));

    const InvokeResult typed =
        InvokeByName(info.Get(), L"GetTOsWithTypes",
                     {Text(L"D1"), ByRef(toNames.Receive()), ByRef(rtAddresses.Receive()), ByRef(typeIds.Get())});
    EXPECT_EQ(typed.hr, S_OK);
    EXPECT_EQ(V_I4(&typed.value), IUMC_OK);
    EXPECT_EQ(TextsOf(*toNames.Get()), Texts{L"Axis"});
    EXPECT_EQ(TextsOf(*typeIds.Get()), Texts{L"T2"});

    const InvokeResult missing =
        InvokeByName(info.Get(), L"GetTOs", {Text(L"d1"), ByRef(toNames.Receive()), ByRef(rtAddresses.Receive())});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.scode, E_INVALIDARG);
}
