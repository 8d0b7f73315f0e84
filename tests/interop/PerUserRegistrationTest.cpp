// Registration for one user: regsvr32 /n /i:user writes the keys of the
// machine-wide registration under HKEY_CURRENT_USER\Software\Classes and
// nowhere else, and regsvr32 /u /n /i:user removes them again.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/interop/InteropProject.h"

namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes";
constexpr wchar_t kClassKey[] = L"CLSID\\{2BA94B3B-4AC6-40B7-83BB-FEE9F178FA04}";
const wchar_t* const kScriptKeys[] = {kProgId, kVersionedProgId, kClassKey};
const GUID kServerLibId = {0xFD8DD9CF, 0xF681, 0x41FD, {0x9D, 0x59, 0x6E, 0xF9, 0x90, 0x2B, 0xDE, 0x8E}};

// Every key and value below a key, as "path|value name" -> type and data.
using KeyTree = std::map<std::wstring, std::wstring>;

void Collect(HKEY parent, const std::wstring& name, const std::wstring& path, KeyTree& tree) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    tree[path + L"|"] = L"(key)";
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        BYTE data[2048] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        tree[path + L"|" + name] = std::to_wstring(type) + L":" +
                                   (type == REG_DWORD ? std::to_wstring(*reinterpret_cast<DWORD*>(data))
                                                      : std::wstring(reinterpret_cast<wchar_t*>(data)));
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Collect(key, name, path + L"\\" + name, tree);
    }
    RegCloseKey(key);
}

// The keys of the registry script in the classes of HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE.
KeyTree ScriptKeys(HKEY hive) {
    KeyTree tree;
    HKEY classes = nullptr;
    if (RegOpenKeyExW(hive, kClasses, 0, KEY_READ, &classes) != ERROR_SUCCESS) return tree;
    for (const wchar_t* key : kScriptKeys) Collect(classes, key, key, tree);
    RegCloseKey(classes);
    return tree;
}

KeyTree UserScriptKeys() { return ScriptKeys(HKEY_CURRENT_USER); }
KeyTree MachineScriptKeys() { return ScriptKeys(HKEY_LOCAL_MACHINE); }

// regsvr32 with the given switches on the component DLL; its exit code.
DWORD RunRegsvr32(const std::wstring& switches) {
    std::wstring command = L"regsvr32 /s " + switches + L" \"" + ComponentDllPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

HRESULT CallDllInstall(BOOL install, const wchar_t* commandLine) {
    HMODULE module = LoadLibraryW(ComponentDllPath().c_str());
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using Entry = HRESULT(__stdcall*)(BOOL, LPCWSTR);
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "DllInstall")));
    const HRESULT hr = entry ? entry(install, commandLine) : E_NOTIMPL;
    FreeLibrary(module);
    return hr;
}

bool TypeLibrariesLoad() {
    ComPtr<ITypeLib> component, server;
    return SUCCEEDED(LoadRegTypeLib(LIBID_IEVENTINFOSERVERLib, 1, 0, 0x409, &component)) &&
           SUCCEEDED(LoadRegTypeLib(kServerLibId, 1, 0, 0x409, &server));
}

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Only the per-user registration is in place while a test runs; the
// machine-wide one, which the other tests rely on, comes back afterwards.
class PerUserRegistration : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(UnregisterComponent(), S_OK);
        ASSERT_EQ(RunRegsvr32(L"/n /i:user"), 0u);
    }
    void TearDown() override {
        EXPECT_EQ(CallDllInstall(FALSE, L"user"), S_OK);
        ASSERT_EQ(RegisterComponent(), S_OK);
    }
};

}  // namespace

TEST_F(PerUserRegistration, WritesTheMachineWideKeysUnderTheUserClasses) {
    EXPECT_TRUE(MachineScriptKeys().empty());
    const KeyTree user = UserScriptKeys();
    EXPECT_TRUE(TypeLibrariesLoad());

    ASSERT_EQ(RegisterComponent(), S_OK);
    const KeyTree machine = MachineScriptKeys();
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(user, machine);
    ASSERT_EQ(UnregisterComponent(), S_OK);
}

// What COM does for a class registered for the user: ProgID to class id to
// the in-process server, through the user's classes.
TEST_F(PerUserRegistration, ActivatesThroughTheUserKeys) {
    const KeyTree user = UserScriptKeys();
    const auto clsid = user.find(std::wstring(kProgId) + L"\\CLSID|");
    const auto server = user.find(std::wstring(kClassKey) + L"\\InprocServer32|");
    ASSERT_NE(clsid, user.end());
    ASSERT_NE(server, user.end());
    CLSID classId{};
    ASSERT_EQ(CLSIDFromString(clsid->second.substr(clsid->second.find(L':') + 1).c_str(), &classId), S_OK);
    EXPECT_EQ(classId, CLSID_EventInfoObj);

    HMODULE module = LoadLibraryW(server->second.substr(server->second.find(L':') + 1).c_str());
    ASSERT_NE(module, nullptr);
    using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    auto entry = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_NE(entry, nullptr);
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(entry(classId, IID_PPV_ARGS(&factory)), S_OK);
        ComPtr<IEventInfoInit> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
        PointAtInteropProject();
        EXPECT_EQ(object->ParseXML(nullptr), S_OK);
    }
    FreeLibrary(module);
}

TEST_F(PerUserRegistration, CreatesByProgIdThroughCom) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's COM reads class registrations from HKEY_LOCAL_MACHINE only";
    ComPtr<IEventModel> object = CreateComponent<IEventModel>();
    ASSERT_TRUE(object);
    LONG handle = 0;
    EXPECT_EQ(object->CreateSubscription(&handle), S_OK);
}

// The marshaler's entry under locale 0 (see the machine-wide registration)
// is in the user's classes with the rest, and goes with it.
KeyTree UserLocaleNeutralKeys() {
    KeyTree tree;
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kClasses, 0, KEY_READ, &classes) != ERROR_SUCCESS) return tree;
    for (const wchar_t* library :
         {L"{140A8FBB-7C06-42A3-A822-3B03F9055F55}", L"{FD8DD9CF-F681-41FD-9D59-6EF9902BDE8E}"}) {
        const std::wstring key = std::wstring(L"TypeLib\\") + library + L"\\1.0\\0";
        Collect(classes, key, key, tree);
    }
    RegCloseKey(classes);
    return tree;
}

TEST_F(PerUserRegistration, UnregistrationRemovesTheUserKeys) {
    EXPECT_EQ(UserLocaleNeutralKeys().size(), 4u) << "two libraries, each a locale key and its platform's key";
    ASSERT_EQ(RunRegsvr32(L"/u /n /i:user"), 0u);
    EXPECT_TRUE(UserScriptKeys().empty());
    EXPECT_TRUE(UserLocaleNeutralKeys().empty());
    EXPECT_FALSE(TypeLibrariesLoad());
    HKEY classes = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kClasses) + L"\\CLSID").c_str(), 0, KEY_READ, &classes),
              ERROR_SUCCESS);
    RegCloseKey(classes);

    // Unregistering again is no error; an unknown scope is refused.
    EXPECT_EQ(CallDllInstall(FALSE, L"user"), S_OK);
    EXPECT_EQ(CallDllInstall(TRUE, L"everyone"), E_INVALIDARG);
    EXPECT_TRUE(UserScriptKeys().empty());
}

// As for the machine: the ProgIDs stay while the other build has the class
// registered for the user in its registry view, and go with the last build.
TEST_F(PerUserRegistration, ProgIdsStayWhileTheOtherBuildHoldsTheClass) {
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const std::wstring serverKey = std::wstring(kClasses) + L"\\" + kClassKey + L"\\InprocServer32";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, serverKey.c_str(), 0, nullptr, 0, KEY_WRITE | kOtherView, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t marker[] = L"other build";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(marker), sizeof marker);
    RegCloseKey(key);
    wchar_t seen[64] = {};
    DWORD size = sizeof seen;
    RegGetValueW(HKEY_CURRENT_USER, serverKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, seen, &size);
    if (std::wstring(seen) == marker) GTEST_SKIP() << "the user's classes have one registry view here";

    EXPECT_EQ(CallDllInstall(FALSE, L"user"), S_OK);
    const KeyTree left = UserScriptKeys();
    EXPECT_TRUE(left.count(std::wstring(kProgId) + L"|")) << "the other build still answers its ProgID";
    EXPECT_TRUE(left.count(std::wstring(kVersionedProgId) + L"|"));
    HKEY classes = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kClasses) + L"\\CLSID").c_str(), 0,
                            KEY_ALL_ACCESS | kOtherView, &classes),
              ERROR_SUCCESS);
    const std::wstring classId = std::wstring(kClassKey).substr(6);  // after "CLSID\\"
    RegDeleteTreeW(classes, classId.c_str());
    RegDeleteKeyW(classes, classId.c_str());
    RegCloseKey(classes);
}
