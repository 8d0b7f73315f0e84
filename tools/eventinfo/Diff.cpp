#include "tools/eventinfo/Diff.h"

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>

#include "IEventInfoServer.h"
#include "component/EventInfoObj.h"
#include "deviceinfo/ConnectionParameterTables.h"
#include "loading/ComValues.h"
#include "loading/TextConversion.h"
#include "loading/XmlAccess.h"
#include "tools/eventinfo/ElementAttributes.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/ProgressLine.h"
#include "tools/eventinfo/ProjectComparison.h"
#include "tools/eventinfo/ProjectFile.h"
#include "tools/eventinfo/ValueText.h"

using Microsoft::WRL::ComPtr;

namespace {

// Devices, TOs, parameters, categories and attributes as the component's
// interfaces answer for the loaded file; key and attribute names and the
// message texts from the load's model and document.
class SnapshotReader {
public:
    explicit SnapshotReader(const Project& project) : m_project(project) {
        ComPtr<IUnknown> object;
        ThrowIfFailed(EventInfoObj::CreateLoaded(project, IID_PPV_ARGS(&object)));
        ThrowIfFailed(object.As(&m_info));
        ThrowIfFailed(object.As(&m_model));
    }

    ProjectSnapshot Read() {
        ProjectSnapshot snapshot;
        ReadDevices(snapshot);
        ReadCategories(snapshot);
        return snapshot;
    }

private:
    // A project without a single DEVICES element has no devices.
    void ReadDevices(ProjectSnapshot& snapshot) {
        Variant names, sums, addresses;
        tagAlarmTypes alarmTypes{};
        tagIUMCErrors error = IUMC_OK;
        if (FAILED(m_info->GetDevices(names.Get(), sums.Get(), addresses.Get(), &alarmTypes, &error))) return;
        const auto nameList = ArrayTexts(*names.Get());
        const auto sumList = ArrayTexts(*sums.Get());
        const auto addressList = ArrayTexts(*addresses.Get());
        for (size_t i = 0; i < nameList.size(); ++i) {
            const auto [entry, added] = snapshot.devices.try_emplace(Utf8(nameList[i]));
            if (!added) continue;  // the queries by name answer for the first of that name
            DeviceSnapshot& device = entry->second;
            device.checkSum = i < sumList.size() ? Utf8(sumList[i]) : "";
            device.address = i < addressList.size() ? Utf8(addressList[i]) : "";
            const Bstr name(nameList[i]);
            ReadTos(name, device);
            ReadParameters(name, device);
        }
    }

    void ReadTos(const Bstr& deviceName, DeviceSnapshot& device) {
        Variant names, addresses, types;
        tagIUMCErrors error = IUMC_OK;
        if (FAILED(m_info->GetTOsWithTypes(deviceName.Get(), names.Get(), addresses.Get(), types.Get(), &error)))
            return;
        const auto nameList = ArrayTexts(*names.Get());
        const auto addressList = ArrayTexts(*addresses.Get());
        const auto typeList = ArrayTexts(*types.Get());
        for (size_t i = 0; i < nameList.size(); ++i) {
            ToSnapshot to{i < addressList.size() ? Utf8(addressList[i]) : "",
                          i < typeList.size() ? Utf8(typeList[i]) : ""};
            // TOs without a name or with a repeated one stay apart by their runtime address.
            std::string key = Utf8(nameList[i]);
            if (key.empty() || device.tos.count(key)) key += " (RT" + to.runtimeAddress + ")";
            device.tos.emplace(std::move(key), std::move(to));
        }
    }

    void ReadParameters(const Bstr& deviceName, DeviceSnapshot& device) {
        for (const deviceinfo::ConnectionParam& param : deviceinfo::kConnectionParams) {
            Variant value;
            tagIUMCErrors error = IUMC_OK;
            BSTR name = deviceName.Get();
            const HRESULT hr =
                m_info->GetConnectionInfo(&name, static_cast<tagConfigParams>(param.id), value.Get(), &error);
            std::string text;
            if (FAILED(hr)) {
                text = "failed " + Hex(static_cast<uint32_t>(hr));
            } else {
                text = TypeName(V_VT(value.Get()));
                const std::string shown = ValueText(*value.Get());
                if (!shown.empty()) text += " " + shown;
            }
            device.parameters.emplace(param.id, std::move(text));
        }
    }

    void ReadCategories(ProjectSnapshot& snapshot) {
        for (const LONG eventClass : {EVENT_CLASS_CONDITIONAL, EVENT_CLASS_SIMPLE}) {
            Variant ids, descriptions;
            if (FAILED(m_model->GetCategories(eventClass, ids.Get(), descriptions.Get()))) continue;
            const auto idList = ArrayElements<LONG>(*ids.Get(), VT_I4);
            const auto texts = ArrayTexts(*descriptions.Get());
            for (size_t i = 0; i < idList.size(); ++i) {
                // One position per category of the model; those of other classes stay 0.
                const auto info = m_project.m_model.m_mapCategories.find(idList[i]);
                if (idList[i] == 0 || info == m_project.m_model.m_mapCategories.end()) continue;
                CategorySnapshot& category = snapshot.categories[Utf8(info->second.name)];
                category.id = idList[i];
                category.eventClass = eventClass == EVENT_CLASS_SIMPLE ? "simple" : "conditional";
                category.description = i < texts.size() ? Utf8(texts[i]) : "";
                ReadAttributes(idList[i], category);
                ReadMessages(info->second.node.Get(), category);
            }
        }
    }

    void ReadAttributes(LONG categoryId, CategorySnapshot& category) {
        Variant ids, types, descriptions;
        if (m_model->GetCategoryAttributes(categoryId, ids.Get(), types.Get(), descriptions.Get()) != S_OK) return;
        const auto idList = ArrayElements<LONG>(*ids.Get(), VT_I4);
        const auto typeList = ArrayElements<SHORT>(*types.Get(), VT_I2);
        const auto texts = ArrayTexts(*descriptions.Get());
        const auto& attributes = m_project.m_model.m_mapAttributes;
        for (size_t i = 0; i < idList.size(); ++i) {
            const auto found = attributes.find(idList[i]);
            const std::string name =
                found != attributes.end() ? Utf8(found->second.name) : "#" + std::to_string(idList[i]);
            category.attributes.try_emplace(
                name,
                AttributeSnapshot{idList[i], i < typeList.size() ? TypeName(static_cast<VARTYPE>(typeList[i])) : "",
                                  i < texts.size() ? Utf8(texts[i]) : ""});
        }
    }

    // One walk of the category's children: the message ids are the names
    // that begin with "ID" (as GetCategoryMessageIds lists them), the texts
    // those of the first child of each name.
    void ReadMessages(IXMLDOMNode* element, CategorySnapshot& category) {
        if (!element) return;
        ForEachChild(element, [&](IXMLDOMNode* child) {
            const std::wstring name = NodeName(child);
            if (name.compare(0, 2, L"ID") != 0) return;
            const auto [entry, added] = category.messages.try_emplace(Utf8(name));
            if (added) ReadTexts(child, entry->second);
        });
    }

    static void ReadTexts(IXMLDOMNode* message, std::map<std::string, std::string>& texts) {
        for (const auto& [name, text] : AttributesOf(message))
            if (name.compare(0, 3, L"MSG") == 0) texts.emplace(Utf8(name), Utf8(text));
    }

    const Project& m_project;
    ComPtr<IUMCInfo> m_info;
    ComPtr<IEventModel> m_model;
};

ProjectSnapshot ReadSnapshot(const std::string& path, bool quiet) {
    const ProgressLine progress("diff: reading " + path, quiet);
    const LoadedProject loaded = LoadProjectFile(path);
    return SnapshotReader(*loaded.project).Read();
}

}  // namespace

int RunDiff(const CommandLine& line) {
    const std::string& oldPath = line.arguments[0];
    const std::string& newPath = line.arguments[1];
    // One after the other: two loads on two threads took twice as long
    // each, and two large documents at once need twice the memory.
    const ProjectSnapshot before = ReadSnapshot(oldPath, line.quiet);
    const std::vector<Difference> differences = CompareProjects(before, ReadSnapshot(newPath, line.quiet));
    const std::string text = RenderDifferences(oldPath, newPath, differences, line.json);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return differences.empty() ? kExitOk : kExitFindings;
}
