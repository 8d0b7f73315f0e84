#pragma once

// The toolkit of the platform's values for the component, the tools and the
// tests: owners of BSTR, VARIANT and SAFEARRAY values, so that every
// allocation is released on every path; the arrays handed out in VARIANTs;
// and the exception type that carries an HRESULT through the inner layers.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A failure and, where the raiser knows it, why, in words for the caller.
class ComError {
public:
    explicit ComError(HRESULT code, std::wstring description = {})
        : m_code(code), m_description(std::move(description)) {}
    HRESULT Code() const { return m_code; }
    const std::wstring& Description() const { return m_description; }

private:
    HRESULT m_code;
    std::wstring m_description;
};

inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw ComError(hr);
}

// A test's hook into the owners' allocations: when set, it is asked before
// each string or array is allocated and makes the allocation fail when it
// answers true. Never set outside the tests of the out-of-memory paths.
using AllocationProbe = bool (*)();
extern AllocationProbe g_allocationProbe;

inline void ProbeAllocation() {
    if (g_allocationProbe && g_allocationProbe()) throw ComError(E_OUTOFMEMORY);
}

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text) {
        ProbeAllocation();
        m_value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!m_value) throw ComError(E_OUTOFMEMORY);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : m_value(std::exchange(other.m_value, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.m_value, nullptr));
        return *this;
    }
    ~Bstr() { SysFreeString(m_value); }

    BSTR Get() const { return m_value; }
    BSTR* Receive() {
        Reset();
        return &m_value;
    }
    BSTR Detach() { return std::exchange(m_value, nullptr); }
    void Reset(BSTR value = nullptr) { SysFreeString(std::exchange(m_value, value)); }
    std::wstring_view View() const { return {m_value ? m_value : L"", SysStringLen(m_value)}; }

private:
    BSTR m_value = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&m_value); }
    explicit Variant(VARIANT value) : m_value(value) {}  // takes the value over
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : m_value(other.Detach()) {}
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&m_value);
            m_value = other.Detach();
        }
        return *this;
    }
    ~Variant() { VariantClear(&m_value); }

    VARIANT* Get() { return &m_value; }
    const VARIANT* Get() const { return &m_value; }
    const VARIANT& operator*() const { return m_value; }
    VARIANT* Receive() {
        VariantClear(&m_value);
        return &m_value;
    }
    VARIANT Detach() {
        const VARIANT value = m_value;
        VariantInit(&m_value);
        return value;
    }
    // Hands the value to a caller's VARIANT, which must hold nothing that
    // needs releasing.
    void DetachTo(VARIANT* target) { *target = Detach(); }

private:
    VARIANT m_value;
};

class SafeArray {
public:
    SafeArray() = default;
    explicit SafeArray(SAFEARRAY* array) : m_array(array) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    SafeArray(SafeArray&& other) noexcept : m_array(std::exchange(other.m_array, nullptr)) {}
    SafeArray& operator=(SafeArray&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.m_array, nullptr));
        return *this;
    }
    ~SafeArray() { Reset(); }

    // A one-dimensional array; raises E_OUTOFMEMORY when it cannot be created.
    static SafeArray CreateVector(VARTYPE type, ULONG count, LONG lowerBound = 0) {
        ProbeAllocation();
        SAFEARRAY* array = SafeArrayCreateVector(type, lowerBound, count);
        if (!array) throw ComError(E_OUTOFMEMORY);
        return SafeArray(array);
    }

    SAFEARRAY* Get() const { return m_array; }
    SAFEARRAY* Detach() { return std::exchange(m_array, nullptr); }
    void Reset(SAFEARRAY* array = nullptr) {
        if (m_array) SafeArrayDestroy(m_array);
        m_array = array;
    }

private:
    SAFEARRAY* m_array = nullptr;
};

// Access to a SAFEARRAY's data for the lifetime of the object.
template <class T>
class SafeArrayData {
public:
    explicit SafeArrayData(SAFEARRAY* array) : m_array(array) {
        ThrowIfFailed(SafeArrayAccessData(array, reinterpret_cast<void**>(&m_data)));
    }
    SafeArrayData(const SafeArrayData&) = delete;
    SafeArrayData& operator=(const SafeArrayData&) = delete;
    ~SafeArrayData() { SafeArrayUnaccessData(m_array); }

    T* Get() const { return m_data; }
    T& operator[](size_t index) const { return m_data[index]; }

private:
    SAFEARRAY* m_array;
    T* m_data = nullptr;
};

inline Variant LongValue(LONG number) {
    Variant value;
    V_VT(value.Get()) = VT_I4;
    V_I4(value.Get()) = number;
    return value;
}

// --- Arrays given to callers and read from them ---------------------------------

// One-dimensional arrays with the given lower bound, holding copies of the
// values; raise E_OUTOFMEMORY when they cannot be made.
inline SafeArray MakeBstrArray(const std::vector<std::wstring>& texts, LONG lowerBound = 0) {
    SafeArray array = SafeArray::CreateVector(VT_BSTR, static_cast<ULONG>(texts.size()), lowerBound);
    if (!texts.empty()) {
        SafeArrayData<BSTR> data(array.Get());
        for (size_t k = 0; k < texts.size(); ++k) data[k] = Bstr(texts[k]).Detach();
    }
    return array;
}

template <class T>
SafeArray MakeNumberArray(VARTYPE type, const T* values, size_t count, LONG lowerBound = 0) {
    SafeArray array = SafeArray::CreateVector(type, static_cast<ULONG>(count), lowerBound);
    if (count) {
        SafeArrayData<T> data(array.Get());
        std::memcpy(data.Get(), values, count * sizeof(T));
    }
    return array;
}

template <class T>
SafeArray MakeNumberArray(VARTYPE type, const std::vector<T>& values, LONG lowerBound = 0) {
    return MakeNumberArray(type, values.data(), values.size(), lowerBound);
}

// The ids of a set in ascending order, as VT_I4.
inline SafeArray MakeIdArray(const std::set<int32_t>& ids) {
    return MakeNumberArray(VT_I4, std::vector<LONG>(ids.begin(), ids.end()));
}

// An array of VARIANTs that takes the values over.
inline SafeArray MakeVariantArray(std::vector<Variant> items, LONG lowerBound = 0) {
    SafeArray array = SafeArray::CreateVector(VT_VARIANT, static_cast<ULONG>(items.size()), lowerBound);
    if (!items.empty()) {
        SafeArrayData<VARIANT> data(array.Get());
        for (size_t k = 0; k < items.size(); ++k) data[k] = items[k].Detach();
    }
    return array;
}

// Hands an array to an output VARIANT, whose earlier content is not released.
inline void PutArray(VARIANT* target, VARTYPE elementType, SafeArray array) {
    VariantInit(target);
    V_VT(target) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(target) = array.Detach();
}

// A VARIANT that holds the array.
inline Variant ArrayVariant(VARTYPE elementType, SafeArray array) {
    Variant value;
    PutArray(value.Get(), elementType, std::move(array));
    return value;
}

// The elements of a one-dimensional VT_ARRAY|elementType value by its own
// bounds; empty for a value that holds no such array.
template <class T>
std::vector<T> ArrayElements(const VARIANT& value, VARTYPE elementType) {
    std::vector<T> out;
    SAFEARRAY* array = V_VT(&value) == (VT_ARRAY | elementType) ? V_ARRAY(&value) : nullptr;
    if (!array || array->cDims != 1 || array->cbElements != sizeof(T)) return out;
    const T* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(const_cast<T**>(&data))))) return out;
    if (data) out.assign(data, data + array->rgsabound[0].cElements);
    SafeArrayUnaccessData(array);
    return out;
}

// The strings of a VT_ARRAY|VT_BSTR value; a null string reads as empty.
inline std::vector<std::wstring> ArrayTexts(const VARIANT& value) {
    std::vector<std::wstring> texts;
    for (BSTR text : ArrayElements<BSTR>(value, VT_BSTR)) texts.emplace_back(text ? text : L"", SysStringLen(text));
    return texts;
}
