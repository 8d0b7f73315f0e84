#include "tests/reliability/ReliabilitySupport.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool FullRun() {
    static const bool full = [] {
        const char* run = std::getenv("RELIABILITY_RUN");
        return run && std::strcmp(run, "full") == 0;
    }();
    return full;
}

void Figure(const std::string& key, const std::string& value) {
    std::printf("[figure] %s = %s\n", key.c_str(), value.c_str());
    std::fflush(stdout);
}

std::string FormatNumber(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

PrivateBytes MeasurePrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters))
        return {};
    if (counters.PrivateUsage) return {counters.PrivateUsage, "PrivateUsage"};
    return {counters.PagefileUsage, "PagefileUsage"};
}

OwnedVariant ArrayVariant(VARTYPE elementType, SAFEARRAY* array) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&value) = array;
    return OwnedVariant(value);
}

OwnedVariant TextArray(const std::vector<std::wstring>& texts, LONG lowerBound) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, lowerBound, static_cast<ULONG>(texts.size()));
    BSTR* data = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
    for (size_t k = 0; k < texts.size(); ++k)
        data[k] = SysAllocStringLen(texts[k].data(), static_cast<UINT>(texts[k].size()));
    SafeArrayUnaccessData(array);
    return ArrayVariant(VT_BSTR, array);
}

OwnedVariant LongArray(const std::vector<LONG>& values, LONG lowerBound) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, lowerBound, static_cast<ULONG>(values.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!values.empty()) std::memcpy(data, values.data(), values.size() * sizeof(LONG));
    SafeArrayUnaccessData(array);
    return ArrayVariant(VT_I4, array);
}

OwnedVariant ByteArray(const std::vector<uint8_t>& bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    return ArrayVariant(VT_UI1, array);
}

OwnedVariant VariantArray(std::vector<OwnedVariant> items, LONG lowerBound) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, lowerBound, static_cast<ULONG>(items.size()));
    VARIANT* data = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
    for (size_t k = 0; k < items.size(); ++k) data[k] = items[k].Detach();
    SafeArrayUnaccessData(array);
    return ArrayVariant(VT_VARIANT, array);
}

OwnedVariant LongValue(LONG number) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return OwnedVariant(value);
}

namespace {

template <class T>
std::vector<T> ElementsOf(const VARIANT& value, VARTYPE elementType) {
    std::vector<T> out;
    if (V_VT(&value) != (VT_ARRAY | elementType) || !V_ARRAY(&value)) return out;
    SAFEARRAY* array = V_ARRAY(&value);
    if (array->cDims != 1 || array->cbElements != sizeof(T)) return out;
    const T* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(const_cast<T**>(&data))))) return out;
    out.assign(data, data + array->rgsabound[0].cElements);
    SafeArrayUnaccessData(array);
    return out;
}

}  // namespace

std::vector<LONG> LongsOf(const VARIANT& value) { return ElementsOf<LONG>(value, VT_I4); }

std::vector<std::wstring> TextsOf(const VARIANT& value) {
    std::vector<std::wstring> texts;
    for (BSTR text : ElementsOf<BSTR>(value, VT_BSTR)) texts.emplace_back(text ? text : L"", SysStringLen(text));
    return texts;
}

std::string Narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out;
}

void Transcript::Add(const std::string& line) {
    for (unsigned char c : line) {
        m_hash ^= c;
        m_hash *= 1099511628211ull;
    }
    m_hash ^= '\n';
    m_hash *= 1099511628211ull;
    ++m_lines;
    if (m_keepText) m_text.push_back(line.size() > 20000 ? line.substr(0, 20000) + "..." : line);
}
