// Interface A: message ids of categories and event sources.

#include <string>
#include <vector>

#include "component/ArrayOutputs.h"
#include "component/ComOwners.h"
#include "component/EventInfoObj.h"
#include "loading/XmlAccess.h"

namespace {

// Names of the category element's children that begin with "ID", in
// document order; every node type counts, so text and comments never match.
std::vector<std::wstring> MessageElementNames(IXMLDOMNode* category) {
    if (!category) throw ComError(E_POINTER);
    std::vector<std::wstring> names;
    ForEachChild(category, [&](IXMLDOMNode* child) {
        std::wstring name = NodeName(child);
        if (name.compare(0, 2, L"ID") == 0) names.push_back(std::move(name));
    });
    return names;
}

}  // namespace

STDMETHODIMP EventInfoObj::GetCategoryMessageIds(LONG categoryId, VARIANT* messageIds) {
    if (!messageIds) return E_POINTER;
    if (V_VT(messageIds) == VT_ERROR || V_VT(messageIds) == VT_NULL) return E_INVALIDARG;
    const auto category = m_model.m_mapCategories.find(categoryId);
    if (category == m_model.m_mapCategories.end()) return E_INVALIDARG;

    std::vector<std::wstring> names;
    try {
        names = MessageElementNames(category->second.node.Get());
    } catch (const ComError& error) {
        return error.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // The output is overwritten, not cleared: the caller's earlier value is
    // not ours to release.
    try {
        SafeArray array = MakeBstrArray(names);
        V_VT(messageIds) = VT_ARRAY | VT_BSTR;
        V_ARRAY(messageIds) = array.Detach();
        return S_OK;
    } catch (const ComError&) {
    } catch (const std::bad_alloc&) {
    }
    VariantInit(messageIds);
    return E_OUTOFMEMORY;
}

STDMETHODIMP EventInfoObj::GetSourceMessageIds(BSTR sourcePath, VARIANT* messageIds) {
    try {
        const auto source = m_mapSourceCategories.find(std::wstring(sourcePath ? sourcePath : L"",
                                                                    SysStringLen(sourcePath)));
        if (source == m_mapSourceCategories.end()) return E_INVALIDARG;
        return GetCategoryMessageIds(source->second, messageIds);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP EventInfoObj::GetSubMessageIds(LONG, VARIANT* subMessageIds) {
    if (!subMessageIds) return E_POINTER;
    VariantClear(subMessageIds);
    // VariantClear leaves a VARIANT of a type it does not know as it was.
    VariantInit(subMessageIds);
    return S_OK;
}

STDMETHODIMP EventInfoObj::QueryUnsupported(VARIANT* argument) { return argument ? E_NOTIMPL : E_POINTER; }
