#pragma once

// The elements of one loaded document by tag name: how many carry each name
// and the first of them. The document never changes after its load, so one
// walk answers every later "the only element of that name" lookup with the
// answer a whole-document search by tag name would give.

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "loading/XmlAccess.h"

class ElementIndex {
public:
    ElementIndex() = default;  // the index of a document without elements

    // Walks every element of the document once, in document order.
    static ElementIndex Build(IXMLDOMDocument* document);

    // The only element named exactly `name`, or null when there is none or
    // more than one.
    DomNode FindUniqueElement(std::wstring_view name) const;

    size_t NameCount() const { return m_entries.size(); }

private:
    void Add(DomNode element);

    struct Entry {
        long count = 0;
        DomNode first;
    };
    std::unordered_map<std::wstring, Entry> m_entries;
};
