// IUMCInfo: connection parameters of a device.

#include "component/EventInfoObj.h"

STDMETHODIMP EventInfoObj::GetConnectionInfo(BSTR*, tagConfigParams, VARIANT*, tagIUMCErrors*) {
    return E_NOTIMPL;
}
