#pragma once

// Readers for the arrays IUMCInfo hands out, and a reference-counted object
// that shows whether an output VARIANT was released.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "loading/ComValues.h"
#include "tests/support/TestSupport.h"

using Texts = std::vector<std::wstring>;
using Bytes = std::vector<uint8_t>;

// The elements of a one-dimensional, 0-based VT_ARRAY|elementType VARIANT.
template <class T>
std::vector<T> ElementsOf(const VARIANT& value, VARTYPE elementType) {
    std::vector<T> out;
    EXPECT_EQ(V_VT(&value), VT_ARRAY | elementType);
    if (V_VT(&value) != (VT_ARRAY | elementType) || !V_ARRAY(&value)) return out;
    SAFEARRAY* array = V_ARRAY(&value);
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    LONG low = -1, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    EXPECT_EQ(low, 0);
    for (LONG i = low; i <= high; ++i) {
        if constexpr (std::is_same_v<T, std::wstring>) {
            BSTR text = nullptr;
            SafeArrayGetElement(array, &i, &text);
            out.emplace_back(text ? text : L"", SysStringLen(text));
            SysFreeString(text);
        } else {
            T element{};
            SafeArrayGetElement(array, &i, &element);
            out.push_back(element);
        }
    }
    return out;
}

inline Texts TextsOf(const VARIANT& value) { return ElementsOf<std::wstring>(value, VT_BSTR); }
inline Bytes BytesOf(const VARIANT& value) { return ElementsOf<uint8_t>(value, VT_UI1); }

// Lives on the stack, so a missing Release leaks nothing.
class CountedObject final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_count); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_count); }
    LONG Count() const { return m_count; }

    // A VT_UNKNOWN VARIANT holding one more reference.
    VARIANT Held() {
        VARIANT value;
        V_VT(&value) = VT_UNKNOWN;
        V_UNKNOWN(&value) = this;
        AddRef();
        return value;
    }

private:
    LONG m_count = 1;
};

inline VARIANT OfType(VARTYPE type) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = type;
    return value;
}
