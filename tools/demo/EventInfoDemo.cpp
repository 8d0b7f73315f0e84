// Demo client: creates the registered component by its ProgID, as any
// client would, loads the registry-named project file and shows what the
// two kinds of callers get: the event model and resolved events for an
// alarms-and-events server, devices, TOs and connection parameters for a
// configuration client. The model summary comes from the same component
// code built into this program, loading the same file, since the interfaces
// do not expose the load's internal tables.

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "loading/SourceCategories.h"
#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "loading/ProjectLoad.h"
#include "loading/TextConversion.h"
#include "tools/common/EventInputs.h"
#include "deviceinfo/ConnectionParameterTables.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IUnknown> CreateByProgId() {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"CorvalisEventInfo.EventInfoObj", &clsid);
    ComPtr<IUnknown> object;
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    if (FAILED(hr))
        std::printf("cannot create CorvalisEventInfo.EventInfoObj: 0x%08lX\n", static_cast<unsigned long>(hr));
    return object;
}

const char* EventClassName(int32_t eventClass) {
    switch (eventClass) {
    case 16: return "SIMPLE";
    case 32: return "CONDITIONAL";
    case 64: return "TRACKING";
    default: return "?";
    }
}

void PrintModelSummary() {
    Project project;
    const HRESULT hr = ComBoundary([&] { return LoadProjectNamedByRegistry(project); }, E_UNEXPECTED);
    const EventModelTables& model = project.m_model;
    std::printf("Project mode: %s\n", project.m_projectMode ? "yes" : "no");
    if (FAILED(hr)) return;
    std::map<int32_t, int> perClass;
    for (const auto& [id, category] : model.m_mapCategories) ++perClass[category.eventClass];
    std::printf("Categories: %zu (", model.m_mapCategories.size());
    const char* separator = "";
    for (const auto& [eventClass, count] : perClass) {
        std::printf("%s%s %d", separator, EventClassName(eventClass), count);
        separator = ", ";
    }
    std::printf(")\nAlarm types found: 0x%X:%s%s%s\n", model.m_alarmTypes,
                (model.m_alarmTypes & ALARM_TYPE_PROJECT) ? " user alarms" : "",
                (model.m_alarmTypes & ALARM_TYPE_TO) ? " TO alarms" : "",
                (model.m_alarmTypes & ALARM_TYPE_DIAGBUFFER) ? " diagnosis" : "");
    std::printf("Attributes: %zu definitions under %zu names\n", model.m_mapAttributes.size(),
                model.m_mapAttributeKeys.size());
    std::printf("Event source paths: %zu\n", SourceCategoriesInOrder(project).size());
}

void PrintCategories(IEventModel* b) {
    Variant ids, descriptions;
    b->GetCategories(0x70, ids.Get(), descriptions.Get());
    const auto categoryIds = ArrayElements<LONG>(*ids.Get(), VT_I4);
    const auto texts = ArrayTexts(*descriptions.Get());
    std::printf("\nCategories and their attributes (interface B):\n");
    for (size_t i = 0; i < categoryIds.size(); ++i) {
        std::printf("  0x%06lX  %s\n", static_cast<unsigned long>(categoryIds[i]), Utf8(texts[i]).c_str());
        Variant attributeIds, types, attributeTexts;
        b->GetCategoryAttributes(categoryIds[i], attributeIds.Get(), types.Get(), attributeTexts.Get());
        const auto attributes = ArrayElements<LONG>(*attributeIds.Get(), VT_I4);
        const auto valueTypes = ArrayElements<SHORT>(*types.Get(), VT_I2);
        const auto names = ArrayTexts(*attributeTexts.Get());
        for (size_t k = 0; k < attributes.size(); ++k)
            std::printf("      attribute %5ld  type %2d  %s\n", static_cast<long>(attributes[k]), valueTypes[k],
                        Utf8(names[k]).c_str());
    }
}

void PrintMessageIds(IEventMessageIds* a, const wchar_t* source) {
    Variant ids;
    const HRESULT hr = a->GetSourceMessageIds(Bstr(source).Get(), ids.Get());
    std::printf("\nMessage ids of the source %s (interface A): ", Utf8(source).c_str());
    if (FAILED(hr)) {
        std::printf("0x%08lX\n", static_cast<unsigned long>(hr));
        return;
    }
    for (const auto& id : ArrayTexts(*ids.Get())) std::printf("%s ", Utf8(id).c_str());
    std::printf("\n");
}

struct DemoEvent {
    const wchar_t* message;
    const wchar_t* source;
    EventInput parameters;
};

void ResolveBatch(IEventModel* b, const std::vector<DemoEvent>& events, LONG language) {
    LONG handle = 0;
    b->CreateSubscription(&handle);
    // Select the message text and every other attribute of each category.
    Variant ids, descriptions;
    b->GetCategories(0x70, ids.Get(), descriptions.Get());
    for (LONG category : ArrayElements<LONG>(*ids.Get(), VT_I4)) {
        Variant attributeIds, types, texts, results;
        if (b->GetCategoryAttributes(category, attributeIds.Get(), types.Get(), texts.Get()) != S_OK) continue;
        if (V_VT(attributeIds.Get()) == VT_EMPTY) continue;
        b->SelectAttributes(handle, category, *attributeIds.Get(), results.Get());
    }

    std::vector<std::wstring> names, sources;
    for (const auto& event : events) {
        names.push_back(event.message);
        sources.push_back(event.source);
    }
    Variant nameArray, sourceArray, infoArray, paramArray;
    PutArray(nameArray.Get(), VT_BSTR, MakeBstrArray(names));
    PutArray(sourceArray.Get(), VT_BSTR, MakeBstrArray(sources));
    SafeArray infos = SafeArray::CreateVector(VT_VARIANT, static_cast<ULONG>(events.size()));
    SafeArray params = SafeArray::CreateVector(VT_VARIANT, static_cast<ULONG>(events.size()));
    {
        SafeArrayData<VARIANT> i(infos.Get()), p(params.Get());
        for (size_t k = 0; k < events.size(); ++k) {
            VariantCopy(&i[k], const_cast<VARIANT*>(events[k].parameters.info.Get()));
            VariantCopy(&p[k], const_cast<VARIANT*>(events[k].parameters.params.Get()));
        }
    }
    PutArray(infoArray.Get(), VT_VARIANT, std::move(infos));
    PutArray(paramArray.Get(), VT_VARIANT, std::move(params));

    Variant reserved, alarmTypes, categoryIds, attributeIds, attributeValues, results;
    const HRESULT hr = b->ResolveEvents(handle, language, *nameArray.Get(), *sourceArray.Get(), *infoArray.Get(),
                                        *paramArray.Get(), reserved.Get(), alarmTypes.Get(), categoryIds.Get(),
                                        attributeIds.Get(), attributeValues.Get(), results.Get());
    std::printf("\nResolveEvents, language 0x%04lX: 0x%08lX\n", static_cast<unsigned long>(language),
                static_cast<unsigned long>(hr));
    std::printf("  %-16s %-20s %-9s %4s %-10s  %s\n", "message", "source", "category", "type", "result", "text");
    const auto types = ArrayElements<LONG>(*alarmTypes.Get(), VT_I4);
    const auto categories = ArrayElements<LONG>(*categoryIds.Get(), VT_I4);
    const auto codes = ArrayElements<LONG>(*results.Get(), VT_I4);
    std::vector<VARIANT> values = ArrayElements<VARIANT>(*attributeValues.Get(), VT_VARIANT);
    for (size_t k = 0; k < events.size() && k < codes.size(); ++k) {
        const auto texts = ArrayTexts(values[k]);
        std::printf("  %-16s %-20s 0x%06lX %4ld 0x%08lX  %s\n", Utf8(names[k]).c_str(), Utf8(sources[k]).c_str(),
                    static_cast<unsigned long>(categories[k]), static_cast<long>(types[k]),
                    static_cast<unsigned long>(codes[k]), texts.empty() ? "" : Utf8(texts[0]).c_str());
    }
    b->DeleteSubscription(handle);
}

// Example events of both bundled projects; each run resolves those of the
// devices the loaded project has, and one of an unknown source.
std::vector<DemoEvent> ExampleEvents(const std::vector<std::wstring>& devices) {
    DemoEvent all[] = {
        {L"Alarm17", L"/PLC_Line1/U7SQ", UserAlarmInput({0x01, 0x2C})},
        {L"Alarm18", L"/PLC_Line2/U7SQ", UserAlarmInput({0x04, 0xD2})},
        {L"Alarm19", L"/PLC_Line1/U7SQ", UserAlarmInput({0xA5})},
        {L"Alarm20", L"/PLC_Remote/U7SQ", UserAlarmInput({0x40, 0x20, 0x00, 0x00})},
        {L"TO_ALARM30001", L"/PLC_Line1/RT1", ToAlarmInput({5, 7})},
        {L"TO_ALARM30002", L"/PLC_Remote/RT3", ToAlarmInput({3})},
        {L"DIAGNOSIS: 4302", L"/PLC_Line2/U7DIAG", DiagnosisInput({0x12, 0x34, 0xAB, 0xCD, 0, 0, 0, 0, 0, 0})},
        {L"Alarm1", L"/Filler_PLC/U7SQ", UserAlarmInput({0x03})},
        {L"Alarm2", L"/Filler_PLC/U7SQ", UserAlarmInput({0x05, 0xDC})},
        {L"Alarm1", L"/Labeller_PLC/U7SQ", UserAlarmInput({0x00, 0x00, 0x01, 0x00})},
        {L"DIAGNOSIS: 101", L"/Filler_PLC/USERDIAG", DiagnosisInput({0, 0, 0x00, 0x30, 0, 0, 0, 0, 0, 0})},
        {L"TO_ALARM30001", L"/Labeller_PLC/RT2", ToAlarmInput({9})},
    };
    std::vector<DemoEvent> events;
    for (auto& event : all) {
        const std::wstring source = event.source;
        bool known = false;
        for (const auto& device : devices) known = known || source.rfind(L"/" + device + L"/", 0) == 0;
        if (known) events.push_back(std::move(event));
    }
    events.push_back({L"Alarm17", L"/NoSuchDevice/U7SQ", EventInput{}});
    return events;
}

std::vector<std::wstring> DeviceNames(IUnknown* object) {
    ComPtr<IUMCInfo> info;
    object->QueryInterface(IID_PPV_ARGS(&info));
    Variant names, checkSums, addresses;
    tagAlarmTypes alarms{};
    tagIUMCErrors error{};
    info->GetDevices(names.Get(), checkSums.Get(), addresses.Get(), &alarms, &error);
    return ArrayTexts(*names.Get());
}

void PrintEventServerView(IUnknown* object) {
    ComPtr<IEventModel> b;
    ComPtr<IEventMessageIds> a;
    object->QueryInterface(IID_PPV_ARGS(&b));
    object->QueryInterface(IID_PPV_ARGS(&a));
    PrintCategories(b.Get());
    const std::vector<std::wstring> devices = DeviceNames(object);
    if (!devices.empty()) PrintMessageIds(a.Get(), (L"/" + devices.front() + L"/U7SQ").c_str());

    const std::vector<DemoEvent> events = ExampleEvents(devices);
    for (LONG language : {0x0407L, 0x0409L}) ResolveBatch(b.Get(), events, language);
}

std::string VariantText(VARIANT& value) {
    if (V_VT(&value) == VT_EMPTY) return "(empty)";
    if (V_VT(&value) == (VT_ARRAY | VT_UI1)) {
        std::string bytes;
        char hex[8];
        for (BYTE b : ArrayElements<BYTE>(value, VT_UI1)) {
            std::snprintf(hex, sizeof hex, "%02X ", b);
            bytes += hex;
        }
        return bytes.empty() ? "(no bytes)" : bytes;
    }
    if (V_VT(&value) == VT_BOOL) return std::to_string(static_cast<unsigned short>(V_BOOL(&value)));
    if (V_VT(&value) == VT_DATE) {
        char days[64];
        std::snprintf(days, sizeof days, "%.6f days", V_DATE(&value));
        return days;
    }
    if (V_VT(&value) == VT_UI1 || V_VT(&value) == VT_UI2 || V_VT(&value) == VT_UI4)
        return std::to_string(static_cast<unsigned long>(V_UI4(&value)) & (V_VT(&value) == VT_UI1   ? 0xFFul
                                                                           : V_VT(&value) == VT_UI2 ? 0xFFFFul
                                                                                                    : 0xFFFFFFFFul));
    Variant text;
    if (FAILED(VariantChangeType(text.Get(), &value, 0, VT_BSTR))) return "?";
    return "\"" + Utf8(V_BSTR(text.Get()) ? V_BSTR(text.Get()) : L"") + "\"";
}

const char* TypeName(VARTYPE type) {
    switch (type) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_BSTR: return "VT_BSTR";
    case VT_BOOL: return "VT_BOOL";
    case VT_UI1: return "VT_UI1";
    case VT_UI2: return "VT_UI2";
    case VT_UI4: return "VT_UI4";
    case VT_DATE: return "VT_DATE";
    case VT_ARRAY | VT_UI1: return "VT_ARRAY|VT_UI1";
    default: return "?";
    }
}

void PrintParameters(IUMCInfo* info, const std::wstring& device) {
    std::printf("\nConnection parameters of %s (IUMCInfo::GetConnectionInfo):\n", Utf8(device).c_str());
    std::printf("  %2s %-24s %-10s %-16s %s\n", "id", "parameter", "result", "type", "value");
    for (const deviceinfo::ConnectionParam& param : deviceinfo::kConnectionParams) {
        Variant value;
        tagIUMCErrors error = IUMC_OK;
        Bstr name(device);
        BSTR deviceName = name.Get();
        const HRESULT hr =
            info->GetConnectionInfo(&deviceName, static_cast<tagConfigParams>(param.id), value.Get(), &error);
        std::printf("  %2d %-24s 0x%08lX %-16s %s%s\n", static_cast<int>(param.id), deviceinfo::ShortName(param),
                    static_cast<unsigned long>(hr), TypeName(V_VT(value.Get())), VariantText(*value.Get()).c_str(),
                    error == IUMC_ERROR_XMLFILE_NOINFOAVAILABLE ? "  (no info available)" : "");
    }
}

void PrintDeviceView(IUnknown* object) {
    ComPtr<IUMCInfo> info;
    object->QueryInterface(IID_PPV_ARGS(&info));
    Variant names, checkSums, addresses;
    tagAlarmTypes alarms{};
    tagIUMCErrors error{};
    const HRESULT hr = info->GetDevices(names.Get(), checkSums.Get(), addresses.Get(), &alarms, &error);
    std::printf("\nDevices (IUMCInfo::GetDevices: 0x%08lX, alarm types 0x%X, error %d):\n",
                static_cast<unsigned long>(hr), alarms, error);
    const auto devices = ArrayTexts(*names.Get());
    const auto sums = ArrayTexts(*checkSums.Get());
    const auto addressTexts = ArrayTexts(*addresses.Get());
    for (size_t i = 0; i < devices.size(); ++i) {
        std::printf("  %-14s checksum %-10s address %s\n", Utf8(devices[i]).c_str(), Utf8(sums[i]).c_str(),
                    Utf8(addressTexts[i]).c_str());
        Variant toNames, runtimeAddresses, typeIds;
        tagIUMCErrors toError{};
        info->GetTOsWithTypes(Bstr(devices[i]).Get(), toNames.Get(), runtimeAddresses.Get(), typeIds.Get(), &toError);
        const auto tos = ArrayTexts(*toNames.Get());
        const auto rt = ArrayTexts(*runtimeAddresses.Get());
        const auto types = ArrayTexts(*typeIds.Get());
        for (size_t k = 0; k < tos.size(); ++k)
            std::printf("      TO %-12s runtime address %-4s type %s\n", Utf8(tos[k]).c_str(), Utf8(rt[k]).c_str(),
                        k < types.size() ? Utf8(types[k]).c_str() : "");
    }
    if (devices.empty()) return;
    PrintParameters(info.Get(), devices.front());
    for (const auto& device : devices) {
        Variant value;
        tagIUMCErrors routeError{};
        Bstr name(device);
        BSTR deviceName = name.Get();
        if (info->GetConnectionInfo(&deviceName, CONFIG_REMNSAP, value.Get(), &routeError) == S_OK) {
            PrintParameters(info.Get(), device);  // the first routed device
            break;
        }
    }
}

}  // namespace

int wmain() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 1;
    {
        ComPtr<IUnknown> object = CreateByProgId();
        ComPtr<IEventInfoInit> init;
        if (object && SUCCEEDED(object.As(&init))) {
            const HRESULT hr = init->ParseXML(nullptr);
            std::printf("ParseXML: 0x%08lX%s\n", static_cast<unsigned long>(hr), hr == S_OK ? " (S_OK)" : "");
            PrintModelSummary();
            if (hr == S_OK) {
                PrintEventServerView(object.Get());
                PrintDeviceView(object.Get());
                status = 0;
            }
        }
    }
    CoUninitialize();
    return status;
}
