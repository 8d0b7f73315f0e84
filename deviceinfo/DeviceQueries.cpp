// IUMCInfo: devices and their TOs.

#include "component/EventInfoObj.h"

STDMETHODIMP EventInfoObj::GetDevices(VARIANT*, VARIANT*, VARIANT*, tagAlarmTypes*, tagIUMCErrors*) {
    return E_NOTIMPL;
}
STDMETHODIMP EventInfoObj::GetTOs(BSTR, VARIANT*, VARIANT*, tagIUMCErrors*) { return E_NOTIMPL; }
STDMETHODIMP EventInfoObj::GetTOsWithTypes(BSTR, VARIANT*, VARIANT*, VARIANT*, tagIUMCErrors*) {
    return E_NOTIMPL;
}
