// Loading the registry-named project file.

#include <gtest/gtest.h>

#include <chrono>

#include "loading/ProjectFilePath.h"
#include "loading/XmlAccess.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr char kSmallProject[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<OPC_AE>
  <CONDITIONAL><TOPOSAXIS CatDescr="Axes"/></CONDITIONAL>
  <DEVICES><D1><RT1 Name="Axis1" TypeID="25A0AFB1-337A-11D3-8F3E-00105A2DC995"/></D1></DEVICES>
</OPC_AE>)";

std::wstring RootName(const Project& object) {
    const DomNode root = DocumentRoot(object.m_pDocument.Get());
    return root ? NodeName(root.Get()) : L"<none>";
}

long ElementCount(const Project& object, const wchar_t* tag) {
    ComPtr<IXMLDOMNodeList> list;
    BSTR name = SysAllocString(tag);
    object.m_pDocument.Get()->getElementsByTagName(name, &list);
    SysFreeString(name);
    long length = 0;
    list->get_length(&length);
    return length;
}

std::wstring DocumentText(const Project& object) {
    BSTR xml = nullptr;
    object.m_pDocument.Get()->get_xml(&xml);
    std::wstring text(xml ? xml : L"");
    SysFreeString(xml);
    return text;
}

HRESULT ParseIntoNewProject() {
    Project project;
    return ParseInto(project);
}

}  // namespace

TEST(ParseXml, FileArgumentIsIgnored) {
    ProjectDirectory directory;
    directory.WriteProject(kSmallProject);
    directory.WriteFile(L"other.xml", "<Other/>");
    const std::wstring other = directory.Base() + L"\\other.xml";
    for (const wchar_t* argument : {static_cast<const wchar_t*>(nullptr), L"", other.c_str()}) {
        auto object = CreateComponent<IEventInfoInit>();
        BSTR name = argument ? SysAllocString(argument) : nullptr;
        EXPECT_EQ(object->ParseXML(name), S_OK);
        SysFreeString(name);
        // The registry-named file's one category, which the other file lacks.
        ComPtr<IEventModel> model;
        ASSERT_EQ(object.As(&model), S_OK);
        VARIANT ids, descriptions;
        ASSERT_EQ(model->GetCategories(0x70, &ids, &descriptions), S_OK);
        BSTR description = nullptr;
        LONG first = 0;
        SafeArrayGetElement(V_ARRAY(&descriptions), &first, &description);
        EXPECT_STREQ(description, L"Axes");
        SysFreeString(description);
        VariantClear(&ids);
        VariantClear(&descriptions);
    }
}

TEST(ParseXml, ThroughTheRegisteredComponent) {
    ProjectDirectory directory;
    directory.WriteProject(kSmallProject);
    auto init = CreateComponent<IEventInfoInit>();
    ASSERT_TRUE(init);
    EXPECT_EQ(init->ParseXML(nullptr), S_OK);
    directory.RemoveProject();
    EXPECT_EQ(init->ParseXML(nullptr), E_INVALIDARG);
}

TEST(ParseXml, MissingOrBrokenFileIsInvalidArgumentAndKeepsEarlierTables) {
    ProjectDirectory directory;
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, kSmallProject, &hr);
    ASSERT_EQ(hr, S_OK);
    const size_t categories = object.m_model.m_mapCategories.size();
    ASSERT_GT(categories, 0u);

    const char* const broken[] = {"", "<OPC_AE>", "not xml at all", "<a></b>", "<?xml version=\"1.0\"?>"};
    for (const char* text : broken) {
        directory.WriteProject(text);
        EXPECT_EQ(ParseInto(object), E_INVALIDARG) << text;
        EXPECT_EQ(object.m_model.m_mapCategories.size(), categories);
        EXPECT_EQ(RootName(object), L"<none>");  // the new, empty document
    }
    directory.RemoveProject();
    EXPECT_EQ(ParseInto(object), E_INVALIDARG);
    EXPECT_EQ(object.m_model.m_mapCategories.size(), categories);
}

TEST(ParseXml, ProjectModeFollowsTheRootsProjAttribute) {
    ProjectDirectory directory;
    const struct {
        const char* xml;
        bool projectMode;
    } rows[] = {
        {"<Root/>", false},           {"<Root Proj=\"\"/>", false},      {"<Root Proj=\"Plant\"/>", true},
        {"<Root Proj=\" \"/>", true}, {"<Root proj=\"Plant\"/>", false},
    };
    for (const auto& row : rows) {
        HRESULT hr = E_FAIL;
        auto object = LoadLinkedProject(directory, row.xml, &hr);
        EXPECT_EQ(hr, S_OK) << row.xml;
        EXPECT_EQ(object.m_projectMode, row.projectMode) << row.xml;
    }

    // A failed load leaves the mode of the earlier one.
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, "<Root Proj=\"Plant\"/>", &hr);
    directory.WriteProject("<Root");
    EXPECT_EQ(ParseInto(object), E_INVALIDARG);
    EXPECT_TRUE(object.m_projectMode);
}

TEST(ParseXml, RegistryValueProblemsReadAsEmptyBaseDirectory) {
    ProjectDirectory directory;
    directory.WriteProject(kSmallProject);
    const std::wstring base = directory.Base();

    DeleteDataPathKey();
    EXPECT_EQ(ParseIntoNewProject(), E_INVALIDARG);

    const DWORD number = 5;
    SetDataPathRaw(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(ParseIntoNewProject(), E_INVALIDARG);

    SetDataPath(base);
    EXPECT_EQ(ParseIntoNewProject(), S_OK);
}

TEST(ParseXml, BaseDirectoryTooLongForThePathIsRefusedWithoutLoading) {
    const size_t longestBase = kMaxPathBytes - 1 - (sizeof kProjectFileTail - 1);
    SetDataPath(L"C:\\" + std::wstring(longestBase - 3, L'a'));
    Project fits;
    EXPECT_EQ(ParseInto(fits), E_INVALIDARG);  // no such file, but it was tried
    EXPECT_NE(fits.m_pDocument.Get(), nullptr);

    for (size_t length : {longestBase + 1, size_t{600}}) {
        SetDataPath(L"C:\\" + std::wstring(length - 3, L'a'));
        Project tooLong;
        EXPECT_EQ(ParseInto(tooLong), E_INVALIDARG);
        EXPECT_EQ(tooLong.m_pDocument.Get(), nullptr);
    }
}

TEST(ParseXml, LoadIsCompleteWhenItReturns) {
    std::string xml = "<Root><DEVICES>";
    for (int i = 0; i < 5000; ++i)
        xml += "<Dev" + std::to_string(i) + " CheckSum=\"1\"><RT1 Name=\"A\"/></Dev" + std::to_string(i) + ">\n";
    xml += "</DEVICES><Last/></Root>";
    ProjectDirectory directory;
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, xml, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(ElementCount(object, L"RT1"), 5000);
    EXPECT_EQ(ElementCount(object, L"Last"), 1);
}

TEST(ParseXml, ExternalEntitiesAreNotFetched) {
    ProjectDirectory directory;
    directory.WriteFile(L"secret.txt", "TOPSECRETCONTENT");
    const std::wstring secret = directory.Base() + L"\\secret.txt";
    const std::string secretPath(secret.begin(), secret.end());
    const std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE Root [<!ENTITY ext SYSTEM \"file:///" + secretPath +
                            "\">]>\n<Root><Leak>&ext;</Leak></Root>";
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, xml, &hr);
    EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG);
    ASSERT_NE(object.m_pDocument.Get(), nullptr);
    EXPECT_EQ(DocumentText(object).find(L"TOPSECRETCONTENT"), std::wstring::npos);
}

TEST(ParseXml, EntityExpansionBombEndsQuickly) {
    // Each level refers ten times to the one below: 10^12 expansions in all.
    std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE Root [\n<!ENTITY e0 \"lolololololololololo\">\n";
    for (int i = 1; i <= 12; ++i) {
        std::string body;
        for (int k = 0; k < 10; ++k) body += "&e" + std::to_string(i - 1) + ";";
        xml += "<!ENTITY e" + std::to_string(i) + " \"" + body + "\">\n";
    }
    xml += "]>\n<Root>&e12;</Root>";
    ProjectDirectory directory;
    const auto start = std::chrono::steady_clock::now();
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, xml, &hr);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG);
    EXPECT_LT(seconds, 10.0);
}

namespace {

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes;
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// The tree the platform DOM builds when it loads the file by name.
std::wstring LoadedByName(const std::wstring& path) {
    DomDocument document = CreateDomDocument();
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    VARIANT source;
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->load(source, &loaded);
    VariantClear(&source);
    BSTR xml = nullptr;
    document->get_xml(&xml);
    std::wstring text(xml ? xml : L"");
    SysFreeString(xml);
    return text;
}

}  // namespace

// The component hands the file's bytes to the DOM; the tree must be the one
// a load by file name gives, whatever the encoding.
TEST(ParseXml, BytesLoadLikeTheFileName) {
    const std::u16string body =
        u"<Root Proj=\"\u00C4rger\"><DEVICES><Ger\u00E4t CheckSum=\"\u00FC\"/></DEVICES></Root>";
    const std::string utf8Body =
        u8"<Root Proj=\"\u00C4rger\"><DEVICES><Ger\u00E4t CheckSum=\"\u00FC\"/></DEVICES></Root>";
    const std::string latin1Body = "<Root Proj=\"\xC4rger\"><DEVICES><Ger\xE4t CheckSum=\"\xFC\"/></DEVICES></Root>";
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"Latin-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + latin1Body},
        {"UTF-8 without BOM", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + utf8Body},
        {"UTF-8 with BOM", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + utf8Body},
        {"UTF-16 with BOM", "\xFF\xFE" + Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + body, false)},
        {"UTF-16 without BOM", Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + body, false)},
        {"DOCTYPE",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Root [<!ENTITY co \"Corvalis\">]>\n"
         "<Root Proj=\"&co;\"><DEVICES><D1 CheckSum=\"&co;\"/></DEVICES></Root>"},
    };
    ProjectDirectory directory;
    for (const auto& file : files) {
        HRESULT hr = E_FAIL;
        auto object = LoadLinkedProject(directory, file.bytes, &hr);
        const std::wstring byName = LoadedByName(directory.ProjectFile());
        EXPECT_EQ(DocumentText(object), byName) << file.name;
        EXPECT_EQ(hr, byName.empty() ? E_INVALIDARG : S_OK) << file.name;
        EXPECT_EQ(object.m_projectMode, !byName.empty()) << file.name;
    }
}

TEST(ParseXml, UnreadableFileIsLikeAMissingOne) {
    ProjectDirectory directory;
    directory.WriteProject("<Root/>");
    const HANDLE locked =
        CreateFileW(directory.ProjectFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    Project object;
    EXPECT_EQ(ParseInto(object), E_INVALIDARG);
    EXPECT_EQ(DocumentRoot(object.m_pDocument.Get()), nullptr);
    CloseHandle(locked);
    EXPECT_EQ(ParseInto(object), S_OK);
}
