#pragma once

// Where the project file lies below the data directory named by the registry.

#include <optional>
#include <string>
#include <string_view>

inline constexpr char kDataPathKey[] = "SOFTWARE\\ORBANEX\\TALMERO_NET\\General\\Paths";
inline constexpr char kDataPathValue[] = "VELOX_DataPath";
inline constexpr char kProjectFileTail[] = "\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml";
inline constexpr size_t kMaxPathBytes = 260;  // the composed path with its terminating zero

// The base directory with the fixed tail appended as it stands, or nothing
// when the result (with its terminator) would not fit in kMaxPathBytes.
std::optional<std::string> ComposeProjectFilePath(std::string_view baseDirectory);

// The base directory from the raw bytes of a registry value: its text up to
// the first zero, or empty when the value is not a string or has no
// terminating zero within its data.
std::string BaseDirectoryFromValue(bool isString, std::string_view data);
