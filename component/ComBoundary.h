#pragma once

// The one place where an interface method's errors become its result: no
// exception leaves the component. A raised ComError gives its own code,
// running out of memory E_OUTOFMEMORY, anything else E_UNEXPECTED; a method
// whose every raised error has one documented result names it.
//
// The methods of the interfaces a host calls also tell the calling thread
// why they failed, through the platform's error object, and clear it when
// they succeed. Their body may answer a failure it returns rather than
// raises with a CallResult that says why.

#include <windows.h>

#include <new>
#include <string>
#include <type_traits>
#include <utility>

#include "component/ErrorReport.h"
#include "loading/ComValues.h"

struct CallResult {
    CallResult(HRESULT result) : code(result) {}  // NOLINT: a plain result converts
    CallResult(HRESULT result, std::wstring why) : code(result), description(std::move(why)) {}
    HRESULT code;
    std::wstring description;
};

// Raises a failure with the words that explain it.
[[noreturn]] inline void Fail(HRESULT code, std::wstring description) { throw ComError(code, std::move(description)); }

// The body's result; for a failure that is reported, with its words made
// here, so that running out of memory while making them gives the result
// of running out of memory, and the report itself allocates nothing of ours.
template <class Body>
CallResult GuardedCall(Body&& body, HRESULT everyRaisedError, const CalledMethod* reported) noexcept {
    const auto raised = [everyRaisedError](HRESULT code) { return everyRaisedError != S_OK ? everyRaisedError : code; };
    try {
        CallResult result = S_OK;
        try {
            result = body();
        } catch (const ComError& error) {
            result = CallResult(raised(error.Code()), error.Description());
        } catch (const std::bad_alloc&) {
            result = raised(E_OUTOFMEMORY);
        } catch (...) {
            result = raised(E_UNEXPECTED);
        }
        if (reported && FAILED(result.code))
            result.description = DescribeFailure(*reported, result.code, result.description);
        return result;
    } catch (...) {
        return raised(E_OUTOFMEMORY);
    }
}

template <class Body>
HRESULT ComBoundary(Body&& body, HRESULT everyRaisedError = S_OK) noexcept {
    return GuardedCall(std::forward<Body>(body), everyRaisedError, nullptr).code;
}

template <class Body>
HRESULT ComBoundary(const CalledMethod& method, Body&& body, HRESULT everyRaisedError = S_OK) noexcept {
    const CallResult result = GuardedCall(std::forward<Body>(body), everyRaisedError, &method);
    ReportCallResult(method.iid, result.code, result.description);
    return result.code;
}
