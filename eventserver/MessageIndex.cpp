#include "eventserver/MessageIndex.h"

const std::wstring& MessageElement::Text(std::wstring_view name) {
    for (const auto& [readName, text] : m_texts) {
        if (readName == name) return text;
    }
    std::wstring text = GetAttributeText(m_node, name);
    return m_texts.emplace_back(std::wstring(name), std::move(text)).second;
}

bool MessageNumberOfName(std::wstring_view name, uint32_t& number) {
    if (name.size() != 10 || name[0] != L'I' || name[1] != L'D') return false;
    uint32_t value = 0;
    for (const wchar_t c : name.substr(2)) {
        const int digit = (c >= L'0' && c <= L'9') ? c - L'0' : (c >= L'A' && c <= L'F') ? c - L'A' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    number = value;
    return true;
}

MessageIndex::MessageIndex(const ElementIndex& elements, ElementIndex::Element categoryElement) : m_document(elements) {
    if (categoryElement == ElementIndex::kNoElement) return;
    std::vector<uint32_t> numbers;
    elements.ForEachChild(categoryElement, [&](ElementIndex::Element child) {
        uint32_t number = 0;
        if (!MessageNumberOfName(elements.Name(child), number)) return;
        numbers.push_back(number);
        m_elements.emplace_back(elements.Node(child));
    });
    m_numbers = NumberTable(numbers);
}

MessageElement* MessageIndex::Find(uint32_t number) {
    const size_t position = m_numbers.Find(number);
    return position == NumberTable::kNone ? nullptr : &m_elements[position];
}

MessageIndex& MessageCache::Of(int32_t categoryId, const ElementIndex& elements,
                               ElementIndex::Element categoryElement) {
    auto found = m_indexes.find(categoryId);
    if (found == m_indexes.end()) found = m_indexes.emplace(categoryId, MessageIndex(elements, categoryElement)).first;
    return found->second;
}
