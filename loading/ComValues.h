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

class ComError {
public:
    explicit ComError(HRESULT code) : m_code(code) {}
    HRESULT Code() const { return m_code; }

private:
    HRESULT m_code;
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
