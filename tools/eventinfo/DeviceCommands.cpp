#include "loading/SourceCategories.h"
#include "tools/eventinfo/DeviceCommands.h"

#include "deviceinfo/ConnectionParameterTables.h"
#include "deviceinfo/ConnectionValueConversions.h"
#include "loading/TextConversion.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/ResultNames.h"
#include "tools/eventinfo/Routing.h"
#include "tools/eventinfo/ValueText.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string Cell(const std::vector<std::wstring>& column, size_t i) {
    return i < column.size() ? Utf8(column[i]) : std::string();
}

RouteFacts RouteFactsOf(const Project& project, const std::wstring& device) {
    RouteFacts facts;
    const DomNode element = project.m_elementIndex.FindUniqueElement(device);
    const DomNode routing = element ? FindChildByName(element.Get(), L"RoutInfo") : nullptr;
    if (!routing) return facts;
    facts.hasRoutingElement = true;
    const std::wstring network = GetAttributeText(routing.Get(), L"ROUTNET");
    facts.network = Utf8(network);
    facts.routerInsidePc = deviceinfo::IsRouterInsidePc(ToU16(network));
    const std::wstring router = GetAttributeText(routing.Get(), L"ROUTDEV");
    facts.router = Utf8(router);
    facts.routerAddress = Utf8(GetAttributeText(routing.Get(), L"ROUTADR"));
    const DomNode routerElement = project.m_elementIndex.FindUniqueElement(router);
    facts.routerFound = routerElement != nullptr;
    if (routerElement)
        ForEachChild(routerElement.Get(), [&](IXMLDOMNode* child) {
            const std::wstring slot = GetAttributeText(child, L"SLOT");
            if (!facts.routerSlot && !slot.empty()) facts.routerSlot = Utf8(slot);
        });
    return facts;
}

// The category events of the source get, or why they get none.
std::string SourceCategoryText(const Project& project, const std::wstring& source) {
    const int32_t* found = FindSourceCategory(project, source);
    if (!found) return "(no category)";
    const std::string id = std::to_string(*found);
    return project.m_model.m_mapCategories.count(*found) ? id : id + " (no such category)";
}

// What a parameter's value means where the bare value does not say it.
std::string Meaning(int32_t id, HRESULT result, const VARIANT& value, bool routed) {
    switch (id) {
    case CONFIG_REMNSAP:
        if (FAILED(result)) return "no routing block: the device is not routed through a named network";
        return DescribeRoutingBlock(ArrayElements<BYTE>(value, VT_UI1));
    case CONFIG_ADDRESS: return routed ? "the route's address (see route)" : "the device's bus address";
    case CONFIG_LOCSAP:
    case CONFIG_REMSAP: return routed ? "fixed for a routed device" : "";
    default: break;
    }
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value) ? "set" : "not set";
    return "";
}

}  // namespace

Devices GetDevices(Session& session) {
    Variant names, sums, addresses;
    Devices devices;
    tagIUMCErrors error = IUMC_OK;
    const HRESULT hr =
        session.Get<IUMCInfo>()->GetDevices(names.Get(), sums.Get(), addresses.Get(), &devices.alarmTypes, &error);
    if (FAILED(hr)) ThrowCallFailure(kExitNotLoaded, "GetDevices", hr);
    devices.names = ArrayTexts(*names.Get());
    devices.checkSums = ArrayTexts(*sums.Get());
    devices.addresses = ArrayTexts(*addresses.Get());
    return devices;
}

void AddDevices(Session& session, const Devices& devices, Report& report) {
    Table table{"devices", {{"device"}, {"checksum"}, {"address"}, {"route"}}, {}};
    for (size_t i = 0; i < devices.names.size(); ++i)
        table.AddRow({Utf8(devices.names[i]), Cell(devices.checkSums, i), Cell(devices.addresses, i),
                      RouteText(session, devices.names[i])});
    report.push_back(std::move(table));
    const uint32_t types = devices.alarmTypes;
    report.push_back(
        Table{"alarm types",
              {{"mask", true}, {"user alarms"}, {"TO alarms"}, {"diagnosis"}},
              {{std::to_string(types), types & 1 ? "yes" : "no", types & 2 ? "yes" : "no", types & 4 ? "yes" : "no"}}});
}

Table ToTable(bool withDevice) {
    Table table{"tos", {{"name"}, {"runtime address"}, {"type id"}, {"element"}, {"event source"}, {"category"}}, {}};
    if (withDevice) table.columns.insert(table.columns.begin(), Column{"device"});
    return table;
}

void AddTos(Session& session, const std::wstring& device, Table& table, bool withDevice) {
    Variant names, addresses, types;
    tagIUMCErrors error = IUMC_OK;
    const HRESULT hr =
        session.Get<IUMCInfo>()->GetTOsWithTypes(Bstr(device).Get(), names.Get(), addresses.Get(), types.Get(), &error);
    if (FAILED(hr)) {
        if (withDevice) return;
        ThrowCallFailure(kExitUsage, "the device " + Utf8(device) + " cannot be queried: GetTOsWithTypes", hr);
    }
    if (error != IUMC_OK) {
        if (withDevice) return;
        throw Failure{kExitUsage, "the device " + Utf8(device) + " cannot be queried: GetTOsWithTypes reports " +
                                      IumcErrorName(error)};
    }
    const auto tos = ArrayTexts(*names.Get()), runtime = ArrayTexts(*addresses.Get()),
               typeIds = ArrayTexts(*types.Get());
    for (size_t i = 0; i < tos.size(); ++i) {
        const std::wstring element = L"RT" + (i < runtime.size() ? runtime[i] : L"");
        const std::wstring source = L"/" + device + L"/" + element;
        std::vector<std::string> row = {Utf8(tos[i]),  Cell(runtime, i), Cell(typeIds, i),
                                        Utf8(element), Utf8(source),     SourceCategoryText(session.View(), source)};
        if (withDevice) row.insert(row.begin(), Utf8(device));
        table.AddRow(std::move(row));
    }
}

Table ParameterTable(bool withDevice) {
    Table table{
        "parameters", {{"id", true}, {"parameter"}, {"result"}, {"error"}, {"type"}, {"value"}, {"meaning"}}, {}};
    if (withDevice) table.columns.insert(table.columns.begin(), Column{"device"});
    return table;
}

void AddParameters(Session& session, const std::wstring& device, const std::vector<int32_t>& ids, Table& table,
                   bool withDevice) {
    const ComPtr<IUMCInfo> info = session.Get<IUMCInfo>();
    const bool routed = RouteFactsOf(session.View(), device).hasRoutingElement;
    for (int32_t id : ids) {
        Variant value;
        tagIUMCErrors error = IUMC_OK;
        Bstr name(device);
        BSTR deviceName = name.Get();
        const HRESULT hr = info->GetConnectionInfo(&deviceName, static_cast<tagConfigParams>(id), value.Get(), &error);
        std::vector<std::string> row = {std::to_string(id),
                                        ConfigParamName(id),
                                        ResultText(static_cast<uint32_t>(hr)),
                                        IumcErrorName(error),
                                        TypeName(V_VT(value.Get())),
                                        ValueText(*value.Get()),
                                        Meaning(id, hr, *value.Get(), routed)};
        if (withDevice) row.insert(row.begin(), Utf8(device));
        table.AddRow(std::move(row));
    }
}

std::vector<int32_t> AllParameterIds() {
    std::vector<int32_t> ids;
    for (int32_t id = deviceinfo::kFirstParamId; id <= deviceinfo::kLastParamId; ++id) ids.push_back(id);
    return ids;
}

std::string RouteText(Session& session, const std::wstring& device) {
    return DescribeRoute(RouteFactsOf(session.View(), device));
}
