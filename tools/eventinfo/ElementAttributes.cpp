#include "tools/eventinfo/ElementAttributes.h"

#include "loading/TextConversion.h"

namespace {

bool IsNamespaceDeclaration(const std::wstring& name) {
    return name.compare(0, 5, L"xmlns") == 0 && (name.size() == 5 || name[5] == L':');
}

// The attributes through the element's attribute map, stepped through in
// order (an index walks from the first item), which answers faster than a
// selection, whose expression is compiled at every call. False when the map
// cannot list them all: here it fails on a namespace declaration's item.
bool ReadThroughMap(IXMLDOMNode* node, Attributes& out) {
    Microsoft::WRL::ComPtr<IXMLDOMNamedNodeMap> map;
    if (FAILED(node->get_attributes(&map)) || !map) return false;
    for (;;) {
        DomNode attribute;
        if (FAILED(map->nextNode(&attribute))) return false;
        if (!attribute) return true;
        std::wstring name = NodeName(attribute.Get());
        if (!IsNamespaceDeclaration(name)) out.emplace_back(std::move(name), NodeValueText(attribute.Get()));
    }
}

}  // namespace

Attributes AttributesOf(IXMLDOMNode* node) {
    Attributes out;
    if (ReadThroughMap(node, out)) return out;
    out.clear();
    ForEachAttribute(node,
                     [&](const std::wstring& name, std::wstring value) { out.emplace_back(name, std::move(value)); });
    return out;
}

std::wstring AttributeValue(const Attributes& attributes, std::wstring_view name) {
    for (const auto& [attribute, value] : attributes)
        if (attribute == name) return value;
    return {};
}

bool HasAttribute(const Attributes& attributes, std::wstring_view name) {
    for (const auto& entry : attributes)
        if (entry.first == name) return true;
    return false;
}

std::vector<std::u16string> NamesWithText(const Attributes& attributes) {
    std::vector<std::u16string> names;
    for (const auto& [name, text] : attributes)
        if (!text.empty()) names.push_back(ToU16(name));
    return names;
}
