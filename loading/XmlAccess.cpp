#include "loading/XmlAccess.h"

#include "loading/DomClassObject.h"

using Microsoft::WRL::ComPtr;

namespace {

void Require(const void* pointer) {
    if (!pointer) throw ComError(E_POINTER);
}

std::wstring ToText(const Bstr& text) { return std::wstring(text.View()); }

}  // namespace

DomDocument CreateDomDocument() {
    if (DomDocument document = dom_class_object::CreateDocument()) return document;
    return CreateDomDocumentThroughRegistry();
}

DomDocument CreateDomDocumentThroughRegistry() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(kDomProgId, &clsid))) return nullptr;
    DomDocument document;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, &document))) return nullptr;
    return document;
}

std::wstring NodeName(IXMLDOMNode* node) {
    Require(node);
    Bstr name;
    ThrowIfFailed(node->get_nodeName(name.Receive()));
    return ToText(name);
}

bool IsElement(IXMLDOMNode* node) {
    Require(node);
    DOMNodeType type = NODE_INVALID;
    ThrowIfFailed(node->get_nodeType(&type));
    return type == NODE_ELEMENT;
}

DomNode FirstChild(IXMLDOMNode* node) {
    Require(node);
    DomNode child;
    ThrowIfFailed(node->get_firstChild(&child));
    return child;
}

DomNode NextSibling(IXMLDOMNode* node) {
    Require(node);
    DomNode sibling;
    ThrowIfFailed(node->get_nextSibling(&sibling));
    return sibling;
}

namespace {

bool IsNamespaceDeclaration(std::wstring_view name) { return name == L"xmlns" || name.substr(0, 6) == L"xmlns:"; }

// The attribute map finds an item by walking from its first; up to this many
// that costs less than compiling the selection.
constexpr long kFewAttributes = 32;

// The nodes of a node list or attribute map that are not namespace
// declarations; nothing, with the failure, when the list fails on one.
template <class List>
HRESULT CollectAttributes(List* list, std::vector<DomNode>& attributes) {
    long count = 0;
    HRESULT hr = list->get_length(&count);
    if (FAILED(hr)) return hr;
    std::vector<DomNode> collected;
    collected.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        DomNode attribute;
        hr = list->get_item(i, &attribute);
        if (FAILED(hr)) return hr;
        if (!attribute) return E_POINTER;
        Bstr name;
        hr = attribute->get_nodeName(name.Receive());
        if (FAILED(hr)) return hr;
        if (!IsNamespaceDeclaration(name.View())) collected.push_back(std::move(attribute));
    }
    attributes = std::move(collected);
    return S_OK;
}

}  // namespace

AttributeList::AttributeList(IXMLDOMNode* node) {
    Require(node);
    ComPtr<IXMLDOMNamedNodeMap> map;
    ThrowIfFailed(node->get_attributes(&map));
    if (!map) return;
    long count = 0;
    ThrowIfFailed(map->get_length(&count));
    if (count <= kFewAttributes && SUCCEEDED(CollectAttributes(map.Get(), m_attributes))) return;
    const Bstr everyAttribute(L"@*");
    ComPtr<IXMLDOMNodeList> selection;
    if (SUCCEEDED(node->selectNodes(everyAttribute.Get(), &selection)) && selection) {
        ThrowIfFailed(CollectAttributes(selection.Get(), m_attributes));
        return;
    }
    // A DOM without the selection: the map, whose items such a DOM can name.
    ThrowIfFailed(CollectAttributes(map.Get(), m_attributes));
}

DomNode FindChildByName(IXMLDOMNode* parent, std::wstring_view name) {
    Require(parent);
    for (DomNode child = FirstChild(parent); child; child = NextSibling(child.Get())) {
        if (NodeName(child.Get()) == name) return child;
    }
    return nullptr;
}

namespace {

std::wstring VariantText(Variant& value) {
    if (V_VT(value.Get()) != VT_BSTR) ThrowIfFailed(VariantChangeType(value.Get(), value.Get(), 0, VT_BSTR));
    const BSTR text = V_BSTR(value.Get());
    return std::wstring(text ? text : L"", SysStringLen(text));
}

}  // namespace

std::wstring GetAttributeText(IXMLDOMNode* node, std::wstring_view name) {
    if (!node) return {};
    const Bstr attributeName(name);
    // An element answers in one call; other nodes through their attribute map.
    ComPtr<IXMLDOMElement> element;
    if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.GetAddressOf()))) &&
        element) {
        Variant value;
        ThrowIfFailed(element->getAttribute(attributeName.Get(), value.Get()));
        if (V_VT(value.Get()) == VT_NULL || V_VT(value.Get()) == VT_EMPTY) return {};
        return VariantText(value);
    }
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    ThrowIfFailed(node->get_attributes(&attributes));
    if (!attributes) return {};
    DomNode attribute;
    ThrowIfFailed(attributes->getNamedItem(attributeName.Get(), &attribute));
    if (!attribute) return {};
    return NodeValueText(attribute.Get());
}

std::wstring NodeValueText(IXMLDOMNode* node) {
    Require(node);
    Variant value;
    ThrowIfFailed(node->get_nodeValue(value.Get()));
    return VariantText(value);
}

DomNode DocumentRoot(IXMLDOMDocument* document) {
    Require(document);
    ComPtr<IXMLDOMElement> root;
    ThrowIfFailed(document->get_documentElement(&root));
    if (!root) return nullptr;
    DomNode node;
    ThrowIfFailed(root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(node.GetAddressOf())));
    return node;
}
