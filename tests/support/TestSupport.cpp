#include "tests/support/TestSupport.h"

#include <filesystem>
#include <fstream>

#include "component/ComBoundary.h"
#include "loading/ProjectFilePath.h"
#include "loading/ProjectLoad.h"
#include "loading/SourceCategories.h"

namespace {

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().wstring();
}

template <class Function>
HRESULT CallEntryPoint(const char* name) {
    HMODULE module = LoadLibraryW(ComponentDllPath().c_str());
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    auto entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    const HRESULT hr = entry ? entry() : E_NOTIMPL;
    FreeLibrary(module);
    return hr;
}

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

std::wstring ComponentDllPath() { return ExecutableDirectory() + L"\\IEventInfoServer.dll"; }

HRESULT RegisterComponent() { return CallEntryPoint<HRESULT(__stdcall*)()>("DllRegisterServer"); }
HRESULT UnregisterComponent() { return CallEntryPoint<HRESULT(__stdcall*)()>("DllUnregisterServer"); }

void SetDataPathRaw(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(kDataPathKey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, Widen(kDataPathValue).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetDataPath(const std::wstring& baseDirectory) {
    SetDataPathRaw(REG_SZ, baseDirectory.c_str(), static_cast<DWORD>((baseDirectory.size() + 1) * sizeof(wchar_t)));
}

void DeleteDataPathKey() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, Widen(kDataPathKey).c_str()); }

ProjectDirectory::ProjectDirectory() {
    static int counter = 0;
    m_base = (std::filesystem::temp_directory_path() /
              (L"eventinfo-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter)))
                 .wstring();
    std::filesystem::create_directories(std::filesystem::path(ProjectFile()).parent_path());
    SetDataPath(m_base);
}

ProjectDirectory::~ProjectDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_base, ignored);
}

std::wstring ProjectDirectory::ProjectFile() const { return m_base + Widen(kProjectFileTail); }

void ProjectDirectory::WriteFile(const std::wstring& relativePath, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(m_base) / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void ProjectDirectory::WriteProject(const std::string& bytes) const {
    std::ofstream(std::filesystem::path(ProjectFile()), std::ios::binary | std::ios::trunc) << bytes;
}

void ProjectDirectory::RemoveProject() const {
    std::error_code ignored;
    std::filesystem::remove(ProjectFile(), ignored);
}

HRESULT ParseInto(Project& project) {
    return ComBoundary([&] { return LoadProjectNamedByRegistry(project); }, E_UNEXPECTED);
}

Project LoadLinkedProject(const ProjectDirectory& directory, const std::string& xml, HRESULT* result) {
    directory.WriteProject(xml);
    SetDataPath(directory.Base());
    Project project;
    const HRESULT hr = ParseInto(project);
    if (result) *result = hr;
    return project;
}

std::map<std::wstring, int32_t> SourceCategoryMap(const Project& project) {
    std::map<std::wstring, int32_t> sources;
    for (const auto& [path, category] : SourceCategoriesInOrder(project)) sources.emplace(path, category);
    return sources;
}
