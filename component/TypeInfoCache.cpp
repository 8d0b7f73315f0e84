#include "component/TypeInfoCache.h"

#include <wrl/client.h>

#include <map>

#include "IEventInfoServer.h"

using Microsoft::WRL::ComPtr;

namespace type_info_cache {
namespace {

constexpr LCID kTypeLibraryLocale = 0x409;

struct CachedTypeInfo {
    ComPtr<ITypeInfo> dispatch;
    ComPtr<ITypeInfo> invoke;
};

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

class Cache {
public:
    Cache() { InitializeCriticalSection(&m_lock); }
    ~Cache() { DeleteCriticalSection(&m_lock); }

    HRESULT Get(REFIID iid, CachedTypeInfo& out) {
        EnterCriticalSection(&m_lock);
        HRESULT hr = S_OK;
        auto found = m_entries.find(iid);
        if (found == m_entries.end()) {
            CachedTypeInfo entry;
            hr = Load(iid, entry);
            if (SUCCEEDED(hr)) found = m_entries.emplace(iid, entry).first;
        }
        if (SUCCEEDED(hr)) out = found->second;
        LeaveCriticalSection(&m_lock);
        return hr;
    }

    void Clear() {
        EnterCriticalSection(&m_lock);
        m_entries.clear();
        LeaveCriticalSection(&m_lock);
    }

private:
    static HRESULT Load(REFIID iid, CachedTypeInfo& entry) {
        ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(LIBID_IEVENTINFOSERVERLib, 1, 0, kTypeLibraryLocale, &library);
        if (FAILED(hr)) return hr;
        hr = library->GetTypeInfoOfGuid(iid, &entry.dispatch);
        if (FAILED(hr)) return hr;
        entry.invoke = entry.dispatch;
        // For a dual interface the library hands out the dispatch side;
        // calls go through the vtable side it refers to.
        TYPEATTR* attributes = nullptr;
        hr = entry.dispatch->GetTypeAttr(&attributes);
        if (FAILED(hr)) return hr;
        const bool dual = attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL);
        entry.dispatch->ReleaseTypeAttr(attributes);
        if (!dual) return S_OK;
        HREFTYPE vtableSide = 0;
        hr = entry.dispatch->GetRefTypeOfImplType(-1, &vtableSide);
        if (FAILED(hr)) return hr;
        entry.invoke.Reset();
        return entry.dispatch->GetRefTypeInfo(vtableSide, &entry.invoke);
    }

    CRITICAL_SECTION m_lock;
    std::map<GUID, CachedTypeInfo, GuidLess> m_entries;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

HRESULT Hand(const ComPtr<ITypeInfo>& typeInfo, ITypeInfo** out) {
    *out = typeInfo.Get();
    (*out)->AddRef();
    return S_OK;
}

}  // namespace

HRESULT GetDispatchTypeInfo(REFGUID id, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    CachedTypeInfo entry;
    const HRESULT hr = TheCache().Get(id, entry);
    return FAILED(hr) ? hr : Hand(entry.dispatch, typeInfo);
}

HRESULT GetInvokeTypeInfo(REFIID iid, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    CachedTypeInfo entry;
    const HRESULT hr = TheCache().Get(iid, entry);
    return FAILED(hr) ? hr : Hand(entry.invoke, typeInfo);
}

void Clear() { TheCache().Clear(); }

}  // namespace type_info_cache
