#pragma once

// The platform's error object for the interfaces a host calls: a failing
// call leaves one on the calling thread, naming the component, the
// interface and, in English, why; a successful call removes it. Callers
// find it through GetErrorInfo, late-bound ones in EXCEPINFO.

#include <windows.h>

#include <string>

struct CalledMethod {
    const IID& iid;
    const wchar_t* name;
};

// The source every error object names: the version-independent ProgID.
inline constexpr wchar_t kErrorSource[] = L"CorvalisEventInfo.EventInfoObj";

// "<method>: <why>"; a failure without words of its own is described by the
// platform's text for its code.
std::wstring DescribeFailure(const CalledMethod& method, HRESULT result, const std::wstring& why);

// The error object of a failure described in full, or none after a success.
// Never fails: a report that cannot be made leaves no error object.
void ReportCallResult(REFIID iid, HRESULT result, const std::wstring& description) noexcept;

// Whether the interface's failing calls leave an error object.
bool ReportsErrors(REFIID iid);

// The caller's side: the error object a failed call left on this thread,
// taken off it as a host takes it; `present` is false when there is none.
struct ErrorObject {
    bool present = false;
    GUID iid{};
    std::wstring source;
    std::wstring description;
};
ErrorObject TakeErrorObject();
