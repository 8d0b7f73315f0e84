#pragma once

// The elements of one loaded document: each element's name and node, its
// element children in document order, and by tag name how many elements
// carry each name and the first of them. The document never changes after
// its load, so one walk answers every later "the only element of that name"
// lookup with the answer a whole-document search by tag name would give, and
// every walk of an element's child elements with the answer the DOM's walk
// of its children would give. Copies share the one index of their document,
// which keeps that document's nodes alive.

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "loading/TextTable.h"
#include "loading/XmlAccess.h"

class ElementIndex {
public:
    // An element by its position in document order.
    using Element = uint32_t;
    static constexpr Element kNoElement = UINT32_MAX;

    ElementIndex();  // the index of a document without elements

    // Walks every node of the document once, in document order.
    static ElementIndex Build(IXMLDOMDocument* document);

    // The only element named exactly `name`, or null (kNoElement) when there
    // is none or more than one.
    DomNode FindUniqueElement(std::wstring_view name) const;
    Element FindUnique(std::wstring_view name) const;

    size_t NameCount() const { return m_data->names.Size(); }

    IXMLDOMNode* Node(Element element) const { return m_data->elements[element].node.Get(); }
    std::wstring_view Name(Element element) const { return m_data->names.Text(m_data->elements[element].name); }

    // The element children of an element in document order; an element child
    // of a non-element node (an entity reference) is nobody's.
    Element FirstChild(Element parent) const { return m_data->elements[parent].firstChild; }
    Element NextSibling(Element element) const { return m_data->elements[element].nextSibling; }

    // The first element child named exactly `name`, or kNoElement.
    Element FindChild(Element parent, std::wstring_view name) const;

    template <class Visit>
    void ForEachChild(Element parent, Visit visit) const {
        for (Element child = FirstChild(parent); child != kNoElement; child = NextSibling(child)) visit(child);
    }

private:
    // How many elements carry a name, and the first of them.
    struct Use {
        long count = 0;
        Element first = kNoElement;
    };
    using Names = TextTable<Use>;
    struct Record {
        DomNode node;
        Names::Span name;
        Element firstChild = kNoElement;
        Element nextSibling = kNoElement;
    };
    struct Data {
        Names names;
        std::vector<Record> elements;
    };
    // The node list a walk is in: whose children they are (kNoElement for a
    // non-element's), the last element child met so far, and the node to go
    // on with once the list is done.
    struct Level {
        DomNode resume;
        Element parent = kNoElement;
        Element lastChild = kNoElement;
    };

    Element Add(DomNode element, std::wstring_view tagName, Level& level);

    std::shared_ptr<Data> m_data;
};
