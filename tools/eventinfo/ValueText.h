#pragma once

// The inspector's texts of numbers and of the VARIANTs the component returns.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

// "0x" and `digits` upper-case hex digits.
std::string Hex(uint32_t value, int digits = 8);

// The VARTYPE as its constant is spelt (VT_UI4, VT_ARRAY|VT_UI1).
std::string TypeName(VARTYPE type);

// The value as UTF-8: byte arrays as hex bytes, dates as days, "?" for what
// cannot be shown.
std::string ValueText(const VARIANT& value);
