// IEventInfoInit::ParseXML: loads the registry-named project file and runs
// the build passes over it; LoadProjectFile does the same for a given path.

#include <string>

#include "component/EventInfoObj.h"
#include "loading/ProjectFilePath.h"
#include "loading/SourceCategories.h"
#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"

namespace {

class RegistryKey {
public:
    RegistryKey(HKEY parent, const char* path) {
        if (RegOpenKeyExA(parent, path, 0, KEY_READ, &m_key) != ERROR_SUCCESS) m_key = nullptr;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (m_key) RegCloseKey(m_key);
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The data directory as ANSI text; empty when the key or value is missing,
// not a string or not terminated.
std::string ReadDataDirectory() {
    const RegistryKey key(HKEY_LOCAL_MACHINE, kDataPathKey);
    if (!key.Get()) return {};
    // Most values fit the path buffer and are read in one call.
    DWORD type = REG_NONE;
    std::string data(kMaxPathBytes, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    LSTATUS status = RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
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

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

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

}  // namespace

STDMETHODIMP EventInfoObj::ParseXML(BSTR) {
    try {
        const std::optional<std::string> path = ComposeProjectFilePath(ReadDataDirectory());
        if (!path) return E_INVALIDARG;
        return LoadProjectFile(*path);
    } catch (const ComError&) {
        return E_UNEXPECTED;
    } catch (const std::exception&) {
        return E_UNEXPECTED;
    }
}

HRESULT EventInfoObj::LoadProjectFile(const std::string& path) {
    try {
        m_loadDiagnostics.clear();
        m_pDocument.Reset();
        m_elementIndex = ElementIndex();
        m_pDocument = CreateDomDocument();
        if (!m_pDocument) throw ComError(E_POINTER);
        PrepareSynchronousLocalLoad(m_pDocument.Get());
        LoadFile(m_pDocument.Get(), path);
        m_elementIndex = ElementIndex::Build(m_pDocument.Get());

        const DomNode root = DocumentRoot(m_pDocument.Get());
        if (!root) return E_INVALIDARG;
        m_projectMode = !GetAttributeText(root.Get(), L"Proj").empty();

        ModelBuilder builder(m_model, m_elementIndex, m_projectMode, &m_loadDiagnostics);
        builder.BuildFixedTables();
        builder.BuildCategories(EVENT_CLASS_CONDITIONAL);
        builder.BuildCategories(EVENT_CLASS_SIMPLE);
        BuildSourceCategories(m_elementIndex, m_projectMode, m_model.m_mapCategoryKeys, m_mapSourceCategories);

        if (m_model.m_mapCategories.empty() || m_mapSourceCategories.empty()) {
            m_model.m_mapCategories.clear();
            m_mapSourceCategories.clear();
        }
        return S_OK;
    } catch (const ComError&) {
        return E_UNEXPECTED;
    } catch (const std::exception&) {
        return E_UNEXPECTED;
    }
}
