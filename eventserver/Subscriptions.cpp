// IEventModel: categories, attributes and subscriptions.

#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "eventserver/EventParameters.h"
#include "eventserver/Refusals.h"
#include "loading/ComValues.h"

namespace {

constexpr HRESULT kAttributeNotInCategory = static_cast<HRESULT>(0x80040206);

}  // namespace

STDMETHODIMP EventInfoObj::CreateSubscription(LONG* handle) {
    return ComBoundary({__uuidof(IEventModel), L"CreateSubscription"}, [&] {
        if (!handle) Fail(E_POINTER, L"the argument handle is a null pointer");
        const std::optional<int32_t> created = m_subscriptions.Create();
        if (!created) Fail(E_OUTOFMEMORY, L"every subscription handle is taken");
        *handle = *created;
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::DeleteSubscription(LONG handle) {
    return ComBoundary({__uuidof(IEventModel), L"DeleteSubscription"}, [&] {
        if (!m_subscriptions.Delete(handle)) Fail(E_INVALIDARG, NoSubscription(handle));
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::GetCategories(LONG eventClassMask, VARIANT* categoryIds, VARIANT* descriptions) {
    return ComBoundary({__uuidof(IEventModel), L"GetCategories"}, [&] {
        if (!categoryIds || !descriptions)
            Fail(E_INVALIDARG, L"the argument categoryIds or descriptions is a null pointer");
        VariantInit(categoryIds);
        VariantInit(descriptions);
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
    return ComBoundary({__uuidof(IEventModel), L"GetCategoryAttributes"}, [&] {
        if (!attributeIds || !valueTypes || !descriptions)
            Fail(E_INVALIDARG, L"the argument attributeIds, valueTypes or descriptions is a null pointer");
        const EventModelTables& model = m_project.m_model;
        const auto category = model.m_mapCategories.find(categoryId);
        if (category == model.m_mapCategories.end()) Fail(E_INVALIDARG, NoCategory(categoryId));
        VariantInit(attributeIds);
        VariantInit(valueTypes);
        VariantInit(descriptions);
        const std::set<int32_t>& ids = category->second.attributeIds;
        if (ids.empty()) return S_OK;
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
    return ComBoundary({__uuidof(IEventModel), L"SelectAttributes"}, [&] {
        if (!results) Fail(E_POINTER, L"the argument results is a null pointer");
        VariantInit(results);
        eventserver::SubscriptionSelections* selections = m_subscriptions.Find(handle);
        if (!selections) Fail(E_INVALIDARG, NoSubscription(handle));
        const auto category = m_project.m_model.m_mapCategories.find(categoryId);
        if (category == m_project.m_model.m_mapCategories.end()) Fail(E_INVALIDARG, NoCategory(categoryId));

        if (V_VT(&attributeIds) == VT_EMPTY || V_VT(&attributeIds) == VT_NULL) {
            selections->erase(categoryId);
            return S_OK;
        }
        if (V_VT(&attributeIds) != (VT_ARRAY | VT_I4))
            Fail(E_INVALIDARG, L"the argument attributeIds holds VARIANT type " + std::to_wstring(V_VT(&attributeIds)) +
                                   L", not an array of long (VT_ARRAY | VT_I4)");
        // Elements are read as 32-bit ids, so only one-dimensional arrays of
        // 4-byte values that hold their data can be read.
        const eventparams::Vector<LONG> requested(V_ARRAY(&attributeIds));
        if (!requested.Valid()) Fail(E_INVALIDARG, L"the argument attributeIds is not a readable vector of long");

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
    return ComBoundary({__uuidof(IEventModel), L"GetSelectedAttributes"}, [&] {
        if (!attributeIds) Fail(E_POINTER, L"the argument attributeIds is a null pointer");
        if (!m_subscriptions.Find(handle)) Fail(E_INVALIDARG, NoSubscription(handle));
        const std::set<int32_t>* selection = m_subscriptions.FindSelection(handle, categoryId);
        if (!selection || selection->empty())
            Fail(E_INVALIDARG, L"subscription " + std::to_wstring(handle) +
                                   L" has no attributes selected for category " + std::to_wstring(categoryId));
        SafeArray ids = MakeIdArray(*selection);
        PutArray(attributeIds, VT_I4, std::move(ids));
        return S_OK;
    });
}
