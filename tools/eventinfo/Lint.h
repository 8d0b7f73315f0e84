#pragma once

// The lint of a loaded project file: what the component drops or cannot
// reach in it without a word, each with its element and line.

#include <string>
#include <vector>

#include "loading/Project.h"
#include "loading/TextConversion.h"

struct LintFinding {
    std::string check;    // short name of the rule
    int line = 0;         // 1-based; 0 when the place is not in the file
    std::string element;  // path of the element, see ElementPath
    std::string detail;
};

// `fileText` is the file's content as loaded, for the lines of elements.
// Raises ComError on DOM failures.
std::vector<LintFinding> LintProject(const Project& project, const std::string& fileText);
