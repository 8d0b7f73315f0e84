#pragma once

// The inspector's own load of a project file through the component code
// linked into it, for what the interfaces do not show.

#include <memory>
#include <string>

#include "loading/Project.h"

struct LoadedProject {
    std::unique_ptr<Project> project;
    std::string path;      // as the user gave it, or the registry-named path
    std::string fileText;  // the file's bytes, for the lines of elements
};

// Loads `path`, or the registry-named file when `path` is empty. Raises
// Failure (kExitNotLoaded) saying why when there is nothing to answer from.
LoadedProject LoadProjectFile(const std::string& path);
