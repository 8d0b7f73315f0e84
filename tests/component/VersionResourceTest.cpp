// The version resource of the DLL and the inspector: the project's version
// and names, as Explorer's details and installers read them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProjectVersion.h"
#include "tests/support/TestSupport.h"

namespace {

std::wstring BesideTheDll(const wchar_t* name) {
    const std::wstring dll = ComponentDllPath();
    return dll.substr(0, dll.find_last_of(L'\\') + 1) + name;
}

std::wstring Widened(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

TEST(VersionResource, BothModulesCarryTheProjectVersion) {
    const struct {
        std::wstring path;
        const wchar_t* originalName;
        DWORD fileType;
    } modules[] = {
        {ComponentDllPath(), L"IEventInfoServer.dll", VFT_DLL},
        {BesideTheDll(L"eventinfo.exe"), L"eventinfo.exe", VFT_APP},
    };
    for (const auto& module : modules) {
        SCOPED_TRACE(std::string(module.originalName, module.originalName + wcslen(module.originalName)));
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(module.path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(module.path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, DWORD(PROJECT_VERSION_MAJOR << 16 | PROJECT_VERSION_MINOR));
        EXPECT_EQ(fixed->dwFileVersionLS, DWORD(PROJECT_VERSION_PATCH << 16));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwFileType, module.fileType);

        const std::pair<const wchar_t*, std::wstring> strings[] = {
            {L"FileVersion", Widened(PROJECT_VERSION_TEXT)}, {L"ProductVersion", Widened(PROJECT_VERSION_TEXT)},
            {L"ProductName", L"IEventInfoServer"},           {L"CompanyName", L"Corvalis"},
            {L"OriginalFilename", module.originalName},
        };
        for (const auto& [name, expected] : strings) {
            wchar_t* text = nullptr;
            const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
            ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length));
            EXPECT_EQ(std::wstring(text), expected);
        }
        wchar_t* description = nullptr;
        EXPECT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileDescription",
                                   reinterpret_cast<void**>(&description), &length) &&
                    length > 1);
    }
}
