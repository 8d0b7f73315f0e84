// IDispatch of interfaces A, B and IUMCInfo, answered from the registered
// type libraries.

#include <gtest/gtest.h>

#include "tests/support/LateBinding.h"
#include "tests/support/TestSupport.h"

TEST(Dispatch, TypeInformationOfEachInterface) {
    struct Row {
        IID iid;
        const wchar_t* name;
    };
    const Row rows[] = {{__uuidof(IEventMessageIds), L"IEventMessageIds"},
                        {__uuidof(IEventModel), L"IEventModel"},
                        {__uuidof(IUMCInfo), L"IUMCInfo"}};
    auto object = CreateComponent<IUnknown>();
    ASSERT_TRUE(object);
    for (const Row& row : rows) {
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(object->QueryInterface(row.iid, reinterpret_cast<void**>(dispatch.GetAddressOf())), S_OK);
        UINT count = 0;
        EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
        ComPtr<ITypeInfo> typeInfo;
        ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &typeInfo), S_OK);
        BSTR name = nullptr;
        ASSERT_EQ(typeInfo->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
        EXPECT_STREQ(name, row.name);
        SysFreeString(name);
        EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &typeInfo), DISP_E_BADINDEX);
    }
}

TEST(Dispatch, UmcInfoDispatchIds) {
    auto info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    const struct {
        const wchar_t* name;
        DISPID id;
    } rows[] = {{L"GetDevices", 1}, {L"GetTOs", 2}, {L"GetTOsWithTypes", 3}, {L"GetConnectionInfo", 4}};
    for (const auto& row : rows) EXPECT_EQ(DispatchIdOf(info.Get(), row.name), row.id);
    EXPECT_EQ(DispatchIdOf(info.Get(), L"NoSuchMethod"), DISPID_UNKNOWN);
}

TEST(Dispatch, DefaultInterfaceCallsByName) {
    auto dispatch = CreateComponent<IDispatch>();
    ASSERT_TRUE(dispatch);
    VARIANT out;
    V_VT(&out) = VT_I4;
    V_I4(&out) = 3;
    const InvokeResult result = InvokeByName(dispatch.Get(), L"GetSubMessageIds", {Long(0), ByRef(&out)});
    EXPECT_EQ(result.hr, S_OK);
    EXPECT_EQ(V_VT(&out), VT_EMPTY);

    // A failure travels back as DISP_E_EXCEPTION with the method's own code.
    VARIANT argument;
    VariantInit(&argument);
    const InvokeResult refused = InvokeByName(dispatch.Get(), L"QueryUnsupported", {ByRef(&argument)});
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.scode, E_NOTIMPL);
}

TEST(Dispatch, EventModelCallsByNameWithTypedReferences) {
    auto object = CreateComponent<IEventModel>();
    ASSERT_TRUE(object);
    LONG handle = 0;
    ASSERT_EQ(InvokeByName(object.Get(), L"CreateSubscription", {ByRef(&handle)}).hr, S_OK);
    EXPECT_EQ(handle, 1);
    EXPECT_EQ(InvokeByName(object.Get(), L"DeleteSubscription", {Long(handle)}).hr, S_OK);
    const InvokeResult again = InvokeByName(object.Get(), L"DeleteSubscription", {Long(handle)});
    EXPECT_EQ(again.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(again.scode, E_INVALIDARG);
    EXPECT_EQ(InvokeByName(object.Get(), L"DeleteSubscription", {}).hr, DISP_E_BADPARAMCOUNT);
}

// Argument arrays the counts promise but a caller through the vtable left out.
TEST(Dispatch, InvokeRefusesArgumentCountsWithoutTheirArrays) {
    auto object = CreateComponent<IUnknown>();
    ASSERT_TRUE(object);
    VARIANT argument;
    VariantInit(&argument);
    DISPID named = DISPID_PROPERTYPUT;
    const struct {
        const char* what;
        DISPPARAMS parameters;
        HRESULT expected;
    } rows[] = {
        {"arguments without their array", {nullptr, nullptr, 2, 0}, E_INVALIDARG},
        {"named arguments without their ids", {&argument, nullptr, 1, 1}, E_INVALIDARG},
        {"more named arguments than arguments", {&argument, &named, 1, 2}, DISP_E_BADPARAMCOUNT},
    };
    for (const IID& iid : {__uuidof(IEventMessageIds), __uuidof(IEventModel), __uuidof(IUMCInfo)}) {
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(dispatch.GetAddressOf())), S_OK);
        for (const auto& row : rows) {
            DISPPARAMS parameters = row.parameters;
            EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr),
                      row.expected)
                << row.what;
        }
        EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
    }
}
