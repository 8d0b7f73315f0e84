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

// The raw data of an array: every element of every dimension, at the
// array's own element size.
inline std::optional<std::vector<uint8_t>> RawBytes(SAFEARRAY* array) {
    const std::optional<size_t> count = ElementCount(array);
    if (!count) return std::nullopt;
    const uint64_t size = uint64_t(*count) * array->cbElements;
    if (size > UINT32_MAX) return std::nullopt;
    const ArrayLock lock(array);
    if (!lock.Locked()) return std::nullopt;
    const auto* begin = static_cast<const uint8_t*>(lock.Data());
    if (size == 0) return std::vector<uint8_t>{};
    if (!begin) return std::nullopt;
    return std::vector<uint8_t>(begin, begin + size);
}

// A one-dimensional array whose elements are T, addressed by the caller's
// indexes; At() gives null outside the bounds. An array of another shape or
// element size is not valid.
template <class T>
class Vector {
public:
    explicit Vector(SAFEARRAY* array)
        : m_lock(array && array->cDims == 1 && array->cbElements == sizeof(T) ? array : nullptr) {
        if (!m_lock.Locked()) return;
        m_lowerBound = array->rgsabound[0].lLbound;
        m_count = array->rgsabound[0].cElements;
        m_data = static_cast<const T*>(m_lock.Data());
        if (!m_data) m_count = 0;
    }
    bool Valid() const { return m_lock.Locked(); }
    LONG LowerBound() const { return m_lowerBound; }
    ULONG Count() const { return m_count; }
    const T* At(int64_t index) const {
        const int64_t offset = index - m_lowerBound;
        return offset >= 0 && offset < int64_t(m_count) ? &m_data[offset] : nullptr;
    }

private:
    ArrayLock m_lock;
    LONG m_lowerBound = 0;
    ULONG m_count = 0;
    const T* m_data = nullptr;
};

// The array of VARIANTs a VARIANT holds as VT_ARRAY|VT_VARIANT; not valid
// for any other type.
inline SAFEARRAY* VariantArrayOf(const VARIANT& value) {
    return V_VT(&value) == (VT_ARRAY | VT_VARIANT) ? V_ARRAY(&value) : nullptr;
}

// The 32-bit value field of a VARIANT, whatever its type says.
inline int32_t ValueField(const VARIANT& value) { return static_cast<int32_t>(V_I4(&value)); }

// Whether paramInfo's array begins with the 32-bit value 1: the value field
// of its first VARIANT, or the first four bytes of any other array.
inline bool ParamInfoMarksUserValue(const VARIANT& paramInfo) {
    SAFEARRAY* array = ArrayOf(paramInfo);
    if (!array) return false;
    if (V_VT(&paramInfo) == (VT_ARRAY | VT_VARIANT)) {
        const Vector<VARIANT> items(array);
        return items.Valid() && items.Count() > 0 && ValueField(*items.At(items.LowerBound())) == 1;
    }
    const std::optional<std::vector<uint8_t>> bytes = RawBytes(array);
    if (!bytes || bytes->size() < sizeof(int32_t)) return false;
    int32_t first = 0;
    std::memcpy(&first, bytes->data(), sizeof first);
    return first == 1;
}

// User alarm: the bytes of the one VT_ARRAY|VT_UI1 element of params, when
// paramInfo marks it.
inline std::optional<std::vector<uint8_t>> UserAlarmValueBytes(const VARIANT& paramInfo, const VARIANT& params) {
    const Vector<VARIANT> items(VariantArrayOf(params));
    if (!items.Valid() || items.Count() != 1) return std::nullopt;
    const VARIANT& value = *items.At(items.LowerBound());
    if (V_VT(&value) != (VT_ARRAY | VT_UI1) || !ParamInfoMarksUserValue(paramInfo)) return std::nullopt;
    return RawBytes(V_ARRAY(&value));
}

// TO alarm: the value fields of the params elements in array order; the
// first element is parameter 1.
inline std::optional<std::vector<int32_t>> ToAlarmParameterValues(const VARIANT& params) {
    const Vector<VARIANT> items(VariantArrayOf(params));
    if (!items.Valid()) return std::nullopt;
    std::vector<int32_t> values;
    values.reserve(items.Count());
    for (ULONG k = 0; k < items.Count(); ++k) values.push_back(ValueField(*items.At(int64_t(items.LowerBound()) + k)));
    return values;
}

// Diagnosis: the raw data of params' array, or of the array held by its
// first element when params is an array of VARIANTs.
inline std::optional<std::vector<uint8_t>> DiagnosisRecordBytes(const VARIANT& params) {
    if (V_VT(&params) == (VT_ARRAY | VT_VARIANT)) {
        const Vector<VARIANT> items(V_ARRAY(&params));
        if (!items.Valid() || items.Count() == 0) return std::nullopt;
        SAFEARRAY* inner = ArrayOf(*items.At(items.LowerBound()));
        if (!inner) return std::nullopt;
        return RawBytes(inner);
    }
    SAFEARRAY* array = ArrayOf(params);
    if (!array) return std::nullopt;
    return RawBytes(array);
}

// Formats a message text by the category's alarm type (1 user alarm, 2 TO
// alarm, 4 diagnosis) and returns the formatter's result; `out` is written
// only on 0. Other alarm types are not formatted: 0 with the text as it is.
inline int32_t FormatEventText(int32_t alarmType, std::wstring_view text, const VARIANT& paramInfo,
                               const VARIANT& params, std::wstring& out) {
    const std::u16string input(text.begin(), text.end());
    std::u16string formatted;
    int32_t result = 0;
    switch (alarmType) {
    case 1: result = FormatUserAlarmText(input, UserAlarmValueBytes(paramInfo, params), formatted); break;
    case 2: result = FormatToAlarmText(input, ToAlarmParameterValues(params), formatted); break;
    case 4: result = FormatDiagnosisText(input, DiagnosisRecordBytes(params), formatted); break;
    default: formatted = input; break;
    }
    if (result == 0) out.assign(formatted.begin(), formatted.end());
    return result;
}

}  // namespace eventparams
