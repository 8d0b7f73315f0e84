// IEventMessageIds: message ids of categories and event sources.

#include <string>
#include <vector>

#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "loading/TextConversion.h"
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
    const auto& categories = m_project.m_model.m_mapCategories;
    const auto category = categories.find(categoryId);
    if (category == categories.end()) return E_INVALIDARG;

    std::vector<std::wstring> names;
    const HRESULT read = ComBoundary([&] {
        names = MessageElementNames(category->second.node.Get());
        return S_OK;
    });
    if (FAILED(read)) return read;
    // The output is overwritten, not cleared: the caller's earlier value is
    // not ours to release. An array that cannot be made empties it.
    const HRESULT made = ComBoundary([&] {
        SafeArray array = MakeBstrArray(names);
        V_VT(messageIds) = VT_ARRAY | VT_BSTR;
        V_ARRAY(messageIds) = array.Detach();
        return S_OK;
    });
    if (FAILED(made)) {
        VariantInit(messageIds);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP EventInfoObj::GetSourceMessageIds(BSTR sourcePath, VARIANT* messageIds) {
    return ComBoundary([&] {
        const auto& sources = m_project.m_mapSourceCategories;
        const auto source = sources.find(std::wstring(BstrView(sourcePath)));
        if (source == sources.end()) return E_INVALIDARG;
        return GetCategoryMessageIds(source->second, messageIds);
    });
}

STDMETHODIMP EventInfoObj::GetSubMessageIds(LONG, VARIANT* subMessageIds) {
    if (!subMessageIds) return E_POINTER;
    VariantClear(subMessageIds);
    // VariantClear leaves a VARIANT of a type it does not know as it was.
    VariantInit(subMessageIds);
    return S_OK;
}

STDMETHODIMP EventInfoObj::QueryUnsupported(VARIANT* argument) { return argument ? E_NOTIMPL : E_POINTER; }
