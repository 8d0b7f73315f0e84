#pragma once

// The arrays the tests hand to the component and read back, made and read
// with the value toolkit.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "loading/ComValues.h"

inline Variant TextArray(const std::vector<std::wstring>& texts, LONG lowerBound = 0) {
    return ArrayVariant(VT_BSTR, MakeBstrArray(texts, lowerBound));
}

template <class T>
Variant NumberArray(VARTYPE type, const std::vector<T>& values, LONG lowerBound = 0) {
    return ArrayVariant(type, MakeNumberArray(type, values, lowerBound));
}

inline Variant LongArray(const std::vector<LONG>& values, LONG lowerBound = 0) {
    return NumberArray(VT_I4, values, lowerBound);
}

inline Variant ByteArray(const std::vector<uint8_t>& bytes) { return NumberArray(VT_UI1, bytes); }

// An array of VARIANTs that takes the values over.
inline Variant VariantArray(std::vector<Variant> items, LONG lowerBound = 0) {
    return ArrayVariant(VT_VARIANT, MakeVariantArray(std::move(items), lowerBound));
}

template <class... Items>
Variant Variants(Items&&... items) {
    std::vector<Variant> list;
    (list.push_back(std::forward<Items>(items)), ...);
    return VariantArray(std::move(list));
}

// The ids of a VT_ARRAY|VT_I4 value; empty for any other value.
inline std::vector<LONG> LongsOf(const VARIANT& value) { return ArrayElements<LONG>(value, VT_I4); }

// A value as text: "-" for VT_EMPTY, arrays element by element in brackets.
inline std::wstring Show(const VARIANT& value) {
    if (!(V_VT(&value) & VT_ARRAY)) {
        Variant text;
        if (V_VT(&value) == VT_EMPTY) return L"-";
        if (FAILED(VariantChangeType(text.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR)))
            return L"<type " + std::to_wstring(V_VT(&value)) + L">";
        return std::wstring(V_BSTR(text.Get()), SysStringLen(V_BSTR(text.Get())));
    }
    SAFEARRAY* array = V_ARRAY(&value);
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    std::wstring shown = L"[";
    for (LONG i = low; i <= high; ++i) {
        Variant element;
        V_VT(element.Get()) = static_cast<VARTYPE>(V_VT(&value) & ~VT_ARRAY);
        // A VARIANT element is copied whole; any other into the value's union.
        void* target = V_VT(element.Get()) == VT_VARIANT ? static_cast<void*>(element.Get()) : &V_I4(element.Get());
        SafeArrayGetElement(array, &i, target);
        shown += (i > low ? L"," : L"") + Show(*element);
    }
    return shown + L"]";
}
