#include "tools/eventinfo/MessageTexts.h"

CategoryMessages::CategoryMessages(IXMLDOMNode* category) {
    if (!category) return;
    ForEachChild(category, [&](IXMLDOMNode* child) {
        if (!IsElement(child)) return;
        std::wstring name = NodeName(child);
        if (name.compare(0, 2, L"ID") != 0) return;
        if (m_elements.emplace(name, Element{DomNode(child), false, {}}).second) m_names.push_back(std::move(name));
    });
}

const Attributes* CategoryMessages::AttributesOf(const std::wstring& name) {
    const auto found = m_elements.find(name);
    if (found == m_elements.end()) return nullptr;
    Element& element = found->second;
    if (!element.read) {
        element.attributes = ::AttributesOf(element.node.Get());
        element.read = true;
    }
    return &element.attributes;
}
