#pragma once

// The load of the project file, in its stages: the file named by the
// registry value, the file's bytes, the DOM's parse of them, and the tables
// built from the tree. Failing platform calls raise ComError.

#include <optional>
#include <string>

#include "loading/Project.h"

// The project file below the data directory the registry value names;
// nothing when the composed path would not fit the path buffer.
std::optional<std::string> ProjectFileNamedByRegistry();

// Loads the file into the project: a new document (an empty one when the
// file cannot be read), its element index and, when it has a root element,
// the project mode and the tables. S_OK, or E_INVALIDARG when the document
// has no root element; the tables then stay as they were.
HRESULT LoadProject(const std::string& ansiPath, Project& project);

// The load of the registry-named file: E_INVALIDARG without loading when its
// path does not fit.
HRESULT LoadProjectNamedByRegistry(Project& project);
