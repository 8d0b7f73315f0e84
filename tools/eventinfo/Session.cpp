#include "tools/eventinfo/Session.h"

#include "IEventInfoServer.h"
#include "component/ErrorReport.h"
#include "component/EventInfoObj.h"
#include "loading/ProjectLoad.h"
#include "loading/TextConversion.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/ProgressLine.h"
#include "tools/eventinfo/ResultNames.h"

namespace {

constexpr wchar_t kProgId[] = L"CorvalisEventInfo.EventInfoObj";

std::string RegistryNamedPath() {
    const auto named = ProjectFileNamedByRegistry();
    return named ? Utf8(Widen(*named, CP_ACP)) : std::string("(the registry names no project file)");
}

}  // namespace

void ThrowCallFailure(int status, const std::string& call, HRESULT result) {
    const std::wstring description = TakeErrorObject().description;
    throw Failure{status, call + " failed with " + ResultText(static_cast<uint32_t>(result)) +
                              (description.empty() ? "" : ": " + Utf8(description))};
}

Session::Session(const CommandLine& line) : m_file(line.file), m_path(line.file), m_quiet(line.quiet) {
    const ProgressLine progress("loading " + (m_file.empty() ? std::string("the registry-named project") : m_file),
                                m_quiet);
    if (!m_file.empty()) {
        m_linked = LoadProjectFile(m_file);
        ThrowIfFailed(EventInfoObj::CreateLoaded(*m_linked.project, IID_PPV_ARGS(&m_object)));
        return;
    }
    m_path = RegistryNamedPath();
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_object));
    if (FAILED(hr))
        throw Failure{kExitNotLoaded, "the component " + Utf8(kProgId) + " is not registered here (" +
                                          ResultText(static_cast<uint32_t>(hr)) + "); register it or use --file PATH"};
    Microsoft::WRL::ComPtr<IEventInfoInit> init;
    ThrowIfFailed(m_object.As(&init));
    hr = init->ParseXML(nullptr);
    if (FAILED(hr)) ThrowCallFailure(kExitNotLoaded, "the registered component's load of " + m_path, hr);
}

const Project& Session::View() {
    if (!m_linked.project) m_linked = LoadProjectFile(m_file);
    return *m_linked.project;
}

const std::string& Session::FileText() {
    View();
    return m_linked.fileText;
}

CategoryMessages& Session::MessagesOf(int32_t categoryId) {
    const auto cached = m_messages.find(categoryId);
    if (cached != m_messages.end()) return cached->second;
    const auto& categories = View().m_model.m_mapCategories;
    const auto category = categories.find(categoryId);
    return m_messages
        .emplace(categoryId, CategoryMessages(category == categories.end() ? nullptr : category->second.node.Get()))
        .first->second;
}
