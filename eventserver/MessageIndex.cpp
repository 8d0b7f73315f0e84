#include "eventserver/MessageIndex.h"

const std::wstring& MessageElement::Text(const std::wstring& name) {
    auto found = m_texts.find(name);
    if (found == m_texts.end()) found = m_texts.emplace(name, GetAttributeText(m_node.Get(), name)).first;
    return found->second;
}

MessageIndex MessageIndex::Build(IXMLDOMNode* categoryElement) {
    MessageIndex index;
    ForEachChild(categoryElement,
                 [&](IXMLDOMNode* child) { index.m_elements.try_emplace(NodeName(child), DomNode(child)); });
    return index;
}

MessageElement* MessageIndex::Find(const std::wstring& name) {
    const auto found = m_elements.find(name);
    return found == m_elements.end() ? nullptr : &found->second;
}

MessageIndex& MessageCache::Of(int32_t categoryId, IXMLDOMNode* categoryElement) {
    auto found = m_indexes.find(categoryId);
    if (found == m_indexes.end()) found = m_indexes.emplace(categoryId, MessageIndex::Build(categoryElement)).first;
    return found->second;
}
