// Every test program registers the freshly built DLL in the test prefix and
// runs its tests in a single-threaded apartment.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/TestSupport.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(initialized)) {
        std::fprintf(stderr, "cannot enter a single-threaded apartment: 0x%08lX\n",
                     static_cast<unsigned long>(initialized));
        return 2;
    }
    const HRESULT registered = RegisterComponent();
    if (FAILED(registered)) {
        std::fprintf(stderr, "cannot register the component: 0x%08lX\n", static_cast<unsigned long>(registered));
        return 2;
    }
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
