#pragma once

// The message elements of one category by message number, and the texts of
// their attributes. Built on first use from the category element's children
// in the index of its document; the document never changes after its load,
// so every answer is the one a walk of the element's children for the name
// "ID" + the number in eight upper-case hexadecimal digits, and a read of
// the attribute, would give.

#include <windows.h>
#include <msxml2.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "eventserver/NumberTable.h"
#include "loading/ElementIndex.h"
#include "loading/XmlAccess.h"

class MessageIndex {
public:
    // A message element with the texts read of it so far, in one place: an
    // event's message costs a miss of the processor's cache for its number,
    // one for the message and one for its text.
    struct Message {
        IXMLDOMNode* node = nullptr;  // kept by the index of its document
        struct Read {
            uint32_t offset;
            uint16_t length;
            uint16_t name;  // its position in the index's names
        };
        // An event reads two or three names of its message.
        std::array<Read, 4> reads{};
        uint32_t readCount = 0;
    };

    MessageIndex() = default;  // of an element without children
    // The first child of each name "ID" + eight upper-case hexadecimal
    // digits, as a walk of the children finds it.
    MessageIndex(const ElementIndex& elements, ElementIndex::Element categoryElement);

    Message* Find(uint32_t number) {
        const uint32_t* position = m_positions.Find(number);
        return position ? &m_messages[*position] : nullptr;
    }

    // The attribute's text as a read by name gives it (attribute defaults
    // of a DTD included); empty when the element lacks it. The view is
    // valid until the next call.
    std::wstring_view Text(Message& message, std::wstring_view name);

private:
    uint32_t NameNumber(std::wstring_view name);

    ElementIndex m_document;  // keeps the elements' nodes
    // The messages in document order, built in one pass over the children,
    // and their positions by number.
    std::vector<Message> m_messages;
    NumberTable<uint32_t> m_positions;
    std::vector<std::wstring> m_names;  // the attribute names read, a few
    std::wstring m_texts;               // the texts read, one after the other
    std::wstring m_unkept;              // the latest text read beyond a message's room
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
