#include "component/ModuleState.h"

namespace module_state {
namespace {
LONG g_lockCount = 0;
HINSTANCE g_instance = nullptr;
}  // namespace

void Lock() { InterlockedIncrement(&g_lockCount); }
void Unlock() { InterlockedDecrement(&g_lockCount); }
LONG LockCount() { return InterlockedCompareExchange(&g_lockCount, 0, 0); }

void SetInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE Instance() { return g_instance; }

}  // namespace module_state
