#pragma once

#include <windows.h>

#include <string>

// One event attribute definition.
struct AttributeInfo {
    std::wstring name;
    std::wstring description;
    VARTYPE valueType = VT_BSTR;
};
