#pragma once

// Arrays the interface methods hand out in VARIANTs.

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "component/ComOwners.h"

// A VT_I4 vector (lower bound 0) of a set's ids in ascending order.
inline SafeArray MakeIdArray(const std::set<int32_t>& ids) {
    SafeArray array = SafeArray::CreateVector(VT_I4, static_cast<ULONG>(ids.size()));
    if (!ids.empty()) {
        SafeArrayData<LONG> data(array.Get());
        size_t k = 0;
        for (int32_t id : ids) data[k++] = id;
    }
    return array;
}

// Hands an array to an output VARIANT, whose earlier content is not released.
inline void PutArray(VARIANT* target, VARTYPE elementType, SafeArray& array) {
    VariantInit(target);
    V_VT(target) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(target) = array.Detach();
}

// A VT_BSTR vector (lower bound 0) holding copies of the texts.
inline SafeArray MakeBstrArray(const std::vector<std::wstring>& texts) {
    SafeArray array = SafeArray::CreateVector(VT_BSTR, static_cast<ULONG>(texts.size()));
    if (!texts.empty()) {
        SafeArrayData<BSTR> data(array.Get());
        for (size_t k = 0; k < texts.size(); ++k) data[k] = Bstr(texts[k]).Detach();
    }
    return array;
}

// A VT_UI1 vector (lower bound 0) holding a copy of the first `count` bytes.
inline SafeArray MakeByteArray(const uint8_t* bytes, size_t count) {
    SafeArray array = SafeArray::CreateVector(VT_UI1, static_cast<ULONG>(count));
    if (count) {
        SafeArrayData<uint8_t> data(array.Get());
        std::memcpy(data.Get(), bytes, count);
    }
    return array;
}
