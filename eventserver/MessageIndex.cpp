#include "eventserver/MessageIndex.h"

#include <new>

uint32_t MessageIndex::NameNumber(std::wstring_view name) {
    for (uint32_t number = 0; number < m_names.size(); ++number) {
        if (m_names[number] == name) return number;
    }
    m_names.emplace_back(name);
    return static_cast<uint32_t>(m_names.size() - 1);
}

std::wstring_view MessageIndex::Text(Message& message, std::wstring_view name) {
    const uint32_t nameNumber = NameNumber(name);
    for (uint32_t k = 0; k < message.readCount; ++k) {
        const Message::Read& read = message.reads[k];
        if (read.name == nameNumber) return std::wstring_view(m_texts).substr(read.offset, read.length);
    }
    std::wstring text = GetAttributeText(message.node, name);
    // A text beyond what a message keeps is read again each time.
    if (message.readCount == message.reads.size() || text.size() > UINT16_MAX || nameNumber > UINT16_MAX) {
        m_unkept = std::move(text);
        return m_unkept;
    }
    if (m_texts.size() + text.size() >= UINT32_MAX) throw std::bad_alloc();  // beyond what a read can point at
    const Message::Read read{static_cast<uint32_t>(m_texts.size()), static_cast<uint16_t>(text.size()),
                             static_cast<uint16_t>(nameNumber)};
    m_texts += text;
    message.reads[message.readCount++] = read;
    return std::wstring_view(m_texts).substr(read.offset, read.length);
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
    size_t children = 0;
    elements.ForEachChild(categoryElement, [&](ElementIndex::Element) { ++children; });
    std::vector<uint32_t> numbers;
    numbers.reserve(children);
    m_messages.reserve(children);
    elements.ForEachChild(categoryElement, [&](ElementIndex::Element child) {
        uint32_t number = 0;
        if (!MessageNumberOfName(elements.Name(child), number)) return;
        numbers.push_back(number);
        m_messages.push_back(Message{elements.Node(child)});
    });
    m_positions = NumberTable<uint32_t>(numbers.size());
    for (uint32_t position = 0; position < numbers.size(); ++position) m_positions.Add(numbers[position], position);
}

MessageIndex& MessageCache::Of(int32_t categoryId, const ElementIndex& elements,
                               ElementIndex::Element categoryElement) {
    auto found = m_indexes.find(categoryId);
    if (found == m_indexes.end()) found = m_indexes.emplace(categoryId, MessageIndex(elements, categoryElement)).first;
    return found->second;
}
