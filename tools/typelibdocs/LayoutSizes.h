#pragma once

// Wine lays out sizes from what this process sees: an interface's vtable
// from its base interface in 8-byte pointers even for a 32-bit library, an
// enumeration or a dispatch interface's instance as wide as a pointer, and a
// loaded library answers the same sizes. The functions' own offsets come out
// right; the written file gets the sizes the source file holds, copied byte
// for byte.

#include <string>

// Sets, in the library file at `path`, the vtable and instance size of each
// type info to those of the type info at its index in the library file at
// `sourcePath`.
void CopyLayoutSizes(const std::wstring& sourcePath, const std::wstring& path);
