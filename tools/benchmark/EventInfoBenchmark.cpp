// Benchmark of the registered component on generated project files.
//
//   eventinfo_benchmark.exe OUTPUT.md SIZE=DATADIR [SIZE=DATADIR ...]
//
// Each DATADIR holds opc2\bink4\corvalis\XML\OPC_AE.xml as the generator
// writes it. Every figure is the median of repeated runs; ratios compare
// figures measured in the same run.

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "IEventInfoServer.h"
#include "eventserver/ListenerRecheck.h"
#include "loading/ComValues.h"
#include "loading/ProjectFilePath.h"
#include "loading/XmlAccess.h"
#include "tools/common/DebugOutputListener.h"

using Microsoft::WRL::ComPtr;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Median seconds of one call, repeating until `budget` seconds or `maxRuns`.
double TimeOf(const std::function<void()>& call) {
    const auto start = Clock::now();
    call();
    return Seconds(start);
}

double MedianOf(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// How far apart two costs are whose ratio is given, whichever is larger.
double Apart(double ratio) { return std::max(ratio, 1 / ratio); }

double Median(const std::function<void()>& call, int maxRuns, double budget = 1.0) {
    std::vector<double> times;
    const auto start = Clock::now();
    while (static_cast<int>(times.size()) < maxRuns && (times.size() < 3 || Seconds(start) < budget))
        times.push_back(TimeOf(call));
    return MedianOf(std::move(times));
}

// Median seconds of one call, timed `calls` calls at a time: a call of about
// a microsecond is a few steps of the clock.
constexpr int kCallsPerSample = 20;
double MedianPerCall(const std::function<void()>& call, int samples, double budget = 1.0) {
    const auto calls = [&] {
        for (int i = 0; i < kCallsPerSample; ++i) call();
    };
    return Median(calls, samples, budget) / kCallsPerSample;
}

// Committed private memory of the process, summed over its regions (the
// platform's process counters do not report it here).
size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void SetDataPath(const std::wstring& base) {
    HKEY key = nullptr;
    const std::wstring path(kDataPathKey, kDataPathKey + strlen(kDataPathKey));
    const std::wstring value(kDataPathValue, kDataPathValue + strlen(kDataPathValue));
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(base.c_str()),
                   static_cast<DWORD>((base.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// The reference documents are created as a client of the DOM creates them;
// the component keeps the DOM's class object instead.
DomDocument CreateClientDomDocument() {
    DomDocument document = CreateDomDocumentThroughRegistry();
    if (!document) return nullptr;
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    return document;
}

void LoadBytes(IXMLDOMDocument* document, const std::string& bytes) {
    SafeArray array = SafeArray::CreateVector(VT_UI1, static_cast<ULONG>(bytes.size()));
    {
        SafeArrayData<char> data(array.Get());
        std::copy(bytes.begin(), bytes.end(), data.Get());
    }
    Variant source;
    V_VT(source.Get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(source.Get()) = array.Detach();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->load(*source.Get(), &loaded);
}

DomDocument LoadDomFromBytes(const std::string& bytes) {
    DomDocument document = CreateClientDomDocument();
    LoadBytes(document.Get(), bytes);
    return document;
}

DomDocument LoadDomByName(const std::wstring& path) {
    DomDocument document = CreateClientDomDocument();
    Variant source;
    V_VT(source.Get()) = VT_BSTR;
    V_BSTR(source.Get()) = Bstr(path).Detach();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->load(*source.Get(), &loaded);
    return document;
}

ComPtr<IEventInfoInit> CreateComponent() {
    CLSID clsid{};
    CLSIDFromProgID(L"CorvalisEventInfo.EventInfoObj", &clsid);
    ComPtr<IEventInfoInit> init;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init));
    return init;
}

ComPtr<IUnknown> CreateLoadedComponent() {
    ComPtr<IEventInfoInit> init = CreateComponent();
    if (!init || FAILED(init->ParseXML(nullptr))) return nullptr;
    ComPtr<IUnknown> object;
    init.As(&object);
    return object;
}

// One row of the report.
struct Figure {
    std::string size, what, value, note;
};

class Report {
public:
    void Add(const std::string& size, const std::string& what, const std::string& value, const std::string& note = {}) {
        m_rows.push_back({size, what, value, note});
        std::printf("%-3s %-62s %16s  %s\n", size.c_str(), what.c_str(), value.c_str(), note.c_str());
        std::fflush(stdout);
    }
    const std::vector<Figure>& Rows() const { return m_rows; }

    // Raw values, kept for the target checks.
    void Keep(const std::string& size, const std::string& key, double value) { m_values[size + "/" + key] = value; }
    std::optional<double> Value(const std::string& size, const std::string& key) const {
        const auto found = m_values.find(size + "/" + key);
        return found == m_values.end() ? std::nullopt : std::optional<double>(found->second);
    }

private:
    std::vector<Figure> m_rows;
    std::map<std::string, double> m_values;
};

std::string Micro(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    return text;
}
std::string Milli(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
    return text;
}
std::string Number(double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%s", value, unit);
    return text;
}

std::vector<std::wstring> DeviceNames(IUMCInfo* info) {
    Variant names, sums, addresses;
    tagAlarmTypes alarms{};
    tagIUMCErrors error{};
    info->GetDevices(names.Get(), sums.Get(), addresses.Get(), &alarms, &error);
    std::vector<std::wstring> out;
    if (V_VT(names.Get()) != (VT_ARRAY | VT_BSTR)) return out;
    SAFEARRAY* array = V_ARRAY(names.Get());
    SafeArrayData<BSTR> data(array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) out.emplace_back(data[i]);
    return out;
}

// Device, TO and message numbers of a benchmark category as the generator
// lays them out: TO RT(t+1) of every device d with d % 10 == t has the type
// of the t-th benchmark category.
struct BenchCategory {
    int messages;
    int toIndex;
};

// One call for a connection parameter of a device.
void CallParameter(IUMCInfo* info, BSTR device, LONG id) {
    Variant value;
    tagIUMCErrors error{};
    info->GetConnectionInfo(&device, static_cast<tagConfigParams>(id), value.Get(), &error);
}

// One call for the TOs of a device.
void CallTos(IUMCInfo* info, BSTR device) {
    Variant toNames, addresses;
    tagIUMCErrors error{};
    info->GetTOs(device, toNames.Get(), addresses.Get(), &error);
}

// The first, middle and last of `count` devices by position.
std::vector<std::pair<const char*, size_t>> DevicePositions(size_t count) {
    return {{"first", 0}, {"middle", count / 2}, {"last", count - 1}};
}

// A one-dimensional VT_ARRAY|VT_BSTR VARIANT's texts.
std::vector<std::wstring> Texts(const Variant& value) {
    std::vector<std::wstring> out;
    if (V_VT(value.Get()) != (VT_ARRAY | VT_BSTR)) return out;
    SAFEARRAY* array = V_ARRAY(value.Get());
    SafeArrayData<BSTR> data(array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) out.emplace_back(data[i], SysStringLen(data[i]));
    return out;
}

// A batch of events as VARIANTs, TO alarms with two integer parameters.
class EventBatch {
public:
    struct Event {
        std::wstring name, source;
        bool withParameters;
    };
    explicit EventBatch(const std::vector<Event>& events) {
        const auto count = static_cast<ULONG>(events.size());
        SafeArray nameArray = SafeArray::CreateVector(VT_BSTR, count);
        SafeArray sourceArray = SafeArray::CreateVector(VT_BSTR, count);
        SafeArray paramArray = SafeArray::CreateVector(VT_VARIANT, count);
        {
            SafeArrayData<BSTR> n(nameArray.Get()), s(sourceArray.Get());
            SafeArrayData<VARIANT> p(paramArray.Get());
            for (ULONG i = 0; i < count; ++i) {
                n[i] = Bstr(events[i].name).Detach();
                s[i] = Bstr(events[i].source).Detach();
                if (!events[i].withParameters) continue;
                SafeArray values = SafeArray::CreateVector(VT_VARIANT, 2);
                {
                    SafeArrayData<VARIANT> v(values.Get());
                    V_VT(&v[0]) = VT_I4;
                    V_I4(&v[0]) = static_cast<LONG>(i);
                    V_VT(&v[1]) = VT_I4;
                    V_I4(&v[1]) = 42;
                }
                V_VT(&p[i]) = VT_ARRAY | VT_VARIANT;
                V_ARRAY(&p[i]) = values.Detach();
            }
        }
        V_VT(m_names.Get()) = VT_ARRAY | VT_BSTR;
        V_ARRAY(m_names.Get()) = nameArray.Detach();
        V_VT(m_sources.Get()) = VT_ARRAY | VT_BSTR;
        V_ARRAY(m_sources.Get()) = sourceArray.Detach();
        V_VT(m_params.Get()) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(m_params.Get()) = paramArray.Detach();
    }

    // Resolves the batch; the categories and alarm types of its events are kept.
    void Resolve(IEventModel* b, LONG handle) const {
        Variant reserved, types, categories, ids, values, results, info;
        b->ResolveEvents(handle, 0x407, *m_names.Get(), *m_sources.Get(), *info.Get(), *m_params.Get(), reserved.Get(),
                         types.Get(), categories.Get(), ids.Get(), values.Get(), results.Get());
        m_categories = Numbers(categories);
        m_alarmTypes = Numbers(types);
        categoryOfFirst = m_categories.empty() ? 0 : m_categories.front();
    }
    const std::vector<LONG>& Categories() const { return m_categories; }
    const std::vector<LONG>& AlarmTypes() const { return m_alarmTypes; }
    mutable LONG categoryOfFirst = 0;

private:
    static std::vector<LONG> Numbers(const Variant& value) {
        if (V_VT(value.Get()) != (VT_ARRAY | VT_I4)) return {};
        SAFEARRAY* array = V_ARRAY(value.Get());
        SafeArrayData<LONG> data(array);
        return std::vector<LONG>(data.Get(), data.Get() + array->rgsabound[0].cElements);
    }
    Variant m_names, m_sources, m_params;
    mutable std::vector<LONG> m_categories, m_alarmTypes;
};

// Every event source of the project (the groups and TOs of every device)
// with its category, and the message numbers of each category, as a client
// learns them through the interfaces.
class ProjectEvents {
public:
    using Event = EventBatch::Event;

    explicit ProjectEvents(IUnknown* object) {
        ComPtr<IUMCInfo> info;
        ComPtr<IEventModel> b;
        ComPtr<IEventMessageIds> a;
        object->QueryInterface(IID_PPV_ARGS(&info));
        object->QueryInterface(IID_PPV_ARGS(&b));
        object->QueryInterface(IID_PPV_ARGS(&a));
        std::vector<Event> candidates;
        for (const std::wstring& device : DeviceNames(info.Get())) {
            const std::wstring prefix = L"/" + device + L"/";
            candidates.push_back({L"Alarm1", prefix + L"U7SQ", false});
            candidates.push_back({L"Alarm1", prefix + L"U7DIAG", false});
            Variant names, addresses, types;
            tagIUMCErrors error{};
            const Bstr name(device);
            info->GetTOsWithTypes(name.Get(), names.Get(), addresses.Get(), types.Get(), &error);
            for (const std::wstring& address : Texts(addresses))
                candidates.push_back({L"Alarm1", prefix + L"RT" + address, false});
        }
        if (candidates.empty()) return;
        LONG handle = 0;
        b->CreateSubscription(&handle);
        const EventBatch all(candidates);
        all.Resolve(b.Get(), handle);
        b->DeleteSubscription(handle);
        for (size_t i = 0; i < candidates.size() && i < all.Categories().size(); ++i) {
            const LONG category = all.Categories()[i];
            if (category == 0) continue;
            m_sources.push_back({candidates[i].source, category, all.AlarmTypes()[i]});
            if (m_messages.count(category)) continue;
            Variant ids;
            a->GetCategoryMessageIds(category, ids.Get());
            std::vector<uint32_t>& numbers = m_messages[category];
            for (const std::wstring& id : Texts(ids)) numbers.push_back(std::wcstoul(id.c_str() + 2, nullptr, 16));
        }
    }

    bool Empty() const { return m_sources.empty(); }
    size_t MessageCount(LONG category) const {
        const auto found = m_messages.find(category);
        return found == m_messages.end() ? 0 : found->second.size();
    }
    size_t Sources() const { return m_sources.size(); }

    // A subscription that selects the message text of every category of the
    // sources, as an alarms-and-events server that shows texts only does.
    LONG SubscribeAll(IEventModel* b) const {
        LONG handle = 0;
        b->CreateSubscription(&handle);
        for (const auto& [category, numbers] : m_messages) {
            SafeArray selection = SafeArray::CreateVector(VT_I4, 1);
            {
                SafeArrayData<LONG> ids(selection.Get());
                ids[0] = -1;
            }
            Variant selectionValue, results;
            V_VT(selectionValue.Get()) = VT_ARRAY | VT_I4;
            V_ARRAY(selectionValue.Get()) = selection.Detach();
            b->SelectAttributes(handle, category, *selectionValue.Get(), results.Get());
        }
        return handle;
    }

    // `count` events, each one of `distinct` events drawn uniformly over the
    // sources and then over the messages of the source's category.
    std::vector<Event> Draw(size_t count, size_t distinct) const {
        std::mt19937 random(static_cast<unsigned>(count * 31 + distinct));
        std::vector<Event> drawn;
        while (drawn.size() < distinct) {
            const Source& source = m_sources[random() % m_sources.size()];
            const std::vector<uint32_t>& numbers = m_messages.at(source.category);
            if (numbers.empty()) continue;
            drawn.push_back(EventOf(source, numbers[random() % numbers.size()]));
        }
        std::vector<Event> events;
        for (size_t i = 0; i < count; ++i) events.push_back(drawn[count == distinct ? i : random() % distinct]);
        return events;
    }

private:
    struct Source {
        std::wstring path;
        LONG category;
        LONG alarmType;
    };

    // The message name that the source's alarm type reads the number from.
    static Event EventOf(const Source& source, uint32_t number) {
        wchar_t name[32];
        if (source.alarmType == 2) {
            std::swprintf(name, 32, L"TO_ALARM%lu", static_cast<unsigned long>(number));
            return {name, source.path, true};
        }
        if (source.alarmType == 4)
            std::swprintf(name, 32, L"DIAGNOSIS00%lX", static_cast<unsigned long>(number));
        else
            std::swprintf(name, 32, L"Alarm%lu", static_cast<unsigned long>(number));
        return {name, source.path, false};
    }

    std::vector<Source> m_sources;
    std::map<LONG, std::vector<uint32_t>> m_messages;
};

class SizeBenchmark {
public:
    SizeBenchmark(std::string size, std::wstring base, Report& report)
        : m_size(std::move(size)), m_base(std::move(base)), m_report(report) {
        m_file = m_base + std::wstring(kProjectFileTail, kProjectFileTail + strlen(kProjectFileTail));
    }

    void Run() {
        SetDataPath(m_base);
        const std::string bytes = ReadBytes(m_file);
        m_report.Add(m_size, "project file size", Number(bytes.size() / 1048576.0, " MB"));
        const int loadRuns = bytes.size() > 20'000'000 ? 5 : 7;
        Loads(bytes, loadRuns);
        Memory(bytes);
        ComPtr<IUnknown> object = CreateLoadedComponent();
        if (!object) {
            m_report.Add(m_size, "ParseXML", "failed");
            return;
        }
        const ProjectEvents events(object.Get());
        FirstEvents(object.Get(), events, loadRuns);
        DeviceQueries(object.Get(), bytes);
        ParameterCosts(object.Get());
        CategoryQueries(object.Get());
        Resolution(object.Get());
        SpreadResolution(object.Get(), events);
        MarshalledCalls(object.Get());
    }

private:
    void Loads(const std::string& bytes, int runs) {
        // The loads take turns, so that a change in the machine's load meets
        // them alike, and each run starts with another of them: the first
        // after a release of a whole tree finds the heap in another state
        // than the next. Each loads into a fresh object created, and
        // released, outside the timed call.
        std::vector<double> domTimes, parseAloneTimes, parseTimes;
        const std::function<void()> loads[] = {
            [&] {
                DomDocument document;
                domTimes.push_back(TimeOf([&] { document = LoadDomFromBytes(bytes); }));
            },
            [&] {
                const DomDocument document = CreateClientDomDocument();
                parseAloneTimes.push_back(TimeOf([&] { LoadBytes(document.Get(), bytes); }));
            },
            [&] {
                const ComPtr<IEventInfoInit> object = CreateComponent();
                parseTimes.push_back(TimeOf([&] { object->ParseXML(nullptr); }));
            },
        };
        const int kinds = static_cast<int>(std::size(loads));
        for (int run = 0; run < runs * kinds; ++run) loads[(run + run / kinds) % kinds]();
        const double dom = MedianOf(domTimes);
        const double parseAlone = MedianOf(parseAloneTimes);
        const double parse = MedianOf(parseTimes);
        m_report.Add(m_size, "DOM load of the file's bytes", Milli(dom), "a document created as a client creates one");
        m_report.Add(m_size, "DOM parse of the bytes alone", Milli(parseAlone), "the document created before");
        m_report.Add(m_size, "ParseXML (load, build passes, indexes)", Milli(parse));
        m_report.Add(m_size, "ParseXML / DOM load", Number(parse / dom, "x"), "target <= 1.15");
        m_report.Add(m_size, "ParseXML / DOM parse alone", Number(parse / parseAlone, "x"),
                     "with the registry read, the file read and the indexes");
        m_report.Keep(m_size, "parse ratio", parse / dom);
        m_report.Keep(m_size, "parse alone ratio", parse / parseAlone);
        const double byName = Median([&] { LoadDomByName(m_file); }, 1, 0);
        m_report.Add(m_size, "DOM load by file name (the load before this change)", Milli(byName),
                     Number(byName / dom, "x the byte load").c_str());
    }

    void Memory(const std::string& bytes) {
        const size_t before = PrivateBytes();
        size_t dom = 0;
        {
            DomDocument document = LoadDomFromBytes(bytes);
            dom = PrivateBytes() - before;
        }
        const size_t beforeComponent = PrivateBytes();
        ComPtr<IUnknown> object = CreateLoadedComponent();
        const size_t component = PrivateBytes() - beforeComponent;
        m_report.Add(m_size, "private bytes after the DOM load alone", Number(dom / 1048576.0, " MB"));
        m_report.Add(m_size, "private bytes after ParseXML", Number(component / 1048576.0, " MB"));
        if (dom == 0) {
            // A small document fits the process's committed regions.
            m_report.Add(m_size, "memory ParseXML / DOM", "-", "the DOM's load committed no new region");
            return;
        }
        m_report.Add(m_size, "memory ParseXML / DOM", Number(double(component) / double(dom), "x"), "target <= 1.3");
        m_report.Keep(m_size, "memory ratio", double(component) / double(dom));
    }

    void DeviceQueries(IUnknown* object, const std::string& bytes) {
        ComPtr<IUMCInfo> info;
        object->QueryInterface(IID_PPV_ARGS(&info));
        const double devices = Median([&] { DeviceNames(info.Get()); }, 50);
        m_report.Add(m_size, "GetDevices", Milli(devices));
        const std::vector<std::wstring> names = DeviceNames(info.Get());
        if (names.empty()) return;

        const DomDocument document = LoadDomFromBytes(bytes);
        const Bstr tag(names.back());
        const double search = Median(
            [&] {
                ComPtr<IXMLDOMNodeList> list;
                document->getElementsByTagName(tag.Get(), &list);
                long length = 0;
                if (list) list->get_length(&length);
            },
            20);
        m_report.Add(m_size, "whole-document getElementsByTagName (reference)", Milli(search));

        for (const auto& [where, index] : DevicePositions(names.size())) {
            Bstr name(names[index]);
            const double tos = MedianPerCall([&] { CallTos(info.Get(), name.Get()); }, 100);
            const double connection =
                MedianPerCall([&] { CallParameter(info.Get(), name.Get(), CONFIG_TIMEOUT); }, 100);
            m_report.Keep(m_size, std::string("tos search ") + where, tos / search);
            m_report.Keep(m_size, std::string("connection search ") + where, connection / search);
            m_report.Add(m_size, std::string("GetTOs, ") + where + " device", Micro(tos),
                         Number(tos / search * 1000, "/1000 of a search"));
            m_report.Add(m_size, std::string("GetConnectionInfo, ") + where + " device", Micro(connection),
                         Number(connection / search * 1000, "/1000 of a search"));
        }
    }

    void CategoryQueries(IUnknown* object) {
        ComPtr<IEventModel> b;
        ComPtr<IEventMessageIds> a;
        object->QueryInterface(IID_PPV_ARGS(&b));
        object->QueryInterface(IID_PPV_ARGS(&a));
        m_report.Add(m_size, "GetCategories",
                     Micro(Median(
                         [&] {
                             Variant ids, texts;
                             b->GetCategories(0x70, ids.Get(), texts.Get());
                         },
                         2000)));
        m_report.Add(m_size, "GetCategoryAttributes",
                     Micro(Median(
                         [&] {
                             Variant ids, types, texts;
                             b->GetCategoryAttributes(0x200001, ids.Get(), types.Get(), texts.Get());
                         },
                         2000)));
        m_report.Add(m_size, "GetCategoryMessageIds (user alarms)",
                     Micro(Median(
                         [&] {
                             Variant ids;
                             a->GetCategoryMessageIds(0x200001, ids.Get());
                         },
                         200)));
        m_report.Add(m_size, "GetCategoryMessageIds (TO type TOPOSAXIS)",
                     Micro(Median(
                         [&] {
                             Variant ids;
                             a->GetCategoryMessageIds(0x200021, ids.Get());
                         },
                         200)));
    }

    static LONG CategoryOf(IEventMessageIds*, IEventModel* b, const std::wstring& source) {
        // Resolve one event to learn the source's category.
        Variant names, sources, reserved, types, categories, ids, values, results;
        SafeArray nameArray = SafeArray::CreateVector(VT_BSTR, 1);
        SafeArray sourceArray = SafeArray::CreateVector(VT_BSTR, 1);
        {
            SafeArrayData<BSTR> n(nameArray.Get()), s(sourceArray.Get());
            n[0] = Bstr(L"TO_ALARM1").Detach();
            s[0] = Bstr(source).Detach();
        }
        V_VT(names.Get()) = VT_ARRAY | VT_BSTR;
        V_ARRAY(names.Get()) = nameArray.Detach();
        V_VT(sources.Get()) = VT_ARRAY | VT_BSTR;
        V_ARRAY(sources.Get()) = sourceArray.Detach();
        LONG handle = 0;
        b->CreateSubscription(&handle);
        VARIANT empty;
        VariantInit(&empty);
        b->ResolveEvents(handle, 0x409, *names.Get(), *sources.Get(), empty, empty, reserved.Get(), types.Get(),
                         categories.Get(), ids.Get(), values.Get(), results.Get());
        b->DeleteSubscription(handle);
        if (V_VT(categories.Get()) != (VT_ARRAY | VT_I4)) return 0;
        SafeArrayData<LONG> data(V_ARRAY(categories.Get()));
        return data[0];
    }

    void Resolution(IUnknown* object) {
        ComPtr<IEventModel> b;
        ComPtr<IEventMessageIds> a;
        object->QueryInterface(IID_PPV_ARGS(&b));
        object->QueryInterface(IID_PPV_ARGS(&a));
        const BenchCategory categories[] = {{100, 0}, {1000, 1}, {10000, 2}};
        for (const BenchCategory& category : categories) {
            wchar_t source[64];
            std::swprintf(source, 64, L"/PLC_%05d/RT%d", category.toIndex, category.toIndex + 1);
            const LONG categoryId = CategoryOf(a.Get(), b.Get(), source);
            Variant messageIds;
            a->GetCategoryMessageIds(categoryId, messageIds.Get());
            if (V_VT(messageIds.Get()) != (VT_ARRAY | VT_BSTR) ||
                V_ARRAY(messageIds.Get())->rgsabound[0].cElements != static_cast<ULONG>(category.messages))
                continue;  // this size has no such category
            LONG handle = 0;
            b->CreateSubscription(&handle);
            Variant attributeIds, attributeTypes, descriptions;
            b->GetCategoryAttributes(categoryId, attributeIds.Get(), attributeTypes.Get(), descriptions.Get());
            // The message text, the process parameter and one project attribute.
            SafeArray selection = SafeArray::CreateVector(VT_I4, 3);
            {
                SafeArrayData<LONG> ids(selection.Get());
                SafeArrayData<LONG> known(V_ARRAY(attributeIds.Get()));
                ids[0] = -1;
                ids[1] = 1;
                ids[2] = known[V_ARRAY(attributeIds.Get())->rgsabound[0].cElements - 1];
            }
            Variant selectionValue, selectResults;
            V_VT(selectionValue.Get()) = VT_ARRAY | VT_I4;
            V_ARRAY(selectionValue.Get()) = selection.Detach();
            b->SelectAttributes(handle, categoryId, *selectionValue.Get(), selectResults.Get());

            for (ULONG batch : {1u, 100u, 10000u}) {
                const EventBatch events(ToAlarms(batch, category.messages, source));
                const auto resolve = [&] { events.Resolve(b.Get(), handle); };
                const double seconds = Median(resolve, batch == 1 ? 5000 : 50, 2.0);
                char what[128];
                std::snprintf(what, sizeof what, "ResolveEvents, %5d messages, batch %5lu", category.messages,
                              static_cast<unsigned long>(batch));
                m_report.Add(m_size, what, Number(batch / seconds / 1000, "k ev/s"),
                             Micro(seconds / batch) + " per event");
                m_report.Keep(m_size, "event " + std::to_string(category.messages) + " " + std::to_string(batch),
                              seconds / batch);
                if (batch == 10000 && category.messages == 10000) {
                    // Every timed call is traced: the component notices the
                    // listener once its latest "none" is no longer believed.
                    DebugOutputListener listener;
                    Sleep(static_cast<DWORD>(kListenerRecheckMs) + 50);
                    const double heard = Median(resolve, 5, 5.0);
                    m_report.Add(m_size, "ResolveEvents, 10000 messages, batch 10000, with a debug listener",
                                 Number(batch / heard / 1000, "k ev/s"),
                                 Micro(heard / batch) + " per event, " + std::to_string(listener.Messages()) +
                                     " trace lines heard");
                }
            }
            b->DeleteSubscription(handle);
        }
    }

    // The first event of a category builds the category's message index,
    // once per load: each sample follows a load of its own, and the median
    // is shown. The small category goes first, so that the check for a
    // debug-output listener (made at most every kListenerRecheckMs) falls
    // to it.
    void FirstEvents(IUnknown* object, const ProjectEvents& events, int loads) {
        ComPtr<IEventModel> b;
        ComPtr<IEventInfoInit> init;
        object->QueryInterface(IID_PPV_ARGS(&b));
        object->QueryInterface(IID_PPV_ARGS(&init));
        const BenchCategory categories[] = {{100, 0}, {10000, 2}};
        std::map<int, std::vector<double>> times;
        for (int load = 0; load < loads; ++load) {
            if (load > 0) init->ParseXML(nullptr);
            const LONG handle = events.SubscribeAll(b.Get());
            for (const BenchCategory& category : categories) {
                wchar_t source[64];
                std::swprintf(source, 64, L"/PLC_%05d/RT%d", category.toIndex, category.toIndex + 1);
                const EventBatch batch(std::vector<ProjectEvents::Event>{{L"TO_ALARM1", source, true}});
                const auto start = Clock::now();
                batch.Resolve(b.Get(), handle);
                const double seconds = Seconds(start);
                // A size without such a category gets no figure.
                if (events.MessageCount(batch.categoryOfFirst) == static_cast<size_t>(category.messages))
                    times[category.messages].push_back(seconds);
            }
            b->DeleteSubscription(handle);
        }
        for (const auto& [messages, samples] : times) {
            char what[96];
            std::snprintf(what, sizeof what, "ResolveEvents, first event of a category of %d messages", messages);
            const double seconds = MedianOf(samples);
            m_report.Add(m_size, what, Milli(seconds),
                         (messages == 10000 ? "target <= 1 ms on L; " : "") + std::string("median of ") +
                             std::to_string(samples.size()) + " loads");
            m_report.Keep(m_size, "first event " + std::to_string(messages), seconds);
        }
    }

    // Every connection parameter of an unrouted and a routed device.
    void ParameterCosts(IUnknown* object) {
        ComPtr<IUMCInfo> info;
        object->QueryInterface(IID_PPV_ARGS(&info));
        for (const wchar_t* device : {L"PLC_00000", L"PLC_00007"}) {
            const Bstr name(device);
            double slowest = 0;
            std::string slowestId;
            for (LONG id = CONFIG_BAUDRATE; id <= CONFIG_REMNSAP; ++id) {
                const double seconds = MedianPerCall([&] { CallParameter(info.Get(), name.Get(), id); }, 100, 0.2);
                if (seconds > slowest) {
                    slowest = seconds;
                    slowestId = std::to_string(id);
                }
            }
            m_report.Add(m_size, "GetConnectionInfo, slowest parameter of " + Narrow(device), Micro(slowest),
                         "parameter " + slowestId);
        }
    }

    // Batches drawn uniformly over every source and each source's messages,
    // a batch of 10 events repeated, and a call with one event.
    void SpreadResolution(IUnknown* object, const ProjectEvents& events) {
        ComPtr<IEventModel> b;
        object->QueryInterface(IID_PPV_ARGS(&b));
        if (events.Empty()) return;
        const LONG handle = events.SubscribeAll(b.Get());
        const EventBatch spread(events.Draw(10000, 10000));
        const double seconds = Median([&] { spread.Resolve(b.Get(), handle); }, 50, 2.0);
        m_report.Add(m_size, "ResolveEvents, batch 10000 spread over the project",
                     Number(10000 / seconds / 1000, "k ev/s"),
                     Micro(seconds / 10000) + " per event, " + std::to_string(events.Sources()) +
                         " sources, the message text selected");
        m_report.Keep(m_size, "spread event", seconds / 10000);
        const EventBatch hot(events.Draw(10000, 10));
        const double hotSeconds = Median([&] { hot.Resolve(b.Get(), handle); }, 50, 2.0);
        m_report.Add(m_size, "ResolveEvents, batch 10000 of the same 10 events",
                     Number(10000 / hotSeconds / 1000, "k ev/s"), Micro(hotSeconds / 10000) + " per event");
        const EventBatch one(events.Draw(1, 1));
        const double oneSeconds = MedianPerCall([&] { one.Resolve(b.Get(), handle); }, 250);
        m_report.Add(m_size, "ResolveEvents, one event, no listener", Micro(oneSeconds), "target <= 3 us");
        m_report.Keep(m_size, "one event us", oneSeconds * 1e6);
        b->DeleteSubscription(handle);
    }

    // Two calls as a host in the multithreaded apartment makes them: through
    // the type library marshaler's proxies of an object COM created in a
    // host apartment, beside the same calls made directly.
    void MarshalledCalls(IUnknown* direct) {
        ComPtr<IUMCInfo> info;
        direct->QueryInterface(IID_PPV_ARGS(&info));
        const std::vector<std::wstring> names = DeviceNames(info.Get());
        if (names.empty()) return;
        const Bstr device(names.front());
        const auto calls = [&](IUnknown* object, int runs) {
            ComPtr<IUMCInfo> umc;
            ComPtr<IEventModel> b;
            object->QueryInterface(IID_PPV_ARGS(&umc));
            object->QueryInterface(IID_PPV_ARGS(&b));
            const double connection = Median(
                [&] {
                    Variant value;
                    tagIUMCErrors error{};
                    BSTR name = device.Get();
                    umc->GetConnectionInfo(&name, CONFIG_TIMEOUT, value.Get(), &error);
                },
                runs);
            const double categories = Median(
                [&] {
                    Variant ids, texts;
                    b->GetCategories(0x70, ids.Get(), texts.Get());
                },
                runs);
            return std::make_pair(connection, categories);
        };
        const auto [directConnection, directCategories] = calls(direct, 2000);
        std::pair<double, double> marshalled{0, 0};
        std::thread host([&] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
            if (const ComPtr<IUnknown> proxy = CreateLoadedComponent()) marshalled = calls(proxy.Get(), 500);
            CoUninitialize();
        });
        host.join();
        if (marshalled.first == 0) {
            m_report.Add(m_size, "calls from the multithreaded apartment", "failed");
            return;
        }
        m_report.Add(m_size, "GetConnectionInfo from the multithreaded apartment", Micro(marshalled.first),
                     Number(marshalled.first / directConnection, "x the direct call, ") + Micro(directConnection));
        m_report.Add(m_size, "GetCategories from the multithreaded apartment", Micro(marshalled.second),
                     Number(marshalled.second / directCategories, "x the direct call, ") + Micro(directCategories));
    }

    // A batch of TO alarms of one source, with numbers from 1 to `messages`.
    static std::vector<EventBatch::Event> ToAlarms(ULONG count, int messages, const wchar_t* source) {
        std::mt19937 random(count * 7919u + static_cast<unsigned>(messages));
        std::vector<EventBatch::Event> events;
        for (ULONG i = 0; i < count; ++i)
            events.push_back({L"TO_ALARM" + std::to_wstring(1 + random() % messages), source, true});
        return events;
    }

    std::string m_size;
    std::wstring m_base;
    std::wstring m_file;
    Report& m_report;
};

// Median seconds per call of two calls, timed taking turns so that a change
// in the machine's load meets both alike; a sample is 20 calls, many times
// the clock's step.
std::pair<double, double> TakingTurns(const std::function<void()>& first, const std::function<void()>& second) {
    std::vector<double> firstTimes, secondTimes;
    for (int sample = 0; sample < 50; ++sample) {
        for (auto [call, times] : {std::make_pair(&first, &firstTimes), std::make_pair(&second, &secondTimes)}) {
            times->push_back(TimeOf([&] {
                                 for (int i = 0; i < kCallsPerSample; ++i) (*call)();
                             }) /
                             kCallsPerSample);
        }
    }
    return {MedianOf(std::move(firstTimes)), MedianOf(std::move(secondTimes))};
}

// The device interface of a loaded component for each project base, or
// nothing when one does not load.
std::vector<ComPtr<IUMCInfo>> LoadedInfos(std::initializer_list<std::wstring> bases) {
    std::vector<ComPtr<IUMCInfo>> infos;
    for (const std::wstring& base : bases) {
        SetDataPath(base);
        ComPtr<IUnknown> object = CreateLoadedComponent();
        if (!object) return {};
        infos.emplace_back();
        object.As(&infos.back());
    }
    return infos;
}

// Every connection parameter of an unrouted and a routed device on two
// projects that differ only in their TOs per device, the calls of both
// taking turns.
void CompareParameterCosts(Report& report, const std::wstring& fewTos, const std::wstring& manyTos) {
    const std::vector<ComPtr<IUMCInfo>> infos = LoadedInfos({fewTos, manyTos});
    if (infos.empty()) return;
    for (const wchar_t* device : {L"PLC_00000", L"PLC_00007"}) {
        const Bstr name(device);
        double farthest = 1;
        LONG farthestId = 0;
        for (LONG id = CONFIG_BAUDRATE; id <= CONFIG_REMNSAP; ++id) {
            const auto [few, many] = TakingTurns([&] { CallParameter(infos[0].Get(), name.Get(), id); },
                                                 [&] { CallParameter(infos[1].Get(), name.Get(), id); });
            const double ratio = many / few;
            report.Keep("T36/T6", "parameter " + Narrow(device) + " " + std::to_string(id), ratio);
            if (Apart(ratio) > farthest) {
                farthest = Apart(ratio);
                farthestId = id;
            }
        }
        report.Add("T36", "GetConnectionInfo of " + Narrow(device) + ", the parameter farthest from T6's cost",
                   Number(farthest, "x"), "parameter " + std::to_string(farthestId) + ", calls taking turns with T6");
    }
}

// GetTOs and GetConnectionInfo of the first, middle and last device of a
// small and a large project, the calls of both taking turns.
void CompareDeviceQueries(Report& report, const std::wstring& small, const std::wstring& large) {
    const std::vector<ComPtr<IUMCInfo>> infos = LoadedInfos({small, large});
    if (infos.empty()) return;
    const std::vector<std::wstring> smallNames = DeviceNames(infos[0].Get()), largeNames = DeviceNames(infos[1].Get());
    if (smallNames.empty() || largeNames.empty()) return;
    const auto smallPositions = DevicePositions(smallNames.size()), largePositions = DevicePositions(largeNames.size());
    for (size_t position = 0; position < smallPositions.size(); ++position) {
        const char* where = smallPositions[position].first;
        const Bstr smallName(smallNames[smallPositions[position].second]);
        const Bstr largeName(largeNames[largePositions[position].second]);
        const auto [smallTos, largeTos] = TakingTurns([&] { CallTos(infos[0].Get(), smallName.Get()); },
                                                      [&] { CallTos(infos[1].Get(), largeName.Get()); });
        const auto [smallConnection, largeConnection] =
            TakingTurns([&] { CallParameter(infos[0].Get(), smallName.Get(), CONFIG_TIMEOUT); },
                        [&] { CallParameter(infos[1].Get(), largeName.Get(), CONFIG_TIMEOUT); });
        report.Keep("L/S", std::string("tos ") + where, largeTos / smallTos);
        report.Keep("L/S", std::string("connection ") + where, largeConnection / smallConnection);
    }
}

// Which of the targets hold, from the kept values; a target needs the sizes
// it compares.
std::vector<std::string> TargetVerdicts(const Report& report, const std::vector<std::string>& sizes) {
    std::vector<std::string> lines;
    const auto verdict = [&](const std::string& target, bool measured, bool holds, const std::string& detail) {
        lines.push_back("| " + target + " | " +
                        (!measured ? "not measured"
                         : holds   ? "holds"
                                   : "does not hold") +
                        " | " + detail + " |");
    };
    const auto each = [&](const std::string& key, double limit, const char* unit) {
        bool all = true, any = false;
        std::string detail;
        for (const std::string& size : sizes) {
            if (const auto value = report.Value(size, key)) {
                any = true;
                all = all && *value <= limit;
                detail += size + " " + Number(*value, unit) + " ";
            }
        }
        return std::make_tuple(any, all, detail);
    };
    auto [parsed, parseHolds, parseDetail] = each("parse ratio", 1.15, "x");
    const std::string aloneDetail = std::get<2>(each("parse alone ratio", 1.15, "x"));
    verdict("ParseXML at most 1.15 times the DOM's load of the bytes, at every size", parsed, parseHolds,
            parseDetail + "(to the parse alone, the document created before: " + aloneDetail + ")");
    auto [memory, memoryHolds, memoryDetail] = each("memory ratio", 1.3, "x");
    verdict("memory after the load at most 1.3 times the DOM's", memory, memoryHolds, memoryDetail);

    bool searchMeasured = false, searchHolds = true, shapeMeasured = false, shapeHolds = true;
    std::string searchDetail, shapeDetail;
    for (const char* where : {"first", "middle", "last"}) {
        for (const char* call : {"tos", "connection"}) {
            const std::string key = std::string(call) + " " + where;
            if (const auto onL = report.Value("L", std::string(call) + " search " + where)) {
                searchMeasured = true;
                searchHolds = searchHolds && *onL <= 0.001;
                searchDetail += key + " " + Number(*onL * 1000, "/1000 ");
            }
            if (const auto largeToSmall = report.Value("L/S", key)) {
                shapeMeasured = true;
                const double ratio = Apart(*largeToSmall);
                shapeHolds = shapeHolds && ratio <= 1.5;
                shapeDetail += key + " " + Number(ratio, "x ");
            }
        }
    }
    verdict("GetTOs and GetConnectionInfo on L at most 1/1000 of a whole-document search", searchMeasured, searchHolds,
            searchDetail);
    verdict("GetTOs and GetConnectionInfo per call within 1.5 times between S and L", shapeMeasured, shapeHolds,
            shapeDetail);

    const auto spreadL = report.Value("L", "spread event"), spreadS = report.Value("S", "spread event");
    verdict("ResolveEvents at least 500,000 events per second on L, batches of 10,000 spread over the project",
            spreadL.has_value(), spreadL && 1.0 / *spreadL >= 500000,
            spreadL ? Number(1.0 / *spreadL / 1000, "k events/s") : "");
    verdict("ResolveEvents per event of spread batches within 1.5 times between S and L", spreadL && spreadS,
            spreadL && spreadS && *spreadL / *spreadS <= 1.5,
            spreadL && spreadS ? Number(*spreadL / *spreadS, "x") : "");
    auto [one, oneHolds, oneDetail] = each("one event us", 3, " us");
    verdict("ResolveEvents with one event, no listener present, at most 3 us per call", one, oneHolds, oneDetail);
    const auto first = report.Value("L", "first event 10000");
    verdict("first event of a category of 10,000 messages on L at most 1 ms", first.has_value(),
            first && *first <= 0.001, first ? Milli(*first) : "");
    bool parametersMeasured = false, parametersHold = true;
    double worst = 0;
    std::string worstParameter;
    for (const char* device : {"PLC_00000", "PLC_00007"}) {
        for (LONG id = CONFIG_BAUDRATE; id <= CONFIG_REMNSAP; ++id) {
            const auto measured = report.Value("T36/T6", std::string("parameter ") + device + " " + std::to_string(id));
            if (!measured) continue;
            parametersMeasured = true;
            const double ratio = Apart(*measured);
            parametersHold = parametersHold && ratio <= 1.5;
            if (ratio > worst) {
                worst = ratio;
                worstParameter = std::string(device) + " parameter " + std::to_string(id);
            }
        }
    }
    verdict("every GetConnectionInfo parameter within 1.5 times between 6 and 36 TOs per device (T6, T36)",
            parametersMeasured, parametersHold,
            parametersMeasured ? "worst " + Number(worst, "x, ") + worstParameter : "");

    const auto few = report.Value("L", "event 100 10000"), many = report.Value("L", "event 10000 10000");
    verdict("ResolveEvents per event within 1.5 times between 100 and 10,000 messages (L, batches of 10,000)",
            few && many, few && many && *many / *few <= 1.5 && *few / *many <= 1.5,
            few && many ? Number(*many / *few, "x") : "");
    verdict("ResolveEvents at least 250,000 events per second on L in batches of 10,000", many.has_value(),
            many && 1.0 / *many >= 250000, many ? Number(1.0 / *many / 1000, "k events/s") : "");
    return lines;
}

void WriteMarkdown(const std::string& path, const Report& report, const std::vector<std::string>& sizes) {
    std::ofstream out(path);
    out << "## Targets\n\n| target | verdict | measured |\n| --- | --- | --- |\n";
    for (const std::string& line : TargetVerdicts(report, sizes)) out << line << "\n";
    out << "\n## Figures\n\n| size | figure | value | note |\n| --- | --- | ---: | --- |\n";
    for (const Figure& row : report.Rows())
        out << "| " << row.size << " | " << row.what << " | " << row.value << " | " << row.note << " |\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: eventinfo_benchmark OUTPUT.md SIZE=DATADIR...\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    Report report;
    std::vector<std::string> sizes;
    std::map<std::string, std::wstring> bases;
    for (int i = 2; i < argc; ++i) {
        const std::wstring argument = argv[i];
        const size_t equals = argument.find(L'=');
        if (equals == std::wstring::npos) continue;
        sizes.push_back(Narrow(argument.substr(0, equals)));
        bases[sizes.back()] = argument.substr(equals + 1);
        SizeBenchmark(sizes.back(), bases[sizes.back()], report).Run();
    }
    if (bases.count("S") && bases.count("L")) CompareDeviceQueries(report, bases["S"], bases["L"]);
    if (bases.count("T6") && bases.count("T36")) CompareParameterCosts(report, bases["T6"], bases["T36"]);
    WriteMarkdown(Narrow(argv[1]), report, sizes);
    for (const std::string& line : TargetVerdicts(report, sizes)) std::printf("%s\n", line.c_str());
    CoUninitialize();
    return 0;
}
