#include "eventserver/MessageIndex.h"

using Microsoft::WRL::ComPtr;

const std::wstring& MessageElement::Text(const std::wstring& name) {
    if (!m_texts) {
        std::unordered_map<std::wstring, std::wstring> texts;
        ComPtr<IXMLDOMNamedNodeMap> attributes;
        ThrowIfFailed(m_node->get_attributes(&attributes));
        long count = 0;
        if (attributes) ThrowIfFailed(attributes->get_length(&count));
        for (long i = 0; i < count; ++i) {
            DomNode attribute;
            ThrowIfFailed(attributes->get_item(i, &attribute));
            if (!attribute) throw ComError(E_POINTER);
            texts.emplace(NodeName(attribute.Get()), NodeValueText(attribute.Get()));
        }
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
