#pragma once

#include <windows.h>
#include <oaidl.h>

// Type information of the dispatch-capable interfaces, loaded from the
// component's registered type library on first use and kept for the life of
// the module. One critical section guards it, since objects in several
// apartments may ask at the same time.
namespace type_info_cache {

// The description of an interface or of the class as the type library lists
// it (for a dual interface, its dispatch side), handed to
// IDispatch::GetTypeInfo and IProvideClassInfo::GetClassInfo callers.
HRESULT GetDispatchTypeInfo(REFGUID id, ITypeInfo** typeInfo);

// The vtable side of the interface, which ITypeInfo::Invoke calls through.
HRESULT GetInvokeTypeInfo(REFIID iid, ITypeInfo** typeInfo);

// Releases the cached type information (module unload).
void Clear();

}  // namespace type_info_cache
