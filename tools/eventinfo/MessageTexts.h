#pragma once

// The message elements of a category as the component finds them: the first
// child of each name beginning with "ID", read in one pass over the category's children, since a
// search of the children for each message would be quadratic in their
// number.

#include <string>
#include <unordered_map>
#include <vector>

#include "loading/XmlAccess.h"
#include "tools/eventinfo/ElementAttributes.h"

class CategoryMessages {
public:
    explicit CategoryMessages(IXMLDOMNode* category);  // null: a category without messages

    // The names, each once, in document order.
    const std::vector<std::wstring>& Names() const { return m_names; }

    // The attributes of the message element `name`, read on first use; null
    // when the category has no such element.
    const Attributes* AttributesOf(const std::wstring& name);

private:
    struct Element {
        DomNode node;
        bool read = false;
        Attributes attributes;
    };
    std::vector<std::wstring> m_names;
    std::unordered_map<std::wstring, Element> m_elements;
};
