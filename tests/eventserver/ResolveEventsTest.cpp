// IEventModel: resolving raw events into categories, attribute values and
// message texts, and the language check.

#include <gtest/gtest.h>

#include "eventserver/ListenerRecheck.h"
#include "loading/ComValues.h"
#include "tests/eventserver/EventTestSupport.h"
#include "tests/support/LateBinding.h"
#include "tests/support/TestSupport.h"
#include "tools/common/DebugOutputListener.h"

namespace {

using Texts = std::vector<std::wstring>;
using Ids = std::vector<LONG>;

constexpr LONG kUserAlarms = 0x200001;  // alarm type 1
constexpr LONG kAxis = 0x200021;        // alarm type 2
constexpr LONG kDiagnosis = 0x100002;   // alarm type 4
constexpr LONG kSeverity = 26;          // the first project attribute of a fresh object's first load
constexpr HRESULT kFailed = E_INVALIDARG;

// The user alarms' message attribute is MSG040C, the last declared. RT6 is
// of a fixed TO type without a category element.
constexpr char kProject[] = R"(<Root>
  <CONDITIONAL>
    <U7SQ>
      <Attributes MSG0407="Text" MSG0009="Text" MSG040C="Text" Severity="Severity"/>
      <ID00000001 MSG0409="en-US" MSG0009="en" MSG040C="fr" MSG0407="de" Severity="500"/>
      <ID00000002 MSG0409="" MSG0009="en" MSG040C="fr"/>
      <ID00000003 MSG040C="fr"/>
      <ID00000004/>
      <ID00000011 MSG0407="Level @1W%d@ mm"/>
      <ID00000012 MSG0407="No placeholder"/>
    </U7SQ>
    <TOPOSAXIS>
      <Attributes MSG0407="Text"/>
      <ID00007531 MSG0407="Axis /1/%d error /2/%d"/>
      <ID00007532 MSG0407="Axis stopped"/>
    </TOPOSAXIS>
  </CONDITIONAL>
  <SIMPLE>
    <U7DIAG>
      <Attributes MSG0407="Text" MSG0413="Text"/>
      <ID00004302 MSG0407="Code $Z1%04X slot $Z4%d"/>
    </U7DIAG>
  </SIMPLE>
  <DEVICES>
    <D1>
      <RT5 TypeID="25A0AFB1-337A-11D3-8F3E-00105A2DC995"/>
      <RT6 TypeID="4516CE54-32EB-11D3-8F3C-00105A2DC995"/>
    </D1>
  </DEVICES>
</Root>)";

struct Resolved {
    HRESULT hr = E_FAIL;
    Variant reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results;

    Ids Results() const { return LongsOf(*results); }
    // The attribute values of event i, or {"<empty>"} when there are none.
    Texts Values(LONG i) const {
        Variant element = ElementOf(*attributeValues, i);
        return V_VT(element.Get()) == VT_EMPTY ? Texts{L"<empty>"} : TextsOf(*element);
    }
    Ids SelectedIds(LONG i) const {
        Variant element = ElementOf(*attributeIds, i);
        return V_VT(element.Get()) == VT_EMPTY ? Ids{} : LongsOf(*element);
    }
    void ExpectAllEmpty() const {
        for (const Variant* output : {&reserved, &alarmTypes, &categoryIds, &attributeIds, &attributeValues, &results})
            EXPECT_EQ(V_VT(&**output), VT_EMPTY);
    }
};

// Calls through the vtable, which is the only way to see S_FALSE.
Resolved Resolve(IEventModel* b, LONG handle, LONG language, const Variant& names, const Variant& sources,
                 const Variant& paramInfo = Variant(), const Variant& params = Variant()) {
    Resolved r;
    r.hr =
        b->ResolveEvents(handle, language, *names, *sources, *paramInfo, *params, r.reserved.Get(), r.alarmTypes.Get(),
                         r.categoryIds.Get(), r.attributeIds.Get(), r.attributeValues.Get(), r.results.Get());
    return r;
}

class Resolution : public testing::Test {
protected:
    void SetUp() override {
        m_b = LoadComponent<IEventModel>(m_directory, kProject);
        ASSERT_TRUE(m_b);
        ASSERT_EQ(m_b->CreateSubscription(&m_handle), S_OK);
    }
    void Select(LONG category, const Ids& ids) {
        Variant results;
        ASSERT_EQ(m_b->SelectAttributes(m_handle, category, *LongArray(ids), results.Get()), S_OK);
    }
    // One event's call result, event result and first attribute value.
    struct Outcome {
        HRESULT call;
        LONG result;
        std::wstring text;
        bool operator==(const Outcome& o) const { return call == o.call && result == o.result && text == o.text; }
    };
    Outcome Single(const wchar_t* name, const wchar_t* source, LONG language, Variant paramInfo = Variant(),
                   Variant params = Variant()) {
        const Resolved r = Resolve(m_b.Get(), m_handle, language, TextArray({name}), TextArray({source}),
                                   Variants(std::move(paramInfo)), Variants(std::move(params)));
        if (FAILED(r.hr)) return {r.hr, 0, L""};
        return {r.hr, r.Results()[0], r.Values(0)[0]};
    }

    ProjectDirectory m_directory;
    ComPtr<IEventModel> m_b;
    LONG m_handle = 0;
};

}  // namespace

TEST_F(Resolution, EachPathOfABatch) {
    Select(kUserAlarms, {-1});
    const Variant names = TextArray({L"Alarm1", L"Alarm1", L"Alarm1", L"TO_ALARM30001", L"Alarm99", L"Alarm1"});
    const Variant sources = TextArray({L"/D1/U7SQ", L"/D1/NOPE", L"/D1/RT6", L"/D1/RT5", L"/D1/U7SQ", L"/d1/u7sq"});
    const Resolved r = Resolve(m_b.Get(), m_handle, 0x0409, names, sources);
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.Results(), (Ids{0, kFailed, kFailed, 0, kFailed, kFailed}));
    EXPECT_EQ(LongsOf(*r.categoryIds), (Ids{kUserAlarms, 0, 0, kAxis, kUserAlarms, 0}));
    EXPECT_EQ(LongsOf(*r.alarmTypes), (Ids{1, 0, 0, 2, 1, 0}));
    const Ids selected[] = {{-1}, {}, {}, {}, {-1}, {}};
    const Texts values[] = {{L"en-US"}, {L"<empty>"}, {L"<empty>"}, {L"<empty>"}, {L"<empty>"}, {L"<empty>"}};
    for (LONG i = 0; i < 6; ++i) {
        EXPECT_EQ(r.SelectedIds(i), selected[i]) << i;
        EXPECT_EQ(r.Values(i), values[i]) << i;
    }
    EXPECT_EQ(V_VT(&*r.reserved), VT_EMPTY);
    EXPECT_EQ(V_VT(&*r.attributeIds), VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(V_VT(&*r.attributeValues), VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(V_VT(&*r.results), VT_ARRAY | VT_I4);
}

TEST_F(Resolution, MessageTextFallbacks) {
    Select(kUserAlarms, {-1});
    const struct {
        const wchar_t* name;
        LONG language;
        const wchar_t* text;
    } rows[] = {
        {L"Alarm1", 0x0409, L"en-US"},  // MSG0409
        {L"Alarm1", 0x0407, L"de"},
        {L"Alarm2", 0x0409, L"en"},  // MSG0409 empty: MSG0009
        {L"Alarm2", 0x0C09, L"en"},
        {L"Alarm2", 0x0407, L"fr"},  // neither MSG0407 nor MSG0007: the message attribute
        {L"Alarm3", 0x0409, L"fr"},
        {L"Alarm4", 0x0409, L""},  // no text at all
    };
    for (const auto& row : rows)
        EXPECT_TRUE(Single(row.name, L"/D1/U7SQ", row.language) == (Outcome{S_OK, 0, row.text})) << row.name;
}

TEST_F(Resolution, AttributeValuesInIdOrder) {
    Select(kUserAlarms, {kSeverity, 5052, 5051, 1, -1});
    const Resolved r =
        Resolve(m_b.Get(), m_handle, 0x0409, TextArray({L"Alarm1", L"Alarm2"}), TextArray({L"/D1/U7SQ", L"/D1/U7SQ"}));
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.SelectedIds(0), (Ids{-1, 1, kSeverity, 5051, 5052}));
    // Message text, ProcPara1, Severity, MSG0407, MSG0009; a missing XML
    // attribute is an empty text.
    EXPECT_EQ(r.Values(0), (Texts{L"en-US", L"", L"500", L"de", L"en"}));
    EXPECT_EQ(r.Values(1), (Texts{L"en", L"", L"", L"", L"en"}));
}

TEST_F(Resolution, BoundsOfTheInputArrays) {
    Select(kUserAlarms, {-1});
    struct Row {
        const char* what;
        Variant names, sources, params;
        Ids results;
        Texts texts;  // first value of each event
    };
    auto user = [] { return Variants(ByteArray({0x01, 0x2C})); };
    Row rows[] = {
        {"lower bound 1",
         TextArray({L"Alarm1", L"Alarm2"}, 1),
         TextArray({L"/D1/U7SQ", L"/D1/U7SQ"}, 1),
         Variant(),
         {0, 0},
         {L"de", L"fr"}},
        {"fewer sources",
         TextArray({L"Alarm1", L"Alarm2"}),
         TextArray({L"/D1/U7SQ"}),
         Variant(),
         {0, kFailed},
         {L"de", L"<empty>"}},
        {"sources from 1",
         TextArray({L"Alarm1", L"Alarm2"}),
         TextArray({L"/D1/U7SQ", L"/D1/U7SQ"}, 1),
         Variant(),
         {kFailed, 0},
         {L"<empty>", L"fr"}},
        {"fewer params",
         TextArray({L"Alarm17", L"Alarm17"}),
         TextArray({L"/D1/U7SQ", L"/D1/U7SQ"}),
         Variants(user()),
         {0, 0},
         {L"Level 300 mm", L"Level @1W%d@ mm"}},
        // Events are matched to parameters by index, not by position.
        {"params from 0",
         TextArray({L"Alarm17", L"Alarm17"}, 1),
         TextArray({L"/D1/U7SQ", L"/D1/U7SQ"}, 1),
         Variants(Variant(), user()),
         {0, 0},
         {L"Level 300 mm", L"Level @1W%d@ mm"}},
    };
    for (Row& row : rows) {
        const Variant info = Variants(LongArray({1}), LongArray({1}));
        const Resolved r = Resolve(m_b.Get(), m_handle, 0x0407, row.names, row.sources, info, row.params);
        ASSERT_EQ(r.hr, S_OK) << row.what;
        const LONG low = Bounds(*row.names).first;
        for (const Variant* output : {&r.alarmTypes, &r.categoryIds, &r.attributeIds, &r.attributeValues, &r.results})
            EXPECT_EQ(Bounds(**output), std::make_pair(low, low + 1)) << row.what;
        EXPECT_EQ(r.Results(), row.results) << row.what;
        for (LONG k = 0; k < 2; ++k) {
            EXPECT_EQ(r.Values(low + k)[0], row.texts[k]) << row.what << k;
            Variant inner = ElementOf(*r.attributeValues, low + k);
            if (V_VT(inner.Get()) != VT_EMPTY) {
                EXPECT_EQ(Bounds(*inner).first, 0) << row.what;
            }
        }
    }
}

TEST_F(Resolution, CallsThatCannotBeServed) {
    SAFEARRAYBOUND twoByTwo[] = {{2, 0}, {2, 0}};
    const struct Row {
        const char* what;
        LONG handle;
        Variant names, sources;
    } rows[] = {
        {"unknown handle", 99, TextArray({L"Alarm1"}), TextArray({L"/D1/U7SQ"})},
        {"names not texts", m_handle, LongArray({1}), TextArray({L"/D1/U7SQ"})},
        {"sources missing", m_handle, TextArray({L"Alarm1"}), Variant()},
        {"names two-dimensional", m_handle, ArrayVariant(VT_BSTR, SafeArray(SafeArrayCreate(VT_BSTR, 2, twoByTwo))),
         TextArray({L"/D1/U7SQ"})},
        {"sources two-dimensional", m_handle, TextArray({L"Alarm1"}),
         ArrayVariant(VT_BSTR, SafeArray(SafeArrayCreate(VT_BSTR, 2, twoByTwo)))},
    };
    for (const Row& row : rows) {
        const Resolved r = Resolve(m_b.Get(), row.handle, 0x0407, row.names, row.sources);
        EXPECT_EQ(r.hr, E_INVALIDARG) << row.what;
        r.ExpectAllEmpty();
    }
    Variant any;
    EXPECT_EQ(m_b->ResolveEvents(m_handle, 0x0407, *TextArray({L"Alarm1"}), *TextArray({L"/D1/U7SQ"}), *any, *any,
                                 any.Get(), any.Get(), any.Get(), any.Get(), any.Get(), nullptr),
              E_INVALIDARG);
}

TEST_F(Resolution, LanguageCheck) {
    const struct {
        LONG language;
        HRESULT expected;
    } rows[] = {
        {0x0407, S_OK},    {0x0C07, S_OK},     // MSG0C07 unknown, MSG0007 known
        {0x0413, S_OK},                        // declared in the file only
        {0x0416, S_FALSE}, {0x0C13, S_FALSE},  // neither the language nor MSG0013
    };
    for (const auto& row : rows) {
        for (LONG handle : {m_handle, 12345L}) {  // the handle is not looked at
            const Resolved r = Resolve(m_b.Get(), handle, row.language, Variant(), Variant());
            EXPECT_EQ(r.hr, row.expected) << std::hex << row.language;
            r.ExpectAllEmpty();
        }
    }
    auto unloaded = CreateComponent<IEventModel>();
    EXPECT_EQ(Resolve(unloaded.Get(), 0, 0x0407, Variant(), Variant()).hr, S_FALSE);
}

TEST_F(Resolution, ParametersFormattedByAlarmType) {
    Select(kUserAlarms, {-1});
    Select(kAxis, {-1});
    Select(kDiagnosis, {-1});
    const std::vector<uint8_t> record = {0x12, 0x34, 0xAB, 0xCD, 0, 0, 0, 0, 0, 0};
    struct Row {
        const wchar_t* name;
        const wchar_t* source;
        Variant info, params;
        bool formatted;
        const wchar_t* text;
    };
    Row rows[] = {
        {L"Alarm17", L"/D1/U7SQ", LongArray({1}), Variants(ByteArray({0x01, 0x2C})), true, L"Level 300 mm"},
        {L"Alarm17", L"/D1/U7SQ", Variants(LongValue(1)), Variants(ByteArray({0x01, 0x2C})), true, L"Level 300 mm"},
        {L"Alarm17", L"/D1/U7SQ", LongArray({1}), LongValue(5), true, L"Level @1W%d@ mm"},  // no array: not formatted
        {L"TO_ALARM30001", L"/D1/RT5", Variant(), Variants(LongValue(5), LongValue(7)), true, L"Axis 5 error 7"},
        {L"DIAGNOSIS: 4302", L"/D1/U7DIAG", Variant(), ByteArray(record), true, L"Code ABCD slot 18"},
        {L"DIAGNOSIS: 4302", L"/D1/U7DIAG", Variant(), Variants(ByteArray(record)), true, L"Code ABCD slot 18"},
        // Failures keep the text as read.
        {L"Alarm18", L"/D1/U7SQ", LongArray({1}), Variants(ByteArray({0x01, 0x2C})), false, L"No placeholder"},
        {L"Alarm17", L"/D1/U7SQ", LongArray({2}), Variants(ByteArray({0x01, 0x2C})), false, L"Level @1W%d@ mm"},
        {L"Alarm17", L"/D1/U7SQ", LongArray({1}), Variants(ByteArray({0x01})), false, L"Level @1W%d@ mm"},
        {L"Alarm17", L"/D1/U7SQ", LongArray({1}), Variants(ByteArray({1}), ByteArray({2})), false, L"Level @1W%d@ mm"},
        {L"TO_ALARM30002", L"/D1/RT5", Variant(), Variants(LongValue(5)), false, L"Axis stopped"},
        {L"TO_ALARM30001", L"/D1/RT5", Variant(), Variants(LongValue(5)), false, L"Axis /1/%d error /2/%d"},
        // Declared as VARIANTs but holding bytes: never read as VARIANTs.
        {L"TO_ALARM30001", L"/D1/RT5", Variant(),
         ArrayVariant(VT_VARIANT, SafeArray(SafeArrayCreateVector(VT_UI1, 0, 64))), false, L"Axis /1/%d error /2/%d"},
        {L"DIAGNOSIS: 4302", L"/D1/U7DIAG", Variant(), ByteArray({0x12, 0x34, 0xAB, 0xCD}), false,
         L"Code $Z1%04X slot $Z4%d"},
    };
    for (Row& row : rows) {
        // A failed formatting: E_INVALIDARG for the event, S_FALSE for the call.
        const Outcome expected = row.formatted ? Outcome{S_OK, 0, row.text} : Outcome{S_FALSE, kFailed, row.text};
        EXPECT_TRUE(Single(row.name, row.source, 0x0407, std::move(row.info), std::move(row.params)) == expected)
            << row.name;
    }
}

TEST_F(Resolution, LateBoundCalls) {
    Select(kAxis, {-1});
    Variant reserved, types, categories, ids, values, results;
    const InvokeResult call = InvokeByName(
        m_b.Get(), L"ResolveEvents",
        {Long(m_handle), Long(0x0407), TextArray({L"TO_ALARM30001"}).Detach(), TextArray({L"/D1/RT5"}).Detach(),
         Variant().Detach(), Variants(Variants(LongValue(5), LongValue(7))).Detach(), ByRef(reserved.Get()),
         ByRef(types.Get()), ByRef(categories.Get()), ByRef(ids.Get()), ByRef(values.Get()), ByRef(results.Get())});
    ASSERT_EQ(call.hr, S_OK);
    EXPECT_EQ(LongsOf(*types), Ids{2});
    EXPECT_EQ(LongsOf(*categories), Ids{kAxis});
    EXPECT_EQ(LongsOf(*results), Ids{0});
    EXPECT_EQ(TextsOf(*ElementOf(*values, 0)), Texts{L"Axis 5 error 7"});

    Variant r1, r2, r3, r4, r5, r6;
    const InvokeResult check = InvokeByName(
        m_b.Get(), L"ResolveEvents",
        {Long(0), Long(0x0C07), Variant().Detach(), Variant().Detach(), Variant().Detach(), Variant().Detach(),
         ByRef(r1.Get()), ByRef(r2.Get()), ByRef(r3.Get()), ByRef(r4.Get()), ByRef(r5.Get()), ByRef(r6.Get())});
    EXPECT_EQ(check.hr, S_OK);
    EXPECT_EQ(V_VT(r6.Get()), VT_EMPTY);
}

namespace {

// Collects what OutputDebugStringA writes without a listener: with no
// debugger attached it raises DBG_PRINTEXCEPTION_C, which a vectored handler
// sees first.
class RaisedDebugOutput {
public:
    RaisedDebugOutput() : m_handler(AddVectoredExceptionHandler(1, &RaisedDebugOutput::Handle)) { Count() = 0; }
    ~RaisedDebugOutput() { RemoveVectoredExceptionHandler(m_handler); }
    static int& Count() {
        static int count = 0;
        return count;
    }

private:
    static LONG CALLBACK Handle(EXCEPTION_POINTERS* info) {
        if (info->ExceptionRecord->ExceptionCode == DBG_PRINTEXCEPTION_C) ++Count();
        return EXCEPTION_CONTINUE_SEARCH;
    }
    void* m_handler;
};

std::vector<std::string> Heard(DebugOutputListener& listener, size_t expected) {
    for (int wait = 0; wait < 200 && listener.Texts().size() < expected; ++wait) Sleep(10);
    return listener.Texts();
}

}  // namespace

TEST_F(Resolution, TraceTextPerEventWhenSomeoneListens) {
    Select(kUserAlarms, {-1, 1});
    const auto resolve = [&] {
        return Resolve(m_b.Get(), m_handle, 0x0407,
                       TextArray({L"Alarm17", L"TO_ALARM30001", L"Alarm99", L"Alarm1", L"Alarm1"}),
                       TextArray({L"/D1/U7SQ", L"/D1/RT5", L"/D1/U7SQ", L"/D1/NOPE", L"/D1/U7SQ"}),
                       Variants(LongArray({1})), Variants(Variants(ByteArray({0x01, 0x2C}))))
            .hr;
    };
    {
        DebugOutputListener listener;
        ASSERT_TRUE(listener.Listening());
        Sleep(150);  // an earlier call may have found nobody: see ListenerAttachingLaterHearsTheTrace
        ASSERT_EQ(resolve(), S_OK);
        // Nothing for the missing message element and the unknown source.
        EXPECT_EQ(Heard(listener, 3),
                  (std::vector<std::string>{
                      "Alarm17/D1/U7SQ Attribute selectiert 4294967295Parameter von IEvent erhalten1",
                      "TO_ALARM30001/D1/RT5",
                      "Alarm1/D1/U7SQ Attribute selectiert 42949672951",
                  }));
    }
    // With nobody to receive it, the trace is not sent at all.
    const RaisedDebugOutput raised;
    ASSERT_EQ(resolve(), S_OK);
    EXPECT_EQ(RaisedDebugOutput::Count(), 0);
}

// A call that found nobody listening is believed for a while; a listener
// that attaches afterwards hears the trace of the calls once that while is
// over.
TEST_F(Resolution, ListenerAttachingLaterHearsTheTrace) {
    Select(kUserAlarms, {-1});
    const auto resolve = [&] {
        return Resolve(m_b.Get(), m_handle, 0x0409, TextArray({L"Alarm1"}), TextArray({L"/D1/U7SQ"})).hr;
    };
    ASSERT_EQ(resolve(), S_OK);
    DebugOutputListener listener;
    ASSERT_TRUE(listener.Listening());
    Sleep(static_cast<DWORD>(kListenerRecheckMs) + 50);
    ASSERT_EQ(resolve(), S_OK);
    EXPECT_EQ(Heard(listener, 1), std::vector<std::string>{"Alarm1/D1/U7SQ Attribute selectiert 4294967295"});
}

namespace {

// A loaded project whose tables a test may edit to reach states no load
// produces, and then an object over it.
class EditedModel : public testing::Test {
protected:
    void SetUp() override { m_project = LoadLinkedProject(m_directory, kProject); }
    EventModelTables& Tables() { return m_project.m_model; }
    void CreateObject() {
        m_b = CreateObjectOver<IEventModel>(m_project);
        ASSERT_TRUE(m_b);
        ASSERT_EQ(m_b->CreateSubscription(&m_handle), S_OK);
        Variant results;
        ASSERT_EQ(m_b->SelectAttributes(m_handle, kUserAlarms, *LongArray({-1, 1, kSeverity}), results.Get()), S_OK);
    }

    ProjectDirectory m_directory;
    Project m_project;
    ComPtr<IEventModel> m_b;
    LONG m_handle = 0;
};

}  // namespace

TEST_F(EditedModel, UnknownAttributeIdGivesNullText) {
    Tables().m_mapAttributes.erase(kSeverity);
    CreateObject();
    const Resolved r = Resolve(m_b.Get(), m_handle, 0x0409, TextArray({L"Alarm1"}), TextArray({L"/D1/U7SQ"}));
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.Values(0), (Texts{L"en-US", L"", L"<null>"}));
}

TEST_F(EditedModel, MissingCategoryElementFailsTheCall) {
    Tables().m_mapCategories.at(kUserAlarms).node.Reset();
    CreateObject();
    const Resolved r = Resolve(m_b.Get(), m_handle, 0x0409, TextArray({L"Alarm1"}), TextArray({L"/D1/U7SQ"}));
    EXPECT_EQ(r.hr, E_POINTER);
    r.ExpectAllEmpty();
}

// A namespace declaration on a message or attribute element declares no
// attribute, and a text given only as a DTD default reads as a read by name
// gives it; neither may cost the batch its other events.
TEST(NamespacesAndDefaults, MessageTextsAreWhatAReadByNameGives) {
    constexpr char kDeclaring[] = R"(<?xml version="1.0"?>
<!DOCTYPE Root [<!ATTLIST ID00000003 MSG0409 CDATA "from the DTD">]>
<Root>
  <CONDITIONAL>
    <U7SQ>
      <Attributes xmlns="urn:a" MSG0407="Text" xmlns:p="urn:p" p:Plant="Plant"/>
      <ID00000001 MSG0409="plain"/>
      <ID00000002 xmlns="urn:x" MSG0409="declaring" p:Plant="7" xmlns:p="urn:p"/>
      <ID00000003/>
    </U7SQ>
  </CONDITIONAL>
  <DEVICES><D1/></DEVICES>
</Root>)";
    ProjectDirectory directory;
    const ComPtr<IEventModel> b = LoadComponent<IEventModel>(directory, kDeclaring);
    ASSERT_TRUE(b);
    Variant ids, types, descriptions;
    ASSERT_EQ(b->GetCategoryAttributes(kUserAlarms, ids.Get(), types.Get(), descriptions.Get()), S_OK);
    EXPECT_EQ(TextsOf(*descriptions),
              (Texts{L"Language independent Message", L"Parameter delivered by the process", L"Plant", L"Text"}));
    LONG handle = 0;
    ASSERT_EQ(b->CreateSubscription(&handle), S_OK);
    Variant results;
    ASSERT_EQ(b->SelectAttributes(handle, kUserAlarms, *LongArray(LongsOf(*ids)), results.Get()), S_OK);
    for (int call = 0; call < 2; ++call) {  // the second call answers from the texts read by the first
        const Resolved r = Resolve(b.Get(), handle, 0x0409, TextArray({L"Alarm1", L"Alarm2", L"Alarm3"}),
                                   TextArray({L"/D1/U7SQ", L"/D1/U7SQ", L"/D1/U7SQ"}));
        ASSERT_EQ(r.hr, S_OK);
        EXPECT_EQ(r.Results(), (Ids{S_OK, S_OK, S_OK}));
        EXPECT_EQ(r.Values(0)[0], L"plain");
        EXPECT_EQ(r.Values(1), (Texts{L"declaring", L"", L"7", L""}));
        EXPECT_EQ(r.Values(2)[0], L"from the DTD");
    }
}
