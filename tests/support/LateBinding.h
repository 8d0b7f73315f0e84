#pragma once

// Late-bound calls by name through IDispatch, as a client written against
// the type library makes them.

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <vector>

struct InvokeResult {
    HRESULT hr = E_FAIL;   // what Invoke returned
    HRESULT scode = S_OK;  // the method's own failure, carried by DISP_E_EXCEPTION
    VARIANT value{};       // the [retval], if any (owned by the caller: VariantClear)
    std::wstring source;   // EXCEPINFO's words with DISP_E_EXCEPTION
    std::wstring description;
};

DISPID DispatchIdOf(IDispatch* dispatch, const wchar_t* name);

// Arguments in call order; by-reference ones carry VT_BYREF and point at the
// caller's storage.
InvokeResult InvokeByName(IDispatch* dispatch, const wchar_t* name, std::vector<VARIANT> arguments);

VARIANT ByRef(VARIANT* target);
VARIANT ByRef(LONG* target);
VARIANT ByRef(BSTR* target);
VARIANT Long(LONG value);
VARIANT Text(const wchar_t* value);  // a new BSTR, freed by InvokeByName
