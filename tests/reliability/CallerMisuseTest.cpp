// Callers that get it wrong: every method of the five interfaces with null
// pointers, by-reference and wrongly typed VARIANTs, odd array bounds and
// shapes, arrays of another element type and a batch of 100,000 events.
// Each cell answers with a documented result, leaves its outputs as the
// interface says and does not crash.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "tests/reliability/HostileCorpus.h"
#include "tests/reliability/ReliabilitySupport.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr LONG kUserAlarms = 0x200001;
constexpr LONG kUnknownHandle = 4711;
constexpr LONG kSentinel = 0x5EED;

Variant Sentinel() { return LongValue(kSentinel); }
bool IsSentinel(const VARIANT& value) { return V_VT(&value) == VT_I4 && V_I4(&value) == kSentinel; }
bool IsEmpty(const VARIANT& value) { return V_VT(&value) == VT_EMPTY; }

Variant OfType(VARTYPE type) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = type;
    return Variant(value);
}

// An array VARIANT whose declared element type differs from the array's own.
Variant Mislabelled(VARTYPE declared, VARTYPE actual, ULONG count) {
    Variant value = ArrayVariant(declared, SafeArray(SafeArrayCreateVector(actual, 0, count)));
    return value;
}

Variant TwoDimensional(VARTYPE type) {
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    SAFEARRAY* array = SafeArrayCreate(type, 2, bounds);
    if (type == VT_BSTR) {
        for (LONG i = 0; i < 2; ++i) {
            for (LONG j = 0; j < 2; ++j) {
                LONG index[2] = {i, j};
                BSTR text = SysAllocString(L"/PLC1/U7SQ");
                SafeArrayPutElement(array, index, text);
                SysFreeString(text);
            }
        }
    }
    return ArrayVariant(type, SafeArray(array));
}

// A VARIANT referring to another one's array, as VT_BYREF.
struct ByReference {
    explicit ByReference(Variant owned) : target(std::move(owned)) {
        VariantInit(&value);
        V_VT(&value) = static_cast<VARTYPE>(VT_BYREF | V_VT(&*target));
        V_ARRAYREF(&value) = &V_ARRAY(target.Get());
    }
    Variant target;
    VARIANT value;
};

// An output VARIANT that refers to a caller's number.
struct ByRefOutput {
    ByRefOutput() {
        VariantInit(&value);
        V_VT(&value) = VT_BYREF | VT_I4;
        V_I4REF(&value) = &number;
    }
    LONG number = 42;
    VARIANT value;
};

const std::wstring kLongText(1 << 20, L'x');
const std::wstring kEmbeddedZero(L"/PLC1/U7SQ\0tail", 15);
const std::wstring kDeviceWithZero(L"PLC1\0tail", 9);

// A loaded component as a client sees it, with subscription 1 selecting
// the user alarms' message text and process parameter.
struct Fixture {
    Fixture() {
        directory.WriteProject(ReferenceProject(ProjectShape{}));
        a = CreateComponent<IEventMessageIds>();
        if (!a) return;
        a.As(&b);
        a.As(&umc);
        a.As(&init);
        a.As(&binder);
        init->ParseXML(nullptr);
        b->CreateSubscription(&handle);
        Variant results;
        b->SelectAttributes(handle, kUserAlarms, *LongArray({-1, 1}), results.Get());
    }
    std::vector<LONG> Selected() {
        Variant ids;
        b->GetSelectedAttributes(handle, kUserAlarms, ids.Get());
        return LongsOf(*ids);
    }

    ProjectDirectory directory;
    ComPtr<IEventMessageIds> a;
    ComPtr<IEventModel> b;
    ComPtr<IUMCInfo> umc;
    ComPtr<IEventInfoInit> init;
    ComPtr<IParseDisplayName> binder;
    LONG handle = 0;
};

// What a cell leaves behind: an empty text when the outputs are as the
// interface says, else what is wrong.
using Outcome = std::string;
inline Outcome Expect(bool ok, const char* problem) { return ok ? "" : problem; }

struct Cell {
    const char* method;
    const char* misuse;
    std::vector<HRESULT> allowed;
    std::function<Outcome(Fixture&, HRESULT&)> run;
};

// --- IEventMessageIds --------------------------------------------------------------

Outcome MessageIdsInto(Fixture& f, HRESULT& hr, LONG category, VARIANT* output) {
    hr = f.a->GetCategoryMessageIds(category, output);
    return "";
}

std::vector<Cell> EventMessageIdsCells() {
    std::vector<Cell> cells = {
        {"GetCategoryMessageIds",
         "null output",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) { return MessageIdsInto(f, hr, kUserAlarms, nullptr); }},
        {"GetCategoryMessageIds",
         "output holding a by-reference number",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             ByRefOutput out;
             hr = f.a->GetCategoryMessageIds(kUserAlarms, &out.value);
             const bool ok = V_VT(&out.value) == (VT_ARRAY | VT_BSTR) && out.number == 42;
             Variant owned(out.value);
             return Expect(ok, "output not overwritten with the array, or the caller's number touched");
         }},
        {"GetSourceMessageIds",
         "null output",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) {
             const Bstr source(L"/PLC1/U7SQ");
             hr = f.a->GetSourceMessageIds(source.Get(), nullptr);
             return "";
         }},
        {"GetSourceMessageIds",
         "null source path",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Variant out = Sentinel();
             hr = f.a->GetSourceMessageIds(nullptr, out.Get());
             return Expect(IsSentinel(*out), "output changed");
         }},
        {"GetSourceMessageIds",
         "path with an embedded zero",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             const Bstr source(kEmbeddedZero);
             Variant out = Sentinel();
             hr = f.a->GetSourceMessageIds(source.Get(), out.Get());
             return Expect(IsSentinel(*out), "output changed");
         }},
        {"GetSourceMessageIds",
         "path of a million characters",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             const Bstr source(kLongText);
             Variant out = Sentinel();
             hr = f.a->GetSourceMessageIds(source.Get(), out.Get());
             return Expect(IsSentinel(*out), "output changed");
         }},
        {"GetSubMessageIds",
         "null output",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) {
             hr = f.a->GetSubMessageIds(0, nullptr);
             return "";
         }},
        {"GetSubMessageIds",
         "output holding a by-reference number",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             ByRefOutput out;
             hr = f.a->GetSubMessageIds(0, &out.value);
             return Expect(IsEmpty(out.value) && out.number == 42, "not emptied, or the caller's number touched");
         }},
        {"GetSubMessageIds",
         "output of an invalid VARIANT type",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             Variant out = OfType(0x7FFF);
             hr = f.a->GetSubMessageIds(0, out.Get());
             const bool ok = IsEmpty(*out);
             V_VT(out.Get()) = VT_EMPTY;
             return Expect(ok, "not emptied");
         }},
        {"GetSubMessageIds",
         "output holding an array",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             Variant out = LongArray({1, 2, 3});
             hr = f.a->GetSubMessageIds(INT_MIN, out.Get());
             return Expect(IsEmpty(*out), "not emptied");
         }},
        {"QueryUnsupported",
         "null pointer",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) {
             hr = f.a->QueryUnsupported(nullptr);
             return "";
         }},
        {"QueryUnsupported",
         "by-reference VARIANT",
         {E_NOTIMPL},
         [](Fixture& f, HRESULT& hr) {
             ByRefOutput out;
             hr = f.a->QueryUnsupported(&out.value);
             return Expect(V_VT(&out.value) == (VT_BYREF | VT_I4) && out.number == 42, "argument changed");
         }},
    };
    for (VARTYPE refused : {VARTYPE(VT_NULL), VARTYPE(VT_ERROR)}) {
        cells.push_back({"GetCategoryMessageIds",
                         refused == VT_NULL ? "output VT_NULL" : "output VT_ERROR",
                         {E_INVALIDARG},
                         [refused](Fixture& f, HRESULT& hr) {
                             Variant out = OfType(refused);
                             hr = f.a->GetCategoryMessageIds(kUserAlarms, out.Get());
                             return Expect(V_VT(&*out) == refused, "output changed");
                         }});
        cells.push_back({"GetSourceMessageIds",
                         refused == VT_NULL ? "output VT_NULL" : "output VT_ERROR",
                         {E_INVALIDARG},
                         [refused](Fixture& f, HRESULT& hr) {
                             const Bstr source(L"/PLC1/U7SQ");
                             Variant out = OfType(refused);
                             hr = f.a->GetSourceMessageIds(source.Get(), out.Get());
                             return Expect(V_VT(&*out) == refused, "output changed");
                         }});
    }
    for (LONG id : {LONG(INT_MIN), LONG(-1), LONG(0), LONG(INT_MAX)}) {
        cells.push_back(
            {"GetCategoryMessageIds", "category id at the limits", {E_INVALIDARG}, [id](Fixture& f, HRESULT& hr) {
                 Variant out = Sentinel();
                 hr = f.a->GetCategoryMessageIds(id, out.Get());
                 return Expect(IsSentinel(*out), "output changed");
             }});
    }
    return cells;
}

// --- IEventModel: categories, attributes, subscriptions -------------------------

Outcome SelectAndCheck(Fixture& f, HRESULT& hr, const VARIANT& ids, bool selectionKept) {
    const std::vector<LONG> before = f.Selected();
    Variant results = Sentinel();
    hr = f.b->SelectAttributes(f.handle, kUserAlarms, ids, results.Get());
    if (FAILED(hr)) {
        if (!IsEmpty(*results)) return "results not VT_EMPTY";
        if (selectionKept && f.Selected() != before) return "the stored selection changed";
        return "";
    }
    const SAFEARRAY* request = V_ARRAY(&ids);
    const SAFEARRAY* answer = V_VT(&*results) == (VT_ARRAY | VT_I4) ? V_ARRAY(&*results) : nullptr;
    if (!answer || answer->cDims != 1 || answer->rgsabound[0].lLbound != request->rgsabound[0].lLbound ||
        answer->rgsabound[0].cElements != request->rgsabound[0].cElements)
        return "results without the bounds of the request";
    return "";
}

std::vector<Cell> SelectionCells() {
    std::vector<Cell> cells = {
        {"SelectAttributes",
         "null results",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) {
             hr = f.b->SelectAttributes(f.handle, kUserAlarms, *LongArray({1}), nullptr);
             return Expect(f.Selected() == std::vector<LONG>({-1, 1}), "the stored selection changed");
         }},
        {"SelectAttributes",
         "by-reference array",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             ByReference ids(LongArray({1}));
             return SelectAndCheck(f, hr, ids.value, true);
         }},
        {"SelectAttributes",
         "array VARIANT without an array",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) { return SelectAndCheck(f, hr, *ArrayVariant(VT_I4, SafeArray(nullptr)), true); }},
        {"SelectAttributes",
         "two-dimensional array",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) { return SelectAndCheck(f, hr, *TwoDimensional(VT_I4), true); }},
        {"SelectAttributes",
         "VT_I4-labelled array of 16-bit elements",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) { return SelectAndCheck(f, hr, *Mislabelled(VT_I4, VT_I2, 3), true); }},
        {"SelectAttributes",
         "VT_I4-labelled array of 64-bit elements",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) { return SelectAndCheck(f, hr, *Mislabelled(VT_I4, VT_I8, 3), true); }},
        {"SelectAttributes",
         "VT_I4-labelled array of unsigned 32-bit elements",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) { return SelectAndCheck(f, hr, *Mislabelled(VT_I4, VT_UI4, 3), false); }},
        {"SelectAttributes",
         "array of strings",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) { return SelectAndCheck(f, hr, *TextArray({L"1"}), true); }},
        {"SelectAttributes",
         "empty array",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             Outcome outcome = SelectAndCheck(f, hr, *LongArray({}), false);
             Variant ids = Sentinel();
             const HRESULT read = f.b->GetSelectedAttributes(f.handle, kUserAlarms, ids.Get());
             return outcome.empty() ? Expect(read == E_INVALIDARG && IsSentinel(*ids), "selection not emptied")
                                    : outcome;
         }},
        {"SelectAttributes",
         "unknown handle",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Variant results = Sentinel();
             hr = f.b->SelectAttributes(kUnknownHandle, kUserAlarms, *LongArray({1}), results.Get());
             return Expect(IsEmpty(*results), "results not VT_EMPTY");
         }},
        {"SelectAttributes",
         "results holding a by-reference number",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             ByRefOutput out;
             hr = f.b->SelectAttributes(f.handle, kUserAlarms, *LongArray({1}), &out.value);
             const bool ok = V_VT(&out.value) == (VT_ARRAY | VT_I4) && out.number == 42;
             Variant owned(out.value);
             return Expect(ok, "results not overwritten, or the caller's number touched");
         }},
        {"GetSelectedAttributes",
         "null output",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) {
             hr = f.b->GetSelectedAttributes(f.handle, kUserAlarms, nullptr);
             return "";
         }},
        {"GetSelectedAttributes",
         "unknown handle and category",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Variant out = Sentinel();
             hr = f.b->GetSelectedAttributes(kUnknownHandle, INT_MIN, out.Get());
             return Expect(IsSentinel(*out), "output changed");
         }},
        {"CreateSubscription",
         "null handle",
         {E_POINTER},
         [](Fixture& f, HRESULT& hr) {
             hr = f.b->CreateSubscription(nullptr);
             return "";
         }},
    };
    for (VARTYPE type : {VARTYPE(VT_I4), VARTYPE(VT_BSTR), VARTYPE(VT_ERROR), VARTYPE(VT_DISPATCH),
                         VARTYPE(VT_ARRAY | VT_VARIANT), VARTYPE(0x7FFF)}) {
        cells.push_back(
            {"SelectAttributes", "argument of a wrong VARIANT type", {E_INVALIDARG}, [type](Fixture& f, HRESULT& hr) {
                 VARIANT wrong;
                 VariantInit(&wrong);
                 V_VT(&wrong) = type;
                 return SelectAndCheck(f, hr, wrong, true);
             }});
    }
    for (LONG lowerBound : {LONG(-5), LONG(0), LONG(7)}) {
        cells.push_back({"SelectAttributes",
                         "array with lower bound -5, 0 or 7",
                         {S_OK, S_FALSE},
                         [lowerBound](Fixture& f, HRESULT& hr) {
                             return SelectAndCheck(f, hr, *LongArray({1, 999, -1}, lowerBound), false);
                         }});
    }
    for (LONG handle : {LONG(INT_MIN), LONG(-1), LONG(0), LONG(INT_MAX)}) {
        cells.push_back(
            {"DeleteSubscription", "handle never issued", {E_INVALIDARG}, [handle](Fixture& f, HRESULT& hr) {
                 hr = f.b->DeleteSubscription(handle);
                 return Expect(f.Selected() == std::vector<LONG>({-1, 1}), "subscription 1 changed");
             }});
    }
    return cells;
}

std::vector<Cell> CategoryCells() {
    std::vector<Cell> cells = {
        {"GetCategories",
         "null ids",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Variant texts = Sentinel();
             hr = f.b->GetCategories(0x70, nullptr, texts.Get());
             return Expect(IsSentinel(*texts), "the other output changed");
         }},
        {"GetCategories",
         "null descriptions",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Variant ids = Sentinel();
             hr = f.b->GetCategories(0x70, ids.Get(), nullptr);
             return Expect(IsSentinel(*ids), "the other output changed");
         }},
        {"GetCategories",
         "outputs holding by-reference numbers, mask INT_MIN",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             ByRefOutput ids, texts;
             hr = f.b->GetCategories(INT_MIN, &ids.value, &texts.value);
             const bool ok = V_VT(&ids.value) == (VT_ARRAY | VT_I4) && V_VT(&texts.value) == (VT_ARRAY | VT_BSTR) &&
                             ids.number == 42 && texts.number == 42;
             Variant a(ids.value), b(texts.value);
             return Expect(ok, "outputs not overwritten with arrays, or the caller's numbers touched");
         }},
        {"GetCategoryAttributes",
         "unknown category",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Variant ids = Sentinel(), types = Sentinel(), texts = Sentinel();
             hr = f.b->GetCategoryAttributes(INT_MAX, ids.Get(), types.Get(), texts.Get());
             return Expect(IsSentinel(*ids) && IsSentinel(*types) && IsSentinel(*texts), "outputs changed");
         }},
    };
    for (int missing = 0; missing < 3; ++missing) {
        cells.push_back(
            {"GetCategoryAttributes", "one null output", {E_INVALIDARG}, [missing](Fixture& f, HRESULT& hr) {
                 Variant outputs[3] = {Sentinel(), Sentinel(), Sentinel()};
                 VARIANT* pointers[3] = {outputs[0].Get(), outputs[1].Get(), outputs[2].Get()};
                 pointers[missing] = nullptr;
                 hr = f.b->GetCategoryAttributes(kUserAlarms, pointers[0], pointers[1], pointers[2]);
                 bool ok = true;
                 for (int k = 0; k < 3; ++k) ok = ok && (k == missing || IsSentinel(*outputs[k]));
                 return Expect(ok, "another output changed");
             }});
    }
    return cells;
}

// --- IEventModel: event resolution ------------------------------------------------

struct Batch {
    Variant names, sources, infos, params;
};

Batch EventBatch(LONG lowerBound = 0) {
    return {TextArray({L"Alarm1", L"Alarm2", L"Alarm3"}, lowerBound),
            TextArray({L"/PLC1/U7SQ", L"/NoSuch/U7SQ", L"/PLC2/U7SQ"}, lowerBound), Variant(), Variant()};
}

// Calls with the given arguments and checks the outputs: all VT_EMPTY on a
// refusal, otherwise five arrays with the bounds of the messageNames array.
Outcome Resolve(Fixture& f, HRESULT& hr, const VARIANT& names, const VARIANT& sources, const VARIANT& infos,
                const VARIANT& params, LONG lowerBound, ULONG count, std::vector<LONG>* categories = nullptr) {
    Variant outputs[6] = {Sentinel(), Sentinel(), Sentinel(), Sentinel(), Sentinel(), Sentinel()};
    hr = f.b->ResolveEvents(f.handle, 0x0407, names, sources, infos, params, outputs[0].Get(), outputs[1].Get(),
                            outputs[2].Get(), outputs[3].Get(), outputs[4].Get(), outputs[5].Get());
    if (FAILED(hr)) {
        for (const Variant& output : outputs)
            if (!IsEmpty(*output)) return "a refused call left an output that is not VT_EMPTY";
        return "";
    }
    if (!IsEmpty(*outputs[0])) return "reserved output not VT_EMPTY";
    const VARTYPE types[5] = {VT_I4, VT_I4, VT_VARIANT, VT_VARIANT, VT_I4};
    for (int k = 1; k < 6; ++k) {
        const VARIANT& output = *outputs[k];
        const SAFEARRAY* array = V_VT(&output) == (VT_ARRAY | types[k - 1]) ? V_ARRAY(&output) : nullptr;
        if (!array || array->cDims != 1 || array->rgsabound[0].lLbound != lowerBound ||
            array->rgsabound[0].cElements != count)
            return "a per-event output without the bounds of the batch";
    }
    if (categories) *categories = LongsOf(*outputs[2]);
    return "";
}

// A VT_BSTR-labelled array of numbers that, read as BSTRs, point nowhere.
Variant PointerSizedNumbers() {
    Variant numbers = Mislabelled(VT_BSTR, sizeof(void*) == 8 ? VT_I8 : VT_I4, 3);
    INT_PTR* data = nullptr;
    SafeArrayAccessData(V_ARRAY(&*numbers), reinterpret_cast<void**>(&data));
    for (int k = 0; k < 3; ++k) data[k] = static_cast<INT_PTR>(0x00410041) + k;
    SafeArrayUnaccessData(V_ARRAY(&*numbers));
    return numbers;
}

// The same for VT_VARIANT: decimals whose first field reads as
// VT_ARRAY|VT_UI1 and whose value as an array pointer.
Variant DecimalsLookingLikeArrays() {
    Variant decimals = Mislabelled(VT_VARIANT, VT_DECIMAL, 3);
    DECIMAL* data = nullptr;
    SafeArrayAccessData(V_ARRAY(&*decimals), reinterpret_cast<void**>(&data));
    for (int k = 0; k < 3; ++k) {
        std::memset(&data[k], 0x41, sizeof(DECIMAL));
        data[k].wReserved = VT_ARRAY | VT_UI1;
    }
    SafeArrayUnaccessData(V_ARRAY(&*decimals));
    return decimals;
}

Outcome ResolveBatch(Fixture& f, HRESULT& hr, const Batch& batch, LONG lowerBound = 0, ULONG count = 3) {
    return Resolve(f, hr, *batch.names, *batch.sources, *batch.infos, *batch.params, lowerBound, count);
}

std::vector<Cell> ResolveCells() {
    std::vector<Cell> cells = {
        {"ResolveEvents",
         "unknown handle",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             f.b->DeleteSubscription(f.handle);
             return ResolveBatch(f, hr, EventBatch());
         }},
        {"ResolveEvents",
         "by-reference message names",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             ByReference names(std::move(batch.names));
             return Resolve(f, hr, names.value, *batch.sources, *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "by-reference source paths",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             ByReference sources(std::move(batch.sources));
             return Resolve(f, hr, *batch.names, sources.value, *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "by-reference parameters (read as absent)",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             std::vector<Variant> items;
             items.push_back(ByteArray({1, 44}));
             ByReference params(VariantArray(std::move(items)));
             return Resolve(f, hr, *batch.names, *batch.sources, params.value, params.value, 0, 3);
         }},
        {"ResolveEvents",
         "array VARIANT without an array",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             return Resolve(f, hr, *ArrayVariant(VT_BSTR, SafeArray(nullptr)), *batch.sources, *batch.infos,
                            *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "two-dimensional message names",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             return Resolve(f, hr, *TwoDimensional(VT_BSTR), *batch.sources, *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "two-dimensional parameters (read as absent)",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             return Resolve(f, hr, *batch.names, *batch.sources, *TwoDimensional(VT_VARIANT),
                            *TwoDimensional(VT_VARIANT), 0, 3);
         }},
        {"ResolveEvents",
         "VT_BSTR-labelled names of 16-bit numbers",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             return Resolve(f, hr, *Mislabelled(VT_BSTR, VT_I2, 3), *batch.sources, *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "VT_BSTR-labelled names of pointer-sized numbers",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             return Resolve(f, hr, *PointerSizedNumbers(), *batch.sources, *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "VT_BSTR-labelled source paths of pointer-sized numbers",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             return Resolve(f, hr, *batch.names, *PointerSizedNumbers(), *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "VT_VARIANT-labelled parameters of 16-byte decimals",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             Batch batch = EventBatch();
             Variant decimals = DecimalsLookingLikeArrays();
             return Resolve(f, hr, *batch.names, *batch.sources, *decimals, *decimals, 0, 3);
         }},
        {"ResolveEvents",
         "empty arrays",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             return Resolve(f, hr, *TextArray({}), *TextArray({}), *Variant(), *Variant(), 0, 0);
         }},
        {"ResolveEvents",
         "fewer source paths and parameters than names, other bounds",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             std::vector<Variant> values;
             values.push_back(LongValue(5));
             return Resolve(f, hr, *TextArray({L"Alarm1", L"Alarm2", L"Alarm3"}, 7), *TextArray({L"/PLC1/U7SQ"}, 8),
                            *VariantArray({}), *VariantArray(std::move(values), -5), 7, 3);
         }},
    };
    for (LONG lowerBound : {LONG(-5), LONG(0), LONG(7)}) {
        cells.push_back({"ResolveEvents",
                         "arrays with lower bound -5, 0 or 7",
                         {S_OK, S_FALSE},
                         [lowerBound](Fixture& f, HRESULT& hr) {
                             return ResolveBatch(f, hr, EventBatch(lowerBound), lowerBound);
                         }});
    }
    for (VARTYPE type : {VARTYPE(VT_NULL), VARTYPE(VT_ERROR), VARTYPE(VT_BSTR), VARTYPE(VT_I4),
                         VARTYPE(VT_ARRAY | VT_VARIANT), VARTYPE(0x7FFF)}) {
        cells.push_back(
            {"ResolveEvents", "message names of a wrong VARIANT type", {E_INVALIDARG}, [type](Fixture& f, HRESULT& hr) {
                 Batch batch = EventBatch();
                 Variant wrong = type == (VT_ARRAY | VT_VARIANT) ? VariantArray({}) : OfType(type);
                 return Resolve(f, hr, *wrong, *batch.sources, *batch.infos, *batch.params, 0, 3);
             }});
        cells.push_back(
            {"ResolveEvents", "source paths of a wrong VARIANT type", {E_INVALIDARG}, [type](Fixture& f, HRESULT& hr) {
                 Batch batch = EventBatch();
                 Variant wrong = type == (VT_ARRAY | VT_VARIANT) ? VariantArray({}) : OfType(type);
                 return Resolve(f, hr, *batch.names, *wrong, *batch.infos, *batch.params, 0, 3);
             }});
    }
    for (int missing = 0; missing < 6; ++missing) {
        cells.push_back({"ResolveEvents", "one null output", {E_INVALIDARG}, [missing](Fixture& f, HRESULT& hr) {
                             Batch batch = EventBatch();
                             Variant outputs[6] = {Sentinel(), Sentinel(), Sentinel(),
                                                   Sentinel(), Sentinel(), Sentinel()};
                             VARIANT* p[6];
                             for (int k = 0; k < 6; ++k) p[k] = outputs[k].Get();
                             p[missing] = nullptr;
                             hr = f.b->ResolveEvents(f.handle, 0x0407, *batch.names, *batch.sources, *batch.infos,
                                                     *batch.params, p[0], p[1], p[2], p[3], p[4], p[5]);
                             bool ok = true;
                             for (int k = 0; k < 6; ++k)
                                 ok = ok && (k == missing || IsSentinel(*outputs[k]) || IsEmpty(*outputs[k]));
                             return Expect(ok, "an output holds something");
                         }});
    }
    for (LONG language : {LONG(INT_MIN), LONG(-1), LONG(0x12345), LONG(INT_MAX)}) {
        cells.push_back({"ResolveEvents",
                         "language check with a language beyond 16 bits",
                         {S_OK, S_FALSE},
                         [language](Fixture& f, HRESULT& hr) {
                             Variant outputs[6];
                             const Variant none;
                             hr = f.b->ResolveEvents(kUnknownHandle, language, *none, *none, *none, *none,
                                                     outputs[0].Get(), outputs[1].Get(), outputs[2].Get(),
                                                     outputs[3].Get(), outputs[4].Get(), outputs[5].Get());
                             bool ok = true;
                             for (const Variant& output : outputs) ok = ok && IsEmpty(*output);
                             return Expect(ok, "an output holds something");
                         }});
    }
    cells.push_back(
        {"ResolveEvents", "a batch of 100,000 events", {S_OK, S_FALSE}, [](Fixture& f, HRESULT& hr) {
             constexpr ULONG kEvents = 100000;
             const wchar_t* const sources[] = {L"/PLC1/U7SQ", L"/PLC1/RT11", L"/PLC2/U7DIAG", L"/None/U7SQ"};
             std::vector<std::wstring> names, paths;
             std::vector<Variant> params;
             for (ULONG k = 0; k < kEvents; ++k) {
                 names.push_back(L"Alarm" + std::to_wstring(k % 8));
                 paths.push_back(sources[k % 4]);
                 std::vector<Variant> values;
                 values.push_back(LongValue(static_cast<LONG>(k)));
                 params.push_back(VariantArray(std::move(values)));
             }
             const double start = Now();
             std::vector<LONG> categories;
             Outcome outcome = Resolve(f, hr, *TextArray(names, -5), *TextArray(paths, -5), *Variant(),
                                       *VariantArray(std::move(params), -5), -5, kEvents, &categories);
             Figure("misuse.batch_100000_seconds", FormatNumber(Now() - start, 2));
             // Every event of a known source has its category.
             const auto resolved = std::count_if(categories.begin(), categories.end(), [](LONG id) { return id != 0; });
             return outcome.empty() ? Expect(resolved == kEvents / 4 * 3, "events not resolved") : outcome;
         }});
    return cells;
}

// --- IUMCInfo -----------------------------------------------------------------

std::vector<Cell> DeviceCells() {
    std::vector<Cell> cells;
    for (int missing = 0; missing < 5; ++missing) {
        cells.push_back(
            {"GetDevices", "one null pointer", {E_POINTER, E_INVALIDARG}, [missing](Fixture& f, HRESULT& hr) {
                 Variant outputs[3];
                 tagAlarmTypes alarms = static_cast<tagAlarmTypes>(77);
                 tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                 VARIANT* p[3] = {outputs[0].Get(), outputs[1].Get(), outputs[2].Get()};
                 if (missing < 3) p[missing] = nullptr;
                 hr = f.umc->GetDevices(p[0], p[1], p[2], missing == 3 ? nullptr : &alarms,
                                        missing == 4 ? nullptr : &error);
                 bool ok = alarms == 77 && error == 77;
                 for (const Variant& output : outputs) ok = ok && IsEmpty(*output);
                 return Expect(ok, "an output changed");
             }});
    }
    for (int refused = 0; refused < 3; ++refused) {
        cells.push_back(
            {"GetDevices", "an output VT_NULL or VT_ERROR", {E_INVALIDARG}, [refused](Fixture& f, HRESULT& hr) {
                 Variant outputs[3] = {Sentinel(), Sentinel(), Sentinel()};
                 V_VT(outputs[refused].Get()) = refused == 1 ? VT_ERROR : VT_NULL;
                 tagAlarmTypes alarms = static_cast<tagAlarmTypes>(77);
                 tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                 hr = f.umc->GetDevices(outputs[0].Get(), outputs[1].Get(), outputs[2].Get(), &alarms, &error);
                 bool ok = alarms == 77 && error == 77;
                 for (int k = 0; k < 3; ++k) ok = ok && (k == refused || IsSentinel(*outputs[k]));
                 return Expect(ok, "something changed");
             }});
    }
    cells.push_back({"GetDevices", "outputs holding by-reference numbers", {S_OK}, [](Fixture& f, HRESULT& hr) {
                         ByRefOutput names, sums, addresses;
                         tagAlarmTypes alarms;
                         tagIUMCErrors error;
                         hr = f.umc->GetDevices(&names.value, &sums.value, &addresses.value, &alarms, &error);
                         bool ok = true;
                         for (ByRefOutput* out : {&names, &sums, &addresses}) {
                             ok = ok && V_VT(&out->value) == (VT_ARRAY | VT_BSTR) && out->number == 42;
                             Variant owned(out->value);
                         }
                         return Expect(ok, "outputs not overwritten, or the caller's numbers touched");
                     }});

    struct TOsCall {
        const char* method;
        bool withTypes;
    };
    for (const TOsCall call : {TOsCall{"GetTOs", false}, TOsCall{"GetTOsWithTypes", true}}) {
        auto invoke = [call](Fixture& f, BSTR name, VARIANT* a, VARIANT* b, VARIANT* c, tagIUMCErrors* error) {
            return call.withTypes ? f.umc->GetTOsWithTypes(name, a, b, c, error) : f.umc->GetTOs(name, a, b, error);
        };
        const int outputs = call.withTypes ? 3 : 2;
        for (int missing = 0; missing <= outputs; ++missing) {
            cells.push_back({call.method, "one null pointer", {E_POINTER, E_INVALIDARG}, [=](Fixture& f, HRESULT& hr) {
                                 const Bstr name(L"PLC1");
                                 Variant out[3];
                                 tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                                 VARIANT* p[3] = {out[0].Get(), out[1].Get(), call.withTypes ? out[2].Get() : nullptr};
                                 if (missing < outputs) p[missing] = nullptr;
                                 hr = invoke(f, name.Get(), p[0], p[1], p[2], missing == outputs ? nullptr : &error);
                                 return Expect(error == 77 && IsEmpty(*out[0]) && IsEmpty(*out[1]),
                                               "an output changed");
                             }});
        }
        for (const std::wstring& device : {std::wstring(), kDeviceWithZero, kLongText, std::wstring(L"plc1")}) {
            cells.push_back({call.method,
                             "device name null, with a zero inside, a million characters or in other case",
                             {E_INVALIDARG},
                             [=](Fixture& f, HRESULT& hr) {
                                 const Bstr name(device);
                                 Variant out[3] = {Sentinel(), Sentinel(), Sentinel()};
                                 tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                                 hr = invoke(f, device.empty() ? nullptr : name.Get(), out[0].Get(), out[1].Get(),
                                             out[2].Get(), &error);
                                 return Expect(error == IUMC_OK && IsEmpty(*out[0]) && IsEmpty(*out[1]),
                                               "outputs not VT_EMPTY with IUMC_OK");
                             }});
        }
        // The last output refused: those before it are already emptied.
        cells.push_back({call.method, "last output VT_NULL", {E_INVALIDARG}, [=](Fixture& f, HRESULT& hr) {
                             const Bstr name(L"PLC1");
                             Variant out[3] = {Sentinel(), Sentinel(), Sentinel()};
                             V_VT(out[outputs - 1].Get()) = VT_NULL;
                             tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                             hr = invoke(f, name.Get(), out[0].Get(), out[1].Get(), out[2].Get(), &error);
                             bool ok = error == 77 && V_VT(&*out[outputs - 1]) == VT_NULL;
                             for (int k = 0; k < outputs - 1; ++k) ok = ok && IsEmpty(*out[k]);
                             return Expect(ok, "outputs not as the refusal leaves them");
                         }});
        cells.push_back({call.method, "outputs holding by-reference numbers", {S_OK}, [=](Fixture& f, HRESULT& hr) {
                             const Bstr name(L"PLC1");
                             ByRefOutput out[3];
                             tagIUMCErrors error;
                             hr = invoke(f, name.Get(), &out[0].value, &out[1].value, &out[2].value, &error);
                             bool ok = true;
                             for (int k = 0; k < outputs; ++k) {
                                 ok = ok && V_VT(&out[k].value) == (VT_ARRAY | VT_BSTR) && out[k].number == 42;
                                 Variant owned(out[k].value);
                             }
                             return Expect(ok, "outputs not arrays, or the caller's numbers touched");
                         }});
    }
    return cells;
}

std::vector<Cell> ConnectionCells() {
    std::vector<Cell> cells;
    for (int missing = 0; missing < 3; ++missing) {
        cells.push_back({"GetConnectionInfo", "one null pointer", {E_POINTER}, [missing](Fixture& f, HRESULT& hr) {
                             const Bstr name(L"PLC1");
                             BSTR text = name.Get();
                             Variant value = Sentinel();
                             tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                             hr = f.umc->GetConnectionInfo(missing == 0 ? nullptr : &text, CONFIG_TIMEOUT,
                                                           missing == 1 ? nullptr : value.Get(),
                                                           missing == 2 ? nullptr : &error);
                             return Expect(IsSentinel(*value) && error == 77, "an output changed");
                         }});
    }
    for (const std::wstring& device : {std::wstring(), kDeviceWithZero, kLongText}) {
        cells.push_back({"GetConnectionInfo",
                         "device name null, with a zero inside or a million characters",
                         {E_INVALIDARG},
                         [device](Fixture& f, HRESULT& hr) {
                             const Bstr name(device);
                             BSTR text = name.Get();
                             Variant value = Sentinel();
                             tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                             hr = f.umc->GetConnectionInfo(&text, CONFIG_TIMEOUT, value.Get(), &error);
                             return Expect(IsSentinel(*value) && error == 77, "an output changed");
                         }});
    }
    for (LONG id : {LONG(INT_MIN), LONG(-1), LONG(0), LONG(31), LONG(INT_MAX)}) {
        cells.push_back(
            {"GetConnectionInfo", "parameter id outside 1 to 30", {E_INVALIDARG}, [id](Fixture& f, HRESULT& hr) {
                 const Bstr name(L"PLC1");
                 BSTR text = name.Get();
                 Variant value = Sentinel();
                 tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
                 hr = f.umc->GetConnectionInfo(&text, static_cast<tagConfigParams>(id), value.Get(), &error);
                 return Expect(IsSentinel(*value) && error == 77, "an output changed");
             }});
    }
    cells.push_back({"GetConnectionInfo", "value holding a by-reference number", {S_OK}, [](Fixture& f, HRESULT& hr) {
                         const Bstr name(L"PLC2");
                         BSTR text = name.Get();
                         ByRefOutput out;
                         tagIUMCErrors error;
                         hr = f.umc->GetConnectionInfo(&text, CONFIG_REMNSAP, &out.value, &error);
                         const bool ok = V_VT(&out.value) == (VT_ARRAY | VT_UI1) && out.number == 42;
                         Variant owned(out.value);
                         return Expect(ok, "value not overwritten, or the caller's number touched");
                     }});
    return cells;
}

// --- IEventInfoInit and IParseDisplayName ----------------------------------------

std::vector<Cell> LoadAndBindCells() {
    std::vector<Cell> cells;
    for (const std::wstring& file : {std::wstring(), std::wstring(L""), kEmbeddedZero, kLongText}) {
        cells.push_back({"ParseXML",
                         "file argument null, empty, with a zero inside or a million characters",
                         {S_OK},
                         [file](Fixture& f, HRESULT& hr) {
                             const Bstr name(file);
                             hr = f.init->ParseXML(file.empty() ? nullptr : name.Get());
                             return Expect(f.Selected() == std::vector<LONG>({-1, 1}), "the load changed a selection");
                         }});
    }
    for (int missing = 0; missing < 3; ++missing) {
        cells.push_back({"ParseDisplayName", "one null pointer", {E_POINTER}, [missing](Fixture& f, HRESULT& hr) {
                             wchar_t name[] = L"@CorvalisEventInfo.EventInfoObj@x";
                             ULONG eaten = 77;
                             IMoniker* moniker = nullptr;
                             hr = f.binder->ParseDisplayName(nullptr, missing == 0 ? nullptr : name,
                                                             missing == 1 ? nullptr : &eaten,
                                                             missing == 2 ? nullptr : &moniker);
                             return Expect(eaten == 77 && !moniker, "an output changed");
                         }});
    }
    struct Name {
        std::wstring text;
        HRESULT result;
    };
    const Name names[] = {{L"", MK_E_NOOBJECT},
                          {L"@", MK_E_NOOBJECT},
                          {L"@@", MK_E_NOOBJECT},
                          {L"CorvalisEventInf", MK_E_NOOBJECT},
                          {L"corvalisEventInfo.EventInfoObj@x", MK_E_NOOBJECT},
                          {L"CorvalisEventInfo", S_OK},
                          {L"@CorvalisEventInfo@" + kLongText, S_OK}};
    for (const Name& name : names) {
        cells.push_back({"ParseDisplayName",
                         "empty, short, other-case, bare and very long names",
                         {name.result},
                         [name](Fixture& f, HRESULT& hr) {
                             std::wstring text = name.text;
                             ULONG eaten = 77;
                             IMoniker* moniker = nullptr;
                             ComPtr<IBindCtx> context;
                             CreateBindCtx(0, &context);
                             hr = f.binder->ParseDisplayName(context.Get(), &text[0], &eaten, &moniker);
                             const bool ok = hr == S_OK ? moniker && eaten == text.size() : !moniker;
                             if (moniker) moniker->Release();
                             return Expect(ok, "moniker and characters eaten not as the result says");
                         }});
    }
    return cells;
}

// --- Array shapes no late-bound host makes ----------------------------------------

// An array descriptor made by hand, as a caller calling through the vtable
// can: never given to the platform to destroy.
struct HandMadeArray {
    HandMadeArray(VARTYPE declared, USHORT features, ULONG elementSize, ULONG count, void* data = nullptr)
        : type(static_cast<VARTYPE>(VT_ARRAY | declared)) {
        descriptor.cDims = 1;
        descriptor.fFeatures = features;
        descriptor.cbElements = elementSize;
        descriptor.pvData = data;
        descriptor.rgsabound[0] = {count, 0};
    }
    // A VARIANT that holds this descriptor.
    VARIANT Value() {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = type;
        V_ARRAY(&value) = &descriptor;
        return value;
    }
    // What a method may do to a caller's array: lock it for a while.
    bool Untouched() const { return descriptor.cLocks == 0 && descriptor.rgsabound[0].cElements == 3; }

    VARTYPE type;
    SAFEARRAY descriptor{};
};

// Elements claimed, no data.
HandMadeArray NoData(VARTYPE type) {
    const USHORT features = type == VT_BSTR ? FADF_BSTR : type == VT_VARIANT ? FADF_VARIANT : 0;
    const ULONG size = type == VT_BSTR ? sizeof(BSTR) : type == VT_VARIANT ? sizeof(VARIANT) : sizeof(LONG);
    return HandMadeArray(type, features, size, 3);
}

// 32-bit ids whose array says they are strings, as a string array of a
// 32-bit host looks.
HandMadeArray IdsWithStringFeatures() {
    static LONG ids[3] = {1, -1, 1};
    return HandMadeArray(VT_I4, FADF_BSTR, sizeof(LONG), 3, ids);
}

// A real array the caller holds locked while it calls.
struct LockedArray {
    explicit LockedArray(Variant owned) : value(std::move(owned)) { SafeArrayLock(V_ARRAY(&*value)); }
    ~LockedArray() { SafeArrayUnlock(V_ARRAY(&*value)); }
    bool StillLockedOnce() const { return V_ARRAY(&*value)->cLocks == 1; }
    Variant value;
};

// The events' parameter elements, each holding one of the given arrays.
// Empty the elements (EmptyElements) before the owner clears the vector:
// the descriptors stay the caller's.
Variant ParameterElementsHolding(std::vector<HandMadeArray>& inner) {
    Variant vector = VariantArray(std::vector<Variant>(inner.size()));
    VARIANT* data = nullptr;
    SafeArrayAccessData(V_ARRAY(&*vector), reinterpret_cast<void**>(&data));
    for (size_t k = 0; k < inner.size(); ++k) data[k] = inner[k].Value();
    SafeArrayUnaccessData(V_ARRAY(&*vector));
    return vector;
}

void EmptyElements(Variant& vector) {
    VARIANT* data = nullptr;
    SafeArrayAccessData(V_ARRAY(&*vector), reinterpret_cast<void**>(&data));
    for (ULONG k = 0; k < V_ARRAY(&*vector)->rgsabound[0].cElements; ++k) VariantInit(&data[k]);
    SafeArrayUnaccessData(V_ARRAY(&*vector));
}

std::vector<Cell> ArrayShapeCells() {
    std::vector<Cell> cells = {
        {"SelectAttributes",
         "array that claims elements but holds no data",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             HandMadeArray ids = NoData(VT_I4);
             const Outcome outcome = SelectAndCheck(f, hr, ids.Value(), true);
             return outcome.empty() ? Expect(ids.Untouched(), "the caller's array changed") : outcome;
         }},
        {"SelectAttributes",
         "32-bit ids in an array with the features of strings",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             HandMadeArray ids = IdsWithStringFeatures();
             return SelectAndCheck(f, hr, ids.Value(), true);
         }},
        {"SelectAttributes",
         "array the caller holds locked",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             LockedArray ids(LongArray({1, -1}));
             const Outcome outcome = SelectAndCheck(f, hr, *ids.value, false);
             return outcome.empty() ? Expect(ids.StillLockedOnce(), "the caller's lock changed") : outcome;
         }},
        {"ResolveEvents",
         "message names that claim elements but hold no data",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             HandMadeArray names = NoData(VT_BSTR);
             const Batch batch = EventBatch();
             return Resolve(f, hr, names.Value(), *batch.sources, *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "source paths that claim elements but hold no data",
         {E_INVALIDARG},
         [](Fixture& f, HRESULT& hr) {
             HandMadeArray sources = NoData(VT_BSTR);
             const Batch batch = EventBatch();
             return Resolve(f, hr, *batch.names, sources.Value(), *batch.infos, *batch.params, 0, 3);
         }},
        {"ResolveEvents",
         "parameter arrays that claim elements but hold no data (read as absent)",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             HandMadeArray infos = NoData(VT_VARIANT), params = NoData(VT_VARIANT);
             const Batch batch = EventBatch();
             return Resolve(f, hr, *batch.names, *batch.sources, infos.Value(), params.Value(), 0, 3);
         }},
        {"ResolveEvents",
         "events whose parameter elements hold arrays without data",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             std::vector<HandMadeArray> infoArrays, paramArrays;
             for (int k = 0; k < 3; ++k) {
                 infoArrays.push_back(NoData(VT_I4));
                 paramArrays.push_back(k == 1 ? NoData(VT_VARIANT) : NoData(VT_UI1));
             }
             Variant infos = ParameterElementsHolding(infoArrays);
             Variant params = ParameterElementsHolding(paramArrays);
             const Batch batch = EventBatch();
             const Outcome outcome = Resolve(f, hr, *batch.names, *batch.sources, *infos, *params, 0, 3);
             EmptyElements(infos);
             EmptyElements(params);
             return outcome;
         }},
        {"ResolveEvents",
         "message names and source paths the caller holds locked",
         {S_OK, S_FALSE},
         [](Fixture& f, HRESULT& hr) {
             const Batch batch = EventBatch();
             LockedArray names(TextArray({L"Alarm1", L"Alarm2", L"Alarm3"}));
             LockedArray sources(TextArray({L"/PLC1/U7SQ", L"/NoSuch/U7SQ", L"/PLC2/U7SQ"}));
             const Outcome outcome = Resolve(f, hr, *names.value, *sources.value, *batch.infos, *batch.params, 0, 3);
             return outcome.empty()
                        ? Expect(names.StillLockedOnce() && sources.StillLockedOnce(), "the caller's lock changed")
                        : outcome;
         }},
        {"GetDevices",
         "in/out VARIANTs holding arrays without data",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             HandMadeArray names = NoData(VT_BSTR), sums = NoData(VT_BSTR), addresses = NoData(VT_BSTR);
             VARIANT outputs[3] = {names.Value(), sums.Value(), addresses.Value()};
             tagAlarmTypes alarms;
             tagIUMCErrors error;
             hr = f.umc->GetDevices(&outputs[0], &outputs[1], &outputs[2], &alarms, &error);
             bool ok = names.Untouched() && sums.Untouched() && addresses.Untouched();
             for (VARIANT& output : outputs) {
                 ok = ok && V_VT(&output) == (VT_ARRAY | VT_BSTR) && V_ARRAY(&output) != &names.descriptor &&
                      V_ARRAY(&output) != &sums.descriptor && V_ARRAY(&output) != &addresses.descriptor;
                 if (ok) Variant owned(output);
             }
             return Expect(ok, "outputs not overwritten, or the caller's arrays touched");
         }},
        {"GetDevices",
         "in/out VARIANTs holding two-dimensional and locked arrays",
         {S_OK},
         [](Fixture& f, HRESULT& hr) {
             Variant grid = TwoDimensional(VT_BSTR);
             LockedArray locked(TextArray({L"a"}));
             VARIANT outputs[3] = {*grid, *locked.value, *grid};
             tagAlarmTypes alarms;
             tagIUMCErrors error;
             hr = f.umc->GetDevices(&outputs[0], &outputs[1], &outputs[2], &alarms, &error);
             bool ok = locked.StillLockedOnce();
             for (VARIANT& output : outputs) {
                 ok = ok && V_VT(&output) == (VT_ARRAY | VT_BSTR) && V_ARRAY(&output) != V_ARRAY(&*grid) &&
                      V_ARRAY(&output) != V_ARRAY(&*locked.value);
                 if (ok) Variant owned(output);
             }
             return Expect(ok, "outputs not overwritten, or the caller's arrays touched");
         }},
    };
    return cells;
}

std::vector<Cell> AllCells() {
    std::vector<Cell> cells;
    for (auto part : {EventMessageIdsCells, CategoryCells, SelectionCells, ResolveCells, DeviceCells, ConnectionCells,
                      LoadAndBindCells, ArrayShapeCells}) {
        std::vector<Cell> more = part();
        for (Cell& cell : more) cells.push_back(std::move(cell));
    }
    return cells;
}

TEST(CallerMisuse, EveryCellAnswersWithADocumentedResultAndLeavesItsOutputsAsSpecified) {
    const std::vector<Cell> cells = AllCells();
    std::set<std::string> methods;
    for (const Cell& cell : cells) {
        Fixture fixture;
        ASSERT_TRUE(fixture.a && fixture.b && fixture.umc && fixture.init && fixture.binder);
        HRESULT hr = E_FAIL;
        const Outcome outcome = cell.run(fixture, hr);
        EXPECT_NE(std::find(cell.allowed.begin(), cell.allowed.end(), hr), cell.allowed.end())
            << cell.method << ", " << cell.misuse << ": result 0x" << std::hex << static_cast<unsigned long>(hr);
        EXPECT_EQ(outcome, "") << cell.method << ", " << cell.misuse;
        methods.insert(cell.method);
    }
    EXPECT_EQ(methods.size(), 17u) << "every method of the five interfaces has cells";
    Figure("misuse.cells", std::to_string(cells.size()));
    Figure("misuse.methods", std::to_string(methods.size()));
}

}  // namespace

namespace {

// A server that keeps many subscriptions and deletes the oldest: each new
// handle once tried every taken handle above the count, one at a time.
TEST(SubscriptionHandles, RefillingAfterTheOldestAreDeletedStaysFast) {
    const LONG total = static_cast<LONG>(Scaled(20000, 100000));
    const ComPtr<IEventModel> b = CreateComponent<IEventModel>();
    ASSERT_TRUE(b);
    LONG handle = 0;
    for (LONG k = 1; k <= total; ++k) ASSERT_EQ(b->CreateSubscription(&handle), S_OK);
    for (LONG k = 1; k <= total / 2; ++k) ASSERT_EQ(b->DeleteSubscription(k), S_OK);
    const double start = Now();
    for (LONG k = 0; k < total / 2; ++k) ASSERT_EQ(b->CreateSubscription(&handle), S_OK);
    const double seconds = Now() - start;
    // The count was total / 2 before the last creation, and every handle
    // above it up to the highest taken is in use.
    EXPECT_EQ(handle, total + total / 2);
    EXPECT_LT(seconds, 5.0);
    Figure("subscriptions.created", std::to_string(total));
    Figure("subscriptions.refilled", std::to_string(total / 2));
    Figure("subscriptions.refill_seconds", FormatNumber(seconds, 2));
}

}  // namespace
