// Every test program registers the freshly built DLL in the test prefix and
// runs its tests in a single-threaded apartment.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/TestSupport.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const HRESULT registered = RegisterComponent();
    if (FAILED(registered)) {
        std::fprintf(stderr, "cannot register the component: 0x%08lX\n", static_cast<unsigned long>(registered));
        return 2;
    }
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
