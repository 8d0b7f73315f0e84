#pragma once

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <map>
#include <string>

#include "loading/ElementIndex.h"
#include "loading/SourceTable.h"

// Maps the event sources of every device ("/" device "/" group or TO) to the
// category ids of their events. E_FAIL, with nothing added, when the
// document has no single "DEVICES" element.
HRESULT BuildSourceCategories(const ElementIndex& elements, bool projectMode,
                              const std::map<std::wstring, int32_t>& categoryKeys, SourceTable& sourceCategories);
