#pragma once

// The platform's English text for a result code, without the final full
// stop, or "error 0x........" where it has none.

#include <windows.h>

#include <string>

std::wstring SystemMessage(HRESULT result);
