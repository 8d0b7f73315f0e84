// IEventInfoInit::ParseXML: loads the registry-named project file and runs
// the build passes over it.

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
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    std::string data(size, '\0');
    if (RegQueryValueExA(key.Get(), kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
        ERROR_SUCCESS)
        return {};
    data.resize(size);
    return BaseDirectoryFromValue(type == REG_SZ || type == REG_EXPAND_SZ, data);
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

// The load completes before `load` returns, and reads nothing but the file
// itself: no external entity or DTD is fetched. The platform versions differ
// in which of these they accept, so their results are not looked at; the
// load is judged by whether a root element came out.
void PrepareSynchronousLocalLoad(IXMLDOMDocument* document) {
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
}

void LoadFile(IXMLDOMDocument* document, const std::string& path) {
    Variant source;
    V_VT(source.Get()) = VT_BSTR;
    V_BSTR(source.Get()) = Bstr(AnsiToWide(path)).Detach();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ThrowIfFailed(document->load(*source.Get(), &loaded));
}

}  // namespace

STDMETHODIMP EventInfoObj::ParseXML(BSTR) {
    try {
        const std::optional<std::string> path = ComposeProjectFilePath(ReadDataDirectory());
        if (!path) return E_INVALIDARG;

        m_pDocument.Reset();
        m_pDocument = CreateDomDocument();
        if (!m_pDocument) throw ComError(E_POINTER);
        PrepareSynchronousLocalLoad(m_pDocument.Get());
        LoadFile(m_pDocument.Get(), *path);

        const DomNode root = DocumentRoot(m_pDocument.Get());
        if (!root) return E_INVALIDARG;
        m_projectMode = !GetAttributeText(root.Get(), L"Proj").empty();

        ModelBuilder builder(m_model, m_pDocument.Get(), m_projectMode);
        builder.BuildFixedTables();
        builder.BuildCategories(EVENT_CLASS_CONDITIONAL);
        builder.BuildCategories(EVENT_CLASS_SIMPLE);
        BuildSourceCategories(m_pDocument.Get(), m_projectMode, m_model.m_mapCategoryKeys, m_mapSourceCategories);

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
