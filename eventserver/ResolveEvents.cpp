// Interface B: resolution of raw events into message texts and attributes.

#include "component/EventInfoObj.h"

STDMETHODIMP EventInfoObj::ResolveEvents(LONG, LONG, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT*, VARIANT*,
                                         VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    return E_NOTIMPL;
}
