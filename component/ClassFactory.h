#pragma once

#include <windows.h>

// Hands out the class factory of EventInfoObj (DllGetClassObject).
HRESULT GetEventInfoClassObject(REFCLSID clsid, REFIID riid, void** object);
