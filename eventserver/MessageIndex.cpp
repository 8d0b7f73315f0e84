#include "eventserver/MessageIndex.h"

const std::wstring& MessageElement::Text(const std::wstring& name) {
    if (!m_texts) {
        std::unordered_map<std::wstring, std::wstring> texts;
        ForEachAttribute(m_node.Get(), [&](const std::wstring& attribute, std::wstring value) {
            texts.emplace(attribute, std::move(value));
        });
        m_texts = std::move(texts);
    }
    static const std::wstring empty;
    const auto found = m_texts->find(name);
    return found == m_texts->end() ? empty : found->second;
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
