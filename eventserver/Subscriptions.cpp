// Interface B: categories, attributes and subscriptions.

#include "component/ComOwners.h"
#include "component/EventInfoObj.h"
#include "component/ArrayOutputs.h"
#include "eventserver/EventParameters.h"

namespace {

constexpr HRESULT kAttributeNotInCategory = static_cast<HRESULT>(0x80040206);


}  // namespace

const std::set<int32_t>* EventInfoObj::FindSelection(LONG handle, LONG categoryId) const {
    const auto subscription = m_mapSubscriptions.find(handle);
    if (subscription == m_mapSubscriptions.end()) return nullptr;
    const auto selection = subscription->second.find(categoryId);
    if (selection == subscription->second.end()) return nullptr;
    return &selection->second;
}

STDMETHODIMP EventInfoObj::CreateSubscription(LONG* handle) {
    if (!handle) return E_POINTER;
    try {
        // The numbering starts from the count of subscriptions plus 1 and
        // takes the first free handle from there.
        const std::optional<int32_t> free =
            m_takenHandles.FirstFreeFrom(static_cast<int32_t>(m_mapSubscriptions.size()) + 1);
        if (!free) return E_OUTOFMEMORY;
        m_mapSubscriptions.emplace(*free, SubscriptionSelections{});
        try {
            m_takenHandles.Take(*free);
        } catch (...) {
            m_mapSubscriptions.erase(*free);
            throw;
        }
        *handle = *free;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP EventInfoObj::DeleteSubscription(LONG handle) {
    if (!m_mapSubscriptions.count(handle)) return E_INVALIDARG;
    try {
        m_takenHandles.Release(handle);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_mapSubscriptions.erase(handle);
    return S_OK;
}

STDMETHODIMP EventInfoObj::GetCategories(LONG eventClassMask, VARIANT* categoryIds, VARIANT* descriptions) {
    if (!categoryIds || !descriptions) return E_INVALIDARG;
    VariantInit(categoryIds);
    VariantInit(descriptions);
    const auto& categories = m_model.m_mapCategories;
    if (categories.empty()) return S_OK;
    try {
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
        PutArray(categoryIds, VT_I4, ids);
        PutArray(descriptions, VT_BSTR, texts);
        return S_OK;
    } catch (const ComError&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP EventInfoObj::GetCategoryAttributes(LONG categoryId, VARIANT* attributeIds, VARIANT* valueTypes,
                                                 VARIANT* descriptions) {
    if (!attributeIds || !valueTypes || !descriptions) return E_INVALIDARG;
    const auto category = m_model.m_mapCategories.find(categoryId);
    if (category == m_model.m_mapCategories.end()) return E_INVALIDARG;
    VariantInit(attributeIds);
    VariantInit(valueTypes);
    VariantInit(descriptions);
    const std::set<int32_t>& ids = category->second.attributeIds;
    if (ids.empty()) return S_OK;
    try {
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
                const auto attribute = m_model.m_mapAttributes.find(id);
                if (attribute != m_model.m_mapAttributes.end()) {
                    types[k] = static_cast<SHORT>(attribute->second.valueType);
                    texts[k] = Bstr(attribute->second.description).Detach();
                }
                ++k;
            }
        }
        PutArray(attributeIds, VT_I4, idArray);
        PutArray(valueTypes, VT_I2, typeArray);
        PutArray(descriptions, VT_BSTR, textArray);
        return S_OK;
    } catch (const ComError&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP EventInfoObj::SelectAttributes(LONG handle, LONG categoryId, VARIANT attributeIds, VARIANT* results) {
    if (!results) return E_POINTER;
    VariantInit(results);
    const auto subscription = m_mapSubscriptions.find(handle);
    if (subscription == m_mapSubscriptions.end()) return E_INVALIDARG;
    const auto category = m_model.m_mapCategories.find(categoryId);
    if (category == m_model.m_mapCategories.end()) return E_INVALIDARG;

    if (V_VT(&attributeIds) == VT_EMPTY || V_VT(&attributeIds) == VT_NULL) {
        subscription->second.erase(categoryId);
        return S_OK;
    }
    if (V_VT(&attributeIds) != (VT_ARRAY | VT_I4)) return E_INVALIDARG;
    // Elements are read as 32-bit ids, so only one-dimensional arrays of
    // 4-byte values that hold their data can be read.
    const eventparams::Vector<LONG> requested(V_ARRAY(&attributeIds));
    if (!requested.Valid()) return E_INVALIDARG;

    try {
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
        subscription->second[categoryId] = std::move(selected);
        PutArray(results, VT_I4, resultArray);
        return refused ? S_FALSE : S_OK;
    } catch (const ComError& error) {
        return error.Code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP EventInfoObj::GetSelectedAttributes(LONG handle, LONG categoryId, VARIANT* attributeIds) {
    if (!attributeIds) return E_POINTER;
    const std::set<int32_t>* selection = FindSelection(handle, categoryId);
    if (!selection || selection->empty()) return E_INVALIDARG;
    try {
        SafeArray ids = MakeIdArray(*selection);
        PutArray(attributeIds, VT_I4, ids);
        return S_OK;
    } catch (const ComError&) {
        return E_OUTOFMEMORY;
    }
}
