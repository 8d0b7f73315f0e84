// Interface A: message ids of categories and event sources.

#include "component/EventInfoObj.h"

STDMETHODIMP EventInfoObj::GetCategoryMessageIds(LONG, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP EventInfoObj::GetSourceMessageIds(BSTR, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP EventInfoObj::GetSubMessageIds(LONG, VARIANT* subMessageIds) {
    if (!subMessageIds) return E_POINTER;
    VariantClear(subMessageIds);
    return S_OK;
}

STDMETHODIMP EventInfoObj::QueryUnsupported(VARIANT* argument) { return argument ? E_NOTIMPL : E_POINTER; }
