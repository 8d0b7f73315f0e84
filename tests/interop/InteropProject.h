#pragma once

// The small project of tests/interop/data that every interop client checks
// its answers against.

#include <string>

#include "tests/support/TestSupport.h"

// INTEROP_DATA_DIR is the data directory as a Windows path, set by the build.
inline void PointAtInteropProject() {
    const std::string directory = INTEROP_DATA_DIR;
    SetDataPath(std::wstring(directory.begin(), directory.end()));
}

inline constexpr LONG kUserAlarms = 0x200001;
inline constexpr LONG kSystemDiagnosis = 0x100002;
inline constexpr LONG kPositioningAxes = 0x200021;
inline constexpr LONG kAreaAttribute = 26;
