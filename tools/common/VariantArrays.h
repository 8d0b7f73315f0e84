#pragma once

// Reading the arrays the component answers with and building the ones it is
// given, for the programs built on it.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>
#include <vector>

#include "loading/ComValues.h"

// The strings of a VT_ARRAY|VT_BSTR value; empty for any other value.
inline std::vector<std::wstring> Texts(const VARIANT& value) {
    std::vector<std::wstring> out;
    if (V_VT(&value) != (VT_ARRAY | VT_BSTR) || !V_ARRAY(&value)) return out;
    SAFEARRAY* array = V_ARRAY(&value);
    SafeArrayData<BSTR> data(array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i)
        out.emplace_back(data[i] ? data[i] : L"", SysStringLen(data[i]));
    return out;
}

// The elements of an array value whose elements are T; empty for a value
// that holds no array.
template <class T>
std::vector<T> Numbers(const VARIANT& value) {
    std::vector<T> out;
    if (!(V_VT(&value) & VT_ARRAY) || !V_ARRAY(&value)) return out;
    SAFEARRAY* array = V_ARRAY(&value);
    SafeArrayData<T> data(array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) out.push_back(data[i]);
    return out;
}

inline SafeArray TextArray(const std::vector<std::wstring>& texts) {
    SafeArray array = SafeArray::CreateVector(VT_BSTR, static_cast<ULONG>(texts.size()));
    SafeArrayData<BSTR> data(array.Get());
    for (size_t i = 0; i < texts.size(); ++i) data[i] = Bstr(texts[i]).Detach();
    return array;
}

// Hands the array to an empty VARIANT as VT_ARRAY|type.
inline void PutArray(VARIANT* target, VARTYPE type, SafeArray array) {
    V_VT(target) = static_cast<VARTYPE>(VT_ARRAY | type);
    V_ARRAY(target) = array.Detach();
}
