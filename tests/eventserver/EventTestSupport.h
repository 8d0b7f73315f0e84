#pragma once

// Reading the event server's output arrays by their bounds, with null
// strings told apart from empty ones.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ArrayValues.h"

// Bounds of a one-dimensional output array.
inline std::pair<LONG, LONG> Bounds(const VARIANT& value) {
    LONG low = 0, high = -1;
    SafeArrayGetLBound(V_ARRAY(&value), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&value), 1, &high);
    return {low, high};
}

// Texts of a VT_BSTR array; a null element reads as "<null>".
inline std::vector<std::wstring> TextsOf(const VARIANT& value) {
    std::vector<std::wstring> out;
    const auto [low, high] = Bounds(value);
    for (LONG i = low; i <= high; ++i) {
        BSTR text = nullptr;
        SafeArrayGetElement(V_ARRAY(&value), &i, &text);
        out.emplace_back(text ? std::wstring(text, SysStringLen(text)) : L"<null>");
        SysFreeString(text);
    }
    return out;
}

// Element i of a VT_VARIANT array (a copy the caller owns).
inline Variant ElementOf(const VARIANT& value, LONG index) {
    Variant element;
    SafeArrayGetElement(V_ARRAY(&value), &index, element.Get());
    return element;
}
