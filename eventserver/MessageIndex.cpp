#include "eventserver/MessageIndex.h"

const std::wstring& MessageElement::Text(const std::wstring& name) {
    auto found = m_texts.find(name);
    if (found == m_texts.end()) found = m_texts.emplace(name, GetAttributeText(m_node.Get(), name)).first;
    return found->second;
}

std::shared_ptr<MessageIndex> MessageIndex::Build(IXMLDOMNode* categoryElement) {
    auto index = std::make_shared<MessageIndex>();
    ForEachChild(categoryElement, [&](IXMLDOMNode* child) {
        index->m_elements.try_emplace(NodeName(child), DomNode(child));
    });
    return index;
}

MessageElement* MessageIndex::Find(const std::wstring& name) {
    const auto found = m_elements.find(name);
    return found == m_elements.end() ? nullptr : &found->second;
}
