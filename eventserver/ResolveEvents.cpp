// IEventModel: resolution of raw events into message texts and attributes.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "eventserver/EventParameters.h"
#include "eventserver/ListenerRecheck.h"
#include "eventserver/Refusals.h"
#include "eventserver/MessageIndex.h"
#include "eventserver/MessageNumber.h"
#include "eventserver/MessageTextNames.h"
#include "loading/SourceCategories.h"
#include "loading/TextConversion.h"
#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

using eventparams::Vector;

constexpr wchar_t kSelectedTrace[] = L" Attribute selectiert ";
constexpr wchar_t kParametersTrace[] = L"Parameter von IEvent erhalten";

std::wstring TextName(LONG language) { return ToWide(MessageTextName(static_cast<uint32_t>(language))); }

// The text of an array element; empty outside the array's bounds.
std::wstring_view View(const BSTR* text) { return text ? BstrView(*text) : std::wstring_view(); }

// A present listener is asked for at every call, so nothing is sent once it
// has left; a "none" is believed for kListenerRecheckMs.
std::atomic<ULONGLONG> g_noListenerAt{0};  // tick count of the latest "none"; 0 for none believed

// Whether anyone can receive debug output: a debugger, or a debug-output
// listener, which owns the "DBWIN_BUFFER_READY" event. Sending costs a round
// trip to the system even when nobody listens.
bool DebugOutputReceived() {
    if (IsDebuggerPresent()) return true;
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG noneAt = g_noListenerAt.load(std::memory_order_relaxed);
    if (noneAt != 0 && now - noneAt < kListenerRecheckMs) return false;
    const HANDLE listener = OpenEventW(SYNCHRONIZE, FALSE, L"DBWIN_BUFFER_READY");
    g_noListenerAt.store(listener ? 0 : now, std::memory_order_relaxed);
    if (!listener) return false;
    CloseHandle(listener);
    return true;
}

// The diagnostic line of one event, written to the debug output in the
// ANSI code page when anyone can receive it.
class Trace {
public:
    Trace(bool enabled, std::wstring_view messageName, std::wstring_view source) : m_enabled(enabled) {
        if (!m_enabled) return;
        m_text = messageName;
        m_text += source;
    }
    void Append(std::wstring_view text) {
        if (m_enabled) m_text += text;
    }
    void AppendId(int32_t id) {
        if (m_enabled) m_text += std::to_wstring(static_cast<uint32_t>(id));
    }
    void Emit() const {
        if (!m_enabled) return;
        OutputDebugStringA(Ansi(m_text).c_str());
    }

private:
    bool m_enabled;
    std::wstring m_text;
};

// The message text attributes of a language, named once per call.
struct LanguageNames {
    explicit LanguageNames(LONG language) : own(TextName(language)), primary(ToWide(PrimaryLanguageForm(ToU16(own)))) {}
    std::wstring own, primary;
};

// An event's message element in its category's index.
struct EventMessage {
    MessageIndex& index;
    MessageIndex::Message& message;
    // Valid until the next read of a text.
    std::wstring_view Text(std::wstring_view name) const { return index.Text(message, name); }
};

// Message text of an event: the language's text, else the primary
// language's, else the category's message attribute; valid until the next
// read of a text.
std::wstring_view MessageText(const EventMessage& message, const LanguageNames& language,
                              const CategoryInfo& category) {
    std::wstring_view text = message.Text(language.own);
    if (text.empty()) text = message.Text(language.primary);
    if (text.empty() && !category.messageAttribute.empty()) text = message.Text(category.messageAttribute);
    return text;
}

HRESULT CheckLanguage(const EventModelTables& model, LONG language) {
    const std::wstring name = TextName(language);
    if (model.m_mapAttributeKeys.count(name)) return S_OK;
    return model.m_mapAttributeKeys.count(ToWide(PrimaryLanguageForm(ToU16(name)))) ? S_OK : S_FALSE;
}

// A one-dimensional VT_ARRAY|VT_BSTR argument, or false.
bool IsTextVector(const VARIANT& value) {
    const SAFEARRAY* array = V_VT(&value) == (VT_ARRAY | VT_BSTR) ? V_ARRAY(&value) : nullptr;
    return array && array->cDims == 1 && array->cbElements == sizeof(BSTR);
}

SAFEARRAY* ParameterArray(const VARIANT& value) {
    return V_VT(&value) == (VT_ARRAY | VT_VARIANT) ? V_ARRAY(&value) : nullptr;
}

// The per-event output arrays, filled position by position.
struct EventOutputs {
    EventOutputs(ULONG count, LONG lowerBound)
        : results(SafeArray::CreateVector(VT_I4, count, lowerBound)),
          values(SafeArray::CreateVector(VT_VARIANT, count, lowerBound)),
          ids(SafeArray::CreateVector(VT_VARIANT, count, lowerBound)),
          categories(SafeArray::CreateVector(VT_I4, count, lowerBound)),
          alarmTypes(SafeArray::CreateVector(VT_I4, count, lowerBound)) {}
    SafeArray results, values, ids, categories, alarmTypes;
};

// Write access to the output arrays by position from 0, while it lives.
struct EventOutputData {
    explicit EventOutputData(EventOutputs& outputs)
        : results(outputs.results.Get()),
          values(outputs.values.Get()),
          ids(outputs.ids.Get()),
          categories(outputs.categories.Get()),
          alarmTypes(outputs.alarmTypes.Get()) {}
    SafeArrayData<LONG> results;
    SafeArrayData<VARIANT> values;
    SafeArrayData<VARIANT> ids;
    SafeArrayData<LONG> categories;
    SafeArrayData<LONG> alarmTypes;
};

// The texts of the selected attributes of one event's message element, in
// the selection's order; the message text (-1) formatted with the event's
// parameters when it has any. A failed formatting sets the event's result.
SafeArray AttributeValues(const EventMessage& message, const std::set<int32_t>& selection, const CategoryInfo& category,
                          const LanguageNames& language, const VARIANT& eventInfo, const VARIANT& eventParams,
                          Trace& trace, LONG& result, bool& formatFailed,
                          const std::map<int32_t, AttributeInfo>& attributes) {
    SafeArray valueArray = SafeArray::CreateVector(VT_BSTR, static_cast<ULONG>(selection.size()));
    SafeArrayData<BSTR> values(valueArray.Get());
    size_t j = 0;
    for (int32_t id : selection) {
        trace.AppendId(id);
        if (id == kMessageTextAttributeId) {
            const std::wstring_view text = MessageText(message, language, category);
            if (V_VT(&eventParams) & VT_ARRAY) {
                trace.Append(kParametersTrace);
                std::u16string formatted;
                if (eventparams::FormatEventText(category.alarmType, U16View(text), eventInfo, eventParams,
                                                 formatted) == 0) {
                    values[j] = Bstr(WideView(formatted)).Detach();
                } else {
                    // The text stays as read.
                    result = E_INVALIDARG;
                    formatFailed = true;
                    values[j] = Bstr(text).Detach();
                }
            } else {
                values[j] = Bstr(text).Detach();
            }
        } else {
            const auto attribute = attributes.find(id);
            if (attribute != attributes.end()) values[j] = Bstr(message.Text(attribute->second.name)).Detach();
        }
        ++j;
    }
    return valueArray;
}

const VARIANT& ElementOrEmpty(const Vector<VARIANT>& items, int64_t index) {
    static const VARIANT empty{};  // zero-filled: VT_EMPTY
    const VARIANT* item = items.Valid() ? items.At(index) : nullptr;
    return item ? *item : empty;
}

// The caller's arrays of one batch, read in place.
struct EventBatch {
    EventBatch(const VARIANT& messageNames, const VARIANT& sources, const VARIANT& paramInfo, const VARIANT& params)
        : names(V_ARRAY(&messageNames)),
          paths(V_ARRAY(&sources)),
          infos(ParameterArray(paramInfo)),
          parameters(ParameterArray(params)) {}
    Vector<BSTR> names;
    Vector<BSTR> paths;
    Vector<VARIANT> infos;       // absent unless VT_ARRAY|VT_VARIANT
    Vector<VARIANT> parameters;  // likewise
};

// Resolves the events of a batch, one by one, into the output arrays.
class BatchResolver {
public:
    BatchResolver(const Project& project, const eventserver::SubscriptionTable& subscriptions, MessageCache& messages,
                  LONG handle, LONG language)
        : m_project(project),
          m_subscriptions(subscriptions),
          m_messages(messages),
          m_handle(handle),
          m_language(language),
          m_tracing(DebugOutputReceived()) {}

    // The source table of a large plant is larger than the processor's
    // cache: the lookups of the events a few places ahead are fetched while
    // this one is resolved, the slot first and its text when it has come.
    void PrefetchSources(const EventBatch& batch, int64_t index) const {
        const SourceTable& sources = m_project.m_mapSourceCategories;
        if (const BSTR* path = batch.paths.At(index + kSlotsAhead)) sources.PrefetchSlot(View(path));
        if (const BSTR* path = batch.paths.At(index + kTextsAhead)) sources.PrefetchText(View(path));
    }

    // The category id of an event's source, or null. A TO's type is read on
    // the first lookup of its path; the DOM failing on it refuses this
    // event, not the others of the batch.
    const int32_t* SourceCategoryOf(std::wstring_view path) const {
        try {
            return FindSourceCategory(m_project, path);
        } catch (const ComError& error) {
            if (error.Code() == E_OUTOFMEMORY) throw;
            return nullptr;
        }
    }

    // Event `index` of the batch into position k of the outputs.
    void ResolveEvent(const EventBatch& batch, int64_t index, EventOutputData& out, ULONG k) {
        const std::wstring_view messageName = View(batch.names.At(index));
        const BSTR* path = batch.paths.At(index);
        if (!path) {
            out.results[k] = E_INVALIDARG;
            return;
        }
        Trace trace(m_tracing, messageName, View(path));
        const uint32_t number = ParseMessageNumber(U16View(messageName));

        const int32_t* const source = SourceCategoryOf(View(path));
        if (!source) {
            out.results[k] = E_INVALIDARG;
            return;
        }
        const auto found = m_project.m_model.m_mapCategories.find(*source);
        if (found == m_project.m_model.m_mapCategories.end()) {
            out.results[k] = E_INVALIDARG;
            return;
        }
        const CategoryInfo& category = found->second;
        out.categories[k] = found->first;
        out.alarmTypes[k] = category.alarmType;

        const std::set<int32_t>* selection = m_subscriptions.FindSelection(m_handle, found->first);
        if (!selection || selection->empty()) {
            trace.Emit();
            return;
        }
        trace.Append(kSelectedTrace);
        SafeArray idArray = MakeIdArray(*selection);
        V_VT(&out.ids[k]) = VT_ARRAY | VT_I4;
        V_ARRAY(&out.ids[k]) = idArray.Detach();

        // A category always keeps its element; one without belongs to no
        // document and fails the call.
        if (!category.node) throw ComError(E_POINTER);
        SafeArray valueArray;
        try {
            MessageIndex& messages = m_messages.Of(found->first, category.elements, category.element);
            MessageIndex::Message* message = messages.Find(number);
            if (!message) {
                out.results[k] = E_INVALIDARG;
                return;
            }
            valueArray = AttributeValues(EventMessage{messages, *message}, *selection, category, m_language,
                                         ElementOrEmpty(batch.infos, index), ElementOrEmpty(batch.parameters, index),
                                         trace, out.results[k], m_formatFailed, m_project.m_model.m_mapAttributes);
        } catch (const ComError& error) {
            // The DOM failed on this event's elements: the event is refused,
            // the others of the batch are not.
            if (error.Code() == E_OUTOFMEMORY) throw;
            out.results[k] = E_INVALIDARG;
            return;
        }
        V_VT(&out.values[k]) = VT_ARRAY | VT_BSTR;
        V_ARRAY(&out.values[k]) = valueArray.Detach();
        trace.Emit();
    }

    // Whether the message text of an event could not be formatted.
    bool FormatFailed() const { return m_formatFailed; }

private:
    static constexpr int64_t kSlotsAhead = 8;
    static constexpr int64_t kTextsAhead = 4;

    const Project& m_project;
    const eventserver::SubscriptionTable& m_subscriptions;
    MessageCache& m_messages;
    LONG m_handle;
    LanguageNames m_language;
    bool m_tracing;
    bool m_formatFailed = false;
};

}  // namespace

STDMETHODIMP EventInfoObj::ResolveEvents(LONG handle, LONG language, VARIANT messageNames, VARIANT sources,
                                         VARIANT paramInfo, VARIANT params, VARIANT* reserved, VARIANT* alarmTypes,
                                         VARIANT* categoryIds, VARIANT* attributeIds, VARIANT* attributeValues,
                                         VARIANT* results) {
    return ComBoundary({__uuidof(IEventModel), L"ResolveEvents"}, [&] {
        if (!reserved || !alarmTypes || !categoryIds || !attributeIds || !attributeValues || !results)
            Fail(E_INVALIDARG, L"one of the output arguments is a null pointer");
        for (VARIANT* output : {reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results})
            VariantInit(output);

        if (V_VT(&messageNames) == VT_EMPTY) return CheckLanguage(m_project.m_model, language);
        if (!m_subscriptions.Find(handle)) Fail(E_INVALIDARG, NoSubscription(handle));
        if (!IsTextVector(messageNames) || !IsTextVector(sources))
            Fail(E_INVALIDARG, L"the arguments messageNames and sources must both be arrays of strings");

        const EventBatch batch(messageNames, sources, paramInfo, params);
        if (!batch.names.Valid() || !batch.paths.Valid())
            Fail(E_INVALIDARG, L"the argument messageNames or sources is not a readable vector of strings");

        const LONG lowerBound = batch.names.LowerBound();
        const ULONG count = batch.names.Count();
        EventOutputs outputs(count, lowerBound);
        BatchResolver resolver(m_project, m_subscriptions, m_messages, handle, language);
        {
            EventOutputData out(outputs);
            for (ULONG k = 0; k < count; ++k) {
                resolver.PrefetchSources(batch, int64_t(lowerBound) + k);
                resolver.ResolveEvent(batch, int64_t(lowerBound) + k, out, k);
            }
        }
        PutArray(alarmTypes, VT_I4, std::move(outputs.alarmTypes));
        PutArray(categoryIds, VT_I4, std::move(outputs.categories));
        PutArray(attributeIds, VT_VARIANT, std::move(outputs.ids));
        PutArray(attributeValues, VT_VARIANT, std::move(outputs.values));
        PutArray(results, VT_I4, std::move(outputs.results));
        return resolver.FormatFailed() ? S_FALSE : S_OK;
    });
}
