// eventinfo: answers what an engineer asks of a project file. By default a
// plain COM client of the registered component, which loads the
// registry-named file; with --file the same component code built into this
// program loads the given file. Commands and options: see CommandLine.cpp.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "ProjectVersion.h"
#include "component/ComBoundary.h"
#include "component/ErrorReport.h"
#include "component/EventInfoObj.h"
#include "loading/ProjectLoad.h"
#include "tools/common/EventInputs.h"
#include "loading/XmlAccess.h"
#include "tools/eventinfo/CommandLine.h"
#include "tools/eventinfo/Diff.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/Lint.h"
#include "tools/eventinfo/ProjectFile.h"
#include "tools/eventinfo/Report.h"
#include "tools/eventinfo/ValueText.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kProgId[] = L"CorvalisEventInfo.EventInfoObj";

// The object that answers the commands, and the component code linked into
// this program for what the interfaces do not show (key names, texts, lint).
class Session {
public:
    explicit Session(const CommandLine& line) : m_file(line.file) {
        if (!m_file.empty()) {
            m_linked = LoadProjectFile(m_file);
            ThrowIfFailed(EventInfoObj::CreateLoaded(*m_linked.project, IID_PPV_ARGS(&m_object)));
            return;
        }
        CLSID clsid{};
        HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
        if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_object));
        if (FAILED(hr))
            throw Failure{kExitNotLoaded, "the component " + Utf8(kProgId) + " is not registered here (" +
                                              Hex(static_cast<uint32_t>(hr)) + "); register it or use --file PATH"};
        ComPtr<IEventInfoInit> init;
        ThrowIfFailed(m_object.As(&init));
        hr = init->ParseXML(nullptr);
        if (FAILED(hr))
            throw Failure{kExitNotLoaded, "the registered component could not load the registry-named project file (" +
                                              Hex(static_cast<uint32_t>(hr)) +
                                              "): " + Utf8(TakeErrorObject().description)};
    }

    template <class Interface>
    ComPtr<Interface> Get() const {
        ComPtr<Interface> out;
        ThrowIfFailed(m_object.As(&out));
        return out;
    }

    // The linked component's view of the same file, loaded on first use.
    const Project& View() {
        if (!m_linked.project) m_linked = LoadProjectFile(m_file);
        return *m_linked.project;
    }
    const std::string& FileText() {
        View();
        return m_linked.fileText;
    }

private:
    std::string m_file;
    ComPtr<IUnknown> m_object;
    LoadedProject m_linked;
};

// ---- devices, TOs, parameters ------------------------------------------------

struct Devices {
    std::vector<std::wstring> names, checkSums, addresses;
    tagAlarmTypes alarmTypes{};
};

Devices GetDevices(Session& session) {
    Variant names, sums, addresses;
    Devices devices;
    tagIUMCErrors error = IUMC_OK;
    const HRESULT hr =
        session.Get<IUMCInfo>()->GetDevices(names.Get(), sums.Get(), addresses.Get(), &devices.alarmTypes, &error);
    if (FAILED(hr)) throw Failure{kExitNotLoaded, "GetDevices failed (" + Hex(static_cast<uint32_t>(hr)) + ")"};
    devices.names = ArrayTexts(*names.Get());
    devices.checkSums = ArrayTexts(*sums.Get());
    devices.addresses = ArrayTexts(*addresses.Get());
    return devices;
}

void AddDevices(Session& session, Report& report) {
    const Devices devices = GetDevices(session);
    Table table{"devices", {{"device"}, {"checksum"}, {"address"}}, {}};
    for (size_t i = 0; i < devices.names.size(); ++i)
        table.AddRow({Utf8(devices.names[i]), i < devices.checkSums.size() ? Utf8(devices.checkSums[i]) : "",
                      i < devices.addresses.size() ? Utf8(devices.addresses[i]) : ""});
    report.push_back(std::move(table));
    const uint32_t types = devices.alarmTypes;
    report.push_back(
        Table{"alarm types",
              {{"mask", true}, {"user alarms"}, {"TO alarms"}, {"diagnosis"}},
              {{std::to_string(types), types & 1 ? "yes" : "no", types & 2 ? "yes" : "no", types & 4 ? "yes" : "no"}}});
}

void AddTos(Session& session, const std::wstring& device, Table& table, bool withDevice) {
    Variant names, addresses, types;
    tagIUMCErrors error = IUMC_OK;
    const HRESULT hr =
        session.Get<IUMCInfo>()->GetTOsWithTypes(Bstr(device).Get(), names.Get(), addresses.Get(), types.Get(), &error);
    if (FAILED(hr) || error != IUMC_OK) {
        if (withDevice) return;
        throw Failure{kExitUsage, "no device " + Utf8(device) + " can be queried (IUMC error " + std::to_string(error) +
                                      ", " + Hex(static_cast<uint32_t>(hr)) + ")"};
    }
    const auto tos = ArrayTexts(*names.Get()), runtime = ArrayTexts(*addresses.Get()),
               typeIds = ArrayTexts(*types.Get());
    for (size_t i = 0; i < tos.size(); ++i) {
        std::vector<std::string> row = {Utf8(tos[i]), i < runtime.size() ? Utf8(runtime[i]) : "",
                                        i < typeIds.size() ? Utf8(typeIds[i]) : ""};
        if (withDevice) row.insert(row.begin(), Utf8(device));
        table.AddRow(std::move(row));
    }
}

Table ToTable(bool withDevice) {
    Table table{"tos", {{"name"}, {"runtime address"}, {"type id"}}, {}};
    if (withDevice) table.columns.insert(table.columns.begin(), Column{"device"});
    return table;
}

Table ParameterTable(bool withDevice) {
    Table table{"parameters", {{"id", true}, {"parameter"}, {"result"}, {"error", true}, {"type"}, {"value"}}, {}};
    if (withDevice) table.columns.insert(table.columns.begin(), Column{"device"});
    return table;
}

void AddParameters(Session& session, const std::wstring& device, const std::vector<int32_t>& ids, Table& table,
                   bool withDevice) {
    const ComPtr<IUMCInfo> info = session.Get<IUMCInfo>();
    for (int32_t id : ids) {
        Variant value;
        tagIUMCErrors error = IUMC_OK;
        Bstr name(device);
        BSTR deviceName = name.Get();
        const HRESULT hr = info->GetConnectionInfo(&deviceName, static_cast<tagConfigParams>(id), value.Get(), &error);
        std::vector<std::string> row = {
            std::to_string(id),    ConfigParamName(id),         Hex(static_cast<uint32_t>(hr)),
            std::to_string(error), TypeName(V_VT(value.Get())), ValueText(*value.Get())};
        if (withDevice) row.insert(row.begin(), Utf8(device));
        table.AddRow(std::move(row));
    }
}

std::vector<int32_t> AllParameterIds() {
    std::vector<int32_t> ids;
    for (int32_t id = 1; !ConfigParamName(id).empty(); ++id) ids.push_back(id);
    return ids;
}

// ---- categories, attributes, messages --------------------------------------

struct CategoryRow {
    LONG id;
    int32_t eventClass;
    std::wstring description;
};

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

std::string KeyName(Session& session, int32_t id) {
    std::string names;
    for (const auto& [key, keyId] : session.View().m_model.m_mapCategoryKeys)
        if (keyId == id && key.compare(0, 3, L"TOT") != 0) names += (names.empty() ? "" : " ") + Utf8(key);
    return names;
}

Table CategoryTable(Session& session, const std::string& eventClass) {
    Table table{"categories", {{"id", true}, {"hex"}, {"class"}, {"key"}, {"description"}}, {}};
    for (const CategoryRow& row : GetCategories(session, eventClass))
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

void AddAttributes(Session& session, int32_t categoryId, Table& table, bool withCategory) {
    Variant ids, types, descriptions;
    const HRESULT hr =
        session.Get<IEventModel>()->GetCategoryAttributes(categoryId, ids.Get(), types.Get(), descriptions.Get());
    if (hr != S_OK) {
        if (withCategory) return;
        throw Failure{kExitUsage, "no category has the id " + std::to_string(categoryId)};
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

Table AttributeTable(bool withCategory) {
    Table table{"attributes", {{"id", true}, {"name"}, {"type"}, {"description"}}, {}};
    if (withCategory) table.columns.insert(table.columns.begin(), Column{"category", true});
    return table;
}

Table MessageTable() {
    return Table{"messages", {{"category", true}, {"message"}, {"number", true}, {"attribute"}, {"text"}}, {}};
}

// Message ids through IEventMessageIds, their texts from the linked view.
void AddMessages(Session& session, int32_t categoryId, const std::vector<std::wstring>& ids, Table& table) {
    const auto& categories = session.View().m_model.m_mapCategories;
    const auto category = categories.find(categoryId);
    for (const std::wstring& id : ids) {
        const std::string number = id.size() == 10 ? std::to_string(std::wcstoul(id.c_str() + 2, nullptr, 16)) : "";
        bool any = false;
        if (category != categories.end() && category->second.node) {
            const DomNode element = FindChildByName(category->second.node.Get(), id);
            ComPtr<IXMLDOMNamedNodeMap> map;
            long count = 0;
            if (element && SUCCEEDED(element->get_attributes(&map)) && map) map->get_length(&count);
            for (long i = 0; i < count; ++i) {
                DomNode attribute;
                if (FAILED(map->get_item(i, &attribute)) || !attribute) continue;
                const std::wstring name = NodeName(attribute.Get());
                if (name.compare(0, 3, L"MSG") != 0) continue;
                table.AddRow(
                    {std::to_string(categoryId), Utf8(id), number, Utf8(name), Utf8(NodeValueText(attribute.Get()))});
                any = true;
            }
        }
        if (!any) table.AddRow({std::to_string(categoryId), Utf8(id), number, "", ""});
    }
}

std::vector<std::wstring> CategoryMessageIds(Session& session, int32_t categoryId) {
    Variant ids;
    if (FAILED(session.Get<IEventMessageIds>()->GetCategoryMessageIds(categoryId, ids.Get()))) return {};
    return ArrayTexts(*ids.Get());
}

// ---- resolve, languages -----------------------------------------------------

// The event's paramInfo and params elements in the shape of its alarm type.
EventInput EventParameters(const std::wstring& message, const ResolveParameters& parameters) {
    if (parameters.values.empty()) return {};
    if (parameters.integers) return ToAlarmInput(std::vector<LONG>(parameters.values.begin(), parameters.values.end()));
    std::vector<BYTE> bytes;
    for (int32_t value : parameters.values) bytes.push_back(static_cast<BYTE>(value));
    if (_wcsnicmp(message.c_str(), L"DIAGNOSIS", 9) == 0) return DiagnosisInput(bytes);
    return UserAlarmInput(bytes);
}

Report Resolve(Session& session, const CommandLine& line) {
    const std::wstring message = FromUtf8(line.arguments[0]);
    const std::wstring source = FromUtf8(line.arguments[1]);
    std::string error;
    const auto parameters = ParseResolveParameters(
        line.arguments[0], std::vector<std::string>(line.arguments.begin() + 2, line.arguments.end()), error);
    if (!parameters) throw Failure{kExitUsage, error};

    const ComPtr<IEventModel> model = session.Get<IEventModel>();
    LONG handle = 0;
    ThrowIfFailed(model->CreateSubscription(&handle));
    for (const CategoryRow& category : GetCategories(session, "all")) {
        Variant ids, types, texts, results;
        if (model->GetCategoryAttributes(category.id, ids.Get(), types.Get(), texts.Get()) != S_OK) continue;
        if (V_VT(ids.Get()) != VT_EMPTY) model->SelectAttributes(handle, category.id, *ids.Get(), results.Get());
    }

    Variant names, sources, infos, params;
    PutArray(names.Get(), VT_BSTR, MakeBstrArray({message}));
    PutArray(sources.Get(), VT_BSTR, MakeBstrArray({source}));
    EventInput input = EventParameters(message, *parameters);
    std::vector<Variant> info, param;
    info.push_back(std::move(input.info));
    param.push_back(std::move(input.params));
    PutArray(infos.Get(), VT_VARIANT, MakeVariantArray(std::move(info)));
    PutArray(params.Get(), VT_VARIANT, MakeVariantArray(std::move(param)));

    Variant reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results;
    const HRESULT hr = model->ResolveEvents(handle, *line.language, *names.Get(), *sources.Get(), *infos.Get(),
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
        {{Utf8(message), Utf8(source), Hex(static_cast<uint32_t>(hr)),
          codes.empty() ? "" : Hex(static_cast<uint32_t>(codes[0])),
          categories.empty() ? "" : std::to_string(categories[0]), types.empty() ? "" : std::to_string(types[0])}}});
    Table values{"attribute values", {{"id", true}, {"name"}, {"value"}}, {}};
    if (!idVariants.empty() && !valueVariants.empty()) {
        const auto ids = ArrayElements<LONG>(idVariants[0], VT_I4);
        const auto texts = ArrayTexts(valueVariants[0]);
        const auto& attributes = session.View().m_model.m_mapAttributes;
        for (size_t i = 0; i < ids.size(); ++i) {
            const auto found = attributes.find(ids[i]);
            values.AddRow({std::to_string(ids[i]), found != attributes.end() ? Utf8(found->second.name) : "",
                           i < texts.size() ? Utf8(texts[i]) : ""});
        }
    }
    report.push_back(std::move(values));
    return report;
}

std::optional<uint16_t> LanguageOf(const std::wstring& name) {
    if (name.size() != 7 || name.compare(0, 3, L"MSG") != 0) return std::nullopt;
    const auto value = ParseInteger("0x" + Utf8(name.substr(3)));
    if (!value) return std::nullopt;
    return static_cast<uint16_t>(*value);
}

Table Languages(Session& session) {
    // The fixed message rows, and the message text names the file uses.
    std::set<uint16_t> candidates = {0x0007, 0x0407, 0x0009, 0x0409, 0x0809, 0x000A, 0x040A,
                                     0x080A, 0x0C0A, 0x000C, 0x040C, 0x0010, 0x0410};
    for (const auto& [name, id] : session.View().m_model.m_mapAttributeKeys)
        if (const auto language = LanguageOf(name)) candidates.insert(*language);
    const ComPtr<IEventModel> model = session.Get<IEventModel>();
    const auto& keys = session.View().m_model.m_mapAttributeKeys;
    Table table{"languages", {{"langid"}, {"decimal", true}, {"attribute"}}, {}};
    for (uint16_t language : candidates) {
        Variant empty, reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results;
        const HRESULT hr = model->ResolveEvents(0, language, *empty.Get(), *empty.Get(), *empty.Get(), *empty.Get(),
                                                reserved.Get(), alarmTypes.Get(), categoryIds.Get(), attributeIds.Get(),
                                                attributeValues.Get(), results.Get());
        if (hr != S_OK) continue;
        wchar_t name[16];
        std::swprintf(name, 16, L"MSG%04X", language);
        if (!keys.count(name)) name[4] = L'0';
        table.AddRow({Hex(language, 4), std::to_string(language), Utf8(name)});
    }
    return table;
}

// ---- commands --------------------------------------------------------------

int RunLint(Session& session, const CommandLine& line, Report& report) {
    const std::vector<LintFinding> findings = LintProject(session.View(), session.FileText());
    Table table{"problems", {{"line", true}, {"check"}, {"element"}, {"detail"}}, {}};
    for (const LintFinding& finding : findings)
        table.AddRow(
            {finding.line ? std::to_string(finding.line) : "", finding.check, finding.element, finding.detail});
    report.push_back(std::move(table));
    if (!line.json) {
        std::fputs(findings.empty() ? "no problems found\n" : RenderText(report).c_str(), stdout);
        std::fflush(stdout);
        report.clear();
    }
    return findings.empty() ? kExitOk : kExitFindings;
}

int Run(const CommandLine& line) {
    if (line.command == "diff") return RunDiff(line);
    Session session(line);
    Report report;
    int status = kExitOk;
    const std::string& command = line.command;
    if (command == "devices") {
        AddDevices(session, report);
    } else if (command == "tos") {
        Table table = ToTable(false);
        AddTos(session, FromUtf8(line.arguments[0]), table, false);
        report.push_back(std::move(table));
    } else if (command == "params") {
        std::vector<int32_t> ids;
        for (size_t i = 1; i < line.arguments.size(); ++i) {
            const auto id = ConfigParamId(line.arguments[i]);
            if (!id) throw Failure{kExitUsage, "no connection parameter is named " + line.arguments[i]};
            ids.push_back(*id);
        }
        if (ids.empty()) ids = AllParameterIds();
        const std::wstring device = FromUtf8(line.arguments[0]);
        Table probe = ToTable(false);
        AddTos(session, device, probe, false);  // refuses a device that cannot be queried
        Table table = ParameterTable(false);
        AddParameters(session, device, ids, table, false);
        report.push_back(std::move(table));
    } else if (command == "categories") {
        report.push_back(CategoryTable(session, line.eventClass));
    } else if (command == "attributes") {
        Table table = AttributeTable(false);
        AddAttributes(session, CategoryIdOf(session, line.arguments[0]), table, false);
        report.push_back(std::move(table));
    } else if (command == "messages") {
        const std::string& target = line.arguments[0];
        int32_t categoryId = 0;
        Variant ids;
        HRESULT hr = S_OK;
        if (!target.empty() && target[0] == '/') {
            hr = session.Get<IEventMessageIds>()->GetSourceMessageIds(Bstr(FromUtf8(target)).Get(), ids.Get());
            const auto& sources = session.View().m_mapSourceCategories;
            const auto found = sources.find(FromUtf8(target));
            if (found != sources.end()) categoryId = found->second;
        } else {
            categoryId = CategoryIdOf(session, target);
            hr = session.Get<IEventMessageIds>()->GetCategoryMessageIds(categoryId, ids.Get());
        }
        if (FAILED(hr)) throw Failure{kExitUsage, "no category or event source " + target + " is known"};
        Table table = MessageTable();
        AddMessages(session, categoryId, ArrayTexts(*ids.Get()), table);
        report.push_back(std::move(table));
    } else if (command == "resolve") {
        report = Resolve(session, line);
    } else if (command == "languages") {
        report.push_back(Languages(session));
    } else if (command == "dump") {
        AddDevices(session, report);
        const Devices devices = GetDevices(session);
        Table tos = ToTable(true), parameters = ParameterTable(true);
        for (const std::wstring& device : devices.names) {
            AddTos(session, device, tos, true);
            AddParameters(session, device, AllParameterIds(), parameters, true);
        }
        report.push_back(std::move(tos));
        report.push_back(std::move(parameters));
        report.push_back(CategoryTable(session, "all"));
        Table attributes = AttributeTable(true), messages = MessageTable();
        for (const CategoryRow& category : GetCategories(session, "all")) {
            AddAttributes(session, category.id, attributes, true);
            AddMessages(session, category.id, CategoryMessageIds(session, category.id), messages);
        }
        report.push_back(std::move(attributes));
        report.push_back(std::move(messages));
        Table sources{"sources", {{"source"}, {"category", true}}, {}};
        for (const auto& [path, id] : session.View().m_mapSourceCategories)
            sources.AddRow({Utf8(path), std::to_string(id)});
        report.push_back(std::move(sources));
        report.push_back(Languages(session));
    } else if (command == "lint") {
        status = RunLint(session, line, report);
    }
    if (!report.empty()) {
        const std::string text = line.json ? RenderJson(report) : RenderText(report);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return status;
}

class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_hr;
};

}  // namespace

static int RunInspector(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "eventinfo: %s\n%s", parsed.error.c_str(), "Run \"eventinfo --help\" for the commands.\n");
        return kExitUsage;
    }
    if (parsed.line.help) {
        std::fputs(HelpText(parsed.line.command).c_str(), stdout);
        return kExitOk;
    }
    if (parsed.line.version) {
        std::printf("eventinfo %s (%s, %s)\n", PROJECT_VERSION_TEXT, PROJECT_PRODUCT,
                    sizeof(void*) == 8 ? "x64" : "x86");
        return kExitOk;
    }
    int status = kExitOk;
    {
        const ComApartment apartment;
        try {
            status = Run(parsed.line);
        } catch (const Failure& failure) {
            std::fprintf(stderr, "eventinfo: %s\n", failure.message.c_str());
            status = failure.status;
        } catch (const ComError& error) {
            std::fprintf(stderr, "eventinfo: a component call failed (0x%08lX)\n",
                         static_cast<unsigned long>(error.Code()));
            status = kExitNotLoaded;
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "eventinfo: out of memory\n");
            status = kExitNotLoaded;
        }
    }
    std::fflush(stdout);
    return status;
}

// The wrapper for Linux names a file in EVENTINFO_STATUS_FILE: the status
// written there tells a run that ended by itself from one that was stopped
// from outside, whose exit status cannot be trusted.
int wmain(int argc, wchar_t** argv) {
    const int status = RunInspector(argc, argv);
    std::fflush(stdout);
    if (const wchar_t* path = _wgetenv(L"EVENTINFO_STATUS_FILE"); path && *path) {
        if (FILE* file = _wfopen(path, L"w")) {
            std::fprintf(file, "%d\n", status);
            std::fclose(file);
        }
    }
    return status;
}
