#include "loading/ProjectLoad.h"

#include "loading/ParseFailure.h"
#include "loading/ProjectFilePath.h"
#include "loading/Win32Owners.h"
#include "loading/SourceCategories.h"
#include "loading/SystemMessage.h"
#include "loading/TextConversion.h"
#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

std::wstring DataPathValueName() {
    return L"the registry value \"" + FromUtf8(kDataPathValue) + L"\" of HKEY_LOCAL_MACHINE\\" + FromUtf8(kDataPathKey);
}

// The data directory as ANSI text; empty, with what is wrong, when the key
// or value is missing, not a string or not terminated.
struct DataDirectory {
    std::string path;
    std::wstring problem;
};

DataDirectory ReadDataDirectory() {
    RegistryKey key;
    LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDataPathKey, 0, KEY_READ, key.Receive());
    if (status != ERROR_SUCCESS)
        return {{}, DataPathValueName() + L" cannot be read: " + SystemMessage(HRESULT_FROM_WIN32(status))};
    // Most values fit the path buffer and are read in one call.
    DWORD type = REG_NONE;
    std::string data(kMaxPathBytes, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    status = RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status == ERROR_MORE_DATA) {
        data.assign(size, '\0');
        status = RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    }
    if (status != ERROR_SUCCESS)
        return {{}, DataPathValueName() + L" cannot be read: " + SystemMessage(HRESULT_FROM_WIN32(status))};
    data.resize(size);
    const bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
    std::string directory = BaseDirectoryFromValue(isString, data);
    if (!directory.empty()) return {std::move(directory), {}};
    if (!isString) return {{}, DataPathValueName() + L" is not a string (type " + std::to_wstring(type) + L")"};
    return {{}, DataPathValueName() + L" is empty or not terminated"};
}

// The load completes before `load` returns, and reads nothing but the file
// itself: no external entity or DTD is fetched. The platform versions differ
// in which of these they accept, so their results are not looked at; the
// load is judged by whether a root element came out.
void PrepareSynchronousLocalLoad(IXMLDOMDocument* document) {
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
}

std::wstring Quoted(const std::string& ansiPath) { return L"'" + Widen(ansiPath, CP_ACP) + L"'"; }

std::wstring LastErrorText() { return SystemMessage(HRESULT_FROM_WIN32(GetLastError())); }

// The whole file as a byte array, or an empty owner, with the reason, when
// it cannot be opened or read.
SafeArray ReadFileBytes(const std::string& path, std::wstring& problem) {
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        problem = L"cannot open the project file " + Quoted(path) + L": " + LastErrorText();
        return {};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > MAXLONG) {
        problem = L"the project file " + Quoted(path) + L" is larger than 2 GB";
        return {};
    }
    const auto length = static_cast<DWORD>(size.QuadPart);
    SafeArray bytes = SafeArray::CreateVector(VT_UI1, length);
    DWORD read = 0;
    {
        SafeArrayData<BYTE> data(bytes.Get());
        if (!ReadFile(file.Get(), data.Get(), length, &read, nullptr) || read != length) {
            problem = L"cannot read the project file " + Quoted(path) + L": " + LastErrorText();
            return {};
        }
    }
    return bytes;
}

// The DOM parses bytes in linear time, while its load by file name grows its
// read buffer piece by piece and is quadratic in the file size; the tree is
// the same. An unreadable file is not loaded at all and so, like a missing
// one, leaves the document without a root element. What kept a root from
// coming out goes to `problem`.
void LoadFile(IXMLDOMDocument* document, const std::string& path, std::wstring& problem) {
    SafeArray bytes = ReadFileBytes(path, problem);
    if (!bytes.Get()) return;
    Variant source;
    V_VT(source.Get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(source.Get()) = bytes.Detach();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ThrowIfFailed(document->load(*source.Get(), &loaded));
    if (DocumentRoot(document)) return;
    const std::wstring reason = DescribeParseFailure(document, *source);
    problem = L"the project file " + Quoted(path) +
              (reason.empty() ? L" has no root element" : L" is not well-formed XML: " + reason);
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
    if (project.m_model.m_mapCategories.empty() || !HasSourceCategories(project)) {
        project.m_model.m_mapCategories.clear();
        project.m_mapSourceCategories.Clear();
    }
}

}  // namespace

std::optional<std::string> ProjectFileNamedByRegistry() { return ComposeProjectFilePath(ReadDataDirectory().path); }

HRESULT LoadProject(const std::string& path, Project& project) {
    // The TOs of earlier loads are asked for their types while their
    // document and the key table are still those they were entered with.
    project.m_mapSourceCategories.SettleAll(ToCategories(project));
    project.m_loadDiagnostics.clear();
    project.m_loadFailure.clear();
    project.m_pDocument.Reset();
    project.m_elementIndex = ElementIndex();
    project.m_pDocument = CreateDomDocument();
    if (!project.m_pDocument) throw ComError(E_POINTER, L"the platform's XML DOM cannot be created");
    PrepareSynchronousLocalLoad(project.m_pDocument.Get());
    std::wstring problem;
    LoadFile(project.m_pDocument.Get(), path, problem);
    project.m_elementIndex = ElementIndex::Build(project.m_pDocument.Get());

    const DomNode root = DocumentRoot(project.m_pDocument.Get());
    if (!root) {
        project.m_loadFailure = problem;
        return E_INVALIDARG;
    }
    project.m_projectMode = !GetAttributeText(root.Get(), L"Proj").empty();
    BuildTables(project);
    return S_OK;
}

HRESULT LoadProjectNamedByRegistry(Project& project) {
    const DataDirectory directory = ReadDataDirectory();
    const std::optional<std::string> path = ComposeProjectFilePath(directory.path);
    const std::wstring registryProblem = directory.problem.empty() ? std::wstring() : directory.problem + L"; ";
    if (!path) {
        project.m_loadFailure = registryProblem + L"the project file below the data directory " +
                                Quoted(directory.path) + L" would be a path longer than " +
                                std::to_wstring(kMaxPathBytes - 1) + L" characters";
        return E_INVALIDARG;
    }
    const HRESULT hr = LoadProject(*path, project);
    if (FAILED(hr)) project.m_loadFailure = registryProblem + project.m_loadFailure;
    return hr;
}
