#include "loading/ProjectFilePath.h"

std::optional<std::string> ComposeProjectFilePath(std::string_view baseDirectory) {
    const size_t tailLength = sizeof kProjectFileTail - 1;
    if (baseDirectory.size() + tailLength + 1 > kMaxPathBytes) return std::nullopt;
    std::string path(baseDirectory);
    path += kProjectFileTail;
    return path;
}

std::string BaseDirectoryFromValue(bool isString, std::string_view data) {
    if (!isString) return {};
    const size_t end = data.find('\0');
    if (end == std::string_view::npos) return {};
    return std::string(data.substr(0, end));
}
