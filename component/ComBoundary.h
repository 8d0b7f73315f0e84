#pragma once

// The one place where an interface method's errors become its result: no
// exception leaves the component. A raised ComError gives its own code,
// running out of memory E_OUTOFMEMORY, anything else E_UNEXPECTED; a method
// whose every raised error has one documented result names it.

#include <windows.h>

#include <new>

#include "loading/ComValues.h"

template <class Body>
HRESULT ComBoundary(Body&& body, HRESULT everyRaisedError = S_OK) noexcept {
    HRESULT raised = E_UNEXPECTED;
    try {
        return body();
    } catch (const ComError& error) {
        raised = error.Code();
    } catch (const std::bad_alloc&) {
        raised = E_OUTOFMEMORY;
    } catch (...) {}
    return everyRaisedError != S_OK ? everyRaisedError : raised;
}
