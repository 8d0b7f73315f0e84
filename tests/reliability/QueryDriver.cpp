// Runs every query of every interface on one object, checks results and
// output states, and records the answers in a transcript.

#include <wrl/client.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "deviceinfo/ConnectionParameterTables.h"
#include "tests/reliability/ReliabilitySupport.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr HRESULT kNotInCategory = static_cast<HRESULT>(0x80040206);
constexpr LONG kUnknownCategoryIds[] = {0, -1, INT_MAX, INT_MIN};
constexpr LONG kLanguages[] = {0x0407, 0x0409, 0x0C0A, 0x0416};
constexpr LONG kCheckedLanguages[] = {0, 0x0007, 0x0407, 0x0409, 0x0C07, 0x0416, 0xFFFF, 0x12345, -1};
constexpr wchar_t kDisplayName[] = L"@CorvalisEventInfo.EventInfoObj.1@ignored.xml";
constexpr wchar_t kForeignDisplayName[] = L"OtherVendor.Object@C:\\x.xml";

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

Variant Sentinel() { return LongValue(0x5EED); }
bool IsSentinel(const VARIANT& value) { return V_VT(&value) == VT_I4 && V_I4(&value) == 0x5EED; }
bool IsEmpty(const VARIANT& value) { return V_VT(&value) == VT_EMPTY; }

struct ArrayShape {
    bool ok = false;
    LONG lowerBound = 0;
    ULONG count = 0;
};

class Driver {
public:
    Driver(const DriverOptions& options, Transcript& transcript, DriverResult& result)
        : m_options(options), m_transcript(transcript), m_result(result) {}

    bool Attach(IUnknown* object) {
        const bool ok = SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&m_a))) &&
                        SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&m_b))) &&
                        SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&m_umc))) &&
                        SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&m_init))) &&
                        SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&m_binder)));
        if (!ok) Violate("object", "an interface of the map is missing");
        return ok;
    }

    void Run() {
        if (m_options.load) {
            m_result.loadResult = m_init->ParseXML(nullptr);
            Check("ParseXML", m_result.loadResult, {S_OK, E_INVALIDARG, E_UNEXPECTED});
            Record("ParseXML " + Hex(m_result.loadResult));
        }
        QueryDevices();
        QueryCategories();
        QuerySources();
        QuerySubscriptions();
        QueryEventMessageIdsLeftovers();
        if (m_options.bindByDisplayName) BindByDisplayName();
    }

private:
    void Violate(const std::string& method, const std::string& problem) {
        if (m_result.violations.size() < 40) m_result.violations.push_back(method + ": " + problem);
    }

    void Check(const std::string& method, HRESULT hr, std::initializer_list<HRESULT> allowed) {
        ++m_result.calls;
        if (std::find(allowed.begin(), allowed.end(), hr) == allowed.end())
            Violate(method, "undocumented result " + Hex(hr));
    }

    void Record(const std::string& line) { m_transcript.Add(line); }

    // Renders an output the caller now owns, handing each allocation to
    // the ledger and looking for forbidden text.
    std::string Render(const VARIANT& value, int depth = 0) {
        const VARTYPE type = V_VT(&value);
        if (type & VT_ARRAY) return RenderArray(value, depth);
        switch (type) {
        case VT_EMPTY: return "E";
        case VT_NULL: return "N";
        case VT_I2: return "i2:" + std::to_string(V_I2(&value));
        case VT_I4: return "i4:" + std::to_string(V_I4(&value));
        case VT_UI1: return "u1:" + std::to_string(V_UI1(&value));
        case VT_UI2: return "u2:" + std::to_string(V_UI2(&value));
        case VT_UI4: return "u4:" + std::to_string(V_UI4(&value));
        case VT_BOOL: return "b:" + std::to_string(V_BOOL(&value));
        case VT_DATE: return "d:" + FormatNumber(V_DATE(&value), 12);
        case VT_BSTR: return RenderText(V_BSTR(&value));
        default: return "vt:" + std::to_string(type);
        }
    }

    std::string RenderText(BSTR text) {
        if (!text) return "s<null>";
        if (m_options.ledger) m_options.ledger->HandedOut(text, false);
        const std::wstring_view view(text, SysStringLen(text));
        if (!m_options.forbiddenText.empty() && view.find(m_options.forbiddenText) != std::wstring_view::npos)
            Violate("output", "a text holds content the project file must not pull in");
        if (view.size() <= 1024) return "s\"" + Narrow(view) + "\"";
        // Long texts by length and hash, so that a batch of them stays small.
        uint64_t hash = 14695981039346656037ull;
        for (wchar_t c : view) hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
        return "s#" + std::to_string(view.size()) + ":" + std::to_string(hash);
    }

    std::string RenderArray(const VARIANT& value, int depth) {
        const VARTYPE elementType = V_VT(&value) & VT_TYPEMASK;
        SAFEARRAY* array = V_ARRAY(&value);
        if (!array) {
            Violate("output", "an array VARIANT without an array");
            return "a<null>";
        }
        if (m_options.ledger) m_options.ledger->HandedOut(array, true);
        VARTYPE stored = VT_EMPTY;
        if (array->cDims != 1 || FAILED(SafeArrayGetVartype(array, &stored)) || stored != elementType) {
            Violate("output", "an array of another shape or element type than its VARIANT says");
            return "a<bad>";
        }
        const LONG lowerBound = array->rgsabound[0].lLbound;
        const ULONG count = array->rgsabound[0].cElements;
        std::string out =
            "a" + std::to_string(elementType) + "[" + std::to_string(lowerBound) + "," + std::to_string(count) + "]{";
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) return out + "?}";
        for (ULONG k = 0; k < count; ++k) {
            if (k) out += ",";
            switch (elementType) {
            case VT_I4: out += std::to_string(static_cast<LONG*>(data)[k]); break;
            case VT_I2: out += std::to_string(static_cast<SHORT*>(data)[k]); break;
            case VT_UI1: out += std::to_string(static_cast<BYTE*>(data)[k]); break;
            case VT_BSTR: out += RenderText(static_cast<BSTR*>(data)[k]); break;
            case VT_VARIANT: out += depth < 2 ? Render(static_cast<VARIANT*>(data)[k], depth + 1) : "..."; break;
            default: out += "?"; break;
            }
        }
        SafeArrayUnaccessData(array);
        return out + "}";
    }

    ArrayShape Shape(const VARIANT& value, VARTYPE elementType) {
        ArrayShape shape;
        if (V_VT(&value) != (VT_ARRAY | elementType) || !V_ARRAY(&value) || V_ARRAY(&value)->cDims != 1) return shape;
        shape.ok = true;
        shape.lowerBound = V_ARRAY(&value)->rgsabound[0].lLbound;
        shape.count = V_ARRAY(&value)->rgsabound[0].cElements;
        return shape;
    }

    // Parallel 0-based arrays of one element type each, all of one length.
    bool ParallelArrays(const std::string& method, std::initializer_list<std::pair<const VARIANT*, VARTYPE>> outputs) {
        std::vector<ArrayShape> shapes;
        for (const auto& [value, type] : outputs) shapes.push_back(Shape(*value, type));
        for (const ArrayShape& shape : shapes) {
            if (!shape.ok || shape.lowerBound != 0 || shape.count != shapes.front().count) {
                Violate(method, "outputs are not parallel 0-based arrays of their types");
                return false;
            }
        }
        return true;
    }

    // IUMCInfo ---------------------------------------------------------------

    void QueryDevices() {
        Variant names, checkSums, addresses;
        tagAlarmTypes alarms = ALARM_TYPE_NONE;
        tagIUMCErrors error = IUMC_OK;
        const HRESULT hr = m_umc->GetDevices(names.Get(), checkSums.Get(), addresses.Get(), &alarms, &error);
        Check("GetDevices", hr, {S_OK, E_FAIL, E_OUTOFMEMORY});
        if (hr == S_OK) {
            ParallelArrays("GetDevices", {{&*names, VT_BSTR}, {&*checkSums, VT_BSTR}, {&*addresses, VT_BSTR}});
            if (error != IUMC_OK && error != IUMC_ERROR_XMLFILE_NODEV) Violate("GetDevices", "pError out of set");
        } else {
            if (!IsEmpty(*names) || !IsEmpty(*checkSums) || !IsEmpty(*addresses))
                Violate("GetDevices", "a failure changed the outputs");
            if (hr == E_FAIL && error != IUMC_ERROR_XMLFILE_DEVICE && error != IUMC_ERROR_XMLFILE_GENERAL)
                Violate("GetDevices", "E_FAIL without a file error in pError");
        }
        Record("GetDevices " + Hex(hr) + " " + std::to_string(alarms) + " " + std::to_string(error) + " " +
               Render(*names) + " " + Render(*checkSums) + " " + Render(*addresses));
        if ((alarms & ~7) != 0) Violate("GetDevices", "alarm types beyond the three bits");

        std::vector<std::wstring> devices = ArrayTexts(*names);
        if (devices.size() > m_options.maxDevices) devices.resize(m_options.maxDevices);
        m_devices = devices;
        for (const wchar_t* extra : {L"", L"DEVICES", L"CORVALIS", L"U7SQ", L"NoSuchDevice"}) devices.push_back(extra);
        for (const std::wstring& device : devices) {
            QueryTOs(device);
            QueryTOsWithTypes(device);
            for (LONG id = 0; id <= 31; ++id) QueryConnection(device, id);
        }
    }

    void QueryTOs(const std::wstring& device) {
        const Bstr name(device);
        Variant toNames, addresses;
        tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
        const HRESULT hr = m_umc->GetTOs(name.Get(), toNames.Get(), addresses.Get(), &error);
        Check("GetTOs", hr, {S_OK, E_INVALIDARG, E_OUTOFMEMORY});
        if (hr == S_OK) {
            ParallelArrays("GetTOs", {{&*toNames, VT_BSTR}, {&*addresses, VT_BSTR}});
            if (error != IUMC_OK && error != IUMC_ERROR_XMLFILE_TOINFO) Violate("GetTOs", "pError out of set");
        } else if (!IsEmpty(*toNames) || !IsEmpty(*addresses)) {
            Violate("GetTOs", "a failure left an output that is not empty");
        }
        Record("GetTOs " + Narrow(device) + " " + Hex(hr) + " " + std::to_string(error) + " " + Render(*toNames) + " " +
               Render(*addresses));
    }

    void QueryTOsWithTypes(const std::wstring& device) {
        const Bstr name(device);
        Variant toNames, addresses, types;
        tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
        const HRESULT hr = m_umc->GetTOsWithTypes(name.Get(), toNames.Get(), addresses.Get(), types.Get(), &error);
        Check("GetTOsWithTypes", hr, {S_OK, E_INVALIDARG, E_OUTOFMEMORY});
        if (hr == S_OK) {
            ParallelArrays("GetTOsWithTypes", {{&*toNames, VT_BSTR}, {&*addresses, VT_BSTR}, {&*types, VT_BSTR}});
            if (error != IUMC_OK) Violate("GetTOsWithTypes", "pError out of set");
            for (const std::wstring& address : ArrayTexts(*addresses))
                m_sources.push_back(L"/" + device + L"/RT" + address);
        } else if (!IsEmpty(*toNames) || !IsEmpty(*addresses) || !IsEmpty(*types)) {
            Violate("GetTOsWithTypes", "a failure left an output that is not empty");
        }
        Record("GetTOsWithTypes " + Narrow(device) + " " + Hex(hr) + " " + std::to_string(error) + " " +
               Render(*toNames) + " " + Render(*addresses) + " " + Render(*types));
    }

    void QueryConnection(const std::wstring& device, LONG id) {
        const Bstr name(device);
        BSTR text = name.Get();
        Variant value = Sentinel();
        tagIUMCErrors error = static_cast<tagIUMCErrors>(77);
        const HRESULT hr = m_umc->GetConnectionInfo(&text, static_cast<tagConfigParams>(id), value.Get(), &error);
        Check("GetConnectionInfo", hr, {S_OK, E_INVALIDARG, E_OUTOFMEMORY});
        if (hr == S_OK) {
            const deviceinfo::ConnectionParam* param = deviceinfo::FindConnectionParam(id);
            const bool valid = param != nullptr;
            if (!valid) Violate("GetConnectionInfo", "a parameter id outside 1 to 30 answered");
            if (error == IUMC_ERROR_XMLFILE_NOINFOAVAILABLE) {
                if (!IsEmpty(*value)) Violate("GetConnectionInfo", "no info but a value");
            } else if (error != IUMC_OK) {
                Violate("GetConnectionInfo", "pError out of set");
            } else if (valid && V_VT(&*value) != param->valueType) {
                Violate("GetConnectionInfo", "value type differs from the parameter's type");
            }
        } else if (!IsSentinel(*value) || error != 77) {
            Violate("GetConnectionInfo", "a failure changed the outputs");
        }
        Record("GetConnectionInfo " + Narrow(device) + " " + std::to_string(id) + " " + Hex(hr) + " " +
               std::to_string(error) + " " + (hr == S_OK ? Render(*value) : ""));
    }

    // IEventModel: categories and attributes ---------------------------------

    void QueryCategories() {
        for (LONG mask : {0x70L, 0L, 16L, 32L, 64L, -1L}) {
            Variant ids, descriptions;
            const HRESULT hr = m_b->GetCategories(mask, ids.Get(), descriptions.Get());
            Check("GetCategories", hr, {S_OK, E_OUTOFMEMORY});
            if (hr == S_OK && !(IsEmpty(*ids) && IsEmpty(*descriptions)))
                ParallelArrays("GetCategories", {{&*ids, VT_I4}, {&*descriptions, VT_BSTR}});
            else if (hr != S_OK && (!IsEmpty(*ids) || !IsEmpty(*descriptions)))
                Violate("GetCategories", "a failure left an output that is not empty");
            Record("GetCategories " + std::to_string(mask) + " " + Hex(hr) + " " + Render(*ids) + " " +
                   Render(*descriptions));
            if (mask == 0x70) m_categories = LongsOf(*ids);
        }
        if (m_categories.size() > m_options.maxCategories) m_categories.resize(m_options.maxCategories);
        std::vector<LONG> queried = m_categories;
        queried.insert(queried.end(), std::begin(kUnknownCategoryIds), std::end(kUnknownCategoryIds));
        for (LONG id : queried) {
            m_attributes.push_back(QueryAttributes(id));
            QueryMessageIds("GetCategoryMessageIds", std::to_string(id),
                            [&](VARIANT* out) { return m_a->GetCategoryMessageIds(id, out); });
        }
        m_attributes.resize(m_categories.size());
    }

    std::vector<LONG> QueryAttributes(LONG id) {
        Variant ids = Sentinel(), types = Sentinel(), descriptions = Sentinel();
        const HRESULT hr = m_b->GetCategoryAttributes(id, ids.Get(), types.Get(), descriptions.Get());
        Check("GetCategoryAttributes", hr, {S_OK, E_INVALIDARG, E_OUTOFMEMORY});
        if (hr == S_OK) {
            if (!(IsEmpty(*ids) && IsEmpty(*types) && IsEmpty(*descriptions)))
                ParallelArrays("GetCategoryAttributes", {{&*ids, VT_I4}, {&*types, VT_I2}, {&*descriptions, VT_BSTR}});
        } else if (hr == E_INVALIDARG && (!IsSentinel(*ids) || !IsSentinel(*types) || !IsSentinel(*descriptions))) {
            Violate("GetCategoryAttributes", "an unknown category changed the outputs");
        }
        std::vector<LONG> attributes = hr == S_OK ? LongsOf(*ids) : std::vector<LONG>{};
        Record("GetCategoryAttributes " + std::to_string(id) + " " + Hex(hr) + " " +
               (hr == S_OK ? Render(*ids) + " " + Render(*types) + " " + Render(*descriptions) : ""));
        return attributes;
    }

    template <class Call>
    std::vector<std::wstring> QueryMessageIds(const char* method, const std::string& argument, Call call) {
        Variant ids = Sentinel();
        const HRESULT hr = call(ids.Get());
        Check(method, hr, {S_OK, E_INVALIDARG, E_POINTER, E_OUTOFMEMORY});
        if (hr == S_OK) {
            ParallelArrays(method, {{&*ids, VT_BSTR}});
        } else if (hr == E_INVALIDARG && !IsSentinel(*ids)) {
            Violate(method, "a refusal changed the output");
        }
        Record(std::string(method) + " " + argument + " " + Hex(hr) + " " + (hr == S_OK ? Render(*ids) : ""));
        return hr == S_OK ? ArrayTexts(*ids) : std::vector<std::wstring>{};
    }

    void QuerySources() {
        std::vector<std::wstring> candidates;
        for (const std::wstring& device : m_devices) {
            for (const wchar_t* group : {L"/U7SQ", L"/U7DIAG", L"/USERDIAG"})
                candidates.push_back(L"/" + device + group);
        }
        candidates.insert(candidates.end(), m_sources.begin(), m_sources.end());
        candidates.insert(candidates.end(), m_options.extraSources.begin(), m_options.extraSources.end());
        candidates.push_back(L"");
        candidates.push_back(L"/NoSuchDevice/U7SQ");
        std::set<std::wstring> seen;
        m_sources.clear();
        for (const std::wstring& source : candidates) {
            if (!seen.insert(source).second) continue;
            const Bstr path(source);
            std::vector<std::wstring> messages =
                QueryMessageIds("GetSourceMessageIds", Narrow(source),
                                [&](VARIANT* out) { return m_a->GetSourceMessageIds(path.Get(), out); });
            m_sources.push_back(source);
            m_sourceMessages.push_back(std::move(messages));
        }
    }

    // IEventModel: subscriptions and events ----------------------------------

    void QuerySubscriptions() {
        LONG handle = 0;
        HRESULT hr = m_b->CreateSubscription(&handle);
        Check("CreateSubscription", hr, {S_OK});
        Record("CreateSubscription " + Hex(hr) + " " + std::to_string(handle));
        for (size_t k = 0; k < m_categories.size(); ++k) {
            std::vector<LONG> wanted = m_attributes[k];
            wanted.push_back(999999);
            Select(handle, m_categories[k], LongArray(wanted, k % 2 ? 7 : 0));
            if (k == 0) {
                Select(handle, m_categories[k], Variant());
                Select(handle, m_categories[k], LongArray(m_attributes[k]));
            }
            QuerySelection(handle, m_categories[k]);
        }
        for (size_t k = 0; k < m_sources.size(); ++k) ResolveBatch(handle, k);
        for (LONG language : kCheckedLanguages) CheckLanguage(handle, language);
        ResolveBatchWithUnknownHandle(handle + 1000);
        hr = m_b->DeleteSubscription(handle);
        Check("DeleteSubscription", hr, {S_OK});
        hr = m_b->DeleteSubscription(handle);
        Check("DeleteSubscription (again)", hr, {E_INVALIDARG});
        Record("DeleteSubscription " + Hex(hr));
    }

    void Select(LONG handle, LONG category, Variant ids) {
        const VARTYPE type = V_VT(&*ids);
        const ArrayShape request = Shape(*ids, VT_I4);
        Variant results = Sentinel();
        const HRESULT hr = m_b->SelectAttributes(handle, category, *ids, results.Get());
        Check("SelectAttributes", hr, {S_OK, S_FALSE, E_INVALIDARG, E_OUTOFMEMORY});
        if ((hr == S_OK || hr == S_FALSE) && type != VT_EMPTY) {
            const ArrayShape shape = Shape(*results, VT_I4);
            if (!shape.ok || shape.lowerBound != request.lowerBound || shape.count != request.count)
                Violate("SelectAttributes", "results without the bounds of the request");
            const std::vector<LONG> codes = LongsOf(*results);
            const bool refused = std::count(codes.begin(), codes.end(), kNotInCategory) > 0;
            if (std::count(codes.begin(), codes.end(), S_OK) + std::count(codes.begin(), codes.end(), kNotInCategory) !=
                    static_cast<long>(codes.size()) ||
                refused != (hr == S_FALSE))
                Violate("SelectAttributes", "per-element results disagree with the call's result");
        } else if (!IsEmpty(*results)) {
            Violate("SelectAttributes", "results not empty");
        }
        Record("SelectAttributes " + std::to_string(category) + " " + Hex(hr) + " " + Render(*results));
    }

    void QuerySelection(LONG handle, LONG category) {
        Variant ids = Sentinel();
        const HRESULT hr = m_b->GetSelectedAttributes(handle, category, ids.Get());
        Check("GetSelectedAttributes", hr, {S_OK, E_INVALIDARG, E_OUTOFMEMORY});
        if (hr == S_OK) {
            ParallelArrays("GetSelectedAttributes", {{&*ids, VT_I4}});
            const std::vector<LONG> selected = LongsOf(*ids);
            if (!std::is_sorted(selected.begin(), selected.end()) ||
                std::adjacent_find(selected.begin(), selected.end()) != selected.end())
                Violate("GetSelectedAttributes", "ids not ascending and unique");
        } else if (hr == E_INVALIDARG && !IsSentinel(*ids)) {
            Violate("GetSelectedAttributes", "a refusal changed the output");
        }
        Record("GetSelectedAttributes " + std::to_string(category) + " " + Hex(hr) + " " + Render(*ids));
    }

    // The event parameters of one alarm type, or none (shape 0).
    static void AddParameters(int shape, std::vector<Variant>& infos, std::vector<Variant>& params) {
        switch (shape) {
        case 1: {  // user alarm: paramInfo begins with 1, one byte array
            std::vector<Variant> info, value;
            info.push_back(LongValue(1));
            value.push_back(ByteArray({0x01, 0x2C, 0x00, 0x00}));
            infos.push_back(VariantArray(std::move(info)));
            params.push_back(VariantArray(std::move(value)));
            break;
        }
        case 2: {  // TO alarm: 32-bit values
            std::vector<Variant> values;
            for (LONG v : {LONG(5), LONG(7), LONG(-1), LONG(INT_MAX), LONG(INT_MIN)}) values.push_back(LongValue(v));
            infos.emplace_back();
            params.push_back(VariantArray(std::move(values)));
            break;
        }
        case 3: {  // diagnosis: the 10-byte record inside an array of VARIANTs
            std::vector<Variant> record;
            record.push_back(ByteArray({0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF, 0x80, 0x00, 0, 0}));
            infos.emplace_back();
            params.push_back(VariantArray(std::move(record)));
            break;
        }
        default:
            infos.emplace_back();
            params.emplace_back();
            break;
        }
    }

    // Message names for a message element name "ID" + 8 hex digits, in the
    // three forms the number is read from.
    static std::wstring MessageName(const std::wstring& element, size_t form) {
        const unsigned long number = element.size() > 2 ? std::wcstoul(element.c_str() + 2, nullptr, 16) : 0;
        wchar_t name[48];
        switch (form % 3) {
        case 0: std::swprintf(name, 48, L"Alarm%lu", number); break;
        case 1: std::swprintf(name, 48, L"TO_ALARM%lu", number); break;
        default: std::swprintf(name, 48, L"DIAGNOSIS: %lX", number); break;
        }
        return name;
    }

    void ResolveBatch(LONG handle, size_t sourceIndex) {
        const std::wstring& source = m_sources[sourceIndex];
        const std::vector<std::wstring>& messages = m_sourceMessages[sourceIndex];
        std::vector<std::wstring> names, sources;
        std::vector<Variant> infos, params;
        const size_t count = std::min(messages.size(), m_options.maxMessagesPerSource);
        // A TO alarm takes the value field of each parameter whatever its
        // type, so parameters holding arrays would put addresses into its
        // texts; those shapes go only to the other alarm types.
        const bool toAlarm = count && ProbeAlarmType(handle, source, MessageName(messages[0], 0)) == 2;
        for (size_t m = 0; m < count; ++m) {
            for (int shape = 0; shape < 4; ++shape) {
                if (toAlarm && shape != 0 && shape != 2) continue;
                names.push_back(MessageName(messages[m], m + shape));
                sources.push_back(source);
                AddParameters(shape, infos, params);
            }
        }
        names.push_back(L"Alarm4294967295");
        sources.push_back(source);
        AddParameters(2, infos, params);
        const LONG lowerBound = sourceIndex % 3 == 1 ? -5 : 0;
        Resolve(handle, kLanguages[sourceIndex % 4], TextArray(names, lowerBound), TextArray(sources, lowerBound),
                VariantArray(std::move(infos), lowerBound), VariantArray(std::move(params), lowerBound),
                "ResolveEvents " + Narrow(source));
    }

    LONG ProbeAlarmType(LONG handle, const std::wstring& source, const std::wstring& name) {
        const Variant none;
        Variant outputs[6];
        const HRESULT hr = m_b->ResolveEvents(handle, 0x0409, *TextArray({name}), *TextArray({source}), *none, *none,
                                              outputs[0].Get(), outputs[1].Get(), outputs[2].Get(), outputs[3].Get(),
                                              outputs[4].Get(), outputs[5].Get());
        Check("ResolveEvents", hr, {S_OK, S_FALSE, E_INVALIDARG, E_OUTOFMEMORY});
        std::string line = "ResolveEvents (probe) " + Narrow(source) + " " + Hex(hr);
        for (const Variant& output : outputs) line += " " + Render(*output);
        Record(line);
        const std::vector<LONG> types = LongsOf(*outputs[1]);
        return types.empty() ? 0 : types.front();
    }

    void ResolveBatchWithUnknownHandle(LONG handle) {
        std::vector<Variant> infos, params;
        AddParameters(0, infos, params);
        const std::wstring source = m_sources.empty() ? L"" : m_sources.front();
        Variant outputs[6];
        const HRESULT hr = m_b->ResolveEvents(handle, 0x0407, *TextArray({L"Alarm1"}), *TextArray({source}),
                                              *VariantArray(std::move(infos)), *VariantArray(std::move(params)),
                                              outputs[0].Get(), outputs[1].Get(), outputs[2].Get(), outputs[3].Get(),
                                              outputs[4].Get(), outputs[5].Get());
        Check("ResolveEvents (unknown handle)", hr, {E_INVALIDARG});
        for (const Variant& output : outputs) {
            if (!IsEmpty(*output)) Violate("ResolveEvents", "a refused call left an output that is not empty");
        }
    }

    void Resolve(LONG handle, LONG language, Variant names, Variant sources, Variant infos, Variant params,
                 const std::string& label) {
        const ArrayShape batch = Shape(*names, VT_BSTR);
        Variant reserved = Sentinel(), alarmTypes = Sentinel(), categoryIds = Sentinel(), attributeIds = Sentinel(),
                values = Sentinel(), results = Sentinel();
        const HRESULT hr =
            m_b->ResolveEvents(handle, language, *names, *sources, *infos, *params, reserved.Get(), alarmTypes.Get(),
                               categoryIds.Get(), attributeIds.Get(), values.Get(), results.Get());
        Check("ResolveEvents", hr, {S_OK, S_FALSE, E_INVALIDARG, E_OUTOFMEMORY});
        if (hr == S_OK || hr == S_FALSE)
            CheckResolved(hr, batch, *reserved, *alarmTypes, *categoryIds, *attributeIds, *values, *results);
        else if (!IsEmpty(*reserved) || !IsEmpty(*alarmTypes) || !IsEmpty(*results))
            Violate("ResolveEvents", "a refused call left an output that is not empty");
        Record(label + " " + std::to_string(language) + " " + Hex(hr) + " " + Render(*alarmTypes) + " " +
               Render(*categoryIds) + " " + Render(*attributeIds) + " " + Render(*values) + " " + Render(*results));
    }

    void CheckResolved(HRESULT hr, const ArrayShape& batch, const VARIANT& reserved, const VARIANT& alarmTypes,
                       const VARIANT& categoryIds, const VARIANT& attributeIds, const VARIANT& values,
                       const VARIANT& results) {
        if (!IsEmpty(reserved)) Violate("ResolveEvents", "the reserved output is not empty");
        const std::pair<const VARIANT*, VARTYPE> outputs[] = {{&alarmTypes, VT_I4},
                                                              {&categoryIds, VT_I4},
                                                              {&attributeIds, VT_VARIANT},
                                                              {&values, VT_VARIANT},
                                                              {&results, VT_I4}};
        for (const auto& [output, type] : outputs) {
            const ArrayShape shape = Shape(*output, type);
            if (!shape.ok || shape.lowerBound != batch.lowerBound || shape.count != batch.count) {
                Violate("ResolveEvents", "a per-event output without the bounds of the batch");
                return;
            }
        }
        for (LONG type : LongsOf(alarmTypes)) {
            if (type != 0 && type != 1 && type != 2 && type != 4) Violate("ResolveEvents", "alarm type out of set");
        }
        const std::vector<LONG> codes = LongsOf(results);
        for (LONG code : codes) {
            if (code != S_OK && code != E_INVALIDARG) Violate("ResolveEvents", "per-event result out of set");
        }
        if (hr == S_FALSE && std::count(codes.begin(), codes.end(), E_INVALIDARG) == 0)
            Violate("ResolveEvents", "S_FALSE without a refused event");
        // Per event: ids and values are both empty, or parallel 0-based arrays.
        const VARIANT* ids = nullptr;
        const VARIANT* texts = nullptr;
        SafeArrayAccessData(V_ARRAY(&attributeIds), reinterpret_cast<void**>(const_cast<VARIANT**>(&ids)));
        SafeArrayAccessData(V_ARRAY(&values), reinterpret_cast<void**>(const_cast<VARIANT**>(&texts)));
        for (ULONG k = 0; k < batch.count; ++k) {
            const ArrayShape idShape = Shape(ids[k], VT_I4);
            const ArrayShape textShape = Shape(texts[k], VT_BSTR);
            const bool idsOk = IsEmpty(ids[k]) || (idShape.ok && idShape.lowerBound == 0);
            const bool textsOk = IsEmpty(texts[k]) || (textShape.ok && textShape.lowerBound == 0 && idShape.ok &&
                                                       textShape.count == idShape.count);
            if (!idsOk || !textsOk) Violate("ResolveEvents", "an event's attribute ids and values do not match");
        }
        SafeArrayUnaccessData(V_ARRAY(&values));
        SafeArrayUnaccessData(V_ARRAY(&attributeIds));
    }

    void CheckLanguage(LONG handle, LONG language) {
        Variant outputs[6];
        const Variant none;
        const HRESULT hr =
            m_b->ResolveEvents(handle, language, *none, *none, *none, *none, outputs[0].Get(), outputs[1].Get(),
                               outputs[2].Get(), outputs[3].Get(), outputs[4].Get(), outputs[5].Get());
        Check("ResolveEvents (language check)", hr, {S_OK, S_FALSE});
        for (const Variant& output : outputs) {
            if (!IsEmpty(*output)) Violate("ResolveEvents", "the language check left an output that is not empty");
        }
        Record("LanguageCheck " + std::to_string(language) + " " + Hex(hr));
    }

    // The other slots of IEventMessageIds and display-name binding --------------

    void QueryEventMessageIdsLeftovers() {
        Variant held;
        V_VT(held.Get()) = VT_BSTR;
        V_BSTR(held.Get()) = SysAllocString(L"held by the caller");
        HRESULT hr = m_a->GetSubMessageIds(0, held.Get());
        Check("GetSubMessageIds", hr, {S_OK});
        if (!IsEmpty(*held)) Violate("GetSubMessageIds", "output not emptied");
        Variant argument;
        hr = m_a->QueryUnsupported(argument.Get());
        Check("QueryUnsupported", hr, {E_NOTIMPL});
        Record("IEventMessageIds " + Hex(hr));
    }

    void BindByDisplayName() {
        for (const wchar_t* displayName : {kDisplayName, kForeignDisplayName}) {
            ULONG eaten = 0;
            IMoniker* moniker = nullptr;
            const HRESULT hr = m_binder->ParseDisplayName(nullptr, const_cast<LPOLESTR>(displayName), &eaten, &moniker);
            Check("ParseDisplayName", hr, {S_OK, MK_E_NOOBJECT});
            if (hr == S_OK && (!moniker || eaten != wcslen(displayName)))
                Violate("ParseDisplayName", "S_OK without a moniker and the whole name eaten");
            if (hr != S_OK && moniker) Violate("ParseDisplayName", "a failure set the moniker");
            if (moniker) moniker->Release();
            Record("ParseDisplayName " + Hex(hr));
        }
    }

    const DriverOptions& m_options;
    Transcript& m_transcript;
    DriverResult& m_result;
    ComPtr<IEventMessageIds> m_a;
    ComPtr<IEventModel> m_b;
    ComPtr<IUMCInfo> m_umc;
    ComPtr<IEventInfoInit> m_init;
    ComPtr<IParseDisplayName> m_binder;

    std::vector<std::wstring> m_devices;
    std::vector<LONG> m_categories;
    std::vector<std::vector<LONG>> m_attributes;  // per entry of m_categories
    std::vector<std::wstring> m_sources;
    std::vector<std::vector<std::wstring>> m_sourceMessages;  // per entry of m_sources
};

}  // namespace

DriverResult RunEveryQuery(IUnknown* object, const DriverOptions& options, Transcript& transcript) {
    DriverResult result;
    Driver driver(options, transcript, result);
    if (driver.Attach(object)) driver.Run();
    return result;
}
