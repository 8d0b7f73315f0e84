#pragma once

// Small owners for the platform's BSTR, VARIANT and SAFEARRAY values, so
// that every allocation is released on every path, and an exception type
// that carries an HRESULT through the component's inner layers.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

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

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text) : m_value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
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
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&m_value); }

    VARIANT* Get() { return &m_value; }
    const VARIANT* Get() const { return &m_value; }
    VARIANT* Receive() {
        VariantClear(&m_value);
        return &m_value;
    }
    // Hands the value to a caller's VARIANT, which must hold nothing that
    // needs releasing.
    void DetachTo(VARIANT* target) {
        *target = m_value;
        VariantInit(&m_value);
    }

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
