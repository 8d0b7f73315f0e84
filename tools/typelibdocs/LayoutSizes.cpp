#include "LayoutSizes.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "ComSupport.h"

namespace {

// The places of the file layout this needs.
constexpr size_t kTypeInfoCountAt = 0x20;
constexpr size_t kVarFlagsAt = 0x14;
constexpr size_t kHeaderSize = 0x54;
constexpr DWORD kHelpDllFlag = 0x100;
constexpr size_t kTypeInfoSize = 100;
constexpr size_t kVtableSizeAt = 0x4E;
constexpr size_t kInstanceSizeAt = 0x50;

template <class Value>
Value Read(const std::vector<char>& bytes, size_t at) {
    if (at + sizeof(Value) > bytes.size()) throw std::runtime_error("the written library is cut short");
    Value value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// Where the table of type info descriptions starts: the first segment of the
// directory after the header and the type info offsets.
size_t TypeInfoTable(const std::vector<char>& bytes) {
    if (Read<DWORD>(bytes, 0) != 0x5446534D) throw std::runtime_error("the written library is no MSFT file");
    size_t directory = kHeaderSize + Read<INT>(bytes, kTypeInfoCountAt) * sizeof(INT);
    if (Read<DWORD>(bytes, kVarFlagsAt) & kHelpDllFlag) directory += sizeof(INT);
    return static_cast<size_t>(Read<INT>(bytes, directory));
}

void Write(std::vector<char>& bytes, size_t at, const void* value, size_t size) {
    if (at + size > bytes.size()) throw std::runtime_error("the written library is cut short");
    std::memcpy(bytes.data() + at, value, size);
}

std::vector<char> ReadFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + Utf8(path));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void CopyLayoutSizes(const std::wstring& sourcePath, const std::wstring& path) {
    const std::vector<char> source = ReadFile(sourcePath);
    std::vector<char> bytes = ReadFile(path);
    const INT count = Read<INT>(source, kTypeInfoCountAt);
    if (Read<INT>(bytes, kTypeInfoCountAt) != count)
        throw std::runtime_error("the written library has another number of type infos");

    const size_t sourceTable = TypeInfoTable(source);
    const size_t table = TypeInfoTable(bytes);
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const size_t from = sourceTable + i * kTypeInfoSize;
        const size_t to = table + i * kTypeInfoSize;
        const auto vtable = Read<SHORT>(source, from + kVtableSizeAt);
        const auto instance = Read<INT>(source, from + kInstanceSizeAt);
        Write(bytes, to + kVtableSizeAt, &vtable, sizeof vtable);
        Write(bytes, to + kInstanceSizeAt, &instance, sizeof instance);
    }
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot rewrite " + Utf8(path));
}
