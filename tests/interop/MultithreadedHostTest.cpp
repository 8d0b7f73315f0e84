// A host in the multithreaded apartment, as an alarms-and-events server may
// be: it creates the apartment-threaded object through COM, which puts the
// object in a host apartment and hands out proxies of the type library
// marshaler. Every method of every interface must answer through them
// exactly as it answers a caller in the object's own apartment.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "component/ErrorReport.h"
#include "loading/TextConversion.h"
#include "tests/interop/InteropProject.h"
#include "tests/support/ArrayValues.h"

namespace {

using Transcript = std::vector<std::wstring>;

std::string Shown(const std::wstring& text) { return Utf8(text); }

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    swprintf(text, 16, L"%08lX", static_cast<unsigned long>(hr));
    return text;
}

// A value as text, with its type and, for an array, its lower bound.
std::wstring Shown(const VARIANT& value) {
    std::wstring text = std::to_wstring(V_VT(&value)) + L":";
    if (V_VT(&value) & VT_ARRAY) {
        LONG low = 0;
        SafeArrayGetLBound(V_ARRAY(&value), 1, &low);
        text += L"from " + std::to_wstring(low) + L" ";
    }
    return text + Show(value);
}

// The error object a failed call left, if any, as its words.
std::wstring ErrorWords() {
    const ErrorObject taken = TakeErrorObject();
    return taken.present ? L" (" + taken.description + L")" : L": none";
}

struct Answers {
    Transcript calls;         // each call's result and outputs
    Transcript errorObjects;  // the words of each failed call's error object
};

// Records calls: the method, its result and its outputs, and apart from
// them the error object a failure left.
class Recorder {
public:
    void Call(const std::wstring& what, HRESULT hr, std::initializer_list<const VARIANT*> outputs = {},
              const std::wstring& more = {}) {
        std::wstring line = what + L" -> " + Hex(hr) + more;
        for (const VARIANT* output : outputs) line += L" | " + Shown(*output);
        m_answers.calls.push_back(std::move(line));
        if (FAILED(hr)) m_answers.errorObjects.push_back(what + ErrorWords());
    }
    Answers Take() { return std::move(m_answers); }

private:
    Answers m_answers;
};

void CallEventMessageIds(IEventMessageIds* a, Recorder& record) {
    Variant ids;
    for (LONG category : {kUserAlarms, kSystemDiagnosis, 12345L})
        record.Call(L"GetCategoryMessageIds " + std::to_wstring(category),
                    a->GetCategoryMessageIds(category, ids.Receive()), {ids.Get()});
    for (const wchar_t* source : {L"/PLC1/U7SQ", L"/PLC1/RT1", L"/plc1/U7SQ"}) {
        Bstr path(source);
        record.Call(L"GetSourceMessageIds " + std::wstring(source), a->GetSourceMessageIds(path.Get(), ids.Receive()),
                    {ids.Get()});
    }
    record.Call(L"GetSubMessageIds", a->GetSubMessageIds(0, ids.Receive()), {ids.Get()});
    record.Call(L"QueryUnsupported", a->QueryUnsupported(ids.Receive()), {ids.Get()});
}

void CallEventModel(IEventModel* b, Recorder& record) {
    LONG handle = 0;
    record.Call(L"CreateSubscription", b->CreateSubscription(&handle), {}, L" " + std::to_wstring(handle));
    Variant ids, types, texts, results;
    record.Call(L"GetCategories", b->GetCategories(-1, ids.Receive(), texts.Receive()), {ids.Get(), texts.Get()});
    for (LONG category : {kUserAlarms, kPositioningAxes, 77L})
        record.Call(L"GetCategoryAttributes " + std::to_wstring(category),
                    b->GetCategoryAttributes(category, ids.Receive(), types.Receive(), texts.Receive()),
                    {ids.Get(), types.Get(), texts.Get()});
    record.Call(L"SelectAttributes",
                b->SelectAttributes(handle, kUserAlarms, *LongArray({-1, kAreaAttribute, 999}), results.Receive()),
                {results.Get()});
    record.Call(L"GetSelectedAttributes", b->GetSelectedAttributes(handle, kUserAlarms, ids.Receive()), {ids.Get()});
    record.Call(L"GetSelectedAttributes unselected", b->GetSelectedAttributes(handle, kSystemDiagnosis, ids.Receive()),
                {ids.Get()});

    Variant reserved, alarmTypes, categories, attributeIds, values;
    const VARIANT none{};
    const auto resolve = [&](const std::wstring& what, LONG language, const VARIANT& names, const VARIANT& sources,
                             const VARIANT& infos, const VARIANT& parameters) {
        record.Call(
            what,
            b->ResolveEvents(handle, language, names, sources, infos, parameters, reserved.Receive(),
                             alarmTypes.Receive(), categories.Receive(), attributeIds.Receive(), values.Receive(),
                             results.Receive()),
            {reserved.Get(), alarmTypes.Get(), categories.Get(), attributeIds.Get(), values.Get(), results.Get()});
    };
    resolve(L"ResolveEvents", 0x0409, *TextArray({L"Alarm17", L"Alarm18", L"Alarm17"}),
            *TextArray({L"/PLC1/U7SQ", L"/PLC1/U7SQ", L"/nowhere"}),
            *Variants(Variants(LongValue(1)), Variants(), Variants()),
            *Variants(Variants(ByteArray({0x01, 0x2C})), Variants(), Variants()));
    resolve(L"ResolveEvents language 0x0407", 0x0407, none, none, none, none);
    resolve(L"ResolveEvents language 0x0411", 0x0411, none, none, none, none);
    resolve(L"ResolveEvents numbers as names", 0x0409, *LongArray({17}), *TextArray({L"/PLC1/U7SQ"}), none, none);

    record.Call(L"DeleteSubscription", b->DeleteSubscription(handle));
    record.Call(L"DeleteSubscription again", b->DeleteSubscription(handle));
}

void CallUmcInfo(IUMCInfo* info, Recorder& record) {
    Variant names, sums, addresses, typeIds, value;
    tagAlarmTypes alarms{};
    tagIUMCErrors error = IUMC_OK;
    record.Call(L"GetDevices", info->GetDevices(names.Get(), sums.Get(), addresses.Get(), &alarms, &error),
                {names.Get(), sums.Get(), addresses.Get()},
                L" alarms " + std::to_wstring(alarms) + L" error " + std::to_wstring(error));
    for (const wchar_t* device : {L"PLC1", L"PLC9"}) {
        Bstr name(device);
        record.Call(L"GetTOs " + std::wstring(device),
                    info->GetTOs(name.Get(), names.Receive(), addresses.Receive(), &error),
                    {names.Get(), addresses.Get()}, L" error " + std::to_wstring(error));
        record.Call(L"GetTOsWithTypes " + std::wstring(device),
                    info->GetTOsWithTypes(name.Get(), names.Receive(), addresses.Receive(), typeIds.Receive(), &error),
                    {names.Get(), addresses.Get(), typeIds.Get()}, L" error " + std::to_wstring(error));
        for (LONG parameter = 0; parameter <= 31; ++parameter) {
            BSTR passed = name.Get();
            error = IUMC_OK;
            record.Call(
                L"GetConnectionInfo " + std::wstring(device) + L" " + std::to_wstring(parameter),
                info->GetConnectionInfo(&passed, static_cast<tagConfigParams>(parameter), value.Receive(), &error),
                {value.Get()}, L" error " + std::to_wstring(error));
        }
    }
}

void CallDispatch(IDispatch* dispatch, Recorder& record) {
    UINT count = 0;
    record.Call(L"GetTypeInfoCount", dispatch->GetTypeInfoCount(&count), {}, L" " + std::to_wstring(count));
    ComPtr<ITypeInfo> type;
    record.Call(L"GetTypeInfo", dispatch->GetTypeInfo(0, 0, &type));
    Bstr typeName;
    if (type) type->GetDocumentation(MEMBERID_NIL, typeName.Receive(), nullptr, nullptr, nullptr);
    record.Call(L"type name " + std::wstring(BstrView(typeName.Get())), S_OK);
    wchar_t method[] = L"GetSubMessageIds";
    LPOLESTR names[] = {method};
    DISPID id = 0;
    record.Call(L"GetIDsOfNames", dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), {}, L" " + std::to_wstring(id));
    Variant argument, reserved, result;
    V_VT(argument.Get()) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(argument.Get()) = result.Get();
    V_VT(reserved.Get()) = VT_I4;
    VARIANT arguments[] = {*argument, *reserved};  // in reverse order
    DISPPARAMS parameters = {arguments, nullptr, 2, 0};
    record.Call(L"Invoke GetSubMessageIds",
                dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr),
                {result.Get()});
}

// Every method of every interface, on an object created through COM by the
// calling thread, which loads the interop project.
Answers EveryAnswer() {
    Recorder record;
    ComPtr<IUnknown> object;
    record.Call(L"CoCreateInstance",
                CoCreateInstance(CLSID_EventInfoObj, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)));
    ComPtr<IEventInfoInit> init;
    ComPtr<IEventMessageIds> a;
    ComPtr<IEventModel> b;
    ComPtr<IUMCInfo> info;
    ComPtr<IDispatch> dispatch;
    if (!object) return record.Take();
    record.Call(L"QueryInterface IEventInfoInit", object.As(&init));
    record.Call(L"QueryInterface IEventMessageIds", object.As(&a));
    record.Call(L"QueryInterface IEventModel", object.As(&b));
    record.Call(L"QueryInterface IUMCInfo", object.As(&info));
    record.Call(L"QueryInterface IDispatch", object.As(&dispatch));
    if (!init || !a || !b || !info || !dispatch) return record.Take();
    CallUmcInfo(info.Get(), record);  // before the load: the first query loads
    record.Call(L"ParseXML", init->ParseXML(nullptr));
    CallEventMessageIds(a.Get(), record);
    CallEventModel(b.Get(), record);
    CallUmcInfo(info.Get(), record);
    CallDispatch(dispatch.Get(), record);
    return record.Take();
}

// Runs `work` on a thread of its own in the multithreaded apartment.
template <class Work>
void InTheMultithreadedApartment(Work&& work) {
    std::thread host([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        work();
        CoUninitialize();
    });
    host.join();
}

// The median time of one call of GetCategoryMessageIds, in microseconds.
double MicrosecondsPerCall(IEventMessageIds* a) {
    Variant ids;
    std::vector<double> samples;
    for (int round = 0; round < 5; ++round) {
        constexpr int kCalls = 2000;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCalls; ++i) a->GetCategoryMessageIds(kUserAlarms, ids.Receive());
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        samples.push_back(spent.count() / kCalls);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

ComPtr<IEventMessageIds> LoadedThroughCom() {
    ComPtr<IEventInfoInit> init;
    ComPtr<IEventMessageIds> a;
    if (FAILED(CoCreateInstance(CLSID_EventInfoObj, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init))) ||
        FAILED(init->ParseXML(nullptr)) || FAILED(init.As(&a)))
        return nullptr;
    return a;
}

}  // namespace

TEST(MultithreadedHost, AnswersThroughTheMarshalerAsItAnswersDirectly) {
    PointAtInteropProject();
    const Answers direct = EveryAnswer();
    ASSERT_GT(direct.calls.size(), 100u);
    Answers marshalled;
    bool proxy = false;
    InTheMultithreadedApartment([&] {
        marshalled = EveryAnswer();
        // Proxies answer IMultiQI; the object itself does not.
        ComPtr<IUnknown> object;
        ComPtr<IMultiQI> multi;
        if (SUCCEEDED(CoCreateInstance(CLSID_EventInfoObj, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object))))
            proxy = SUCCEEDED(object.As(&multi));
    });
    EXPECT_TRUE(proxy) << "the host thread got the object itself, not a proxy";
    ASSERT_EQ(marshalled.calls.size(), direct.calls.size());
    for (size_t i = 0; i < direct.calls.size(); ++i) EXPECT_EQ(marshalled.calls[i], direct.calls[i]) << "call " << i;

    // Every failure leaves its error object in the object's apartment. The
    // platform's channel carries it to the calling apartment, or (Wine's)
    // carries none at all.
    ASSERT_EQ(marshalled.errorObjects.size(), direct.errorObjects.size());
    size_t carried = 0;
    for (size_t i = 0; i < direct.errorObjects.size(); ++i) {
        EXPECT_EQ(direct.errorObjects[i].find(L": none"), std::wstring::npos) << Shown(direct.errorObjects[i]);
        carried += marshalled.errorObjects[i] == direct.errorObjects[i];
    }
    std::printf("[figure] mta.error_objects_carried = %zu of %zu\n", carried, direct.errorObjects.size());
    EXPECT_TRUE(carried == 0 || carried == direct.errorObjects.size());
}

// The cost of a call through the marshaler beside a direct one, for the
// record of the benchmarks.
TEST(MultithreadedHost, CostOfAMarshalledCall) {
    PointAtInteropProject();
    const ComPtr<IEventMessageIds> direct = LoadedThroughCom();
    ASSERT_TRUE(direct);
    const double directMicroseconds = MicrosecondsPerCall(direct.Get());
    double marshalledMicroseconds = 0;
    InTheMultithreadedApartment([&] {
        const ComPtr<IEventMessageIds> proxy = LoadedThroughCom();
        ASSERT_TRUE(proxy);
        marshalledMicroseconds = MicrosecondsPerCall(proxy.Get());
    });
    std::printf("[figure] mta.GetCategoryMessageIds.direct_us = %.2f\n", directMicroseconds);
    std::printf("[figure] mta.GetCategoryMessageIds.marshalled_us = %.2f\n", marshalledMicroseconds);
    EXPECT_GT(marshalledMicroseconds, 0.0);
}
