// The per-document indexes give exactly the answers of the searches they
// replace.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "eventserver/MessageIndex.h"
#include "loading/SourceCategories.h"
#include "tests/support/LateBinding.h"
#include "tests/support/TestSupport.h"

namespace {

// The search the element index replaces: the only element of that tag name
// in the whole document.
DomNode SearchUniqueElement(IXMLDOMDocument* document, const std::wstring& name) {
    BSTR tag = SysAllocString(name.c_str());
    ComPtr<IXMLDOMNodeList> list;
    document->getElementsByTagName(tag, &list);
    SysFreeString(tag);
    long length = 0;
    if (list) list->get_length(&length);
    if (length != 1) return nullptr;
    DomNode element;
    list->get_item(0, &element);
    return NodeName(element.Get()) == name ? element : nullptr;
}

std::wstring Markup(IXMLDOMNode* node) {
    BSTR xml = nullptr;
    node->get_xml(&xml);
    std::wstring text(xml ? xml : L"");
    SysFreeString(xml);
    DomNode parent;
    node->get_parentNode(&parent);
    return parent ? NodeName(parent.Get()) + L">" + text : text;
}

// The DOM hands out a new wrapper for each access, so nodes are compared by
// their markup and their parent.
bool SameNode(IXMLDOMNode* a, IXMLDOMNode* b) {
    if (!a || !b) return a == b;
    return Markup(a) == Markup(b);
}

std::set<std::wstring> AllTagNames(IXMLDOMNode* node, std::set<std::wstring> names = {}) {
    ForEachChild(node, [&](IXMLDOMNode* child) {
        if (!IsElement(child)) return;
        names.insert(NodeName(child));
        names = AllTagNames(child, std::move(names));
    });
    return names;
}

void ExpectIndexMatchesSearch(const Project& object, std::set<std::wstring> names) {
    names.insert({L"", L"*", L"NoSuchElement", L"devices"});
    for (const std::wstring& name : names) {
        const DomNode indexed = object.m_elementIndex.FindUniqueElement(name);
        const DomNode searched = SearchUniqueElement(object.m_pDocument.Get(), name);
        EXPECT_TRUE(SameNode(indexed.Get(), searched.Get())) << std::string(name.begin(), name.end());
    }
}

// The index's element children of each element are the element children
// the DOM's walk gives, in its order, below the root throughout.
void ExpectChildrenMatchWalk(const ElementIndex& index, IXMLDOMNode* element, ElementIndex::Element indexed) {
    ASSERT_NE(indexed, ElementIndex::kNoElement);
    EXPECT_EQ(index.Name(indexed), NodeName(element));
    EXPECT_TRUE(SameNode(index.Node(indexed), element));
    ElementIndex::Element child = index.FirstChild(indexed);
    ForEachChild(element, [&](IXMLDOMNode* walked) {
        if (!IsElement(walked)) return;
        ExpectChildrenMatchWalk(index, walked, child);
        if (child != ElementIndex::kNoElement) child = index.NextSibling(child);
    });
    EXPECT_EQ(child, ElementIndex::kNoElement) << "more children indexed than walked";
}

void ExpectIndexMatchesWalk(const Project& object) {
    const DomNode root = DocumentRoot(object.m_pDocument.Get());
    const ElementIndex& index = object.m_elementIndex;
    ExpectChildrenMatchWalk(index, root.Get(), index.FindUnique(NodeName(root.Get())));
}

// The source table as a search of the document builds it, every TO's type
// read at once: the element children of the only DEVICES element, each
// with its groups and then its element children by "TOT" + their TypeID,
// the first entry of a path kept.
std::map<std::wstring, int32_t> SearchSourceCategories(const Project& project) {
    IXMLDOMDocument* document = project.m_pDocument.Get();
    std::map<std::wstring, int32_t> sources;
    const DomNode devices = SearchUniqueElement(document, L"DEVICES");
    if (!devices) return sources;
    const bool userAlarms = SearchUniqueElement(document, L"U7SQ") != nullptr;
    const bool diagnosis = SearchUniqueElement(document, L"U7DIAG") != nullptr;
    const auto& keys = project.m_model.m_mapCategoryKeys;
    ForEachChild(devices.Get(), [&](IXMLDOMNode* device) {
        if (!IsElement(device)) return;
        const std::wstring prefix = L"/" + NodeName(device) + L"/";
        if (userAlarms) sources.emplace(prefix + L"U7SQ", 0x200001);
        if (diagnosis) sources.emplace(prefix + L"U7DIAG", 0x100002);
        ForEachChild(device, [&](IXMLDOMNode* to) {
            if (!IsElement(to)) return;
            const auto key = keys.find(L"TOT" + GetAttributeText(to, L"TypeID"));
            if (key != keys.end()) sources.emplace(prefix + NodeName(to), key->second);
        });
    });
    if (project.m_model.m_mapCategories.empty()) sources.clear();
    return sources;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace

TEST(ElementIndex, AnswersAsTheWholeDocumentSearchOnTheSyntheticProject) {
    ProjectDirectory directory;
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, ReadFile(SYNTHETIC_SMALL_PROJECT), &hr);
    ASSERT_EQ(hr, S_OK);
    const DomNode root = DocumentRoot(object.m_pDocument.Get());
    const std::set<std::wstring> names = AllTagNames(root.Get(), {NodeName(root.Get())});
    ASSERT_GT(names.size(), 100u);
    EXPECT_EQ(object.m_elementIndex.NameCount(), names.size());
    ExpectIndexMatchesSearch(object, names);
    ExpectIndexMatchesWalk(object);
}

TEST(ElementIndex, NamesUsedTwiceAndLaterLoads) {
    ProjectDirectory directory;
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory,
                                    "<Root><DEVICES><D1/><D2/></DEVICES><x><D2/><DEVICES/></x><CORVALIS/></Root>", &hr);
    ASSERT_EQ(hr, S_OK);
    ExpectIndexMatchesSearch(object, {L"Root", L"DEVICES", L"D1", L"D2", L"x", L"CORVALIS"});
    ExpectIndexMatchesWalk(object);
    EXPECT_FALSE(object.m_elementIndex.FindUniqueElement(L"D2"));

    // Another file: the index is the new document's.
    directory.WriteProject("<Other><D2/></Other>");
    ASSERT_EQ(ParseInto(object), S_OK);
    ExpectIndexMatchesSearch(object, {L"Root", L"Other", L"D1", L"D2", L"DEVICES"});
    EXPECT_TRUE(object.m_elementIndex.FindUniqueElement(L"D2"));

    // A failed load: the new, empty document has no elements to find.
    directory.WriteProject("<Broken");
    ASSERT_EQ(ParseInto(object), E_INVALIDARG);
    EXPECT_EQ(object.m_elementIndex.NameCount(), 0u);
    EXPECT_FALSE(object.m_elementIndex.FindUniqueElement(L"Other"));
}

// Elements below entity references, beside comments, processing
// instructions and character data, and deeply nested ones.
TEST(ElementIndex, EntitiesAndNodesOfEveryKind) {
    std::string nested;
    for (int i = 0; i < 200; ++i) nested += "<N" + std::to_string(i % 7) + ">";
    for (int i = 199; i >= 0; --i) nested += "</N" + std::to_string(i % 7) + ">";
    const std::string cases[] = {
        R"(<!DOCTYPE Root [<!ENTITY e "<Ent><Inner/></Ent>"><!ENTITY t "text">]>)"
        R"(<Root><!--c--><?Pi x?><A>&e;</A><B><![CDATA[<NotAnElement/>]]>&t;</B><Inner2/></Root><!--after-->)",
        R"(<?xml version="1.0"?><!--before--><Root><A/><A><B/></A><C><D><E/></D></C></Root>)",
        "<Root>" + nested + "<Last/></Root>",
    };
    for (const std::string& xml : cases) {
        ProjectDirectory directory;
        HRESULT hr = E_FAIL;
        auto object = LoadLinkedProject(directory, xml, &hr);
        const DomNode root = DocumentRoot(object.m_pDocument.Get());
        ASSERT_TRUE(root) << xml;
        std::set<std::wstring> names = AllTagNames(root.Get(), {NodeName(root.Get())});
        names.insert({L"Ent", L"Inner", L"NotAnElement", L"Pi", L"N0", L"N6", L"Last"});
        ExpectIndexMatchesSearch(object, names);
        ExpectIndexMatchesWalk(object);
    }
}

TEST(MessageIndex, AnswersAsTheChildWalkAndTheAttributeRead) {
    ProjectDirectory directory;
    HRESULT hr = E_FAIL;
    auto object = LoadLinkedProject(directory, ReadFile(SYNTHETIC_SMALL_PROJECT), &hr);
    ASSERT_EQ(hr, S_OK);
    size_t messages = 0;
    for (const auto& [id, category] : object.m_model.m_mapCategories) {
        MessageIndex index(category.elements, category.element);
        std::set<std::wstring> names{L"ID00000000", L"IDFFFFFFFF", L"ID00000065"};
        ForEachChild(category.node.Get(), [&](IXMLDOMNode* child) { names.insert(NodeName(child)); });
        for (const std::wstring& name : names) {
            const DomNode walked = FindChildByName(category.node.Get(), name);
            uint32_t number = 0;
            if (!MessageNumberOfName(name, number)) continue;
            MessageIndex::Message* indexed = index.Find(number);
            ASSERT_EQ(indexed != nullptr, walked != nullptr);
            if (!walked) continue;
            ++messages;
            // More names than a message keeps texts for, read twice in turn.
            const wchar_t* attributes[] = {L"MSG0407", L"MSG0409", L"MSG0007", L"Severity", L"Area", L"msg0407"};
            for (int pass = 0; pass < 2; ++pass) {
                for (const wchar_t* attribute : attributes)
                    EXPECT_EQ(index.Text(*indexed, attribute), GetAttributeText(walked.Get(), attribute));
                std::reverse(std::begin(attributes), std::end(attributes));
            }
        }
    }
    EXPECT_GT(messages, 500u);
}

// Only the names of "ID" + eight upper-case hexadecimal digits are the
// numbers the index finds, and each number has one such name.
TEST(MessageIndex, NamesOfMessageNumbers) {
    const struct {
        const wchar_t* name;
        bool isNumber;
        uint32_t number;
    } rows[] = {
        {L"ID00000000", true, 0},
        {L"IDFFFFFFFF", true, 0xFFFFFFFF},
        {L"ID0000ABCD", true, 0xABCD},
        {L"ID0000abcd", false, 0},
        {L"ID000000001", false, 0},
        {L"ID0000001", false, 0},
        {L"Id00000001", false, 0},
        {L"ID0000000G", false, 0},
        {L"ID 0000001", false, 0},
        {L"XD00000001", false, 0},
        {L"", false, 0},
        {L"ID-0000001", false, 0},
    };
    for (const auto& row : rows) {
        uint32_t number = 7;
        EXPECT_EQ(MessageNumberOfName(row.name, number), row.isNumber) << std::wstring(row.name).size();
        EXPECT_EQ(number, row.isNumber ? row.number : 7u);
    }
}

// Categories kept from an earlier document answer from that document, also
// after a failed load and after a load of another file.
TEST(MessageIndex, CategoriesKeepTheirDocument) {
    ProjectDirectory directory;
    directory.WriteProject(R"(<Root><CONDITIONAL><U7SQ><Attributes MSG0409="t"/>
        <ID00000001 MSG0409="first file"/></U7SQ></CONDITIONAL><DEVICES><D1/></DEVICES></Root>)");
    auto b = CreateComponent<IEventModel>();
    ComPtr<IEventInfoInit> init;
    ASSERT_EQ(b.As(&init), S_OK);
    ASSERT_EQ(init->ParseXML(nullptr), S_OK);
    LONG handle = 0;
    ASSERT_EQ(b->CreateSubscription(&handle), S_OK);
    VARIANT selection;
    V_VT(&selection) = VT_ARRAY | VT_I4;
    V_ARRAY(&selection) = SafeArrayCreateVector(VT_I4, 0, 1);
    LONG messageText = -1, index = 0;
    SafeArrayPutElement(V_ARRAY(&selection), &index, &messageText);
    VARIANT results;
    ASSERT_EQ(b->SelectAttributes(handle, 0x200001, selection, &results), S_OK);
    VariantClear(&results);
    VariantClear(&selection);

    const auto textOfAlarm1 = [&] {
        SAFEARRAY* names = SafeArrayCreateVector(VT_BSTR, 0, 1);
        SAFEARRAY* sources = SafeArrayCreateVector(VT_BSTR, 0, 1);
        LONG i = 0;
        BSTR name = SysAllocString(L"Alarm1"), source = SysAllocString(L"/D1/U7SQ");
        SafeArrayPutElement(names, &i, name);
        SafeArrayPutElement(sources, &i, source);
        SysFreeString(name);
        SysFreeString(source);
        VARIANT n, s, none, reserved, types, categories, ids, values, codes;
        V_VT(&n) = VT_ARRAY | VT_BSTR;
        V_ARRAY(&n) = names;
        V_VT(&s) = VT_ARRAY | VT_BSTR;
        V_ARRAY(&s) = sources;
        VariantInit(&none);
        std::wstring text = L"<unresolved>";
        if (SUCCEEDED(b->ResolveEvents(handle, 0x409, n, s, none, none, &reserved, &types, &categories, &ids, &values,
                                       &codes))) {
            VARIANT eventValues;
            VariantInit(&eventValues);
            SafeArrayGetElement(V_ARRAY(&values), &i, &eventValues);
            BSTR first = nullptr;
            if (V_VT(&eventValues) == (VT_ARRAY | VT_BSTR)) SafeArrayGetElement(V_ARRAY(&eventValues), &i, &first);
            text = first ? first : L"";
            SysFreeString(first);
            VariantClear(&eventValues);
            for (VARIANT* output : {&types, &categories, &ids, &values, &codes}) VariantClear(output);
        }
        VariantClear(&n);
        VariantClear(&s);
        return text;
    };
    EXPECT_EQ(textOfAlarm1(), L"first file");
    directory.WriteProject("<Broken");
    ASSERT_EQ(init->ParseXML(nullptr), E_INVALIDARG);
    EXPECT_EQ(textOfAlarm1(), L"first file");
    directory.WriteProject(R"(<Root><CONDITIONAL><U7SQ><Attributes MSG0409="t"/>
        <ID00000001 MSG0409="second file"/></U7SQ></CONDITIONAL><DEVICES><D1/></DEVICES></Root>)");
    ASSERT_EQ(init->ParseXML(nullptr), S_OK);
    EXPECT_EQ(textOfAlarm1(), L"first file");
}

namespace {

using NamedTexts = std::vector<std::pair<std::wstring, std::wstring>>;

// The attribute map's items without namespace declarations: those named
// "xmlns" or "xmlns:..." and the item the map cannot hand out, which is a
// default namespace declaration's here.
NamedTexts ReadThroughTheMap(IXMLDOMNode* node) {
    NamedTexts out;
    ComPtr<IXMLDOMNamedNodeMap> map;
    node->get_attributes(&map);
    long count = 0;
    map->get_length(&count);
    for (long i = 0; i < count; ++i) {
        DomNode attribute;
        if (FAILED(map->get_item(i, &attribute)) || !attribute) continue;
        const std::wstring name = NodeName(attribute.Get());
        if (name == L"xmlns" || name.compare(0, 6, L"xmlns:") == 0) continue;
        out.emplace_back(name, NodeValueText(attribute.Get()));
    }
    return out;
}

std::wstring ElementWithAttributes(int count, const std::wstring& every50th, const std::wstring& first = L"") {
    std::wstring markup = L"<e " + first;
    for (int i = 0; i < count; ++i) {
        markup += L"a" + std::to_wstring(i) + L"=\"v&amp;" + std::to_wstring(i) + L"\" ";
        if (i % 50 == 49) markup += every50th + std::to_wstring(i) + L"=\"urn:" + std::to_wstring(i) + L"\" ";
    }
    return markup + L"/>";
}

}  // namespace

// Few and many attributes (on both sides of what is read from the map), with
// namespace declarations (which declare no attribute) and prefixed names.
TEST(AttributeList, ListsWhatTheAttributeMapListsWithoutNamespaceDeclarations) {
    const std::wstring cases[] = {
        L"<e/>",
        L"<e b=\"2\" a=\"1\" c=\"\"/>",
        L"<e xmlns=\"urn:x\" b=\"2\" xmlns:p=\"urn:p\" p:a=\"1\"/>",
        L"<e xmlns:p=\"urn:p\" p:a=\"1\" b=\"2\" xmlns:q=\"urn:q\"/>",
        ElementWithAttributes(32, L"z"),
        ElementWithAttributes(129, L"z"),
        ElementWithAttributes(300, L"xmlns:p"),
        ElementWithAttributes(300, L"p:n", L"xmlns:p=\"urn:p\" "),
    };
    for (const std::wstring& markup : cases) {
        const DomDocument document = CreateDomDocument();
        ASSERT_TRUE(document);
        BSTR text = SysAllocString(markup.c_str());
        VARIANT_BOOL loaded = VARIANT_FALSE;
        document->loadXML(text, &loaded);
        SysFreeString(text);
        ASSERT_EQ(loaded, VARIANT_TRUE) << markup.size();
        const DomNode element = DocumentRoot(document.Get());
        NamedTexts listed;
        ForEachAttribute(element.Get(), [&](const std::wstring& name, std::wstring value) {
            listed.emplace_back(name, std::move(value));
        });
        EXPECT_EQ(listed, ReadThroughTheMap(element.Get())) << markup.size();
    }
}

// Sources whose TOs repeat, share a path with a group, have a type without a
// category or none at all, on devices that repeat, beside comments; looked up
// first in reverse order, then all at once.
TEST(SourceTable, AnswersAsTheSearchOfTheDocument) {
    const std::string tricky = R"(<Root><CONDITIONAL><U7SQ/><TOPOSAXIS/><TOTX/><TOT/></CONDITIONAL>
        <SIMPLE><U7DIAG/></SIMPLE><DEVICES>
        <D1><RT1 TypeID="Y"/><RT1 TypeID="X"/><!-- c --><RT1/><U7DIAG TypeID="X"/><RT2/></D1>
        <D2><U7SQ TypeID="25A0AFB1-337A-11D3-8F3E-00105A2DC995"/><RT9 TypeID="Y"/></D2>
        <D1><RT2 TypeID="X"/><RT3 TypeID="Y"/><RT3 TypeID="X"/></D1></DEVICES></Root>)";
    for (const std::string& xml : {ReadFile(SYNTHETIC_SMALL_PROJECT), tricky}) {
        ProjectDirectory directory;
        HRESULT hr = E_FAIL;
        auto object = LoadLinkedProject(directory, xml, &hr);
        ASSERT_EQ(hr, S_OK);
        const std::map<std::wstring, int32_t> searched = SearchSourceCategories(object);
        ASSERT_FALSE(searched.empty());
        std::vector<std::wstring> paths{L"/D1/RT4", L"/D2/RT1", L"/D3/U7SQ"};
        for (const auto& [path, category] : searched) paths.push_back(path);
        for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
            const auto found = searched.find(*path);
            const int32_t* indexed = FindSourceCategory(object, *path);
            ASSERT_EQ(indexed != nullptr, found != searched.end()) << std::string(path->begin(), path->end());
            if (indexed) {
                EXPECT_EQ(*indexed, found->second);
            }
        }
        EXPECT_EQ(SourceCategoryMap(object), searched);
    }
}
