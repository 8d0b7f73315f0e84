#include "tools/eventinfo/Lint.h"

#include <algorithm>
#include <map>

#include "deviceinfo/ConnectionParameterTables.h"
#include "eventserver/EventTextFormatters.h"
#include "loading/XmlAccess.h"
#include "model/ModelBuilder.h"
#include "tools/eventinfo/LintRules.h"

namespace {

struct ElementRecord {
    DomNode node;
    std::wstring name;
    std::wstring path;
    int line;
};

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

Attributes AttributesOf(IXMLDOMNode* node) {
    Attributes out;
    ForEachAttribute(node,
                     [&](const std::wstring& name, std::wstring value) { out.emplace_back(name, std::move(value)); });
    return out;
}

std::vector<DomNode> ChildElements(IXMLDOMNode* parent) {
    std::vector<DomNode> out;
    ForEachChild(parent, [&](IXMLDOMNode* child) {
        if (IsElement(child)) out.emplace_back(child);
    });
    return out;
}

class Linter {
public:
    Linter(const Project& project, const std::string& fileText) : m_project(project) {
        m_tags = ScanStartTags(fileText);
        const DomNode root = DocumentRoot(project.m_pDocument.Get());
        if (root) Walk(root.Get(), L"/" + NodeName(root.Get()));
    }

    std::vector<LintFinding> Run() {
        CheckUniqueElements();
        CheckDevices();
        CheckLoadDrops();
        CheckCategories();
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
        return std::move(m_findings);
    }

private:
    // Every element in document order, with its path and the line of its start tag.
    void Walk(IXMLDOMNode* element, const std::wstring& path) {
        const std::wstring name = NodeName(element);
        const size_t index = m_elements.size();
        const int line = index < m_tags.size() && m_tags[index].name == Utf8(name) ? m_tags[index].line : 0;
        m_elements.push_back(ElementRecord{DomNode(element), name, path, line});
        std::map<std::wstring, int> positions;
        ForEachChild(element, [&](IXMLDOMNode* child) {
            if (!IsElement(child)) return;
            const std::wstring childName = NodeName(child);
            const int position = ++positions[childName];
            Walk(child, path + L"/" + childName + (position > 1 ? L"[" + std::to_wstring(position) + L"]" : L""));
        });
    }

    void Report(std::string check, const std::wstring& path, std::string detail) {
        int line = 0;
        for (const ElementRecord& record : m_elements)
            if (record.path == path) line = record.line;
        m_findings.push_back(LintFinding{std::move(check), line, Utf8(path), std::move(detail)});
    }

    std::vector<const ElementRecord*> Named(const std::wstring& name) const {
        std::vector<const ElementRecord*> out;
        for (const ElementRecord& record : m_elements)
            if (record.name == name) out.push_back(&record);
        return out;
    }

    static std::string Lines(const std::vector<const ElementRecord*>& records) {
        std::string out;
        for (const ElementRecord* record : records)
            out += (out.empty() ? "" : ", ") + (record->line ? std::to_string(record->line) : Utf8(record->path));
        return out;
    }

    void CheckUniqueElements() {
        for (const wchar_t* name : {L"DEVICES", L"CONDITIONAL", L"SIMPLE", L"U7SQ", L"U7DIAG", L"CORVALIS"}) {
            const auto records = Named(name);
            if (records.empty()) {
                m_findings.push_back(LintFinding{"missing", 0, "", "no element " + Utf8(name)});
            } else if (records.size() > 1) {
                for (const ElementRecord* record : records)
                    Report("ambiguous", record->path,
                           std::to_string(records.size()) + " elements " + Utf8(name) + " (lines " + Lines(records) +
                               "); the component uses none of them");
            }
        }
    }

    void CheckDevices() {
        const auto devices = Named(L"DEVICES");
        if (devices.size() != 1) return;
        const auto& keys = m_project.m_model.m_mapCategoryKeys;
        const auto& categories = m_project.m_model.m_mapCategories;
        for (const DomNode& device : ChildElements(devices[0]->node.Get())) {
            const std::wstring name = NodeName(device.Get());
            const std::wstring path = ElementPath(device.Get());
            const auto sameName = Named(name);
            if (sameName.size() > 1)
                Report("device-name", path,
                       "device " + Utf8(name) + " shares its tag name with " + std::to_string(sameName.size() - 1) +
                           " other element(s) (lines " + Lines(sameName) + "); it cannot be queried by name");

            const Attributes attributes = AttributesOf(device.Get());
            CheckCaseVariants(path, attributes, DeviceAttributeNames());
            if (m_project.m_projectMode) {
                std::wstring project;
                for (const auto& [attribute, value] : attributes)
                    if (attribute == L"Project") project = value;
                if (!keys.count(project + L"/U7SQ") && !keys.count(project + L"/USERDIAG"))
                    Report("project-without-categories", path,
                           "project \"" + Utf8(project) + "\" of device " + Utf8(name) +
                               " has no user-alarm or user-diagnosis category");
            }

            for (const DomNode& child : ChildElements(device.Get())) {
                const std::wstring childName = NodeName(child.Get());
                const std::wstring childPath = ElementPath(child.Get());
                const Attributes childAttributes = AttributesOf(child.Get());
                if (childName == L"RoutInfo") {
                    CheckCaseVariants(childPath, childAttributes, {u"ROUTNET", u"ROUTDEV", u"ROUTADR"});
                    const std::wstring target = GetAttributeText(child.Get(), L"ROUTDEV");
                    if (!target.empty() && Named(target).size() != 1)
                        Report("routing-device", childPath,
                               "ROUTDEV names " + Utf8(target) + ", which " +
                                   (Named(target).empty() ? "no element" : "more than one element") + " carries");
                    continue;
                }
                if (childName.compare(0, 2, L"RT") != 0) continue;
                CheckCaseVariants(childPath, childAttributes, {u"Name", u"TypeID"});
                bool hasType = false;
                for (const auto& entry : childAttributes) hasType = hasType || entry.first == L"TypeID";
                const std::wstring typeId = GetAttributeText(child.Get(), L"TypeID");
                const auto key = keys.find(L"TOT" + typeId);
                if (!hasType)
                    Report("to-type", childPath,
                           "TO " + Utf8(childName) + " has no TypeID; its events have no category");
                else if (key == keys.end() || !categories.count(key->second))
                    Report("to-type", childPath,
                           "TypeID " + Utf8(typeId) + " of TO " + Utf8(childName) + " belongs to no category");
            }
        }
        for (const ElementRecord* common : Named(L"ConnectionInfo"))
            CheckCaseVariants(common->path, AttributesOf(common->node.Get()), DeviceAttributeNames());
    }

    void CheckLoadDrops() {
        for (const LoadDrop& drop : m_project.m_loadDiagnostics)
            Report(drop.kind == LoadDropKind::CategoryTaken ? "category-dropped" : "project-beyond-range", drop.element,
                   Utf8(drop.detail));
    }

    // The category elements as the load passes see them, with their alarm
    // types; read from the document, since a load that finds no event source
    // clears the category table.
    std::vector<std::pair<DomNode, uint32_t>> CategoryElements() {
        std::vector<std::pair<DomNode, uint32_t>> out;
        for (const wchar_t* className : {L"CONDITIONAL", L"SIMPLE"}) {
            const auto classes = Named(className);
            if (classes.size() != 1) continue;
            for (const DomNode& element : ChildElements(classes[0]->node.Get())) {
                const std::wstring name = NodeName(element.Get());
                const bool group = name == L"U7SQ" || name == L"USERDIAG";
                if (group && m_project.m_projectMode) {
                    for (const DomNode& project : ChildElements(element.Get()))
                        out.emplace_back(project, name == L"U7SQ" ? 1u : 4u);
                } else {
                    out.emplace_back(element, name == L"U7SQ" ? 1u : (group || name == L"U7DIAG") ? 4u : 2u);
                }
            }
        }
        return out;
    }

    void CheckCategories() {
        if (m_project.m_model.m_mapCategories.empty() || m_project.m_mapSourceCategories.empty())
            m_findings.push_back(
                LintFinding{"nothing-reachable", 0, "",
                            m_project.m_mapSourceCategories.empty()
                                ? "no device event source maps to a category, so the component drops every category"
                                : "no category was built, so the component drops every event source"});
        for (const auto& [categoryNode, alarmType] : CategoryElements()) {
            const std::wstring path = ElementPath(categoryNode.Get());
            CheckCaseVariants(path, AttributesOf(categoryNode.Get()), {u"CatDescr"});

            std::vector<std::u16string> known = FixedAttributeNames();
            for (const DomNode& child : ChildElements(categoryNode.Get())) {
                const std::wstring name = NodeName(child.Get());
                const std::wstring childPath = ElementPath(child.Get());
                if (name == L"Attributes" || name == L"ATTRIBUTES") {
                    for (const auto& entry : AttributesOf(child.Get())) known.push_back(ToU16(entry.first));
                    CheckCaseVariants(childPath, AttributesOf(child.Get()), FixedAttributeNames());
                } else if (!CaseVariantOf(ToU16(name), {u"Attributes"}).empty()) {
                    Report("case", childPath, "element " + Utf8(name) + " is not read; the name is Attributes");
                }
            }
            for (const DomNode& child : ChildElements(categoryNode.Get())) {
                const std::wstring name = NodeName(child.Get());
                const std::wstring childPath = ElementPath(child.Get());
                const bool messageLike =
                    name.size() >= 2 && (name[0] == L'I' || name[0] == L'i') && (name[1] == L'D' || name[1] == L'd');
                if (!messageLike) continue;
                if (!IsMessageElementName(ToU16(name))) {
                    Report("message-name", childPath,
                           "message element " + Utf8(name) +
                               " is not \"ID\" + 8 upper-case hex digits; no event finds it");
                    continue;
                }
                const Attributes attributes = AttributesOf(child.Get());
                CheckCaseVariants(childPath, attributes, known);
                for (const auto& [attribute, text] : attributes) {
                    const std::u16string name16 = ToU16(attribute);
                    if (!IsMessageTextName(name16)) {
                        if (CaseVariantOf(name16, known).empty() && attribute.size() >= 3 &&
                            !CaseVariantOf(ToU16(attribute.substr(0, 3)), {u"MSG"}).empty())
                            Report("message-text-name", childPath,
                                   "attribute " + Utf8(attribute) + " is not \"MSG\" + 4 upper-case hex digits");
                        continue;
                    }
                    if (FormatWithSampleParameters(alarmType, ToU16(text)) == kFormatInvalid)
                        Report("placeholder", childPath,
                               Utf8(attribute) + " \"" + Utf8(text) + "\": the " + AlarmTypeName(alarmType) +
                                   " formatter rejects its placeholders");
                }
            }
        }
    }

    void CheckCaseVariants(const std::wstring& path, const Attributes& attributes,
                           const std::vector<std::u16string>& known) {
        for (const auto& entry : attributes) {
            const std::u16string match = CaseVariantOf(ToU16(entry.first), known);
            if (!match.empty())
                Report("case", path,
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

    const Project& m_project;
    std::vector<StartTag> m_tags;
    std::vector<ElementRecord> m_elements;
    std::vector<LintFinding> m_findings;
};

}  // namespace

std::vector<LintFinding> LintProject(const Project& project, const std::string& fileText) {
    return Linter(project, fileText).Run();
}
