#include "tools/eventinfo/ProjectFile.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "component/ComBoundary.h"
#include "loading/ProjectLoad.h"
#include "loading/TextConversion.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/ResultNames.h"

namespace {

std::string ReadFileText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

LoadedProject LoadProjectFile(const std::string& path) {
    LoadedProject loaded{std::make_unique<Project>(), path, {}};
    Project& project = *loaded.project;
    HRESULT hr = S_OK;
    if (!path.empty()) {
        const std::wstring widePath = FromUtf8(path);
        if (GetFileAttributesW(widePath.c_str()) == INVALID_FILE_ATTRIBUTES)
            throw Failure{kExitNotLoaded, "cannot open the project file " + path};
        loaded.fileText = ReadFileText(widePath);
        hr = ComBoundary([&] { return LoadProject(Ansi(widePath), project); }, E_UNEXPECTED);
    } else {
        hr = ComBoundary([&] { return LoadProjectNamedByRegistry(project); }, E_UNEXPECTED);
        if (const auto named = ProjectFileNamedByRegistry()) {
            const std::wstring namedPath = Widen(*named, CP_ACP);
            loaded.path = Utf8(namedPath);
            loaded.fileText = ReadFileText(namedPath);
        }
    }
    if (FAILED(hr) || !DocumentRoot(project.m_pDocument.Get())) {
        const std::string why = project.m_loadFailure.empty()
                                    ? "the load failed with " + ResultText(static_cast<uint32_t>(hr))
                                    : Utf8(project.m_loadFailure);
        throw Failure{kExitNotLoaded, "cannot load the project: " + why};
    }
    return loaded;
}
