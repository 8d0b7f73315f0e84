#include "tools/eventinfo/ElementAttributes.h"

#include "loading/TextConversion.h"

namespace {

// Beyond this many attributes the attribute map's walk from its first item
// for each item costs more than the selection of "@*".
constexpr long kMapLimit = 64;

bool IsNamespaceDeclaration(const std::wstring& name) {
    return name.compare(0, 5, L"xmlns") == 0 && (name.size() == 5 || name[5] == L':');
}

// The attributes through the element's attribute map, which answers a few
// attributes faster than a selection, whose expression is compiled at every
// call. Nothing when the map cannot list them all.
bool ReadThroughMap(IXMLDOMNode* node, Attributes& out) {
    Microsoft::WRL::ComPtr<IXMLDOMNamedNodeMap> map;
    long count = 0;
    if (FAILED(node->get_attributes(&map)) || !map || FAILED(map->get_length(&count)) || count > kMapLimit)
        return false;
    for (long i = 0; i < count; ++i) {
        DomNode attribute;
        if (FAILED(map->get_item(i, &attribute)) || !attribute) return false;
        std::wstring name = NodeName(attribute.Get());
        if (IsNamespaceDeclaration(name)) continue;
        out.emplace_back(std::move(name), NodeValueText(attribute.Get()));
    }
    return true;
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
