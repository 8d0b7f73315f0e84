#pragma once

// Building the event server's input arrays and reading its output arrays.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// An owned VARIANT; the value is released with the owner.
class Var {
public:
    Var() { VariantInit(&m_value); }
    explicit Var(VARIANT value) : m_value(value) {}
    Var(Var&& other) noexcept : m_value(other.m_value) { VariantInit(&other.m_value); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var() { VariantClear(&m_value); }
    VARIANT* operator&() { return &m_value; }
    const VARIANT& operator*() const { return m_value; }
    VARIANT Release() {
        VARIANT value = m_value;
        VariantInit(&m_value);
        return value;
    }

private:
    VARIANT m_value;
};

inline Var ArrayVar(VARTYPE type, SAFEARRAY* array) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = static_cast<VARTYPE>(VT_ARRAY | type);
    V_ARRAY(&value) = array;
    return Var(value);
}

inline Var TextVector(const std::vector<const wchar_t*>& texts, LONG lowerBound = 0) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, lowerBound, static_cast<ULONG>(texts.size()));
    for (size_t k = 0; k < texts.size(); ++k) {
        LONG index = lowerBound + static_cast<LONG>(k);
        BSTR text = SysAllocString(texts[k]);
        SafeArrayPutElement(array, &index, text);
        SysFreeString(text);
    }
    return ArrayVar(VT_BSTR, array);
}

// An array of VARIANTs that takes over the given values.
inline Var VariantVector(std::vector<Var> items) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
    VARIANT* data = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
    for (size_t k = 0; k < items.size(); ++k) data[k] = items[k].Release();
    SafeArrayUnaccessData(array);
    return ArrayVar(VT_VARIANT, array);
}

template <class... Items>
Var Variants(Items&&... items) {
    std::vector<Var> list;
    (list.push_back(std::forward<Items>(items)), ...);
    return VariantVector(std::move(list));
}

template <class T>
Var NumberVector(VARTYPE type, const std::vector<T>& values) {
    SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(values.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!values.empty()) std::memcpy(data, values.data(), values.size() * sizeof(T));
    SafeArrayUnaccessData(array);
    return ArrayVar(type, array);
}

inline Var Bytes(const std::vector<uint8_t>& bytes) { return NumberVector(VT_UI1, bytes); }
inline Var Longs(const std::vector<LONG>& values) { return NumberVector(VT_I4, values); }

inline Var I4(LONG number) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return Var(value);
}

// Bounds of a one-dimensional output array.
inline std::pair<LONG, LONG> Bounds(const VARIANT& value) {
    LONG low = 0, high = -1;
    SafeArrayGetLBound(V_ARRAY(&value), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&value), 1, &high);
    return {low, high};
}

inline std::vector<LONG> LongsOf(const VARIANT& value) {
    std::vector<LONG> out;
    const auto [low, high] = Bounds(value);
    for (LONG i = low; i <= high; ++i) {
        LONG element = 0;
        SafeArrayGetElement(V_ARRAY(&value), &i, &element);
        out.push_back(element);
    }
    return out;
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
inline Var ElementOf(const VARIANT& value, LONG index) {
    Var element;
    SafeArrayGetElement(V_ARRAY(&value), &index, &element);
    return element;
}
