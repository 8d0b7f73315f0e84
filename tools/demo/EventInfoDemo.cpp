// Demo client: creates the registered component by its ProgID, as any
// client would, loads the registry-named project file and prints what it
// loaded. The model summary comes from the same component code built into
// this program, loading the same file, since the interfaces do not expose
// the load's internal tables.

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <map>

#include "IEventInfoServer.h"
#include "component/ComOwners.h"
#include "component/EventInfoObj.h"

using Microsoft::WRL::ComPtr;

namespace {

const char* EventClassName(int32_t eventClass) {
    switch (eventClass) {
    case 16: return "SIMPLE";
    case 32: return "CONDITIONAL";
    case 64: return "TRACKING";
    default: return "?";
    }
}

int LoadThroughProgId() {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"CorvalisEventInfo.EventInfoObj", &clsid);
    if (FAILED(hr)) {
        std::printf("CorvalisEventInfo.EventInfoObj is not registered (0x%08lX)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    ComPtr<IEventInfoInit> init;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init));
    if (FAILED(hr)) {
        std::printf("CoCreateInstance failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    hr = init->ParseXML(nullptr);
    std::printf("ParseXML (registered component): 0x%08lX%s\n", static_cast<unsigned long>(hr),
                hr == S_OK ? " S_OK" : "");
    return hr == S_OK ? 0 : 1;
}

void PrintModelSummary() {
    ComPtr<IEventInfoInit> init;
    if (FAILED(EventInfoObj::CreateInstance(nullptr, IID_PPV_ARGS(&init)))) return;
    const HRESULT hr = init->ParseXML(nullptr);
    const auto* object = static_cast<const EventInfoObj*>(init.Get());
    const EventModelTables& model = object->Model();
    std::printf("Project mode: %s\n", object->ProjectMode() ? "yes" : "no");
    if (FAILED(hr)) return;

    std::map<int32_t, int> perClass;
    for (const auto& [id, category] : model.m_mapCategories) ++perClass[category.eventClass];
    std::printf("Categories: %zu\n", model.m_mapCategories.size());
    for (const auto& [eventClass, count] : perClass) std::printf("  %-12s %d\n", EventClassName(eventClass), count);
    std::printf("Alarm types found: 0x%X (%s%s%s)\n", model.m_alarmTypes,
                (model.m_alarmTypes & ALARM_TYPE_PROJECT) ? " project" : "",
                (model.m_alarmTypes & ALARM_TYPE_TO) ? " TO" : "",
                (model.m_alarmTypes & ALARM_TYPE_DIAGBUFFER) ? " diagnosis" : "");
    std::printf("Attributes: %zu definitions, %zu names\n", model.m_mapAttributes.size(),
                model.m_mapAttributeKeys.size());
    std::printf("Event source paths: %zu\n", object->SourceCategories().size());
}

}  // namespace

int wmain() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int status = LoadThroughProgId();
    PrintModelSummary();
    CoUninitialize();
    return status;
}
