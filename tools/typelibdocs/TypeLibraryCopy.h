#pragma once

// A new type library with the contents of another and the enumeration
// constants' help texts as their doc strings. The library is created rather
// than edited since the loaded one's ICreateTypeLib2 cannot be saved under
// Wine.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "ConstantHelpTexts.h"

// Writes the copy of `source` to `path`, with the system kind of `source`.
void WriteCopy(ITypeLib* source, const std::wstring& path, ConstantHelpTexts& helpTexts);
