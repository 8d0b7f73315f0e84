#include "loading/SourceCategories.h"
#include "tools/eventinfo/Lint.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "deviceinfo/ConnectionParameterTables.h"
#include "deviceinfo/ConnectionValueConversions.h"
#include "eventserver/EventTextFormatters.h"
#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"
#include "tools/eventinfo/ElementAttributes.h"
#include "tools/eventinfo/LintRules.h"

namespace {

// One element of the document as the lint's walk met it. Paths are made
// only for what is reported, and the children are linked by index rather
// than held in lists: the walk meets every element of the file.
struct ElementRecord {
    DomNode node;
    std::wstring name;
    size_t parent;       // kNoParent for the root
    size_t firstChild;   // kNoParent when none
    size_t nextSibling;  // kNoParent after the last
    int line;            // 0 when the file text does not place it
    int position = 0;    // among the siblings of its name, from 1; 0 until a path needs it
};

constexpr size_t kNoParent = static_cast<size_t>(-1);

class Linter {
public:
    Linter(const Project& project, const std::string& fileText) : m_project(project) {
        m_tags = ScanStartTags(fileText);
        const DomNode root = DocumentRoot(project.m_pDocument.Get());
        if (root) Walk(root.Get(), kNoParent);
    }

    std::vector<LintFinding> Run() {
        CheckUniqueElements();
        CheckDevices();
        CheckLoadDrops();
        CheckCategories();
        CheckMessageLanguages();
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
        return std::move(m_findings);
    }

private:
    // Every element in document order, with the line of its start tag.
    void Walk(IXMLDOMNode* element, size_t parent) {
        const size_t index = m_elements.size();
        std::wstring name = NodeName(element);
        const int line = index < m_tags.size() && SameName(m_tags[index].name, name) ? m_tags[index].line : 0;
        m_byName[name].push_back(index);
        m_elements.push_back(ElementRecord{DomNode(element), std::move(name), parent, kNoParent, kNoParent, line});
        size_t previous = kNoParent;
        ForEachChild(element, [&](IXMLDOMNode* child) {
            if (!IsElement(child)) return;
            const size_t childIndex = m_elements.size();
            (previous == kNoParent ? m_elements[index].firstChild : m_elements[previous].nextSibling) = childIndex;
            previous = childIndex;
            Walk(child, index);
        });
    }

    // Tag names are compared without converting the ASCII ones.
    static bool SameName(const std::string& tag, const std::wstring& name) {
        if (tag.size() != name.size()) return tag == Utf8(name);
        for (size_t i = 0; i < tag.size(); ++i)
            if (static_cast<unsigned char>(tag[i]) >= 0x80 || static_cast<wchar_t>(tag[i]) != name[i])
                return tag == Utf8(name);
        return true;
    }

    std::vector<size_t> Children(size_t index) const {
        std::vector<size_t> children;
        for (size_t child = At(index).firstChild; child != kNoParent; child = At(child).nextSibling)
            children.push_back(child);
        return children;
    }

    // "/" + the names from the root down, each followed by "[n]" when it is
    // the n-th (n > 1) element of that name among its siblings.
    std::wstring PathOf(size_t index) {
        std::wstring path;
        for (; index != kNoParent; index = At(index).parent) {
            const int position = PositionOf(index);
            path.insert(0, L"/" + At(index).name + (position > 1 ? L"[" + std::to_wstring(position) + L"]" : L""));
        }
        return path;
    }

    // Counted for all siblings at once, the first time one of them is named.
    int PositionOf(size_t index) {
        const size_t parent = At(index).parent;
        if (parent == kNoParent) return 1;
        if (m_elements[index].position == 0) {
            std::unordered_map<std::wstring, int> counts;
            for (size_t sibling = At(parent).firstChild; sibling != kNoParent; sibling = At(sibling).nextSibling)
                m_elements[sibling].position = ++counts[At(sibling).name];
        }
        return At(index).position;
    }

    // The element a path names, or kNoParent.
    size_t IndexOfPath(const std::wstring& path) {
        size_t index = kNoParent;
        size_t start = 0;
        while (start < path.size() && path[start] == L'/') {
            const size_t end = std::min(path.find(L'/', start + 1), path.size());
            const std::wstring step = path.substr(start + 1, end - start - 1);
            const size_t bracket = step.find(L'[');
            const std::wstring name = step.substr(0, bracket);
            const int position =
                bracket == std::wstring::npos ? 1 : std::wcstol(step.c_str() + bracket + 1, nullptr, 10);
            size_t found = kNoParent;
            for (size_t candidate = index == kNoParent ? (m_elements.empty() ? kNoParent : 0) : At(index).firstChild;
                 candidate != kNoParent && found == kNoParent; candidate = At(candidate).nextSibling)
                if (At(candidate).name == name && PositionOf(candidate) == position) found = candidate;
            if (found == kNoParent) return kNoParent;
            index = found;
            start = end;
        }
        return index;
    }

    void Report(std::string check, size_t index, std::string detail) {
        m_findings.push_back(
            LintFinding{std::move(check), m_elements[index].line, Utf8(PathOf(index)), std::move(detail)});
    }

    // The load's drops name their elements by path.
    void Report(std::string check, const std::wstring& path, std::string detail) {
        const size_t index = IndexOfPath(path);
        const int line = index == kNoParent ? 0 : At(index).line;
        m_findings.push_back(LintFinding{std::move(check), line, Utf8(path), std::move(detail)});
    }

    const std::vector<size_t>& Named(const std::wstring& name) const {
        static const std::vector<size_t> none;
        const auto found = m_byName.find(name);
        return found == m_byName.end() ? none : found->second;
    }

    const ElementRecord& At(size_t index) const { return m_elements[index]; }

    std::string Lines(const std::vector<size_t>& records) {
        std::string out;
        for (size_t index : records)
            out += (out.empty() ? "" : ", ") + (At(index).line ? std::to_string(At(index).line) : Utf8(PathOf(index)));
        return out;
    }

    void CheckUniqueElements() {
        for (const wchar_t* name : {L"DEVICES", L"CONDITIONAL", L"SIMPLE", L"U7SQ", L"U7DIAG", L"CORVALIS"}) {
            const auto& records = Named(name);
            if (records.empty()) {
                m_findings.push_back(LintFinding{"missing", 0, "", "no element " + Utf8(name)});
            } else if (records.size() > 1) {
                for (size_t index : records)
                    Report("ambiguous", index,
                           std::to_string(records.size()) + " elements " + Utf8(name) + " (lines " + Lines(records) +
                               "); the component uses none of them");
            }
        }
    }

    void CheckDevices() {
        const auto& devices = Named(L"DEVICES");
        if (devices.size() != 1) return;
        for (size_t device : Children(devices[0])) CheckDevice(device);
        for (size_t common : Named(L"ConnectionInfo"))
            CheckCaseVariants(common, AttributesOf(At(common).node.Get()), DeviceAttributeNames());
    }

    void CheckDevice(size_t device) {
        const std::wstring& name = At(device).name;
        const auto& sameName = Named(name);
        if (sameName.size() > 1)
            Report("device-name", device,
                   "device " + Utf8(name) + " shares its tag name with " + std::to_string(sameName.size() - 1) +
                       " other element(s) (lines " + Lines(sameName) + "); it cannot be queried by name");

        const Attributes attributes = AttributesOf(At(device).node.Get());
        CheckCaseVariants(device, attributes, DeviceAttributeNames());
        const auto& keys = m_project.m_model.m_mapCategoryKeys;
        if (m_project.m_projectMode) {
            const std::wstring project = AttributeValue(attributes, L"Project");
            if (!keys.count(project + L"/U7SQ") && !keys.count(project + L"/USERDIAG"))
                Report("project-without-categories", device,
                       "project \"" + Utf8(project) + "\" of device " + Utf8(name) +
                           " has no user-alarm or user-diagnosis category");
        }
        bool routed = false;
        for (size_t child : Children(device)) {
            const Attributes childAttributes = AttributesOf(At(child).node.Get());
            if (At(child).name == L"RoutInfo") {
                if (!routed) CheckRouting(child, childAttributes);
                routed = true;
            } else if (At(child).name.compare(0, 2, L"RT") == 0) {
                CheckTo(child, childAttributes);
            }
        }
    }

    // The router element is read only for a route through a module inside
    // the PC, and only from the device's first routing element.
    void CheckRouting(size_t routing, const Attributes& attributes) {
        CheckCaseVariants(routing, attributes, {u"ROUTNET", u"ROUTDEV", u"ROUTADR"});
        if (!deviceinfo::IsRouterInsidePc(ToU16(AttributeValue(attributes, L"ROUTNET")))) return;
        const std::wstring target = AttributeValue(attributes, L"ROUTDEV");
        const auto& routers = Named(target);
        if (routers.size() != 1) {
            Report("routing-device", routing,
                   "ROUTDEV names " + (target.empty() ? std::string("no element") : Utf8(target)) + ", which " +
                       (routers.empty() ? "no element" : "more than one element") +
                       " carries; the device's ADDRESS falls back to its MPIDefault");
            return;
        }
        for (size_t slot : Children(routers[0]))
            if (!GetAttributeText(At(slot).node.Get(), L"SLOT").empty()) return;
        Report("routing-device", routing,
               "no child of " + Utf8(target) + " has a SLOT; the device's ADDRESS cannot be given");
    }

    void CheckTo(size_t to, const Attributes& attributes) {
        CheckCaseVariants(to, attributes, {u"Name", u"TypeID"});
        const std::string name = Utf8(At(to).name);
        const auto& keys = m_project.m_model.m_mapCategoryKeys;
        const std::wstring typeId = AttributeValue(attributes, L"TypeID");
        const auto key = keys.find(L"TOT" + typeId);
        if (!HasAttribute(attributes, L"TypeID"))
            Report("to-type", to, "TO " + name + " has no TypeID; its events have no category");
        else if (key == keys.end() || !m_project.m_model.m_mapCategories.count(key->second))
            Report("to-type", to, "TypeID " + Utf8(typeId) + " of TO " + name + " belongs to no category");
    }

    void CheckLoadDrops() {
        for (const LoadDrop& drop : m_project.m_loadDiagnostics)
            Report(drop.kind == LoadDropKind::CategoryTaken ? "category-dropped" : "project-beyond-range", drop.element,
                   Utf8(drop.detail));
    }

    // The category elements as the load passes see them, with their alarm
    // types; read from the document, since a load that finds no event source
    // clears the category table.
    std::vector<std::pair<size_t, uint32_t>> CategoryElements() {
        std::vector<std::pair<size_t, uint32_t>> out;
        for (const wchar_t* className : {L"CONDITIONAL", L"SIMPLE"}) {
            const auto& classes = Named(className);
            if (classes.size() != 1) continue;
            for (size_t element : Children(classes[0])) {
                const std::wstring& name = At(element).name;
                const bool group = name == L"U7SQ" || name == L"USERDIAG";
                if (group && m_project.m_projectMode) {
                    for (size_t project : Children(element)) out.emplace_back(project, name == L"U7SQ" ? 1u : 4u);
                } else {
                    out.emplace_back(element, name == L"U7SQ" ? 1u : (group || name == L"U7DIAG") ? 4u : 2u);
                }
            }
        }
        return out;
    }

    // The message attribute of each category the model holds, by the path
    // of its element.
    std::unordered_map<std::wstring, std::wstring> CategoryMessageAttributes() const {
        std::unordered_map<std::wstring, std::wstring> out;
        for (const auto& [id, category] : m_project.m_model.m_mapCategories)
            if (category.node) out.emplace(ElementPath(category.node.Get()), category.messageAttribute);
        return out;
    }

    void CheckCategories() {
        if (m_project.m_model.m_mapCategories.empty() || !HasSourceCategories(m_project))
            m_findings.push_back(
                LintFinding{"nothing-reachable", 0, "",
                            !HasSourceCategories(m_project)
                                ? "no device event source maps to a category, so the component drops every category"
                                : "no category was built, so the component drops every event source"});
        const auto messageAttributes = CategoryMessageAttributes();
        for (const auto& [category, alarmType] : CategoryElements()) {
            const auto modelled = messageAttributes.find(PathOf(category));
            CheckCategory(category, alarmType, modelled == messageAttributes.end() ? nullptr : &modelled->second);
        }
    }

    // `messageAttribute` is null for a category the model does not hold.
    void CheckCategory(size_t category, uint32_t alarmType, const std::wstring* messageAttribute) {
        CheckCaseVariants(category, AttributesOf(At(category).node.Get()), {u"CatDescr"});
        std::vector<std::u16string> known = FixedAttributeNames();
        for (size_t child : Children(category)) {
            const std::wstring& name = At(child).name;
            if (name == L"Attributes" || name == L"ATTRIBUTES") {
                const Attributes declared = AttributesOf(At(child).node.Get());
                for (const auto& entry : declared) {
                    known.push_back(ToU16(entry.first));
                    NoteLanguage(entry.first);
                }
                CheckCaseVariants(child, declared, FixedAttributeNames());
            } else if (!CaseVariantOf(ToU16(name), {u"Attributes"}).empty()) {
                Report("case", child, "element " + Utf8(name) + " is not read; the name is Attributes");
            }
        }
        std::unordered_map<std::wstring, size_t> firstOfName;
        for (size_t child : Children(category)) {
            const std::wstring& name = At(child).name;
            const bool messageLike =
                name.size() >= 2 && (name[0] == L'I' || name[0] == L'i') && (name[1] == L'D' || name[1] == L'd');
            if (!messageLike) continue;
            if (!IsMessageElementName(ToU16(name))) {
                Report("message-name", child,
                       "message element " + Utf8(name) + " is not \"ID\" + 8 upper-case hex digits; no event finds it");
                continue;
            }
            const auto [first, isFirst] = firstOfName.emplace(name, child);
            if (!isFirst) {
                Report("message-repeated", child,
                       "a second message element " + Utf8(name) + " in the category; events find only the first" +
                           (At(first->second).line ? " (line " + std::to_string(At(first->second).line) + ")" : ""));
                continue;
            }
            Attributes attributes = AttributesOf(At(child).node.Get());
            CheckMessage(child, alarmType, attributes, known);
            if (messageAttribute) m_messages.push_back(MessageTexts{child, *messageAttribute, std::move(attributes)});
        }
    }

    void CheckMessage(size_t message, uint32_t alarmType, const Attributes& attributes,
                      const std::vector<std::u16string>& known) {
        CheckCaseVariants(message, attributes, known);
        for (const auto& [attribute, text] : attributes) {
            const std::u16string name16 = ToU16(attribute);
            if (!IsMessageTextName(name16)) {
                if (CaseVariantOf(name16, known).empty() && attribute.size() >= 3 &&
                    !CaseVariantOf(ToU16(attribute.substr(0, 3)), {u"MSG"}).empty())
                    Report("message-text-name", message,
                           "attribute " + Utf8(attribute) + " is not \"MSG\" + 4 upper-case hex digits");
                continue;
            }
            NoteLanguage(attribute);
            if (FormatWithSampleParameters(alarmType, ToU16(text)) == kFormatInvalid)
                Report("placeholder", message,
                       Utf8(attribute) + " \"" + Utf8(text) + "\": the " + AlarmTypeName(alarmType) +
                           " formatter rejects its placeholders");
        }
    }

    void NoteLanguage(const std::wstring& attribute) {
        if (IsMessageTextName(ToU16(attribute))) m_languages.insert(ToU16(attribute));
    }

    // Each message the events of a category reach, in every language the
    // project uses, has a text of its own, of its primary language or of the
    // category's message attribute; else its events show an empty text.
    void CheckMessageLanguages() {
        for (const MessageTexts& message : m_messages) {
            const std::vector<std::u16string> names = NamesWithText(message.attributes);
            std::string missing;
            for (const std::u16string& language : m_languages)
                if (ChooseMessageText(names, language, ToU16(message.categoryAttribute)).source == TextSource::None)
                    missing += (missing.empty() ? "0x" : ", 0x") + Utf8(ToWide(language.substr(3)));
            if (missing.empty()) continue;
            Report("missing-text", message.element,
                   "events of this message show an empty text in language " + missing +
                       ": it has no text of the language nor of its primary language, and " +
                       (message.categoryAttribute.empty()
                            ? std::string("its category names no message text attribute to fall back on")
                            : "none in " + Utf8(message.categoryAttribute) + ", the category's fallback"));
        }
    }

    void CheckCaseVariants(size_t element, const Attributes& attributes, const std::vector<std::u16string>& known) {
        for (const auto& entry : attributes) {
            const std::u16string match = CaseVariantOf(ToU16(entry.first), known);
            if (!match.empty())
                Report("case", element,
                       "attribute " + Utf8(entry.first) + " is not read; the name is " +
                           Utf8(std::wstring(match.begin(), match.end())));
        }
    }

    static const char* AlarmTypeName(uint32_t alarmType) {
        switch (alarmType) {
        case 1: return "user-alarm";
        case 2: return "TO-alarm";
        case 4: return "diagnosis";
        default: return "?";
        }
    }

    static std::vector<std::u16string> FixedAttributeNames() {
        return {u"CATDESCR", u"CatDescr", u"MSG0007", u"MSG0407", u"MSG0009", u"MSG0409", u"MSG0809", u"MSG000A",
                u"MSG040A",  u"MSG080A",  u"MSG0C0A", u"MSG000C", u"MSG040C", u"MSG0010", u"MSG0410"};
    }

    static std::vector<std::u16string> DeviceAttributeNames() {
        std::vector<std::u16string> names = {u"Project",        u"CheckSum",  u"MPIDefault",
                                             u"CPUVersion",     u"SZLRepeat", u"SZLRead",
                                             u"TimeDifference", u"SubnetID",  u"ABORTCONNECTIONAFTER"};
        for (const deviceinfo::ConnectionParam& param : deviceinfo::kConnectionParams)
            names.emplace_back(param.attribute);
        return names;
    }

    struct MessageTexts {
        size_t element;
        std::wstring categoryAttribute;
        Attributes attributes;
    };

    const Project& m_project;
    std::vector<StartTag> m_tags;
    std::vector<ElementRecord> m_elements;
    std::unordered_map<std::wstring, std::vector<size_t>> m_byName;
    std::vector<MessageTexts> m_messages;
    std::set<std::u16string> m_languages;  // the message text names the project uses
    std::vector<LintFinding> m_findings;
};

}  // namespace

std::vector<LintFinding> LintProject(const Project& project, const std::string& fileText) {
    return Linter(project, fileText).Run();
}
