// Entry points of the in-process server.

#include <windows.h>

#include <wchar.h>

#include "component/ClassFactory.h"
#include "component/ModuleState.h"
#include "component/TypeInfoCache.h"
#include "loading/DomClassObject.h"
#include "module/Registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        module_state::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Only on FreeLibrary: at process exit the runtime may be gone already.
        type_info_cache::Clear();
        dom_class_object::Clear();
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    return GetEventInfoClassObject(clsid, riid, object);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return module_state::LockCount() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT __stdcall DllRegisterServer() { return RegisterModule(module_state::Instance()); }

extern "C" HRESULT __stdcall DllUnregisterServer() { return UnregisterModule(module_state::Instance()); }

// regsvr32 /n /i:user registers for the calling user alone (no administrator
// rights needed), regsvr32 /u /n /i:user unregisters from the same hive.
// Without a command line DllInstall does what DllRegisterServer and
// DllUnregisterServer do.
extern "C" HRESULT __stdcall DllInstall(BOOL install, LPCWSTR cmdLine) {
    RegistrationScope scope = RegistrationScope::Machine;
    if (cmdLine && *cmdLine) {
        if (_wcsicmp(cmdLine, L"user") != 0) return E_INVALIDARG;
        scope = RegistrationScope::User;
    }
    const HINSTANCE module = module_state::Instance();
    return install ? RegisterModule(module, scope) : UnregisterModule(module, scope);
}
