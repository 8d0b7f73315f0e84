#pragma once

#include <windows.h>

// Writes (or removes) the keys of the module's registry script and the
// registration of the type libraries embedded in the module.
HRESULT RegisterModule(HINSTANCE module);
HRESULT UnregisterModule(HINSTANCE module);
