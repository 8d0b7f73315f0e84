#pragma once

// The platform's English text for a result code, without the final full
// stop, or "error 0x........" where it has none.

#include <windows.h>

#include <string>
#include <string_view>

std::wstring SystemMessage(HRESULT result);

// A message of the platform without the line breaks, blanks and full stop
// it ends in, to be set into a sentence of our own.
std::wstring WithoutFinalStop(std::wstring_view message);
