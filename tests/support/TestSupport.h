#pragma once

// Helpers of the tests that go through the platform: the registered DLL,
// project directories named by the registry value, and COM objects.

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <cstdint>
#include <map>
#include <string>

#include "IEventInfoServer.h"
#include "component/EventInfoObj.h"
#include "loading/Project.h"

using Microsoft::WRL::ComPtr;

inline constexpr wchar_t kProgId[] = L"CorvalisEventInfo.EventInfoObj";
inline constexpr wchar_t kVersionedProgId[] = L"CorvalisEventInfo.EventInfoObj.1";

std::wstring ComponentDllPath();
HRESULT RegisterComponent();
HRESULT UnregisterComponent();

// Sets or removes the registry value that names the data directory.
void SetDataPath(const std::wstring& baseDirectory);
void SetDataPathRaw(DWORD type, const void* data, DWORD size);
void DeleteDataPathKey();

// A fresh data directory under the temporary folder; the registry value
// points at it while the object lives.
class ProjectDirectory {
public:
    ProjectDirectory();
    ~ProjectDirectory();
    ProjectDirectory(const ProjectDirectory&) = delete;
    ProjectDirectory& operator=(const ProjectDirectory&) = delete;

    void WriteProject(const std::string& bytes) const;  // the project file's bytes as given
    void WriteFile(const std::wstring& relativePath, const std::string& bytes) const;
    void RemoveProject() const;
    const std::wstring& Base() const { return m_base; }
    std::wstring ProjectFile() const;

private:
    std::wstring m_base;
};

// The component as a client sees it: created through COM by its ProgID.
template <class Interface>
ComPtr<Interface> CreateComponent() {
    CLSID clsid{};
    ComPtr<Interface> object;
    if (SUCCEEDED(CLSIDFromProgID(kProgId, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    return object;
}

// The component created through COM, having loaded `project` written into
// the directory; null when the creation or the load fails.
template <class Interface>
ComPtr<Interface> LoadComponent(const ProjectDirectory& directory, const std::string& project) {
    directory.WriteProject(project);
    ComPtr<Interface> object = CreateComponent<Interface>();
    ComPtr<IEventInfoInit> init;
    if (!object || FAILED(object.As(&init)) || init->ParseXML(nullptr) != S_OK) return nullptr;
    return object;
}

// The load ParseXML runs, into a project of the test's own: the
// registry-named file, every raised error E_UNEXPECTED.
HRESULT ParseInto(Project& project);

// A project given as text, loaded as ParseXML loads it.
Project LoadLinkedProject(const ProjectDirectory& directory, const std::string& xml, HRESULT* result = nullptr);

// The project's event sources with their categories.
std::map<std::wstring, int32_t> SourceCategoryMap(const Project& project);

// An object of the component code linked into the test that holds a copy of
// the project, for the tests that edit the tables before they query.
template <class Interface>
ComPtr<Interface> CreateObjectOver(const Project& project) {
    ComPtr<Interface> object;
    EventInfoObj::CreateLoaded(project, IID_PPV_ARGS(&object));
    return object;
}
