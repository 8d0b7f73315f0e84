#pragma once

// Wine lays out sizes from what this process sees: an interface's vtable
// from its base interface in 8-byte pointers even for a 32-bit library, an
// enumeration as wide as a pointer. The functions' own offsets come out
// right; the written file gets the source's sizes back.

#include <windows.h>

#include <string>
#include <vector>

struct LayoutSize {
    SHORT vtable;
    INT instance;
};

// Sets, in the library file at `path`, the sizes of each type info to
// `sizes` at its index.
void RestoreLayoutSizes(const std::wstring& path, const std::vector<LayoutSize>& sizes);
