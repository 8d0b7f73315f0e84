#include "loading/ElementIndex.h"

ElementIndex::ElementIndex() : m_data(std::make_shared<Data>()) {}

ElementIndex ElementIndex::Build(IXMLDOMDocument* document) {
    ElementIndex index;
    if (!document) return index;
    DomNode node = DocumentRoot(document);
    // The root's subtree in document order, by first child and next sibling
    // (the root's siblings are no elements and have no children): the list
    // of every element ("*") hands out its items at a higher cost. Every node
    // with children is entered, as the list finds elements below an entity
    // reference too. The levels hold where to go on once a subtree is done,
    // so a deeply nested document costs no call depth.
    std::vector<Level> levels(1);
    Bstr name;
    while (node) {
        DomNode child = ::FirstChild(node.Get());
        DomNode next = ::NextSibling(node.Get());
        Element added = kNoElement;
        if (IsElement(node.Get())) {
            ThrowIfFailed(node->get_nodeName(name.Receive()));
            added = index.Add(std::move(node), name.View(), levels.back());
        }
        if (child) {
            levels.push_back(Level{std::move(next), added});
            node = std::move(child);
        } else {
            node = std::move(next);
        }
        while (!node && levels.size() > 1) {
            node = std::move(levels.back().resume);
            levels.pop_back();
        }
    }
    return index;
}

ElementIndex::Element ElementIndex::Add(DomNode element, std::wstring_view tagName, Level& level) {
    auto& records = m_data->elements;
    const auto added = static_cast<Element>(records.size());
    const Names::Entry name = m_data->names.Add(tagName);
    records.push_back(Record{std::move(element), name.span});
    if (name.value.count++ == 0) name.value.first = added;
    if (level.parent != kNoElement) {
        (level.lastChild == kNoElement ? records[level.parent].firstChild : records[level.lastChild].nextSibling) =
            added;
        level.lastChild = added;
    }
    return added;
}

ElementIndex::Element ElementIndex::FindUnique(std::wstring_view name) const {
    const Use* use = m_data->names.Find(name);
    return use && use->count == 1 ? use->first : kNoElement;
}

DomNode ElementIndex::FindUniqueElement(std::wstring_view name) const {
    const Element element = FindUnique(name);
    return element == kNoElement ? nullptr : DomNode(Node(element));
}

ElementIndex::Element ElementIndex::FindChild(Element parent, std::wstring_view name) const {
    for (Element child = FirstChild(parent); child != kNoElement; child = NextSibling(child)) {
        if (Name(child) == name) return child;
    }
    return kNoElement;
}
