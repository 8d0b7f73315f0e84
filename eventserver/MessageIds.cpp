// IEventMessageIds: message ids of categories and event sources.

#include <string>
#include <vector>

#include "loading/SourceCategories.h"
#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "eventserver/Refusals.h"
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

// The message ids of a category into the caller's VARIANT.
HRESULT PutCategoryMessageIds(const EventModelTables& model, LONG categoryId, VARIANT* messageIds) {
    if (!messageIds) Fail(E_POINTER, L"the argument messageIds is a null pointer");
    if (V_VT(messageIds) == VT_ERROR || V_VT(messageIds) == VT_NULL)
        Fail(E_INVALIDARG, L"the argument messageIds holds VT_ERROR or VT_NULL, which is not an output");
    const auto category = model.m_mapCategories.find(categoryId);
    if (category == model.m_mapCategories.end()) Fail(E_INVALIDARG, NoCategory(categoryId));

    const std::vector<std::wstring> names = MessageElementNames(category->second.node.Get());
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
        Fail(E_OUTOFMEMORY, {});
    }
    return S_OK;
}

}  // namespace

STDMETHODIMP EventInfoObj::GetCategoryMessageIds(LONG categoryId, VARIANT* messageIds) {
    return ComBoundary({__uuidof(IEventMessageIds), L"GetCategoryMessageIds"},
                       [&] { return PutCategoryMessageIds(m_project.m_model, categoryId, messageIds); });
}

STDMETHODIMP EventInfoObj::GetSourceMessageIds(BSTR sourcePath, VARIANT* messageIds) {
    return ComBoundary({__uuidof(IEventMessageIds), L"GetSourceMessageIds"}, [&] {
        const int32_t* const source = FindSourceCategory(m_project, BstrView(sourcePath));
        if (!source)
            Fail(E_INVALIDARG, L"the project has no event source '" + std::wstring(BstrView(sourcePath)) + L"'");
        return PutCategoryMessageIds(m_project.m_model, *source, messageIds);
    });
}

STDMETHODIMP EventInfoObj::GetSubMessageIds(LONG, VARIANT* subMessageIds) {
    return ComBoundary({__uuidof(IEventMessageIds), L"GetSubMessageIds"}, [&] {
        if (!subMessageIds) Fail(E_POINTER, L"the argument subMessageIds is a null pointer");
        VariantClear(subMessageIds);
        // VariantClear leaves a VARIANT of a type it does not know as it was.
        VariantInit(subMessageIds);
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::QueryUnsupported(VARIANT* argument) {
    return ComBoundary({__uuidof(IEventMessageIds), L"QueryUnsupported"}, [&]() -> HRESULT {
        if (!argument) Fail(E_POINTER, L"the argument is a null pointer");
        Fail(E_NOTIMPL, L"this query is not supported");
    });
}
