// IEventModel: categories, attributes and subscriptions.

#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "eventserver/EventParameters.h"
#include "loading/ComValues.h"

namespace {

constexpr HRESULT kAttributeNotInCategory = static_cast<HRESULT>(0x80040206);

}  // namespace

STDMETHODIMP EventInfoObj::CreateSubscription(LONG* handle) {
    if (!handle) return E_POINTER;
    return ComBoundary([&] {
        const std::optional<int32_t> created = m_subscriptions.Create();
        if (!created) return E_OUTOFMEMORY;
        *handle = *created;
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::DeleteSubscription(LONG handle) {
    return ComBoundary([&] { return m_subscriptions.Delete(handle) ? S_OK : E_INVALIDARG; });
}

STDMETHODIMP EventInfoObj::GetCategories(LONG eventClassMask, VARIANT* categoryIds, VARIANT* descriptions) {
    if (!categoryIds || !descriptions) return E_INVALIDARG;
    VariantInit(categoryIds);
    VariantInit(descriptions);
    return ComBoundary([&] {
        const auto& categories = m_project.m_model.m_mapCategories;
        if (categories.empty()) return S_OK;
        SafeArray ids = SafeArray::CreateVector(VT_I4, static_cast<ULONG>(categories.size()));
        SafeArray texts = SafeArray::CreateVector(VT_BSTR, static_cast<ULONG>(categories.size()));
        {
            SafeArrayData<LONG> idData(ids.Get());
            SafeArrayData<BSTR> textData(texts.Get());
            size_t k = 0;
            for (const auto& [id, category] : categories) {
                if (category.eventClass & eventClassMask) {
                    idData[k] = id;
                    textData[k] = Bstr(category.description).Detach();
                }
                ++k;
            }
        }
        PutArray(categoryIds, VT_I4, std::move(ids));
        PutArray(descriptions, VT_BSTR, std::move(texts));
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::GetCategoryAttributes(LONG categoryId, VARIANT* attributeIds, VARIANT* valueTypes,
                                                 VARIANT* descriptions) {
    if (!attributeIds || !valueTypes || !descriptions) return E_INVALIDARG;
    const EventModelTables& model = m_project.m_model;
    const auto category = model.m_mapCategories.find(categoryId);
    if (category == model.m_mapCategories.end()) return E_INVALIDARG;
    VariantInit(attributeIds);
    VariantInit(valueTypes);
    VariantInit(descriptions);
    const std::set<int32_t>& ids = category->second.attributeIds;
    if (ids.empty()) return S_OK;
    return ComBoundary([&] {
        SafeArray idArray = MakeIdArray(ids);
        SafeArray typeArray = SafeArray::CreateVector(VT_I2, static_cast<ULONG>(ids.size()));
        SafeArray textArray = SafeArray::CreateVector(VT_BSTR, static_cast<ULONG>(ids.size()));
        {
            SafeArrayData<SHORT> types(typeArray.Get());
            SafeArrayData<BSTR> texts(textArray.Get());
            size_t k = 0;
            for (int32_t id : ids) {
                // Every id of a category is defined by the load; an undefined
                // one would show as VT_EMPTY without a description.
                const auto attribute = model.m_mapAttributes.find(id);
                if (attribute != model.m_mapAttributes.end()) {
                    types[k] = static_cast<SHORT>(attribute->second.valueType);
                    texts[k] = Bstr(attribute->second.description).Detach();
                }
                ++k;
            }
        }
        PutArray(attributeIds, VT_I4, std::move(idArray));
        PutArray(valueTypes, VT_I2, std::move(typeArray));
        PutArray(descriptions, VT_BSTR, std::move(textArray));
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::SelectAttributes(LONG handle, LONG categoryId, VARIANT attributeIds, VARIANT* results) {
    if (!results) return E_POINTER;
    VariantInit(results);
    return ComBoundary([&] {
        eventserver::SubscriptionSelections* selections = m_subscriptions.Find(handle);
        if (!selections) return E_INVALIDARG;
        const auto category = m_project.m_model.m_mapCategories.find(categoryId);
        if (category == m_project.m_model.m_mapCategories.end()) return E_INVALIDARG;

        if (V_VT(&attributeIds) == VT_EMPTY || V_VT(&attributeIds) == VT_NULL) {
            selections->erase(categoryId);
            return S_OK;
        }
        if (V_VT(&attributeIds) != (VT_ARRAY | VT_I4)) return E_INVALIDARG;
        // Elements are read as 32-bit ids, so only one-dimensional arrays of
        // 4-byte values that hold their data can be read.
        const eventparams::Vector<LONG> requested(V_ARRAY(&attributeIds));
        if (!requested.Valid()) return E_INVALIDARG;

        const LONG lowerBound = requested.LowerBound();
        const ULONG count = requested.Count();
        SafeArray resultArray = SafeArray::CreateVector(VT_I4, count, lowerBound);
        std::set<int32_t> selected;
        bool refused = false;
        {
            SafeArrayData<LONG> codes(resultArray.Get());
            for (ULONG i = 0; i < count; ++i) {
                const LONG id = *requested.At(int64_t(lowerBound) + i);
                if (category->second.attributeIds.count(id)) {
                    codes[i] = S_OK;
                    selected.insert(id);
                } else {
                    codes[i] = kAttributeNotInCategory;
                    refused = true;
                }
            }
        }
        (*selections)[categoryId] = std::move(selected);
        PutArray(results, VT_I4, std::move(resultArray));
        return refused ? S_FALSE : S_OK;
    });
}

STDMETHODIMP EventInfoObj::GetSelectedAttributes(LONG handle, LONG categoryId, VARIANT* attributeIds) {
    if (!attributeIds) return E_POINTER;
    const std::set<int32_t>* selection = m_subscriptions.FindSelection(handle, categoryId);
    if (!selection || selection->empty()) return E_INVALIDARG;
    return ComBoundary([&] {
        SafeArray ids = MakeIdArray(*selection);
        PutArray(attributeIds, VT_I4, std::move(ids));
        return S_OK;
    });
}
