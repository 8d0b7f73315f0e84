#include "loading/ComValues.h"

AllocationProbe g_allocationProbe = nullptr;
