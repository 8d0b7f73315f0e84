#include "module/Registration.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "loading/TextConversion.h"
#include "loading/Win32Owners.h"
#include "module/RegistryScript.h"
#include "module/ResourceIds.h"

// The per-user type library registration of oleaut32, which the
// cross-compiler's headers do not declare.
extern "C" {
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpDirectory);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libraryId, WORD major, WORD minor, LCID locale, SYSKIND system);
}

namespace {

std::wstring ModulePath(HINSTANCE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The script's HKCR stands for the classes key of the scope.
HKEY RootKey(const std::string& name, HKEY classesRoot) {
    if (name == "HKCR" || name == "HKEY_CLASSES_ROOT") return classesRoot;
    if (name == "HKLM" || name == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == "HKCU" || name == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    return nullptr;
}

HRESULT FromWin32(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

HRESULT SetValue(HKEY key, const wchar_t* name, const regscript::Value& value) {
    if (value.kind == regscript::Value::Kind::Number) {
        const DWORD number = value.number;
        return FromWin32(
            RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number));
    }
    const std::wstring text = FromUtf8(value.text);
    return FromWin32(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

LSTATUS DeleteTree(HKEY parent, const std::wstring& name) {
    const LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
    const LSTATUS removed = RegDeleteKeyW(parent, name.c_str());
    return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : removed;
}

HRESULT WriteKey(HKEY parent, const regscript::Key& key) {
    const std::wstring name = FromUtf8(key.name);
    if (key.removal == regscript::Removal::ForceRemove || key.removal == regscript::Removal::Delete) {
        const LSTATUS status = DeleteTree(parent, name);
        if (status != ERROR_SUCCESS) return FromWin32(status);
        if (key.removal == regscript::Removal::Delete) return S_OK;
    }
    RegistryKey opened;
    HRESULT hr = FromWin32(
        RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, opened.Receive(), nullptr));
    if (FAILED(hr)) return hr;
    if (key.defaultValue) {
        hr = SetValue(opened.Get(), nullptr, *key.defaultValue);
        if (FAILED(hr)) return hr;
    }
    for (const auto& [valueName, value] : key.namedValues) {
        hr = SetValue(opened.Get(), FromUtf8(valueName).c_str(), value);
        if (FAILED(hr)) return hr;
    }
    for (const auto& subkey : key.subkeys) {
        hr = WriteKey(opened.Get(), subkey);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// Removes what WriteKey wrote; keys marked NoRemove stay, their subkeys are
// still processed. A key that is already gone is no error.
HRESULT RemoveKey(HKEY parent, const regscript::Key& key) {
    const std::wstring name = FromUtf8(key.name);
    switch (key.removal) {
    case regscript::Removal::Delete: return S_OK;
    case regscript::Removal::NoRemove: {
        RegistryKey opened;
        const LSTATUS status = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, opened.Receive());
        if (status == ERROR_FILE_NOT_FOUND) return S_OK;
        if (status != ERROR_SUCCESS) return FromWin32(status);
        for (const auto& subkey : key.subkeys) {
            const HRESULT hr = RemoveKey(opened.Get(), subkey);
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    }
    default: return FromWin32(DeleteTree(parent, name));
    }
}

// The registry keeps one class key for each view, 32-bit and 64-bit, but
// one key for both of every ProgID: the script's keys beside "CLSID".
bool SharedBetweenViews(const regscript::Key& key) { return key.name != "CLSID"; }

HRESULT RemoveKeyOfThisView(HKEY parent, const regscript::Key& key) {
    return SharedBetweenViews(key) ? S_OK : RemoveKey(parent, key);
}

HRESULT RemoveSharedKey(HKEY parent, const regscript::Key& key) {
    return SharedBetweenViews(key) ? RemoveKey(parent, key) : S_OK;
}

// Whether the build of the other architecture has the class registered in
// its view of the scope's classes. Where there is one view only, this one's
// class key is gone by the time this is asked.
bool ClassRegisteredInOtherView(RegistrationScope scope) {
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    wchar_t classId[40] = {};
    StringFromGUID2(CLSID_EventInfoObj, classId, 40);
    const std::wstring path = std::wstring(L"Software\\Classes\\CLSID\\") + classId + L"\\InprocServer32";
    RegistryKey key;
    const HKEY hive = scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    return RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ | kOtherView, key.Receive()) == ERROR_SUCCESS;
}

HRESULT LoadScript(HINSTANCE module, regscript::Script& script) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDR_EVENTINFOOBJ), L"REGISTRY");
    if (!resource) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL loaded = LoadResource(module, resource);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data) return HRESULT_FROM_WIN32(GetLastError());
    const std::string_view text(data, SizeofResource(module, resource));
    try {
        script = regscript::Parse(text, {{"MODULE", Utf8(ModulePath(module))}});
    } catch (const regscript::ParseError&) {
        return E_UNEXPECTED;
    } catch (const std::exception&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

template <class Action>
HRESULT ForEachRoot(const regscript::Script& script, HKEY classesRoot, Action action) {
    for (const auto& root : script.roots) {
        const HKEY rootKey = RootKey(root.name, classesRoot);
        if (!rootKey) return E_UNEXPECTED;
        for (const auto& key : root.subkeys) {
            const HRESULT hr = action(rootKey, key);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

std::wstring TypeLibraryPath(HINSTANCE module, int resourceId) {
    std::wstring path = ModulePath(module);
    if (resourceId != 1) path += L"\\" + std::to_wstring(resourceId);
    return path;
}

// HKEY_CLASSES_ROOT for the machine; the user's own classes key, created if
// need be, for one user.
HRESULT OpenClassesRoot(RegistrationScope scope, RegistryKey& userClasses, HKEY& classesRoot) {
    if (scope == RegistrationScope::Machine) {
        classesRoot = HKEY_CLASSES_ROOT;
        return S_OK;
    }
    const HRESULT hr = FromWin32(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                                 KEY_READ | KEY_WRITE, nullptr, userClasses.Receive(), nullptr));
    classesRoot = userClasses.Get();
    return hr;
}

struct LibraryIdentity {
    GUID id;
    WORD major;
    WORD minor;
    LCID locale;
    SYSKIND system;
};

HRESULT ReadLibraryIdentity(ITypeLib* library, LibraryIdentity& identity) {
    TLIBATTR* attributes = nullptr;
    const HRESULT hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    identity = {attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                attributes->syskind};
    library->ReleaseTLibAttr(attributes);
    return S_OK;
}

// The universal marshaler, which makes the proxies a host in another
// apartment calls through, looks a library up under locale 0 only, whatever
// locale the library was registered under. So each library is registered a
// second time there, beside its own locale.
std::wstring LocaleNeutralKey(const LibraryIdentity& library) {
    wchar_t libraryId[40] = {};
    StringFromGUID2(library.id, libraryId, 40);
    wchar_t version[16] = {};
    swprintf(version, 16, L"%x.%x", library.major, library.minor);
    return std::wstring(L"TypeLib\\") + libraryId + L"\\" + version + L"\\0";
}

const wchar_t* SystemKeyName(SYSKIND system) { return system == SYS_WIN64 ? L"win64" : L"win32"; }

HRESULT WriteLocaleNeutralKey(HKEY classesRoot, const LibraryIdentity& library, const std::wstring& path) {
    const std::wstring name = LocaleNeutralKey(library) + L"\\" + SystemKeyName(library.system);
    RegistryKey key;
    const HRESULT hr = FromWin32(
        RegCreateKeyExW(classesRoot, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr));
    if (FAILED(hr)) return hr;
    return SetValue(key.Get(), nullptr, regscript::Value{regscript::Value::Kind::String, Utf8(path), 0});
}

// Removes this build's entry under locale 0, and the locale's key once the
// other build's entry is gone too, so that the platform's unregistration
// finds no locale left and removes the library's keys.
HRESULT RemoveLocaleNeutralKey(HKEY classesRoot, const LibraryIdentity& library) {
    const std::wstring name = LocaleNeutralKey(library);
    DWORD entriesLeft = 0;
    {
        RegistryKey locale;
        LSTATUS status = RegOpenKeyExW(classesRoot, name.c_str(), 0, KEY_READ | KEY_WRITE, locale.Receive());
        if (status == ERROR_FILE_NOT_FOUND) return S_OK;
        if (status != ERROR_SUCCESS) return FromWin32(status);
        status = RegDeleteKeyW(locale.Get(), SystemKeyName(library.system));
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return FromWin32(status);
        status = RegQueryInfoKeyW(locale.Get(), nullptr, nullptr, nullptr, &entriesLeft, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return FromWin32(status);
    }
    return entriesLeft == 0 ? FromWin32(DeleteTree(classesRoot, name)) : S_OK;
}

HRESULT RegisterTypeLibrary(HINSTANCE module, int resourceId, RegistrationScope scope, HKEY classesRoot) {
    const std::wstring path = TypeLibraryPath(module, resourceId);
    Microsoft::WRL::ComPtr<ITypeLib> library;
    LibraryIdentity identity{};
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (SUCCEEDED(hr)) hr = ReadLibraryIdentity(library.Get(), identity);
    if (FAILED(hr)) return hr;
    std::wstring writablePath = path;  // the API takes a non-const string
    const auto registerLibrary = scope == RegistrationScope::User ? RegisterTypeLibForUser : RegisterTypeLib;
    hr = registerLibrary(library.Get(), &writablePath[0], nullptr);
    if (FAILED(hr)) return hr;
    return WriteLocaleNeutralKey(classesRoot, identity, path);
}

HRESULT UnregisterTypeLibrary(HINSTANCE module, int resourceId, RegistrationScope scope, HKEY classesRoot) {
    const std::wstring path = TypeLibraryPath(module, resourceId);
    Microsoft::WRL::ComPtr<ITypeLib> library;
    LibraryIdentity identity{};
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (SUCCEEDED(hr)) hr = ReadLibraryIdentity(library.Get(), identity);
    if (SUCCEEDED(hr)) hr = RemoveLocaleNeutralKey(classesRoot, identity);
    if (FAILED(hr)) return hr;
    // A library that is not registered is already in the wanted state.
    Bstr registeredPath;
    if (FAILED(QueryPathOfRegTypeLib(identity.id, identity.major, identity.minor, identity.locale,
                                     registeredPath.Receive())))
        return S_OK;
    const auto unregisterLibrary = scope == RegistrationScope::User ? UnRegisterTypeLibForUser : UnRegisterTypeLib;
    return unregisterLibrary(identity.id, identity.major, identity.minor, identity.locale, identity.system);
}

}  // namespace

HRESULT RegisterModule(HINSTANCE module, RegistrationScope scope) {
    regscript::Script script;
    RegistryKey userClasses;
    HKEY classesRoot = nullptr;
    HRESULT hr = LoadScript(module, script);
    if (SUCCEEDED(hr)) hr = OpenClassesRoot(scope, userClasses, classesRoot);
    if (SUCCEEDED(hr)) hr = ForEachRoot(script, classesRoot, WriteKey);
    if (SUCCEEDED(hr)) hr = RegisterTypeLibrary(module, TYPELIB_COMPONENT, scope, classesRoot);
    if (SUCCEEDED(hr)) hr = RegisterTypeLibrary(module, TYPELIB_EVENT_SERVER, scope, classesRoot);
    return hr;
}

HRESULT UnregisterModule(HINSTANCE module, RegistrationScope scope) {
    regscript::Script script;
    RegistryKey userClasses;
    HKEY classesRoot = nullptr;
    HRESULT hr = LoadScript(module, script);
    if (SUCCEEDED(hr)) hr = OpenClassesRoot(scope, userClasses, classesRoot);
    if (SUCCEEDED(hr)) hr = ForEachRoot(script, classesRoot, RemoveKeyOfThisView);
    // The ProgIDs name the class for both builds: they go with the last one.
    if (SUCCEEDED(hr) && !ClassRegisteredInOtherView(scope)) hr = ForEachRoot(script, classesRoot, RemoveSharedKey);
    const HRESULT component = UnregisterTypeLibrary(module, TYPELIB_COMPONENT, scope, classesRoot);
    const HRESULT server = UnregisterTypeLibrary(module, TYPELIB_EVENT_SERVER, scope, classesRoot);
    if (SUCCEEDED(hr)) hr = FAILED(component) ? component : server;
    return hr;
}
