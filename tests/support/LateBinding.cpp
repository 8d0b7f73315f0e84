#include "tests/support/LateBinding.h"

#include <algorithm>

DISPID DispatchIdOf(IDispatch* dispatch, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

InvokeResult InvokeByName(IDispatch* dispatch, const wchar_t* name, std::vector<VARIANT> arguments) {
    InvokeResult result;
    VariantInit(&result.value);
    const DISPID id = DispatchIdOf(dispatch, name);
    if (id == DISPID_UNKNOWN) {
        result.hr = DISP_E_UNKNOWNNAME;
        return result;
    }
    std::reverse(arguments.begin(), arguments.end());  // DISPPARAMS lists the last argument first
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    result.hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result.value,
                                 &exception, &argumentError);
    if (result.hr == DISP_E_EXCEPTION) {
        result.scode = exception.scode;
        if (exception.bstrSource) result.source = exception.bstrSource;
        if (exception.bstrDescription) result.description = exception.bstrDescription;
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    for (VARIANT& argument : arguments) {
        if (!(V_VT(&argument) & VT_BYREF)) VariantClear(&argument);
    }
    return result;
}

VARIANT ByRef(VARIANT* target) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = target;
    return v;
}

VARIANT ByRef(LONG* target) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_I4;
    V_I4REF(&v) = target;
    return v;
}

VARIANT ByRef(BSTR* target) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&v) = target;
    return v;
}

VARIANT Long(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT Text(const wchar_t* value) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);
    return v;
}
