// IParseDisplayName: "[@]ProgID[@file]" gives a pointer moniker to a new,
// already loaded object.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/deviceinfo/DeviceInfoTestSupport.h"

namespace {

constexpr char kFirstProject[] = "<R><DEVICES><First/></DEVICES></R>";
constexpr char kSecondProject[] = "<R><DEVICES><Second/></DEVICES></R>";

IMoniker* const kUntouched = reinterpret_cast<IMoniker*>(static_cast<uintptr_t>(0x1234));

ComPtr<IUMCInfo> BindMoniker(IMoniker* moniker) {
    ComPtr<IBindCtx> context;
    EXPECT_EQ(CreateBindCtx(0, &context), S_OK);
    ComPtr<IUMCInfo> info;
    EXPECT_EQ(moniker->BindToObject(context.Get(), nullptr, __uuidof(IUMCInfo),
                                    reinterpret_cast<void**>(info.GetAddressOf())),
              S_OK);
    return info;
}

Texts DeviceNames(IUMCInfo* info) {
    Variant names, checkSums, addresses;
    tagAlarmTypes alarms = ALARM_TYPE_NONE;
    tagIUMCErrors error = IUMC_OK;
    EXPECT_EQ(info->GetDevices(names.Get(), checkSums.Get(), addresses.Get(), &alarms, &error), S_OK);
    return TextsOf(*names.Get());
}

}  // namespace

TEST(ParseDisplayName, BindsToANewLoadedObject) {
    ProjectDirectory directory;
    directory.WriteProject(kFirstProject);
    const std::wstring file = directory.ProjectFile();
    const std::wstring names[] = {
        L"@" + std::wstring(kVersionedProgId) + L"@" + file,
        std::wstring(kVersionedProgId) + L"@" + file,
        std::wstring(kProgId) + L"@" + file,
        L"CorvalisEventInfo@" + file,    // only the first component is compared
        std::wstring(kVersionedProgId),  // no file part: the registry-named file
        L"@" + std::wstring(kProgId),
    };
    for (const std::wstring& name : names) {
        SCOPED_TRACE(name);
        directory.WriteProject(kFirstProject);
        auto parser = CreateComponent<IEventInfoInit>();
        ComPtr<IParseDisplayName> parse;
        ASSERT_EQ(parser.As(&parse), S_OK);
        ULONG eaten = 0;
        ComPtr<IMoniker> moniker;
        ASSERT_EQ(parse->ParseDisplayName(nullptr, const_cast<LPOLESTR>(name.c_str()), &eaten, &moniker), S_OK);
        ASSERT_TRUE(moniker);
        EXPECT_EQ(eaten, name.size());
        // The object behind the moniker loaded the file during the call: a
        // later change of the file does not show.
        directory.WriteProject(kSecondProject);
        auto info = BindMoniker(moniker.Get());
        ASSERT_TRUE(info);
        EXPECT_EQ(DeviceNames(info.Get()), Texts{L"First"});
        // A second, independent object; the one called stays unloaded.
        ComPtr<IUnknown> bound, caller;
        info.As(&bound);
        parser.As(&caller);
        EXPECT_NE(bound.Get(), caller.Get());
        // Had it loaded, its devices would be those of the first file.
        ComPtr<IUMCInfo> callerInfo;
        ASSERT_EQ(parser.As(&callerInfo), S_OK);
        EXPECT_EQ(DeviceNames(callerInfo.Get()), Texts{L"Second"});
    }
}

TEST(ParseDisplayName, RefusedNames) {
    ProjectDirectory directory;
    directory.WriteProject(kFirstProject);
    const std::wstring file = directory.ProjectFile();
    const std::wstring names[] = {
        L"OtherProgram.Thing.1@" + file,
        L"corvalisEventInfo.EventInfoObj.1@" + file,
        L"@@" + std::wstring(kVersionedProgId) + L"@" + file,
        L"Corvalis@" + file,
        L"",
        L"@",
    };
    auto parse = CreateComponent<IParseDisplayName>();
    ASSERT_TRUE(parse);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(name);
        ULONG eaten = 0;
        IMoniker* moniker = kUntouched;
        EXPECT_EQ(parse->ParseDisplayName(nullptr, const_cast<LPOLESTR>(name.c_str()), &eaten, &moniker),
                  MK_E_NOOBJECT);
        EXPECT_EQ(moniker, kUntouched);
    }
}

TEST(ParseDisplayName, FailedLoadGivesNoObject) {
    ProjectDirectory directory;  // no project file in it
    auto parse = CreateComponent<IParseDisplayName>();
    ASSERT_TRUE(parse);
    std::wstring name = std::wstring(kVersionedProgId) + L"@" + directory.ProjectFile();
    ULONG eaten = 0;
    IMoniker* moniker = kUntouched;
    EXPECT_EQ(parse->ParseDisplayName(nullptr, &name[0], &eaten, &moniker), MK_E_NOOBJECT);
    EXPECT_EQ(moniker, kUntouched);
}

TEST(ParseDisplayName, NullArguments) {
    ProjectDirectory directory;
    directory.WriteProject(kFirstProject);
    auto parse = CreateComponent<IParseDisplayName>();
    ASSERT_TRUE(parse);
    std::wstring name(kVersionedProgId);
    ULONG eaten = 99;
    IMoniker* moniker = kUntouched;
    EXPECT_EQ(parse->ParseDisplayName(nullptr, nullptr, &eaten, &moniker), E_POINTER);
    EXPECT_EQ(eaten, 99u);
    EXPECT_EQ(moniker, kUntouched);
    EXPECT_EQ(parse->ParseDisplayName(nullptr, &name[0], nullptr, &moniker), E_POINTER);
    EXPECT_EQ(moniker, kUntouched);
    EXPECT_EQ(parse->ParseDisplayName(nullptr, &name[0], &eaten, nullptr), E_POINTER);
    EXPECT_EQ(eaten, 99u);
}
