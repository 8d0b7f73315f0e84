#include "LayoutSizes.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

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

}  // namespace

void Write(std::vector<char>& bytes, size_t at, const void* value, size_t size) {
    if (at + size > bytes.size()) throw std::runtime_error("the written library is cut short");
    std::memcpy(bytes.data() + at, value, size);
}

void RestoreLayoutSizes(const std::wstring& path, const std::vector<LayoutSize>& sizes) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    if (static_cast<size_t>(Read<INT>(bytes, kTypeInfoCountAt)) != sizes.size())
        throw std::runtime_error("the written library has another number of type infos");

    const size_t table = TypeInfoTable(bytes);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const size_t entry = table + i * kTypeInfoSize;
        Write(bytes, entry + kVtableSizeAt, &sizes[i].vtable, sizeof sizes[i].vtable);
        Write(bytes, entry + kInstanceSizeAt, &sizes[i].instance, sizeof sizes[i].instance);
    }
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot rewrite " + Utf8(path));
}
