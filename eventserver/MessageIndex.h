#pragma once

// The message elements of one category by name, and the texts of their
// attributes. Built from the category's element on first use; the document
// never changes after its load, so every answer is the one a walk of the
// element's children and a read of the attribute would give.

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "loading/XmlAccess.h"

class MessageElement {
public:
    explicit MessageElement(DomNode node) : m_node(std::move(node)) {}

    // The attribute's text as a read by name gives it (attribute defaults
    // of a DTD included); empty when the element lacks it.
    const std::wstring& Text(const std::wstring& name);

private:
    DomNode m_node;
    std::unordered_map<std::wstring, std::wstring> m_texts;  // each name read on first use
};

class MessageIndex {
public:
    // The first child of each name, as a walk of the children finds it.
    static MessageIndex Build(IXMLDOMNode* categoryElement);

    MessageElement* Find(const std::wstring& name);

private:
    std::unordered_map<std::wstring, MessageElement> m_elements;
};

// The message indexes of the categories the queries met, each built on
// first use from the category's element. A category's element never changes
// while its entry lives, but a load may drop the entry and bring the id back
// with another element: a load clears the cache.
class MessageCache {
public:
    MessageIndex& Of(int32_t categoryId, IXMLDOMNode* categoryElement);
    void Clear() { m_indexes.clear(); }

private:
    std::unordered_map<int32_t, MessageIndex> m_indexes;
};
