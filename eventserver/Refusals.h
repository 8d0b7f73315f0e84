#pragma once

// The words of the event server's refusals that several methods share.

#include <windows.h>

#include <string>

inline std::wstring NoSubscription(LONG handle) { return L"no subscription has the handle " + std::to_wstring(handle); }

inline std::wstring NoCategory(LONG categoryId) {
    return L"the project has no event category " + std::to_wstring(categoryId);
}
