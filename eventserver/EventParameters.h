#pragma once

// Reading the caller's event arrays without going past their data, and
// turning an event's paramInfo/params VARIANTs into the plain inputs of the
// text formatters.
//
// Nothing here raises a COM error: an array that cannot be read counts as
// no array.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "eventserver/EventTextFormatters.h"

namespace eventparams {

// The array a VARIANT holds directly (VT_ARRAY without VT_BYREF), or null.
inline SAFEARRAY* ArrayOf(const VARIANT& value) {
    const VARTYPE type = V_VT(&value);
    return (type & VT_ARRAY) && !(type & VT_BYREF) ? V_ARRAY(&value) : nullptr;
}

// A caller's array locked for reading while the object lives.
class ArrayLock {
public:
    explicit ArrayLock(SAFEARRAY* array) {
        void* data = nullptr;
        if (array && SUCCEEDED(SafeArrayAccessData(array, &data))) {
            m_array = array;
            m_data = data;
        }
    }
    ArrayLock(const ArrayLock&) = delete;
    ArrayLock& operator=(const ArrayLock&) = delete;
    ~ArrayLock() {
        if (m_array) SafeArrayUnaccessData(m_array);
    }
    bool Locked() const { return m_array != nullptr; }
    const void* Data() const { return m_data; }

private:
    SAFEARRAY* m_array = nullptr;
    const void* m_data = nullptr;
};

// Number of elements over all dimensions, or nullopt for an array without
// dimensions or one too large to address.
inline std::optional<size_t> ElementCount(const SAFEARRAY* array) {
    if (!array || array->cDims == 0) return std::nullopt;
    uint64_t total = 1;
    for (USHORT d = 0; d < array->cDims; ++d) {
        total *= array->rgsabound[d].cElements;
        if (total > UINT32_MAX) return std::nullopt;
    }
    return static_cast<size_t>(total);
}

// Whether the array's elements are, or hold, pointers the platform manages:
// their bytes are addresses, never data of the caller's.
inline bool HoldsPointers(const SAFEARRAY* array) {
    return (array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT | FADF_RECORD)) != 0;
}

// The raw data of an array of plain values: every element of every
// dimension, at the array's own element size.
inline std::optional<std::vector<uint8_t>> RawBytes(SAFEARRAY* array) {
    const std::optional<size_t> count = ElementCount(array);
    if (!count || HoldsPointers(array)) return std::nullopt;
    const uint64_t size = uint64_t(*count) * array->cbElements;
    if (size > UINT32_MAX) return std::nullopt;
    const ArrayLock lock(array);
    if (!lock.Locked()) return std::nullopt;
    const auto* begin = static_cast<const uint8_t*>(lock.Data());
    if (size == 0) return std::vector<uint8_t>{};
    if (!begin) return std::nullopt;
    return std::vector<uint8_t>(begin, begin + size);
}

// Whether the array's elements are T. Strings and VARIANTs are told by the
// array's own features (those the platform releases its elements by), since
// other elements of the same size would be read as pointers; plain values
// must carry none of those features.
template <class T>
bool HoldsElementsOf(const SAFEARRAY* array) {
    if (array->cbElements != sizeof(T)) return false;
    if constexpr (std::is_same_v<T, BSTR>) return (array->fFeatures & FADF_BSTR) != 0;
    if constexpr (std::is_same_v<T, VARIANT>) return (array->fFeatures & FADF_VARIANT) != 0;
    return !HoldsPointers(array);
}

// A one-dimensional array whose elements are T, addressed by the caller's
// indexes; At() gives null outside the bounds. An array of another shape or
// element type, or one that claims elements but holds no data, is not valid.
template <class T>
class Vector {
public:
    explicit Vector(SAFEARRAY* array)
        : m_lock(array && array->cDims == 1 && HoldsElementsOf<T>(array) ? array : nullptr) {
        if (!m_lock.Locked()) return;
        m_data = static_cast<const T*>(m_lock.Data());
        m_lowerBound = array->rgsabound[0].lLbound;
        m_count = array->rgsabound[0].cElements;
        m_valid = m_data || m_count == 0;
        if (!m_valid) m_count = 0;
    }
    bool Valid() const { return m_valid; }
    LONG LowerBound() const { return m_lowerBound; }
    ULONG Count() const { return m_count; }
    const T* At(int64_t index) const {
        const int64_t offset = index - m_lowerBound;
        return offset >= 0 && offset < int64_t(m_count) ? &m_data[offset] : nullptr;
    }

private:
    ArrayLock m_lock;
    bool m_valid = false;
    LONG m_lowerBound = 0;
    ULONG m_count = 0;
    const T* m_data = nullptr;
};

// Formats an event's message text by its category's alarm type with the
// event's paramInfo and params elements; 0 on success, when `out` holds the
// formatted text, else the formatter's failure code (`out` unchanged).
int32_t FormatEventText(int32_t alarmType, std::u16string_view text, const VARIANT& paramInfo, const VARIANT& params,
                        std::u16string& out);

}  // namespace eventparams
