// A late-bound client: every method of IUMCInfo, IEventMessageIds and IEventModel
// called by name through IDispatch::Invoke with typed by-reference
// arguments, as a client written against the type library calls them.
// Failures arrive as DISP_E_EXCEPTION with the method's code in scode, and
// S_FALSE reads as S_OK through Invoke.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/eventserver/EventTestSupport.h"
#include "tests/interop/InteropProject.h"
#include "tests/support/LateBinding.h"

namespace {

using Texts = std::vector<std::wstring>;
using Numbers = std::vector<LONG>;

// An out VARIANT that a call fills and the test releases.
struct Out {
    Variant value;
    VARIANT Ref() { return ByRef(value.Get()); }
    VARTYPE Type() const { return V_VT(&*value); }
};

std::vector<SHORT> ShortsOf(const VARIANT& value) {
    std::vector<SHORT> out;
    const auto [low, high] = Bounds(value);
    for (LONG i = low; i <= high; ++i) {
        SHORT element = 0;
        SafeArrayGetElement(V_ARRAY(&value), &i, &element);
        out.push_back(element);
    }
    return out;
}

template <class Interface>
ComPtr<Interface> LoadedComponent() {
    PointAtInteropProject();
    ComPtr<IEventInfoInit> init = CreateComponent<IEventInfoInit>();
    ComPtr<Interface> object;
    if (init && init->ParseXML(nullptr) == S_OK) init.As(&object);
    return object;
}

}  // namespace

TEST(LateBoundClient, UmcInfoByName) {
    PointAtInteropProject();
    // GetDevices loads the project by itself on a fresh object.
    ComPtr<IUMCInfo> info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);

    Out names, checkSums, addresses;
    LONG alarms = -1;
    InvokeResult devices =
        InvokeByName(info.Get(), L"GetDevices", {names.Ref(), checkSums.Ref(), addresses.Ref(), ByRef(&alarms)});
    ASSERT_EQ(devices.hr, S_OK);
    EXPECT_EQ(V_VT(&devices.value), VT_I4);
    EXPECT_EQ(V_I4(&devices.value), IUMC_OK);
    EXPECT_EQ(alarms, ALARM_TYPE_PROJECT | ALARM_TYPE_TO | ALARM_TYPE_DIAGBUFFER);
    ASSERT_EQ(names.Type(), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(TextsOf(*names.value), (Texts{L"PLC1", L"PLC2"}));
    EXPECT_EQ(TextsOf(*checkSums.value), (Texts{L"12AB34CD", L"99EE0011"}));
    EXPECT_EQ(TextsOf(*addresses.value), (Texts{L"2", L"3"}));

    for (const wchar_t* method : {L"GetTOs", L"GetTOsWithTypes"}) {
        SCOPED_TRACE(std::string(method, method + wcslen(method)));
        Out toNames, runtimeAddresses, typeIds;
        std::vector<VARIANT> arguments = {Text(L"PLC1"), toNames.Ref(), runtimeAddresses.Ref()};
        const bool withTypes = wcscmp(method, L"GetTOsWithTypes") == 0;
        if (withTypes) arguments.push_back(typeIds.Ref());
        InvokeResult tos = InvokeByName(info.Get(), method, arguments);
        ASSERT_EQ(tos.hr, S_OK);
        EXPECT_EQ(V_I4(&tos.value), IUMC_OK);
        EXPECT_EQ(TextsOf(*toNames.value), Texts{L"Conveyor"});
        EXPECT_EQ(TextsOf(*runtimeAddresses.value), Texts{L"1"});
        if (withTypes) {
            EXPECT_EQ(TextsOf(*typeIds.value), Texts{L"25A0AFB1-337A-11D3-8F3E-00105A2DC995"});
        }
    }

    // The device name travels as a BSTR by reference, the parameter id as
    // the enumeration's value.
    const struct {
        LONG parameter;
        VARTYPE type;
        const wchar_t* text;
    } parameters[] = {
        {CONFIG_CONNNAME, VT_BSTR, L"Plant connection"},  // from ConnectionInfo
        {CONFIG_TIMEOUT, VT_UI4, L"5000"},                // the device's own
        {CONFIG_CREDITS, VT_UI1, L"4"},
    };
    for (const auto& row : parameters) {
        BSTR device = SysAllocString(L"PLC1");
        Out value;
        InvokeResult result =
            InvokeByName(info.Get(), L"GetConnectionInfo", {ByRef(&device), Long(row.parameter), value.Ref()});
        SysFreeString(device);
        ASSERT_EQ(result.hr, S_OK) << row.parameter;
        EXPECT_EQ(V_I4(&result.value), IUMC_OK) << row.parameter;
        ASSERT_EQ(value.Type(), row.type) << row.parameter;
        Variant text;
        ASSERT_EQ(VariantChangeType(text.Get(), value.value.Get(), 0, VT_BSTR), S_OK);
        EXPECT_STREQ(V_BSTR(&*text), row.text);
    }
}

TEST(LateBoundClient, EventMessageIdsByName) {
    ComPtr<IEventMessageIds> a = LoadedComponent<IEventMessageIds>();
    ASSERT_TRUE(a);
    const Texts userAlarmIds = {L"ID00000011", L"ID00000012"};

    Out byCategory;
    ASSERT_EQ(InvokeByName(a.Get(), L"GetCategoryMessageIds", {Long(kUserAlarms), byCategory.Ref()}).hr, S_OK);
    ASSERT_EQ(byCategory.Type(), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(TextsOf(*byCategory.value), userAlarmIds);

    Out bySource;
    ASSERT_EQ(InvokeByName(a.Get(), L"GetSourceMessageIds", {Text(L"/PLC1/U7SQ"), bySource.Ref()}).hr, S_OK);
    EXPECT_EQ(TextsOf(*bySource.value), userAlarmIds);
    Out unknown;
    const InvokeResult wrongCase = InvokeByName(a.Get(), L"GetSourceMessageIds", {Text(L"/plc1/U7SQ"), unknown.Ref()});
    EXPECT_EQ(wrongCase.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(wrongCase.scode, E_INVALIDARG);

    Out sub;
    ASSERT_EQ(InvokeByName(a.Get(), L"GetSubMessageIds", {Long(0), sub.Ref()}).hr, S_OK);
    EXPECT_EQ(sub.Type(), VT_EMPTY);

    Out argument;
    const InvokeResult refused = InvokeByName(a.Get(), L"QueryUnsupported", {argument.Ref()});
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.scode, E_NOTIMPL);
}

TEST(LateBoundClient, EventModelByName) {
    ComPtr<IEventModel> b = LoadedComponent<IEventModel>();
    ASSERT_TRUE(b);

    LONG handle = 0;
    ASSERT_EQ(InvokeByName(b.Get(), L"CreateSubscription", {ByRef(&handle)}).hr, S_OK);
    EXPECT_EQ(handle, 1);

    Out ids, descriptions;
    ASSERT_EQ(InvokeByName(b.Get(), L"GetCategories", {Long(0x70), ids.Ref(), descriptions.Ref()}).hr, S_OK);
    EXPECT_EQ(LongsOf(*ids.value), (Numbers{kSystemDiagnosis, kUserAlarms, kPositioningAxes}));
    EXPECT_EQ(TextsOf(*descriptions.value), (Texts{L"System diagnosis", L"User alarms", L"Positioning axes"}));

    Out attributeIds, valueTypes, attributeTexts;
    ASSERT_EQ(InvokeByName(b.Get(), L"GetCategoryAttributes",
                           {Long(kUserAlarms), attributeIds.Ref(), valueTypes.Ref(), attributeTexts.Ref()})
                  .hr,
              S_OK);
    EXPECT_EQ(LongsOf(*attributeIds.value), (Numbers{-1, 1, kAreaAttribute, 5051, 5052}));
    EXPECT_EQ(ShortsOf(*valueTypes.value), (std::vector<SHORT>{VT_BSTR, VT_SAFEARRAY, VT_BSTR, VT_BSTR, VT_BSTR}));
    EXPECT_EQ(TextsOf(*attributeTexts.value)[2], L"Plant area");

    // An attribute the category lacks is refused at its position.
    Out selectResults;
    ASSERT_EQ(InvokeByName(
                  b.Get(), L"SelectAttributes",
                  {Long(handle), Long(kUserAlarms), LongArray({-1, kAreaAttribute, 999}).Detach(), selectResults.Ref()})
                  .hr,
              S_OK);
    EXPECT_EQ(LongsOf(*selectResults.value), (Numbers{S_OK, S_OK, static_cast<LONG>(0x80040206)}));
    Out selected;
    ASSERT_EQ(InvokeByName(b.Get(), L"GetSelectedAttributes", {Long(handle), Long(kUserAlarms), selected.Ref()}).hr,
              S_OK);
    EXPECT_EQ(LongsOf(*selected.value), (Numbers{-1, kAreaAttribute}));

    // One user alarm with its associated value 300 (two bytes, most
    // significant first) in English.
    Out reserved, alarmTypes, categoryIds, eventAttributeIds, attributeValues, results;
    const InvokeResult resolved =
        InvokeByName(b.Get(), L"ResolveEvents",
                     {Long(handle), Long(0x0409), TextArray({L"Alarm17"}).Detach(), TextArray({L"/PLC1/U7SQ"}).Detach(),
                      Variants(Variants(LongValue(1))).Detach(), Variants(Variants(ByteArray({0x01, 0x2C}))).Detach(),
                      reserved.Ref(), alarmTypes.Ref(), categoryIds.Ref(), eventAttributeIds.Ref(),
                      attributeValues.Ref(), results.Ref()});
    ASSERT_EQ(resolved.hr, S_OK);
    EXPECT_EQ(reserved.Type(), VT_EMPTY);
    EXPECT_EQ(LongsOf(*alarmTypes.value), Numbers{ALARM_TYPE_PROJECT});
    EXPECT_EQ(LongsOf(*categoryIds.value), Numbers{kUserAlarms});
    EXPECT_EQ(LongsOf(*results.value), Numbers{S_OK});
    EXPECT_EQ(LongsOf(*ElementOf(*eventAttributeIds.value, 0)), (Numbers{-1, kAreaAttribute}));
    EXPECT_EQ(TextsOf(*ElementOf(*attributeValues.value, 0)), (Texts{L"Level 300 mm", L"Tank"}));

    // Without events the call checks a language.
    Out r1, r2, r3, r4, r5, r6;
    VARIANT none;
    VariantInit(&none);
    EXPECT_EQ(InvokeByName(b.Get(), L"ResolveEvents",
                           {Long(0), Long(0x0407), none, none, none, none, r1.Ref(), r2.Ref(), r3.Ref(), r4.Ref(),
                            r5.Ref(), r6.Ref()})
                  .hr,
              S_OK);
    EXPECT_EQ(r3.Type(), VT_EMPTY);

    ASSERT_EQ(InvokeByName(b.Get(), L"DeleteSubscription", {Long(handle)}).hr, S_OK);
    const InvokeResult again = InvokeByName(b.Get(), L"DeleteSubscription", {Long(handle)});
    EXPECT_EQ(again.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(again.scode, E_INVALIDARG);
}
