#pragma once

// The event sources of every device ("/" device "/" group or TO) and the
// category ids of their events.

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "loading/ElementIndex.h"
#include "loading/Project.h"
#include "loading/SourceTable.h"

// Enters every source into the table, a TO with its element for its type to
// be read on first use. E_FAIL, with nothing added, when the document has no
// single "DEVICES" element.
HRESULT BuildSourceCategories(const ElementIndex& elements, bool projectMode,
                              const std::map<std::wstring, int32_t>& categoryKeys, SourceTable& sourceCategories);

// A TO's category: the category key "TOT" + its "TypeID", in the project's
// document and key table.
SourceTable::CandidateCategory ToCategories(const Project& project);

// The category id of a source path; null when the project has none for it.
const int32_t* FindSourceCategory(const Project& project, std::wstring_view path);
bool HasSourceCategories(const Project& project);
// Every source with its category, in the order of the paths' UTF-16 code units.
std::vector<std::pair<std::wstring_view, int32_t>> SourceCategoriesInOrder(const Project& project);
