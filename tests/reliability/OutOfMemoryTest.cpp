// Allocation failures injected one at a time into every interface method of
// the linked component: the n-th string, array or operator new of a call
// fails, for n = 1, 2, ... until a call completes without a failure. Each
// failed call must return its documented result and leave its outputs and
// the object's state as documented; the last call must give the normal one.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "tests/reliability/ReliabilitySupport.h"
#include "tests/support/TestSupport.h"

namespace {

// The countdown shared by the component's probe and operator new; only the
// thread that armed it counts.
struct Countdown {
    long target = 0;  // the allocation that fails, from 1; 0 while disarmed
    long asked = 0;
    bool injected = false;
    bool byNew = false;  // the failed allocation was operator new's, not a string's or an array's
    DWORD thread = 0;
};
Countdown g_countdown;

bool FailThisAllocation(bool byNew) {
    Countdown& c = g_countdown;
    if (c.target == 0 || GetCurrentThreadId() != c.thread || ++c.asked != c.target) return false;
    c.injected = true;
    c.byNew = byNew;
    return true;
}

bool ProbeAnswer() { return FailThisAllocation(false); }
bool Injected() { return g_countdown.injected; }

// Runs the call with its n-th allocation failing and disarms again; with
// n = 0 runs it unarmed and keeps the record of the last armed call.
template <class Call>
HRESULT FailingAt(long n, Call&& call) {
    if (n == 0) return call();
    g_countdown = {n, 0, false, false, GetCurrentThreadId()};
    g_allocationProbe = ProbeAnswer;
    const HRESULT hr = call();
    g_allocationProbe = nullptr;
    g_countdown.target = 0;
    return hr;
}

}  // namespace

void* operator new(std::size_t size) {
    if (FailThisAllocation(true)) throw std::bad_alloc();
    if (void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

constexpr LONG kUserAlarms = 0x200001;
constexpr LONG kAxis = 0x200021;
constexpr LONG kDiagnosis = 0x100002;
constexpr LONG kSeverity = 26;
constexpr LONG kSentinel = 0x5EED;
const auto kNoError = static_cast<tagIUMCErrors>(77);
IMoniker* const kUntouched = reinterpret_cast<IMoniker*>(static_cast<uintptr_t>(0x1234));

// User alarms, TO alarms and diagnosis with German texts; a device with TOs,
// one routed over a network, one routed inside the PC and a plain one; a
// value of every connection parameter on the common element.
constexpr char kProject[] = R"(<Root>
  <CONDITIONAL>
    <U7SQ>
      <Attributes MSG0407="Text" MSG0009="Text" Severity="Severity"/>
      <ID00000001 MSG0407="de" MSG0009="en" Severity="500"/>
      <ID00000002 MSG0009="en"/>
      <ID00000011 MSG0407="Level @1W%d@ mm"/>
    </U7SQ>
    <TOPOSAXIS><Attributes MSG0407="Text"/><ID00007531 MSG0407="Axis /1/%d error /2/%d"/></TOPOSAXIS>
  </CONDITIONAL>
  <SIMPLE>
    <U7DIAG><Attributes MSG0407="Text"/><ID00004302 MSG0407="Code $Z1%04X slot $Z4%d"/></U7DIAG>
  </SIMPLE>
  <DEVICES>
    <D1 CheckSum="12AB" MPIDefault="2">
      <RT5 Name="Axis5" TypeID="25A0AFB1-337A-11D3-8F3E-00105A2DC995"/>
      <RT6 Name="Axis6" TypeID="4516CE54-32EB-11D3-8F3C-00105A2DC995"/>
      <Cam Name="Cam1"/>
    </D1>
    <Eth SubnetID="00120001" MPIDefault="2" LocTSAP="05.05" CONNNAME="Eth">
      <RoutInfo ROUTNET="Ethernet1" ROUTADR="192.168.0.5"/></Eth>
    <Pc MPIDefault="9"><RoutInfo ROUTNET="PC-Internal-1" ROUTDEV="Router1" ROUTADR="5"/></Pc>
    <Plain MPIDefault="2" LocTSAP="05.05" CONNNAME="Plain"/>
  </DEVICES>
  <Router1><S1 SLOT=""/><S2 SLOT="3"/></Router1>
  <CORVALIS><ConnectionInfo BAUDRATE="19200" CONNNAME="Line1" VFD="Vfd A" LocDevice="CP1" LocTSAP="10.02"
    MPIDefault="2" RemTSAP="03.1.7" INITIATE="300" PASSIVE="1" OPTIMIZEK4READ="1" OPTIMIZEK4WRITE="7"
    EVENTSALARM="0" EVENTSTOALARM="0" EVENTSDIAG="1" CheckSum="12AB" DEFAULTSEVERITYALARM="700"
    INDIVIDUALSEVERITYALARM="1" DEFAULTSEVERITYDIAG="900" INDIVIDUALSEVERITYDIAG="1" CREDITS="8"
    CPUVersion="0301" ABORTCONNECTIONAFTER="3" TIMEOUT="5000" CONNECTTIMEOUT="-5" AUTOPASSWORDRESET="-1"
    SZLRepeat="7" SZLRead="9" TimeDifference="-120" StatePath="0" REMNSAP="06.00" SubnetID="00AB00CD"/></CORVALIS>
</Root>)";
constexpr wchar_t kCategories[] = L"[1048578,2097153,2097185]";

bool IsEmpty(const VARIANT& value) { return V_VT(&value) == VT_EMPTY; }
bool IsSentinel(const VARIANT& value) { return V_VT(&value) == VT_I4 && V_I4(&value) == kSentinel; }

struct Outcome {
    HRESULT hr = E_FAIL;
    std::string wrong;  // what differs from the documented state; empty when nothing
    void Require(bool holds, const char* what) {
        if (!holds) wrong += std::string(what) + "; ";
    }
};

struct Row {
    std::string method;
    std::string input;              // what the row passes, where a method has several rows
    HRESULT normal;                 // the result when no allocation fails
    std::vector<HRESULT> failures;  // the documented results when one does
    std::function<Outcome(long n)> run;
};

struct Fixture {
    ProjectDirectory directory;
    Project project = LoadLinkedProject(directory, kProject);
};

template <class Interface>
ComPtr<Interface> Fresh(const Fixture& f) {
    return CreateObjectOver<Interface>(f.project);
}

// The ids a subscription selected for the user alarms, or "-".
std::wstring Selected(IEventModel* model, LONG handle) {
    Variant ids;
    return model->GetSelectedAttributes(handle, kUserAlarms, ids.Get()) == S_OK ? Show(*ids) : L"-";
}

// The handle the next subscription gets after three were created and the second deleted.
LONG HandleAfterDeletedSecond(const Fixture& f) {
    auto model = Fresh<IEventModel>(f);
    LONG handle = 0;
    for (int k = 0; k < 3; ++k) model->CreateSubscription(&handle);
    model->DeleteSubscription(2);
    model->CreateSubscription(&handle);
    return handle;
}

// A subscription that selected attributes of all three categories.
LONG Subscribe(IEventModel* model) {
    LONG handle = 0;
    model->CreateSubscription(&handle);
    const std::pair<LONG, std::vector<LONG>> selections[] = {
        {kUserAlarms, {-1, kSeverity, 5051}}, {kAxis, {-1}}, {kDiagnosis, {-1}}};
    for (const auto& [category, ids] : selections) {
        Variant results;
        model->SelectAttributes(handle, category, *LongArray(ids), results.Get());
    }
    return handle;
}

// A batch of a user alarm without and with parameters, a TO alarm, a
// diagnosis event and a message that does not exist; resolved in German.
struct Batch {
    Variant names = TextArray({L"Alarm1", L"Alarm17", L"TO_ALARM30001", L"DIAGNOSIS: 4302", L"Alarm99"});
    Variant sources = TextArray({L"/D1/U7SQ", L"/D1/U7SQ", L"/D1/RT5", L"/D1/U7DIAG", L"/D1/U7SQ"});
    Variant infos = Variants(Variant(), LongArray({1}), Variant(), Variant(), Variant());
    Variant params = Variants(Variant(), Variants(ByteArray({0x01, 0x2C})), Variants(LongValue(5), LongValue(7)),
                              ByteArray({0x12, 0x34, 0xAB, 0xCD, 0, 0, 0, 0, 0, 0}), Variant());
};
constexpr wchar_t kResolved[] =
    L"- [1,1,2,4,1] [2097153,2097153,2097185,1048578,2097153] [0,0,0,0,-2147024809] "
    L"[[-1,26,5051],[-1,26,5051],[-1],[-1],[-1,26,5051]] "
    L"[[de,500,de],[Level 300 mm,,Level @1W%d@ mm],[Axis 5 error 7],[Code ABCD slot 18],-]";

// The result, and the six outputs as text into `shown`.
HRESULT Resolve(IEventModel* model, LONG handle, long failAt, std::wstring& shown) {
    const Batch batch;
    Variant out[6];  // reserved, alarm types, categories, results, attribute ids, attribute values
    const HRESULT hr = FailingAt(failAt, [&] {
        return model->ResolveEvents(handle, 0x0407, *batch.names, *batch.sources, *batch.infos, *batch.params,
                                    out[0].Get(), out[1].Get(), out[2].Get(), out[4].Get(), out[5].Get(), out[3].Get());
    });
    shown.clear();
    for (const Variant& value : out) shown += (shown.empty() ? L"" : L" ") + Show(*value);
    return hr;
}

std::vector<Row> Rows(const Fixture& f) {
    std::vector<Row> rows = {
        {"GetCategories",
         "",
         S_OK,
         {E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             Variant ids, texts;
             Outcome o;
             o.hr = FailingAt(n, [&] { return model->GetCategories(-1, ids.Get(), texts.Get()); });
             if (Injected())
                 o.Require(IsEmpty(*ids) && IsEmpty(*texts), "an output is not VT_EMPTY");
             else
                 o.Require(Show(*ids) == kCategories && Show(*texts).size() > 4, "the categories");
             return o;
         }},
        {"GetCategoryAttributes",
         "",
         S_OK,
         {E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             Variant ids, types, texts;
             Outcome o;
             o.hr = FailingAt(
                 n, [&] { return model->GetCategoryAttributes(kUserAlarms, ids.Get(), types.Get(), texts.Get()); });
             const std::wstring shown = Show(*ids) + L" " + Show(*types) + L" " + Show(*texts);
             if (Injected())
                 o.Require(shown == L"- - -", "an output is not VT_EMPTY");
             else
                 o.Require(shown.find(L"[-1,") == 0 && shown.find(L",Severity") != std::wstring::npos,
                           "the attributes");
             return o;
         }},
        {"SelectAttributes",
         "",
         S_FALSE,
         {E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             LONG handle = 0;
             model->CreateSubscription(&handle);
             Variant results, wanted = LongArray({kSeverity, -1, 4711});
             model->SelectAttributes(handle, kUserAlarms, *LongArray({-1}), results.Get());
             Outcome o;
             o.hr =
                 FailingAt(n, [&] { return model->SelectAttributes(handle, kUserAlarms, *wanted, results.Receive()); });
             if (Injected()) {
                 o.Require(IsEmpty(*results), "results not VT_EMPTY");
                 o.Require(Selected(model.Get(), handle) == L"[-1]", "the stored selection changed");
             } else {
                 o.Require(Show(*results) == L"[0,0,-2147220986]" && Selected(model.Get(), handle) == L"[-1,26]",
                           "the selection");
             }
             return o;
         }},
        {"GetSelectedAttributes",
         "",
         S_OK,
         {E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             const LONG handle = Subscribe(model.Get());
             Variant ids = LongValue(kSentinel);
             Outcome o;
             o.hr = FailingAt(n, [&] { return model->GetSelectedAttributes(handle, kUserAlarms, ids.Get()); });
             if (Injected())
                 o.Require(IsSentinel(*ids), "the output is not as passed");
             else
                 o.Require(Show(*ids) == L"[-1,26,5051]", "the selection");
             return o;
         }},
        {"CreateSubscription",
         "",
         S_OK,
         {E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             LONG handle = 0;
             for (int k = 0; k < 3; ++k) model->CreateSubscription(&handle);
             model->DeleteSubscription(2);
             handle = kSentinel;
             Outcome o;
             o.hr = FailingAt(n, [&] { return model->CreateSubscription(&handle); });
             if (Injected()) {
                 o.Require(handle == kSentinel, "the handle was written");
                 o.Require(model->CreateSubscription(&handle) == S_OK && handle == HandleAfterDeletedSecond(f),
                           "a subscription was created or a handle taken");
             } else {
                 o.Require(handle == HandleAfterDeletedSecond(f), "the handle");
             }
             return o;
         }},
        {"DeleteSubscription",
         "",
         S_OK,
         {S_OK, E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             LONG handle = 0;
             for (int k = 0; k < 3; ++k) model->CreateSubscription(&handle);
             Outcome o;
             o.hr = FailingAt(n, [&] { return model->DeleteSubscription(2); });
             o.Require(model->DeleteSubscription(2) == (o.hr == S_OK ? E_INVALIDARG : S_OK),
                       "the subscription is there after S_OK or gone after E_OUTOFMEMORY");
             o.Require(model->CreateSubscription(&handle) == S_OK && handle == HandleAfterDeletedSecond(f),
                       "the taken handles are not as after one deletion");
             return o;
         }},
        {"ResolveEvents",
         "",
         S_OK,
         {E_OUTOFMEMORY},
         [&](long n) {
             auto model = Fresh<IEventModel>(f);
             const LONG handle = Subscribe(model.Get());
             std::wstring shown;
             Outcome o;
             o.hr = Resolve(model.Get(), handle, n, shown);
             if (Injected()) {
                 o.Require(shown == L"- - - - - -", "an output is not VT_EMPTY");
                 // Once memory is back the same object resolves as a fresh one.
                 o.Require(Resolve(model.Get(), handle, 0, shown) == S_OK && shown == kResolved,
                           "the next resolution differs");
             } else {
                 o.Require(shown == kResolved, "the resolution");
             }
             return o;
         }},
    };

    // IEventMessageIds: the message ids of a category, directly and by a source.
    for (const bool bySource : {false, true}) {
        rows.push_back({bySource ? "GetSourceMessageIds" : "GetCategoryMessageIds",
                        "",
                        S_OK,
                        {E_OUTOFMEMORY},
                        [&f, bySource](long n) {
                            auto ids = Fresh<IEventMessageIds>(f);
                            const Bstr source(L"/D1/U7SQ");
                            Variant out = LongValue(kSentinel);
                            Outcome o;
                            o.hr = FailingAt(n, [&] {
                                return bySource ? ids->GetSourceMessageIds(source.Get(), out.Get())
                                                : ids->GetCategoryMessageIds(kUserAlarms, out.Get());
                            });
                            // A string or the array that cannot be made (the probe's allocations)
                            // empties the output. A failure while the source is looked up or the
                            // names are read (operator new) comes before the output is touched and
                            // leaves it as passed, as the method's comment says.
                            if (Injected() && !g_countdown.byNew)
                                o.Require(IsEmpty(*out), "the output is not VT_EMPTY");
                            else if (Injected())
                                o.Require(IsEmpty(*out) || IsSentinel(*out), "the output was changed");
                            else
                                o.Require(Show(*out) == L"[ID00000001,ID00000002,ID00000011]", "the ids");
                            return o;
                        }});
    }

    // IUMCInfo: devices and TOs; the error stays IUMC_OK.
    rows.push_back(
        {"GetDevices", "", S_OK, {E_OUTOFMEMORY}, [&](long n) {
             auto info = Fresh<IUMCInfo>(f);
             Variant names, sums, addresses;
             tagAlarmTypes alarms = ALARM_TYPE_NONE;
             tagIUMCErrors error = kNoError;
             Outcome o;
             o.hr = FailingAt(
                 n, [&] { return info->GetDevices(names.Get(), sums.Get(), addresses.Get(), &alarms, &error); });
             o.Require(error == IUMC_OK, "pError is not IUMC_OK");
             if (Injected())
                 o.Require(IsEmpty(*names) && IsEmpty(*sums) && IsEmpty(*addresses), "an output was changed");
             else
                 o.Require(Show(*names) == L"[D1,Eth,Pc,Plain]" && Show(*sums) == L"[12AB,,,]", "the devices");
             return o;
         }});
    for (const bool withTypes : {false, true}) {
        rows.push_back(
            {withTypes ? "GetTOsWithTypes" : "GetTOs", "", S_OK, {E_OUTOFMEMORY}, [&f, withTypes](long n) {
                 auto info = Fresh<IUMCInfo>(f);
                 const Bstr device(L"D1");
                 Variant names, addresses, types;
                 tagIUMCErrors error = kNoError;
                 Outcome o;
                 o.hr = FailingAt(n, [&] {
                     return withTypes
                                ? info->GetTOsWithTypes(device.Get(), names.Get(), addresses.Get(), types.Get(), &error)
                                : info->GetTOs(device.Get(), names.Get(), addresses.Get(), &error);
                 });
                 o.Require(error == IUMC_OK, "pError is not IUMC_OK");
                 const std::wstring shown = Show(*names) + L" " + Show(*addresses) + L" " + Show(*types);
                 if (Injected())
                     o.Require(shown == L"- - -", "an output is not VT_EMPTY");
                 else
                     o.Require(shown == (withTypes ? L"[Axis5,Axis6] [5,6] [25A0AFB1-337A-11D3-8F3E-00105A2DC995,"
                                                     L"4516CE54-32EB-11D3-8F3C-00105A2DC995]"
                                                   : L"[Axis5,Axis6,Cam1] [5,6,m] -"),
                               "the TOs");
                 return o;
             }});
    }

    // Every connection parameter of each kind of device; the normal answer
    // is the one of the same call without the probe.
    for (const wchar_t* device : {L"Eth", L"Pc", L"Plain"}) {
        for (LONG id = 1; id <= 30; ++id) {
            auto call = [&f, device, id](long n, VARIANT* value, tagIUMCErrors* error) {
                auto info = Fresh<IUMCInfo>(f);
                const Bstr name(device);
                BSTR devName = name.Get();
                return FailingAt(n, [&] {
                    return info->GetConnectionInfo(&devName, static_cast<tagConfigParams>(id), value, error);
                });
            };
            Variant value = LongValue(kSentinel);
            tagIUMCErrors error = kNoError;
            const HRESULT normal = call(0, value.Get(), &error);
            const std::wstring expected = Show(*value) + L" " + std::to_wstring(error);
            const std::wstring input = std::wstring(device) + L" parameter " + std::to_wstring(id);
            rows.push_back({"GetConnectionInfo",
                            std::string(input.begin(), input.end()),
                            normal,
                            {E_OUTOFMEMORY},
                            [call, expected](long n) {
                                Variant value = LongValue(kSentinel);
                                tagIUMCErrors error = kNoError;
                                Outcome o;
                                o.hr = call(n, value.Get(), &error);
                                if (Injected())
                                    o.Require(IsSentinel(*value) && error == kNoError, "value or pError was written");
                                else
                                    o.Require(Show(*value) + L" " + std::to_wstring(error) == expected, "the value");
                                return o;
                            }});
        }
    }

    // Loads: a failed one leaves an object that loads again.
    rows.push_back({"ParseXML", "", S_OK, {E_UNEXPECTED}, [&](long n) {
                        ComPtr<IEventInfoInit> init;
                        EventInfoObj::CreateInstance(nullptr, IID_PPV_ARGS(&init));
                        SetDataPath(f.directory.Base());
                        Outcome o;
                        o.hr = FailingAt(n, [&] { return init->ParseXML(nullptr); });
                        if (Injected()) o.Require(init->ParseXML(nullptr) == S_OK, "the next load fails");
                        ComPtr<IEventModel> model;
                        Variant ids, texts;
                        o.Require(SUCCEEDED(init.As(&model)) &&
                                      model->GetCategories(-1, ids.Get(), texts.Get()) == S_OK &&
                                      Show(*ids) == kCategories,
                                  "the loaded categories");
                        return o;
                    }});
    rows.push_back({"ParseDisplayName", "", S_OK, {MK_E_NOOBJECT}, [&](long n) {
                        ComPtr<IParseDisplayName> parse;
                        EventInfoObj::CreateInstance(nullptr, IID_PPV_ARGS(&parse));
                        std::wstring name = std::wstring(kProgId) + L"@" + f.directory.ProjectFile();
                        ULONG eaten = 0;
                        IMoniker* moniker = kUntouched;
                        Outcome o;
                        o.hr =
                            FailingAt(n, [&] { return parse->ParseDisplayName(nullptr, &name[0], &eaten, &moniker); });
                        if (Injected()) {
                            o.Require(moniker == kUntouched, "the moniker was written");
                        } else {
                            o.Require(moniker && moniker != kUntouched, "no moniker");
                            if (moniker && moniker != kUntouched) moniker->Release();
                        }
                        return o;
                    }});
    return rows;
}

}  // namespace

TEST(OutOfMemory, EveryMethodFailsAsDocumentedAtEveryAllocation) {
    const Fixture fixture;
    std::map<std::string, long> runs;
    long total = 0;
    for (const Row& row : Rows(fixture)) {
        int faults = 0;
        for (long n = 1;; ++n) {
            ASSERT_LT(n, 100000) << row.method << " " << row.input << ": allocates without end";
            Outcome outcome;
            try {
                outcome = row.run(n);
            } catch (...) {
                g_allocationProbe = nullptr;
                g_countdown.target = 0;
                outcome.wrong = "an exception left the method";
            }
            ++runs[row.method];
            ++total;
            const bool injected = Injected();
            bool documented = !injected && outcome.hr == row.normal;
            for (HRESULT failure : row.failures) documented |= injected && outcome.hr == failure;
            // The first few faults of a row, and always a fault of its last run.
            if ((!documented || !outcome.wrong.empty()) && (++faults <= 3 || !injected)) {
                char hr[16];
                std::snprintf(hr, sizeof hr, "0x%08lX", static_cast<unsigned long>(outcome.hr));
                ADD_FAILURE() << row.method << (row.input.empty() ? "" : " ") << row.input << ": allocation " << n
                              << (injected ? " failed" : ", none failed") << ", result " << hr << "; " << outcome.wrong;
            }
            if (!injected) break;
        }
    }
    for (const auto& [method, count] : runs) Figure("outofmemory.runs." + method, std::to_string(count));
    Figure("outofmemory.runs", std::to_string(total));
    Figure("outofmemory.methods", std::to_string(runs.size()));
}
