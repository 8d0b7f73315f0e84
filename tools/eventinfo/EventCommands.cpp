#include "loading/SourceCategories.h"
#include "tools/eventinfo/EventCommands.h"

#include <cstdio>
#include <map>
#include <set>

#include "IEventInfoServer.h"
#include "eventserver/MessageNumber.h"
#include "eventserver/MessageTextNames.h"
#include "loading/TextConversion.h"
#include "tools/common/EventInputs.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/LintRules.h"
#include "tools/eventinfo/MessageNames.h"
#include "tools/eventinfo/MessageTexts.h"
#include "tools/eventinfo/ResultNames.h"
#include "tools/eventinfo/ValueText.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string KeyName(Session& session, int32_t id) {
    std::string names;
    for (const auto& [key, keyId] : session.View().m_model.m_mapCategoryKeys)
        if (keyId == id && key.compare(0, 3, L"TOT") != 0) names += (names.empty() ? "" : " ") + Utf8(key);
    return names;
}

const CategoryInfo* ModelCategory(Session& session, int32_t id) {
    const auto& categories = session.View().m_model.m_mapCategories;
    const auto found = categories.find(id);
    return found == categories.end() ? nullptr : &found->second;
}

std::wstring MessageElementName(uint32_t number) {
    wchar_t name[16];
    std::swprintf(name, 16, L"ID%08X", number);
    return name;
}

// The message text an event of the language gets before its parameters are
// filled in.
std::wstring MessageText(const Attributes& attributes, uint16_t language, const std::wstring& categoryAttribute) {
    const TextChoice choice =
        ChooseMessageText(NamesWithText(attributes), MessageTextName(language), ToU16(categoryAttribute));
    return AttributeValue(attributes, ToWide(choice.attribute));
}

// The name to resolve: the typed one when the component finds its message
// in the source's category, else the category's own form of the number the
// user meant. Raises a usage failure that says which form is wanted.
std::wstring MessageNameToResolve(Session& session, const std::string& typed, const std::string& source,
                                  const CategoryInfo& category, CategoryMessages& messages) {
    const std::wstring typedName = FromUtf8(typed);
    if (messages.AttributesOf(MessageElementName(ParseMessageNumber(ToU16(typedName))))) return typedName;
    for (uint32_t number : TypedMessageNumbers(typed)) {
        if (!messages.AttributesOf(MessageElementName(number))) continue;
        const std::string name = EventMessageName(category.alarmType, number);
        if (name.empty()) break;
        if (!session.Quiet()) std::fprintf(stderr, "eventinfo: resolving %s as \"%s\"\n", typed.c_str(), name.c_str());
        return FromUtf8(name);
    }
    throw Failure{kExitUsage, "the category of " + source + " has no message '" + typed + "'; its events name " +
                                  "their messages by " + EventMessageNameForm(category.alarmType) +
                                  " (eventinfo messages " + source + " lists them)"};
}

EventInput EventParameters(const CommandLine& line, const std::wstring& message, const CategoryInfo& category,
                           CategoryMessages& messages) {
    if (line.value) {
        if (category.alarmType != 1) throw Failure{kExitUsage, "--value is for user alarms; give PARAMETERs instead"};
        const Attributes* attributes = messages.AttributesOf(MessageElementName(ParseMessageNumber(ToU16(message))));
        std::string error;
        const auto bytes = UserAlarmValueBytes(
            attributes ? ToU16(MessageText(*attributes, *line.language, category.messageAttribute)) : u"", *line.value,
            error);
        if (!bytes) throw Failure{kExitUsage, "--value " + *line.value + ": " + error};
        return UserAlarmInput(std::vector<BYTE>(bytes->begin(), bytes->end()));
    }
    std::string error;
    const auto parameters = ParseResolveParameters(
        category.alarmType == 2, std::vector<std::string>(line.arguments.begin() + 2, line.arguments.end()), error);
    if (!parameters) throw Failure{kExitUsage, error};
    if (parameters->values.empty()) return {};
    if (parameters->integers)
        return ToAlarmInput(std::vector<LONG>(parameters->values.begin(), parameters->values.end()));
    const std::vector<BYTE> bytes(parameters->values.begin(), parameters->values.end());
    return category.alarmType == 4 ? DiagnosisInput(bytes) : UserAlarmInput(bytes);
}

LONG SubscribeToEveryAttribute(Session& session) {
    const ComPtr<IEventModel> model = session.Get<IEventModel>();
    LONG handle = 0;
    ThrowIfFailed(model->CreateSubscription(&handle));
    for (const CategoryRow& category : GetCategories(session, "all")) {
        Variant ids, types, texts, results;
        if (model->GetCategoryAttributes(category.id, ids.Get(), types.Get(), texts.Get()) != S_OK) continue;
        if (V_VT(ids.Get()) != VT_EMPTY) model->SelectAttributes(handle, category.id, *ids.Get(), results.Get());
    }
    return handle;
}

}  // namespace

std::vector<CategoryRow> GetCategories(Session& session, const std::string& eventClass) {
    std::vector<CategoryRow> out;
    const ComPtr<IEventModel> model = session.Get<IEventModel>();
    for (int32_t code : {EVENT_CLASS_CONDITIONAL, EVENT_CLASS_SIMPLE}) {
        if (eventClass == "simple" && code != EVENT_CLASS_SIMPLE) continue;
        if (eventClass == "conditional" && code != EVENT_CLASS_CONDITIONAL) continue;
        Variant ids, descriptions;
        if (FAILED(model->GetCategories(code, ids.Get(), descriptions.Get()))) continue;
        const auto idList = ArrayElements<LONG>(*ids.Get(), VT_I4);
        const auto texts = ArrayTexts(*descriptions.Get());
        // One position per category of the model; those of other classes stay 0.
        for (size_t i = 0; i < idList.size(); ++i)
            if (idList[i] != 0) out.push_back({idList[i], code, i < texts.size() ? texts[i] : L""});
    }
    return out;
}

Table CategoryTable(Session& session, const std::vector<CategoryRow>& categories) {
    Table table{"categories", {{"id", true}, {"hex"}, {"class"}, {"key"}, {"description"}}, {}};
    for (const CategoryRow& row : categories)
        table.AddRow({std::to_string(row.id), Hex(static_cast<uint32_t>(row.id), 6),
                      row.eventClass == EVENT_CLASS_SIMPLE ? "simple" : "conditional", KeyName(session, row.id),
                      Utf8(row.description)});
    return table;
}

int32_t CategoryIdOf(Session& session, const std::string& text) {
    if (const auto number = ParseInteger(text)) return static_cast<int32_t>(*number);
    const auto& keys = session.View().m_model.m_mapCategoryKeys;
    const auto found = keys.find(FromUtf8(text));
    if (found == keys.end()) throw Failure{kExitUsage, "no category is named " + text};
    return found->second;
}

Table AttributeTable(bool withCategory) {
    Table table{"attributes", {{"id", true}, {"name"}, {"type"}, {"description"}}, {}};
    if (withCategory) table.columns.insert(table.columns.begin(), Column{"category", true});
    return table;
}

void AddAttributes(Session& session, int32_t categoryId, Table& table, bool withCategory) {
    Variant ids, types, descriptions;
    const HRESULT hr =
        session.Get<IEventModel>()->GetCategoryAttributes(categoryId, ids.Get(), types.Get(), descriptions.Get());
    if (hr != S_OK) {
        if (withCategory) return;
        ThrowCallFailure(kExitUsage, "GetCategoryAttributes of " + std::to_string(categoryId), hr);
    }
    const auto idList = ArrayElements<LONG>(*ids.Get(), VT_I4);
    const auto typeList = ArrayElements<SHORT>(*types.Get(), VT_I2);
    const auto texts = ArrayTexts(*descriptions.Get());
    const auto& attributes = session.View().m_model.m_mapAttributes;
    for (size_t i = 0; i < idList.size(); ++i) {
        const auto found = attributes.find(idList[i]);
        std::vector<std::string> row = {std::to_string(idList[i]),
                                        found != attributes.end() ? Utf8(found->second.name) : "",
                                        i < typeList.size() ? TypeName(static_cast<VARTYPE>(typeList[i])) : "",
                                        i < texts.size() ? Utf8(texts[i]) : ""};
        if (withCategory) row.insert(row.begin(), std::to_string(categoryId));
        table.AddRow(std::move(row));
    }
}

Table MessageTable() {
    return Table{
        "messages", {{"category", true}, {"message"}, {"number", true}, {"event name"}, {"attribute"}, {"text"}}, {}};
}

namespace {

void AddMessageRows(int32_t categoryId, int32_t alarmType, CategoryMessages& messages,
                    const std::vector<std::wstring>& ids, Table& table) {
    for (const std::wstring& id : ids) {
        const bool numbered = IsMessageElementName(ToU16(id));
        const uint32_t number = numbered ? static_cast<uint32_t>(std::wcstoul(id.c_str() + 2, nullptr, 16)) : 0;
        const std::string numberText = numbered ? std::to_string(number) : "";
        const std::string eventName = numbered ? EventMessageName(alarmType, number) : "(no event finds it)";
        bool any = false;
        if (const Attributes* attributes = messages.AttributesOf(id)) {
            for (const auto& [name, text] : *attributes) {
                if (name.compare(0, 3, L"MSG") != 0) continue;
                table.AddRow({std::to_string(categoryId), Utf8(id), numberText, eventName, Utf8(name), Utf8(text)});
                any = true;
            }
        }
        if (!any) table.AddRow({std::to_string(categoryId), Utf8(id), numberText, eventName, "", ""});
    }
}

}  // namespace

void AddCategoryMessages(Session& session, int32_t categoryId, Table& table) {
    const CategoryInfo* category = ModelCategory(session, categoryId);
    CategoryMessages& messages = session.MessagesOf(categoryId);
    AddMessageRows(categoryId, category ? category->alarmType : 0, messages, messages.Names(), table);
}

Table Messages(Session& session, const std::string& target) {
    int32_t categoryId = 0;
    Variant ids;
    HRESULT hr = S_OK;
    if (!target.empty() && target[0] == '/') {
        hr = session.Get<IEventMessageIds>()->GetSourceMessageIds(Bstr(FromUtf8(target)).Get(), ids.Get());
        const int32_t* found = FindSourceCategory(session.View(), FromUtf8(target));
        if (found) categoryId = *found;
    } else {
        categoryId = CategoryIdOf(session, target);
        hr = session.Get<IEventMessageIds>()->GetCategoryMessageIds(categoryId, ids.Get());
    }
    if (FAILED(hr)) ThrowCallFailure(kExitUsage, "the messages of " + target, hr);
    const CategoryInfo* category = ModelCategory(session, categoryId);
    Table table = MessageTable();
    AddMessageRows(categoryId, category ? category->alarmType : 0, session.MessagesOf(categoryId),
                   ArrayTexts(*ids.Get()), table);
    return table;
}

Report Resolve(Session& session, const CommandLine& line) {
    const std::string& typed = line.arguments[0];
    const std::string& sourceText = line.arguments[1];
    const std::wstring source = FromUtf8(sourceText);
    const int32_t* found = FindSourceCategory(session.View(), source);
    if (!found)
        throw Failure{kExitUsage, "no event source is named " + sourceText +
                                      "; sources are /DEVICE/U7SQ, /DEVICE/U7DIAG, /DEVICE/USERDIAG or "
                                      "/DEVICE/ and a TO's element (see eventinfo tos DEVICE)"};
    const CategoryInfo* category = ModelCategory(session, *found);
    if (!category) throw Failure{kExitUsage, "the category of " + sourceText + " is not in the model"};
    CategoryMessages& messages = session.MessagesOf(*found);
    const std::wstring message = MessageNameToResolve(session, typed, sourceText, *category, messages);
    EventInput input = EventParameters(line, message, *category, messages);

    const ComPtr<IEventModel> model = session.Get<IEventModel>();
    const LONG handle = SubscribeToEveryAttribute(session);
    Variant names, sourceArray, infos, params;
    PutArray(names.Get(), VT_BSTR, MakeBstrArray({message}));
    PutArray(sourceArray.Get(), VT_BSTR, MakeBstrArray({source}));
    std::vector<Variant> info, param;
    info.push_back(std::move(input.info));
    param.push_back(std::move(input.params));
    PutArray(infos.Get(), VT_VARIANT, MakeVariantArray(std::move(info)));
    PutArray(params.Get(), VT_VARIANT, MakeVariantArray(std::move(param)));

    Variant reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results;
    const HRESULT hr = model->ResolveEvents(handle, *line.language, *names.Get(), *sourceArray.Get(), *infos.Get(),
                                            *params.Get(), reserved.Get(), alarmTypes.Get(), categoryIds.Get(),
                                            attributeIds.Get(), attributeValues.Get(), results.Get());
    model->DeleteSubscription(handle);

    const auto types = ArrayElements<LONG>(*alarmTypes.Get(), VT_I4);
    const auto categories = ArrayElements<LONG>(*categoryIds.Get(), VT_I4);
    const auto codes = ArrayElements<LONG>(*results.Get(), VT_I4);
    const auto idVariants = ArrayElements<VARIANT>(*attributeIds.Get(), VT_VARIANT);
    const auto valueVariants = ArrayElements<VARIANT>(*attributeValues.Get(), VT_VARIANT);
    Report report;
    report.push_back(Table{
        "event",
        {{"message"}, {"source"}, {"hresult"}, {"result"}, {"category", true}, {"alarm type", true}},
        {{Utf8(message), sourceText, ResultText(static_cast<uint32_t>(hr)),
          codes.empty() ? "" : ResultText(static_cast<uint32_t>(codes[0])),
          categories.empty() ? "" : std::to_string(categories[0]), types.empty() ? "" : std::to_string(types[0])}}});
    Table values{"attribute values", {{"id", true}, {"name"}, {"value"}}, {}};
    if (!idVariants.empty() && !valueVariants.empty()) {
        const auto ids = ArrayElements<LONG>(idVariants[0], VT_I4);
        const auto texts = ArrayTexts(valueVariants[0]);
        const auto& attributes = session.View().m_model.m_mapAttributes;
        for (size_t i = 0; i < ids.size(); ++i) {
            const auto attribute = attributes.find(ids[i]);
            values.AddRow({std::to_string(ids[i]), attribute != attributes.end() ? Utf8(attribute->second.name) : "",
                           i < texts.size() ? Utf8(texts[i]) : ""});
        }
    }
    report.push_back(std::move(values));
    return report;
}

namespace {

std::optional<uint16_t> LanguageOf(const std::wstring& name) {
    if (!IsMessageTextName(ToU16(name))) return std::nullopt;
    return static_cast<uint16_t>(std::wcstoul(name.c_str() + 3, nullptr, 16));
}

// How many messages events can reach have each shape of texts: the names of
// their non-empty texts and their category's fallback attribute. Most
// messages of a project share a few shapes.
using TextShape = std::pair<std::vector<std::u16string>, std::u16string>;

std::map<TextShape, size_t> ReachableTextShapes(Session& session) {
    std::map<TextShape, size_t> shapes;
    for (const auto& [id, category] : session.View().m_model.m_mapCategories) {
        CategoryMessages& messages = session.MessagesOf(id);
        const std::u16string fallback = ToU16(category.messageAttribute);
        for (const std::wstring& name : messages.Names())
            if (IsMessageElementName(ToU16(name)))
                ++shapes[TextShape(NamesWithText(*messages.AttributesOf(name)), fallback)];
    }
    return shapes;
}

}  // namespace

Table Languages(Session& session) {
    // The fixed message rows, and the message text names the file uses.
    std::set<uint16_t> candidates = {0x0007, 0x0407, 0x0009, 0x0409, 0x0809, 0x000A, 0x040A,
                                     0x080A, 0x0C0A, 0x000C, 0x040C, 0x0010, 0x0410};
    const auto& keys = session.View().m_model.m_mapAttributeKeys;
    for (const auto& [name, id] : keys)
        if (const auto language = LanguageOf(name)) candidates.insert(*language);
    const ComPtr<IEventModel> model = session.Get<IEventModel>();
    const std::map<TextShape, size_t> shapes = ReachableTextShapes(session);
    Table table{"languages",
                {{"langid"},
                 {"decimal", true},
                 {"attribute"},
                 {"own text", true},
                 {"primary language", true},
                 {"category fallback", true},
                 {"empty", true}},
                {}};
    for (uint16_t language : candidates) {
        Variant empty, reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results;
        const HRESULT hr = model->ResolveEvents(0, language, *empty.Get(), *empty.Get(), *empty.Get(), *empty.Get(),
                                                reserved.Get(), alarmTypes.Get(), categoryIds.Get(), attributeIds.Get(),
                                                attributeValues.Get(), results.Get());
        if (hr != S_OK) continue;
        std::u16string name = MessageTextName(language);
        size_t counts[4] = {};
        for (const auto& [shape, count] : shapes)
            counts[static_cast<int>(ChooseMessageText(shape.first, name, shape.second).source)] += count;
        if (!keys.count(ToWide(name))) name = PrimaryLanguageForm(name);
        table.AddRow({Hex(language, 4), std::to_string(language), Utf8(ToWide(name)), std::to_string(counts[0]),
                      std::to_string(counts[1]), std::to_string(counts[2]), std::to_string(counts[3])});
    }
    return table;
}
