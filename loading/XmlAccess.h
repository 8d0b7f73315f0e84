#pragma once

// Access to the project file through the platform's XML DOM. Failing calls
// raise ComError with their HRESULT; a node that must exist but is missing
// raises E_POINTER. The DOM reports a missing node (after the last sibling,
// past the end of a list, an absent attribute) as S_FALSE with a null
// pointer, so the pointers are tested, never only the HRESULT.

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <vector>

#include "loading/ComValues.h"

using DomNode = Microsoft::WRL::ComPtr<IXMLDOMNode>;
using DomDocument = Microsoft::WRL::ComPtr<IXMLDOMDocument>;

inline constexpr wchar_t kDomProgId[] = L"msxml2.domdocument";

// A new, empty document of the platform's DOM service (kDomProgId), or null
// when the service cannot be created: from the kept class object, else as
// the next function creates it.
DomDocument CreateDomDocument();

// A document created as a client of the DOM creates one: the class looked
// up in the registry, each time.
DomDocument CreateDomDocumentThroughRegistry();

std::wstring NodeName(IXMLDOMNode* node);
bool IsElement(IXMLDOMNode* node);
DomNode FirstChild(IXMLDOMNode* node);   // null when there is none
DomNode NextSibling(IXMLDOMNode* node);  // null after the last

// The first child whose node name is exactly `name`, or null. Raises
// E_POINTER when the parent is null.
DomNode FindChildByName(IXMLDOMNode* parent, std::wstring_view name);

// A node's value as text (an attribute's value; other types are converted
// with the platform's standard conversion).
std::wstring NodeValueText(IXMLDOMNode* node);

// The attribute's value as text; empty when the node is null, has no
// attribute map or lacks the attribute.
std::wstring GetAttributeText(IXMLDOMNode* node, std::wstring_view name);

// The root element, or null when the document holds none.
DomNode DocumentRoot(IXMLDOMDocument* document);

// A node's attributes in document order, without namespace declarations,
// which declare no attribute. Many are read through the selection of "@*",
// which lists exactly those and answers each item directly: the attribute
// map finds an item by walking from its first (quadratic in their number:
// minutes for 100,000). A few are read from the map, which costs less than
// compiling the selection, unless it fails on an item, as it does here on a
// default namespace declaration's; it lists namespace declarations after the
// attributes. Neither lists attribute defaults of a DTD, which a read by
// name sees.
class AttributeList {
public:
    explicit AttributeList(IXMLDOMNode* node);  // raises E_POINTER for null
    long Count() const { return static_cast<long>(m_attributes.size()); }
    const DomNode& Item(long index) const { return m_attributes[static_cast<size_t>(index)]; }

private:
    std::vector<DomNode> m_attributes;
};

// Calls visit(name, value text) for every attribute of the node, in the
// order the DOM lists them.
template <class Visit>
void ForEachAttribute(IXMLDOMNode* node, Visit visit) {
    const AttributeList attributes(node);
    for (long i = 0; i < attributes.Count(); ++i) {
        const DomNode& attribute = attributes.Item(i);
        visit(NodeName(attribute.Get()), NodeValueText(attribute.Get()));
    }
}

// Calls visit(child) for every child node in document order.
template <class Visit>
void ForEachChild(IXMLDOMNode* parent, Visit visit) {
    for (DomNode child = FirstChild(parent); child; child = NextSibling(child.Get())) visit(child.Get());
}
