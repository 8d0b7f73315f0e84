#pragma once

// Arrays handed out by the event server interfaces.

#include <set>

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
