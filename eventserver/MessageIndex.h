#pragma once

// The message elements of one category by message number, and the texts of
// their attributes. Built on first use from the category element's children
// in the index of its document; the document never changes after its load,
// so every answer is the one a walk of the element's children for the name
// "ID" + the number in eight upper-case hexadecimal digits, and a read of
// the attribute, would give.

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "eventserver/NumberTable.h"
#include "loading/ElementIndex.h"
#include "loading/XmlAccess.h"

class MessageElement {
public:
    explicit MessageElement(IXMLDOMNode* node) : m_node(node) {}

    // The attribute's text as a read by name gives it (attribute defaults
    // of a DTD included); empty when the element lacks it.
    const std::wstring& Text(std::wstring_view name);

private:
    IXMLDOMNode* m_node;  // kept by the index of its document
    // Each name read on first use; an event reads two or three names, which
    // a short list finds sooner than a table.
    std::vector<std::pair<std::wstring, std::wstring>> m_texts;
};

class MessageIndex {
public:
    MessageIndex() = default;  // of an element without children
    // The first child of each name "ID" + eight upper-case hexadecimal
    // digits, as a walk of the children finds it.
    MessageIndex(const ElementIndex& elements, ElementIndex::Element categoryElement);

    MessageElement* Find(uint32_t number);

private:
    ElementIndex m_document;  // keeps the elements' nodes
    std::vector<MessageElement> m_elements;
    NumberTable m_numbers;  // positions in m_elements
};

// The number a message element's name stands for: "ID" + eight upper-case
// hexadecimal digits; none for any other name.
bool MessageNumberOfName(std::wstring_view name, uint32_t& number);

// The message indexes of the categories the queries met, each built on
// first use from the category's element. A category's element never changes
// while its entry lives, but a load may drop the entry and bring the id back
// with another element: a load clears the cache.
class MessageCache {
public:
    MessageIndex& Of(int32_t categoryId, const ElementIndex& elements, ElementIndex::Element categoryElement);
    void Clear() { m_indexes.clear(); }

private:
    std::unordered_map<int32_t, MessageIndex> m_indexes;
};
