#include "loading/ProjectLoad.h"

#include "loading/ProjectFilePath.h"
#include "loading/Win32Owners.h"
#include "loading/SourceCategories.h"
#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

// The data directory as ANSI text; empty when the key or value is missing,
// not a string or not terminated.
std::string ReadDataDirectory() {
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDataPathKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return {};
    // Most values fit the path buffer and are read in one call.
    DWORD type = REG_NONE;
    std::string data(kMaxPathBytes, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    LSTATUS status =
        RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status == ERROR_MORE_DATA) {
        data.assign(size, '\0');
        status = RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    }
    if (status != ERROR_SUCCESS) return {};
    data.resize(size);
    return BaseDirectoryFromValue(type == REG_SZ || type == REG_EXPAND_SZ, data);
}

// The load completes before `load` returns, and reads nothing but the file
// itself: no external entity or DTD is fetched. The platform versions differ
// in which of these they accept, so their results are not looked at; the
// load is judged by whether a root element came out.
void PrepareSynchronousLocalLoad(IXMLDOMDocument* document) {
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
}

// The whole file as a byte array, or an empty owner when it cannot be opened
// or read.
SafeArray ReadFileBytes(const std::string& path) {
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > MAXLONG) return {};
    const auto length = static_cast<DWORD>(size.QuadPart);
    SafeArray bytes = SafeArray::CreateVector(VT_UI1, length);
    DWORD read = 0;
    {
        SafeArrayData<BYTE> data(bytes.Get());
        if (!ReadFile(file.Get(), data.Get(), length, &read, nullptr) || read != length) return {};
    }
    return bytes;
}

// The DOM parses bytes in linear time, while its load by file name grows its
// read buffer piece by piece and is quadratic in the file size; the tree is
// the same. An unreadable file is not loaded at all and so, like a missing
// one, leaves the document without a root element.
void LoadFile(IXMLDOMDocument* document, const std::string& path) {
    SafeArray bytes = ReadFileBytes(path);
    if (!bytes.Get()) return;
    Variant source;
    V_VT(source.Get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(source.Get()) = bytes.Detach();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ThrowIfFailed(document->load(*source.Get(), &loaded));
}

// The build passes, in their fixed order, over a document with a root.
void BuildTables(Project& project) {
    ModelBuilder builder(project.m_model, project.m_elementIndex, project.m_projectMode, &project.m_loadDiagnostics);
    builder.BuildFixedTables();
    builder.BuildCategories(EVENT_CLASS_CONDITIONAL);
    builder.BuildCategories(EVENT_CLASS_SIMPLE);
    BuildSourceCategories(project.m_elementIndex, project.m_projectMode, project.m_model.m_mapCategoryKeys,
                          project.m_mapSourceCategories);
    // Categories without sources, or sources without categories, answer nothing.
    if (project.m_model.m_mapCategories.empty() || project.m_mapSourceCategories.empty()) {
        project.m_model.m_mapCategories.clear();
        project.m_mapSourceCategories.clear();
    }
}

}  // namespace

std::optional<std::string> ProjectFileNamedByRegistry() { return ComposeProjectFilePath(ReadDataDirectory()); }

HRESULT LoadProject(const std::string& path, Project& project) {
    project.m_loadDiagnostics.clear();
    project.m_pDocument.Reset();
    project.m_elementIndex = ElementIndex();
    project.m_pDocument = CreateDomDocument();
    if (!project.m_pDocument) throw ComError(E_POINTER);
    PrepareSynchronousLocalLoad(project.m_pDocument.Get());
    LoadFile(project.m_pDocument.Get(), path);
    project.m_elementIndex = ElementIndex::Build(project.m_pDocument.Get());

    const DomNode root = DocumentRoot(project.m_pDocument.Get());
    if (!root) return E_INVALIDARG;
    project.m_projectMode = !GetAttributeText(root.Get(), L"Proj").empty();
    BuildTables(project);
    return S_OK;
}

HRESULT LoadProjectNamedByRegistry(Project& project) {
    const std::optional<std::string> path = ProjectFileNamedByRegistry();
    return path ? LoadProject(*path, project) : E_INVALIDARG;
}
