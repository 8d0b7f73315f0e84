// What registration writes and unregistration removes.

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

constexpr wchar_t kClsidKey[] = L"CLSID\\{2BA94B3B-4AC6-40B7-83BB-FEE9F178FA04}";
constexpr wchar_t kLibId[] = L"{140A8FBB-7C06-42A3-A822-3B03F9055F55}";
const GUID kServerLibId = {0xFD8DD9CF, 0xF681, 0x41FD, {0x9D, 0x59, 0x6E, 0xF9, 0x90, 0x2B, 0xDE, 0x8E}};
constexpr wchar_t kServerLibIdText[] = L"{FD8DD9CF-F681-41FD-9D59-6EF9902BDE8E}";

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The text of a value, or "<missing>".
std::wstring ValueText(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

bool TypeLibraryLoads(REFGUID libId, LCID locale) {
    ComPtr<ITypeLib> library;
    return SUCCEEDED(LoadRegTypeLib(libId, 1, 0, locale, &library));
}

class Registration : public testing::Test {
protected:
    void TearDown() override { ASSERT_EQ(RegisterComponent(), S_OK); }
};

}  // namespace

TEST_F(Registration, WritesProgIdsClassKeyAndTypeLibraries) {
    ASSERT_EQ(RegisterComponent(), S_OK);
    const std::wstring classId = L"{2BA94B3B-4AC6-40B7-83BB-FEE9F178FA04}";
    struct Expected {
        std::wstring key;
        const wchar_t* value;
        std::wstring text;
    };
    const Expected expected[] = {
        {L"CorvalisEventInfo.EventInfoObj.1", nullptr, L"EventInfoObj Class"},
        {L"CorvalisEventInfo.EventInfoObj.1\\CLSID", nullptr, classId},
        {L"CorvalisEventInfo.EventInfoObj", nullptr, L"EventInfoObj Class"},
        {L"CorvalisEventInfo.EventInfoObj\\CLSID", nullptr, classId},
        {L"CorvalisEventInfo.EventInfoObj\\CurVer", nullptr, L"CorvalisEventInfo.EventInfoObj.1"},
        {kClsidKey, nullptr, L"EventInfoObj Class"},
        {std::wstring(kClsidKey) + L"\\ProgID", nullptr, L"CorvalisEventInfo.EventInfoObj.1"},
        {std::wstring(kClsidKey) + L"\\VersionIndependentProgID", nullptr, L"CorvalisEventInfo.EventInfoObj"},
        {std::wstring(kClsidKey) + L"\\InprocServer32", nullptr, ComponentDllPath()},
        {std::wstring(kClsidKey) + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {std::wstring(kClsidKey) + L"\\TypeLib", nullptr, kLibId},
    };
    for (const auto& row : expected) {
        EXPECT_TRUE(_wcsicmp(ValueText(row.key, row.value).c_str(), row.text.c_str()) == 0)
            << std::string(row.key.begin(), row.key.end()) << " = "
            << std::string(ValueText(row.key, row.value).begin(), ValueText(row.key, row.value).end());
    }
    EXPECT_TRUE(KeyExists(std::wstring(kClsidKey) + L"\\Programmable"));

    // Registered under the libraries' own locale, and under locale 0 for the
    // marshaler of calls from other apartments.
    for (const GUID* library : {&LIBID_IEVENTINFOSERVERLib, &kServerLibId}) {
        for (LCID locale : {0x409, 0}) EXPECT_TRUE(TypeLibraryLoads(*library, locale)) << locale;
        TLIBATTR* attributes = nullptr;
        ComPtr<ITypeLib> loaded;
        ASSERT_EQ(LoadRegTypeLib(*library, 1, 0, 0, &loaded), S_OK);
        ASSERT_EQ(loaded->GetLibAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->lcid, 0x409u);
        loaded->ReleaseTLibAttr(attributes);
    }
}

TEST_F(Registration, ResolvesBothProgIdsToTheClass) {
    for (const wchar_t* progId : {kProgId, kVersionedProgId}) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        EXPECT_EQ(clsid, CLSID_EventInfoObj);
    }
}

TEST_F(Registration, UnregistrationRemovesWhatWasWrittenButKeepsClsidRoot) {
    ASSERT_EQ(RegisterComponent(), S_OK);
    ASSERT_EQ(UnregisterComponent(), S_OK);
    EXPECT_FALSE(KeyExists(L"CorvalisEventInfo.EventInfoObj.1"));
    EXPECT_FALSE(KeyExists(L"CorvalisEventInfo.EventInfoObj"));
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_TRUE(KeyExists(L"CLSID"));
    for (const wchar_t* library : {kLibId, kServerLibIdText})
        EXPECT_FALSE(KeyExists(std::wstring(L"TypeLib\\") + library));
    CLSID clsid{};
    EXPECT_NE(CLSIDFromProgID(kProgId, &clsid), S_OK);

    // Unregistering twice is no error; registering again restores everything.
    EXPECT_EQ(UnregisterComponent(), S_OK);
    ASSERT_EQ(RegisterComponent(), S_OK);
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
}

TEST_F(Registration, RegistrationRewritesTheClassKey) {
    // A stale value under the class key disappears: the key is removed and written again.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kClsidKey) + L"\\Stale").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegisterComponent(), S_OK);
    EXPECT_FALSE(KeyExists(std::wstring(kClsidKey) + L"\\Stale"));
}

// The 64-bit and the 32-bit build registered side by side share the ProgID
// keys; each has its class key in its own registry view. The other build's
// class key is written here as its registration writes it.
TEST_F(Registration, ProgIdsStayWhileTheOtherBuildHoldsTheClass) {
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const std::wstring otherClassKey = std::wstring(L"Software\\Classes\\") + kClsidKey;
    const auto removeOtherClassKey = [&] {
        HKEY classes = nullptr;
        ASSERT_EQ(
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | kOtherView, &classes),
            ERROR_SUCCESS);
        const wchar_t* classId = kClsidKey + 6;  // after "CLSID\\"
        RegDeleteTreeW(classes, classId);
        RegDeleteKeyW(classes, classId);
        RegCloseKey(classes);
    };
    for (const bool otherFirst : {true, false}) {
        ASSERT_EQ(RegisterComponent(), S_OK);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (otherClassKey + L"\\InprocServer32").c_str(), 0, nullptr, 0,
                                  KEY_WRITE | kOtherView, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        CLSID clsid{};
        if (otherFirst) {  // the other build leaves first: this one keeps everything
            removeOtherClassKey();
            ASSERT_EQ(UnregisterComponent(), S_OK);
            EXPECT_FALSE(KeyExists(kProgId)) << "the last build removes the ProgIDs";
            continue;
        }
        ASSERT_EQ(UnregisterComponent(), S_OK);
        EXPECT_FALSE(KeyExists(kClsidKey));
        EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK) << "the other build still answers its ProgID";
        EXPECT_EQ(CLSIDFromProgID(kVersionedProgId, &clsid), S_OK);
        EXPECT_EQ(ValueText(std::wstring(kProgId) + L"\\CurVer"), kVersionedProgId);
        removeOtherClassKey();
    }
}

// Side by side, each build has its own entry under locale 0 (see above):
// unregistering one build leaves the other's entry, and the library's key.
TEST_F(Registration, LocaleNeutralEntryOfTheOtherBuildStays) {
    ASSERT_EQ(RegisterComponent(), S_OK);
    const bool wide = sizeof(void*) == 8;
    const std::wstring library = std::wstring(L"TypeLib\\") + kServerLibIdText;
    const std::wstring own = library + L"\\1.0\\0\\" + (wide ? L"win64" : L"win32");
    const std::wstring other = library + L"\\1.0\\0\\" + (wide ? L"win32" : L"win64");
    EXPECT_EQ(_wcsicmp(ValueText(own).c_str(), (ComponentDllPath() + L"\\2").c_str()), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, other.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(UnregisterComponent(), S_OK);
    EXPECT_FALSE(KeyExists(own));
    EXPECT_TRUE(KeyExists(other));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, library.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, library.c_str());
}

TEST(Resources, GermanStringTable) {
    HMODULE module = LoadLibraryExW(ComponentDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const struct {
        UINT id;
        const wchar_t* text;
    } expected[] = {
        {100, L"IEventInfoServer"},
        {102, L"Asynchrone Aufrufe werden nicht unterst\u00fctzt"},
        {103, L"Fehler beim Lesen der ALarmtext-Datei"},
    };
    for (const auto& row : expected) {
        wchar_t buffer[256] = {};
        LoadStringW(module, row.id, buffer, 256);
        EXPECT_STREQ(buffer, row.text) << row.id;
    }
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(101), L"REGISTRY"), nullptr);
    FreeLibrary(module);
}
