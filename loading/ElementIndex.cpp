#include "loading/ElementIndex.h"

#include <vector>

ElementIndex ElementIndex::Build(IXMLDOMDocument* document) {
    ElementIndex index;
    if (!document) return index;
    DomNode node = DocumentRoot(document);
    // The root's subtree in document order, by first child and next sibling
    // (the root's siblings are no elements and have no children): the list
    // of every element ("*") hands out its items at a higher cost. Every node
    // with children is entered, as the list finds elements below an entity
    // reference too. The stack holds where to go on once a subtree is done,
    // so a deeply nested document costs no call depth.
    std::vector<DomNode> resume;
    while (node) {
        DomNode child = FirstChild(node.Get());
        DomNode next = NextSibling(node.Get());
        if (IsElement(node.Get())) index.Add(std::move(node));
        if (child) {
            if (next) resume.push_back(std::move(next));
            node = std::move(child);
        } else {
            node = std::move(next);
        }
        while (!node && !resume.empty()) {
            node = std::move(resume.back());
            resume.pop_back();
        }
    }
    return index;
}

void ElementIndex::Add(DomNode element) {
    Entry& entry = m_entries[NodeName(element.Get())];
    if (entry.count++ == 0) entry.first = std::move(element);
}

DomNode ElementIndex::FindUniqueElement(std::wstring_view name) const {
    const auto found = m_entries.find(std::wstring(name));
    if (found == m_entries.end() || found->second.count != 1) return nullptr;
    return found->second.first;
}
