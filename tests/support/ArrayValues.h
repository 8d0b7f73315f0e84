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
