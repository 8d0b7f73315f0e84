#pragma once

// IDispatch for one interface of the component, answered from the type
// library: the object derives from DispatchImpl<I> for each of its
// dispatch-capable interfaces.

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "component/ErrorReport.h"
#include "component/TypeInfoCache.h"

template <class Interface>
class DispatchImpl : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return type_info_cache::GetDispatchTypeInfo(__uuidof(Interface), typeInfo);
    }

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
        const HRESULT hr = type_info_cache::GetInvokeTypeInfo(__uuidof(Interface), &typeInfo);
        if (FAILED(hr)) return hr;
        return typeInfo->GetIDsOfNames(names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override {
        if (riid != IID_NULL) return Refuse(DISP_E_UNKNOWNINTERFACE, L"the interface id must be IID_NULL");
        // The platform's Invoke reads the argument arrays as the counts say.
        if (!parameters) return Refuse(E_INVALIDARG, L"the argument DISPPARAMS is a null pointer");
        if (parameters->cNamedArgs > parameters->cArgs)
            return Refuse(DISP_E_BADPARAMCOUNT, L"DISPPARAMS names more arguments than it has");
        if ((parameters->cArgs && !parameters->rgvarg) || (parameters->cNamedArgs && !parameters->rgdispidNamedArgs))
            return Refuse(E_INVALIDARG, L"DISPPARAMS counts arguments but has no array of them");
        // The method invoked reports its own failure, which the platform's
        // Invoke hands on in EXCEPINFO.
        Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
        const HRESULT hr = type_info_cache::GetInvokeTypeInfo(__uuidof(Interface), &typeInfo);
        if (FAILED(hr)) return hr;
        return typeInfo->Invoke(static_cast<Interface*>(this), id, flags, parameters, result, exception, argumentError);
    }

private:
    static HRESULT Refuse(HRESULT code, const wchar_t* why) noexcept {
        try {
            ReportCallResult(__uuidof(Interface), code, DescribeFailure({__uuidof(Interface), L"Invoke"}, code, why));
        } catch (...) {
            // Without memory for the words the result still stands.
        }
        return code;
    }
};
