#include "loading/ElementIndex.h"

using Microsoft::WRL::ComPtr;

ElementIndex ElementIndex::Build(IXMLDOMDocument* document) {
    ElementIndex index;
    if (!document || !DocumentRoot(document)) return index;
    // "*" selects every element in document order; stepping through the
    // list with nextNode avoids positional access.
    const Bstr everyElement(L"*");
    ComPtr<IXMLDOMNodeList> elements;
    ThrowIfFailed(document->getElementsByTagName(everyElement.Get(), &elements));
    if (!elements) return index;
    for (;;) {
        DomNode element;
        ThrowIfFailed(elements->nextNode(&element));
        if (!element) break;
        Entry& entry = index.m_entries[NodeName(element.Get())];
        if (entry.count++ == 0) entry.first = std::move(element);
    }
    return index;
}

DomNode ElementIndex::FindUniqueElement(std::wstring_view name) const {
    const auto found = m_entries.find(std::wstring(name));
    if (found == m_entries.end() || found->second.count != 1) return nullptr;
    return found->second.first;
}
