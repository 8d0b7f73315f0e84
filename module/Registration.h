#pragma once

#include <windows.h>

// Where the module is registered: for every user of the machine (the
// classes of HKEY_LOCAL_MACHINE, through HKEY_CLASSES_ROOT) or for the
// calling user alone (HKEY_CURRENT_USER\Software\Classes), which needs no
// administrator rights.
enum class RegistrationScope { Machine, User };

// Writes (or removes) the keys of the module's registry script and the
// registration of the type libraries embedded in the module.
HRESULT RegisterModule(HINSTANCE module, RegistrationScope scope = RegistrationScope::Machine);
HRESULT UnregisterModule(HINSTANCE module, RegistrationScope scope = RegistrationScope::Machine);
