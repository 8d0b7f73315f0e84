// What a host learns of a failure besides its result: the error object each
// failing call of A, B, IUMCInfo and IEventInfoInit leaves on the thread,
// read by early-bound hosts through GetErrorInfo and by late-bound ones in
// EXCEPINFO; a successful call leaves none.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "component/ErrorReport.h"
#include "loading/TextConversion.h"
#include "tests/interop/InteropProject.h"
#include "tests/support/ArrayValues.h"
#include "tests/support/LateBinding.h"

namespace {

std::string Shown(const std::wstring& text) { return Utf8(text); }

class ErrorObjects : public testing::Test {
protected:
    void SetUp() override {
        PointAtInteropProject();
        ComPtr<IEventInfoInit> init = CreateComponent<IEventInfoInit>();
        ASSERT_TRUE(init);
        ASSERT_EQ(init->ParseXML(nullptr), S_OK);
        ASSERT_EQ(init.As(&m_a), S_OK);
        ASSERT_EQ(init.As(&m_b), S_OK);
        ASSERT_EQ(init.As(&m_info), S_OK);
        ASSERT_EQ(m_b->CreateSubscription(&m_handle), S_OK);
        m_init = init;
    }

    ComPtr<IEventInfoInit> m_init;
    ComPtr<IEventMessageIds> m_a;
    ComPtr<IEventModel> m_b;
    ComPtr<IUMCInfo> m_info;
    LONG m_handle = 0;
};

}  // namespace

TEST_F(ErrorObjects, EveryInterfaceTheHostCallsSaysSo) {
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(m_a.As(&support), S_OK);
    for (const IID* iid :
         {&__uuidof(IEventMessageIds), &__uuidof(IEventModel), &__uuidof(IUMCInfo), &__uuidof(IEventInfoInit)})
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(*iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IParseDisplayName), S_FALSE);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

TEST_F(ErrorObjects, EachFailureSaysWhyAndASuccessClearsIt) {
    struct Row {
        const IID& iid;
        std::function<HRESULT()> fail;
        HRESULT result;
        std::wstring description;
        std::function<HRESULT()> succeed;
    };
    Variant out, second, third;
    tagIUMCErrors error = IUMC_OK;
    tagAlarmTypes alarms{};
    Bstr unknownDevice(L"PLC9"), device(L"PLC1");
    const auto categoryIds = [&] { return m_a->GetCategoryMessageIds(kUserAlarms, out.Receive()); };
    const auto devices = [&] {
        return m_info->GetDevices(out.Receive(), second.Receive(), third.Receive(), &alarms, &error);
    };
    const std::wstring handle = std::to_wstring(m_handle);
    const VARIANT none{};
    const std::vector<Row> rows = {
        {__uuidof(IEventMessageIds), [&] { return m_a->GetCategoryMessageIds(12345, out.Receive()); }, E_INVALIDARG,
         L"GetCategoryMessageIds: the project has no event category 12345", categoryIds},
        {__uuidof(IEventMessageIds), [&] { return m_a->GetCategoryMessageIds(kUserAlarms, nullptr); }, E_POINTER,
         L"GetCategoryMessageIds: the argument messageIds is a null pointer", categoryIds},
        {__uuidof(IEventMessageIds),
         [&] {
             Bstr path(L"/plc1/U7SQ");
             return m_a->GetSourceMessageIds(path.Get(), out.Receive());
         },
         E_INVALIDARG, L"GetSourceMessageIds: the project has no event source '/plc1/U7SQ'", categoryIds},
        {__uuidof(IEventMessageIds), [&] { return m_a->GetSubMessageIds(0, nullptr); }, E_POINTER,
         L"GetSubMessageIds: the argument subMessageIds is a null pointer",
         [&] { return m_a->GetSubMessageIds(0, out.Receive()); }},
        {__uuidof(IEventMessageIds), [&] { return m_a->QueryUnsupported(out.Receive()); }, E_NOTIMPL,
         L"QueryUnsupported: this query is not supported", categoryIds},
        {__uuidof(IEventModel), [&] { return m_b->DeleteSubscription(999); }, E_INVALIDARG,
         L"DeleteSubscription: no subscription has the handle 999", categoryIds},
        {__uuidof(IEventModel), [&] { return m_b->CreateSubscription(nullptr); }, E_POINTER,
         L"CreateSubscription: the argument handle is a null pointer", categoryIds},
        {__uuidof(IEventModel), [&] { return m_b->GetCategories(-1, nullptr, out.Receive()); }, E_INVALIDARG,
         L"GetCategories: the argument categoryIds or descriptions is a null pointer",
         [&] { return m_b->GetCategories(-1, out.Receive(), second.Receive()); }},
        {__uuidof(IEventModel),
         [&] { return m_b->GetCategoryAttributes(77, out.Receive(), second.Receive(), third.Receive()); }, E_INVALIDARG,
         L"GetCategoryAttributes: the project has no event category 77", categoryIds},
        {__uuidof(IEventModel),
         [&] { return m_b->SelectAttributes(999, kUserAlarms, *LongArray({kAreaAttribute}), out.Receive()); },
         E_INVALIDARG, L"SelectAttributes: no subscription has the handle 999",
         [&] { return m_b->SelectAttributes(m_handle, kUserAlarms, *LongArray({kAreaAttribute}), out.Receive()); }},
        {__uuidof(IEventModel),
         [&] { return m_b->SelectAttributes(m_handle, kUserAlarms, *TextArray({L"26"}), out.Receive()); }, E_INVALIDARG,
         L"SelectAttributes: the argument attributeIds holds VARIANT type 8200, not an array of long (VT_ARRAY | "
         L"VT_I4)",
         categoryIds},
        {__uuidof(IEventModel), [&] { return m_b->GetSelectedAttributes(m_handle, kSystemDiagnosis, out.Receive()); },
         E_INVALIDARG,
         L"GetSelectedAttributes: subscription " + handle + L" has no attributes selected for category " +
             std::to_wstring(kSystemDiagnosis),
         categoryIds},
        {__uuidof(IEventModel),
         [&] {
             Variant r1, r2, r3, r4, r5, r6;
             return m_b->ResolveEvents(999, 0x409, *TextArray({L"Alarm17"}), *TextArray({L"/PLC1/U7SQ"}), none, none,
                                       r1.Get(), r2.Get(), r3.Get(), r4.Get(), r5.Get(), r6.Get());
         },
         E_INVALIDARG, L"ResolveEvents: no subscription has the handle 999", categoryIds},
        {__uuidof(IEventModel),
         [&] {
             Variant r1, r2, r3, r4, r5, r6;
             return m_b->ResolveEvents(m_handle, 0x409, *LongArray({17}), *TextArray({L"/PLC1/U7SQ"}), none, none,
                                       r1.Get(), r2.Get(), r3.Get(), r4.Get(), r5.Get(), r6.Get());
         },
         E_INVALIDARG, L"ResolveEvents: the arguments messageNames and sources must both be arrays of strings",
         categoryIds},
        {__uuidof(IUMCInfo),
         [&] { return m_info->GetTOs(unknownDevice.Get(), out.Receive(), second.Receive(), &error); }, E_INVALIDARG,
         L"GetTOs: the project has no device 'PLC9': no single element has that tag name", devices},
        {__uuidof(IUMCInfo),
         [&] {
             return m_info->GetTOsWithTypes(unknownDevice.Get(), out.Receive(), second.Receive(), third.Receive(),
                                            &error);
         },
         E_INVALIDARG, L"GetTOsWithTypes: the project has no device 'PLC9': no single element has that tag name",
         devices},
        {__uuidof(IUMCInfo),
         [&] {
             BSTR name = device.Get();
             return m_info->GetConnectionInfo(&name, static_cast<tagConfigParams>(99), out.Receive(), &error);
         },
         E_INVALIDARG, L"GetConnectionInfo: the argument ParamID 99 names no connection parameter", devices},
        {__uuidof(IUMCInfo),
         [&] {
             Variant refused;
             V_VT(refused.Get()) = VT_ERROR;
             return m_info->GetDevices(refused.Get(), second.Receive(), third.Receive(), &alarms, &error);
         },
         E_INVALIDARG, L"GetDevices: an output argument holds VT_ERROR or VT_NULL, which marks it as not to be written",
         devices},
        {__uuidof(IUMCInfo), [&] { return m_info->GetDevices(nullptr, nullptr, nullptr, nullptr, nullptr); }, E_POINTER,
         L"GetDevices: one of the arguments is a null pointer", devices},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Shown(row.description));
        ASSERT_EQ(row.fail(), row.result);
        const ErrorObject taken = TakeErrorObject();
        ASSERT_TRUE(taken.present);
        EXPECT_EQ(taken.description, row.description);
        EXPECT_EQ(taken.source, kProgId);
        EXPECT_EQ(taken.iid, row.iid);

        // A failure's object stays until the next call of the thread's
        // objects; a success leaves none.
        row.fail();
        EXPECT_TRUE(SUCCEEDED(row.succeed()));
        EXPECT_FALSE(TakeErrorObject().present);
    }
}

// The load names what it tried and what was wrong with it.
TEST_F(ErrorObjects, AFailedLoadSaysWhatWasWrong) {
    const ProjectDirectory directory;
    struct Row {
        std::function<void()> prepare;
        std::vector<std::wstring> wordsOfTheDescription;
    } rows[] = {
        {[&] { DeleteDataPathKey(); },
         {L"ParseXML: the registry value \"VELOX_DataPath\" of "
          L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ORBANEX\\TALMERO_NET\\General\\Paths cannot be read: ",
          L"; cannot open the project file '"}},
        {[&] { SetDataPath(directory.Base() + L"\\missing"); },
         {L"ParseXML: cannot open the project file '" + directory.Base() + L"\\missing\\", L"OPC_AE.xml': "}},
        {[&] {
             directory.WriteProject("<?xml version=\"1.0\"?>\n<Project>\n  <DEVICES <\n</Project>\n");
             SetDataPath(directory.Base());
         },
         {L"ParseXML: the project file '" + directory.ProjectFile() + L"' is not well-formed XML: ", L" (line "}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Shown(row.wordsOfTheDescription.front()));
        row.prepare();
        EXPECT_EQ(m_init->ParseXML(nullptr), E_INVALIDARG);
        const ErrorObject taken = TakeErrorObject();
        ASSERT_TRUE(taken.present);
        EXPECT_EQ(taken.iid, __uuidof(IEventInfoInit));
        for (const std::wstring& words : row.wordsOfTheDescription)
            EXPECT_NE(taken.description.find(words), std::wstring::npos) << Shown(taken.description);
    }
    PointAtInteropProject();
    EXPECT_EQ(m_init->ParseXML(nullptr), S_OK);
    EXPECT_FALSE(TakeErrorObject().present);
}

// A device query on an object whose load failed says why the load failed.
TEST_F(ErrorObjects, ADeviceQueryAfterAFailedLoadGivesTheLoadsReason) {
    const ProjectDirectory directory;
    SetDataPath(directory.Base() + L"\\missing");
    ComPtr<IUMCInfo> info = CreateComponent<IUMCInfo>();
    ASSERT_TRUE(info);
    Variant names, sums, addresses;
    tagAlarmTypes alarms{};
    tagIUMCErrors error = IUMC_OK;
    EXPECT_EQ(info->GetDevices(names.Get(), sums.Get(), addresses.Get(), &alarms, &error), E_FAIL);
    EXPECT_EQ(error, IUMC_ERROR_XMLFILE_GENERAL);
    const ErrorObject taken = TakeErrorObject();
    EXPECT_EQ(taken.description.rfind(L"GetDevices: no project is loaded: cannot open the project file '", 0), 0u)
        << Shown(taken.description);
    PointAtInteropProject();
}

// Through IDispatch the platform's Invoke hands the error object on in
// EXCEPINFO, with DISP_E_EXCEPTION and the method's result as scode.
TEST_F(ErrorObjects, LateBoundCallersFindTheWordsInExcepInfo) {
    Variant ids;
    const InvokeResult failed = InvokeByName(m_a.Get(), L"GetCategoryMessageIds", {Long(12345), ByRef(ids.Get())});
    EXPECT_EQ(failed.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(failed.scode, E_INVALIDARG);
    EXPECT_EQ(failed.source, kProgId);
    EXPECT_EQ(failed.description, L"GetCategoryMessageIds: the project has no event category 12345");
    VariantClear(const_cast<VARIANT*>(&failed.value));

    Variant names, addresses;
    const InvokeResult tos =
        InvokeByName(m_info.Get(), L"GetTOs", {Text(L"PLC9"), ByRef(names.Get()), ByRef(addresses.Get())});
    EXPECT_EQ(tos.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(tos.description, L"GetTOs: the project has no device 'PLC9': no single element has that tag name");
}

// Hosts that discover the class ask the object for its type information.
TEST_F(ErrorObjects, TheObjectDescribesItsClass) {
    ComPtr<IProvideClassInfo> provider;
    ASSERT_EQ(m_a.As(&provider), S_OK);
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(provider->GetClassInfo(&type), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_EQ(attributes->guid, CLSID_EventInfoObj);
    EXPECT_EQ(attributes->cImplTypes, 4);
    type->ReleaseTypeAttr(attributes);
    EXPECT_EQ(provider->GetClassInfo(nullptr), E_POINTER);
}

// Invoke refuses parameter blocks the platform's Invoke would misread, and
// says which.
TEST_F(ErrorObjects, InvokeSaysWhyItRefusesTheParameters) {
    VARIANT argument{};
    DISPPARAMS noArray = {nullptr, nullptr, 1, 0};
    DISPPARAMS tooManyNamed = {&argument, nullptr, 0, 1};
    const struct {
        DISPPARAMS* parameters;
        HRESULT result;
        const wchar_t* description;
    } rows[] = {
        {nullptr, E_INVALIDARG, L"Invoke: the argument DISPPARAMS is a null pointer"},
        {&noArray, E_INVALIDARG, L"Invoke: DISPPARAMS counts arguments but has no array of them"},
        {&tooManyNamed, DISP_E_BADPARAMCOUNT, L"Invoke: DISPPARAMS names more arguments than it has"},
    };
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(m_b.As(&dispatch), S_OK);
    for (const auto& row : rows) {
        EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, row.parameters, nullptr, nullptr, nullptr),
                  row.result);
        EXPECT_EQ(TakeErrorObject().description, row.description);
    }
}
