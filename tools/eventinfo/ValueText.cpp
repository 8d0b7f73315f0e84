#include "tools/eventinfo/ValueText.h"

#include <cstdio>

#include "loading/ComValues.h"
#include "loading/TextConversion.h"

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*lX", digits, static_cast<unsigned long>(value));
    return text;
}

std::string TypeName(VARTYPE type) {
    switch (type) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_I2: return "VT_I2";
    case VT_I4: return "VT_I4";
    case VT_BSTR: return "VT_BSTR";
    case VT_BOOL: return "VT_BOOL";
    case VT_DATE: return "VT_DATE";
    case VT_UI1: return "VT_UI1";
    case VT_UI2: return "VT_UI2";
    case VT_UI4: return "VT_UI4";
    case VT_ARRAY | VT_UI1: return "VT_ARRAY|VT_UI1";
    case VT_SAFEARRAY: return "VT_SAFEARRAY";
    default: return "VT " + std::to_string(type);
    }
}

std::string ValueText(const VARIANT& value) {
    switch (V_VT(&value)) {
    case VT_EMPTY: return "";
    case VT_ARRAY | VT_UI1: {
        std::string bytes;
        for (BYTE b : ArrayElements<BYTE>(value, VT_UI1)) bytes += (bytes.empty() ? "" : " ") + Hex(b, 2).substr(2);
        return bytes;
    }
    case VT_BOOL: return std::to_string(V_BOOL(&value));  // the component returns 1 or 2 as well as -1
    case VT_UI1: return std::to_string(V_UI1(&value));
    case VT_UI2: return std::to_string(V_UI2(&value));
    case VT_UI4: return std::to_string(V_UI4(&value));
    case VT_DATE: {
        char days[64];
        std::snprintf(days, sizeof days, "%.6f", V_DATE(&value));
        return days;
    }
    case VT_BSTR: return Utf8(BstrView(V_BSTR(&value)));
    default: {
        Variant text;
        if (FAILED(VariantChangeType(text.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) return "?";
        return Utf8(BstrView(V_BSTR(text.Get())));
    }
    }
}
