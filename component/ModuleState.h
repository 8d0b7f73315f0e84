#pragma once

#include <windows.h>

// Module-wide state shared by every apartment: the lock count (live objects
// plus server locks) and the module's instance handle.
namespace module_state {

void Lock();
void Unlock();
LONG LockCount();

void SetInstance(HINSTANCE instance);
HINSTANCE Instance();

}  // namespace module_state
