// IParseDisplayName: binding to a new, loaded object by a display name.

#include "component/EventInfoObj.h"

STDMETHODIMP EventInfoObj::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) { return E_NOTIMPL; }
