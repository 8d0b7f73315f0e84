#include "component/EventInfoObj.h"

#include <new>

#include "component/ComBoundary.h"
#include "component/ModuleState.h"
#include "component/TypeInfoCache.h"
#include "loading/ProjectLoad.h"

EventInfoObj::EventInfoObj(IUnknown* outer) : m_controllingUnknown(outer ? outer : &m_inner) { module_state::Lock(); }

EventInfoObj::~EventInfoObj() { module_state::Unlock(); }

HRESULT EventInfoObj::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    return Create(outer, nullptr, riid, object);
}

HRESULT EventInfoObj::CreateLoaded(const Project& project, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return Create(nullptr, &project, riid, object);
}

HRESULT EventInfoObj::Create(IUnknown* outer, const Project* project, REFIID riid, void** object) {
    EventInfoObj* created = new (std::nothrow) EventInfoObj(outer);
    if (!created) return E_OUTOFMEMORY;
    // Hold the object while it is filled and asked for the interface: a
    // failure destroys it again.
    created->m_inner.AddRef();
    HRESULT hr = S_OK;
    if (project)
        hr = ComBoundary([&] {
            created->m_project = *project;
            return S_OK;
        });
    if (SUCCEEDED(hr)) hr = created->m_inner.QueryInterface(riid, object);
    created->m_inner.Release();
    return hr;
}

HRESULT EventInfoObj::LoadProjectAndIndexes() {
    m_messages.Clear();
    m_routing.Clear();
    return LoadProjectNamedByRegistry(m_project);
}

// IEventInfoInit: the file is always the one the registry names; every
// error raised while loading is E_UNEXPECTED.
STDMETHODIMP EventInfoObj::ParseXML(BSTR) {
    return ComBoundary(
        {__uuidof(IEventInfoInit), L"ParseXML"},
        [&]() -> CallResult {
            const HRESULT hr = LoadProjectAndIndexes();
            if (FAILED(hr)) return {hr, m_project.m_loadFailure};
            return hr;
        },
        E_UNEXPECTED);
}

STDMETHODIMP EventInfoObj::InterfaceSupportsErrorInfo(REFIID riid) { return ReportsErrors(riid) ? S_OK : S_FALSE; }

STDMETHODIMP EventInfoObj::GetClassInfo(ITypeInfo** typeInfo) {
    return type_info_cache::GetDispatchTypeInfo(CLSID_EventInfoObj, typeInfo);
}

STDMETHODIMP EventInfoObj::QueryInterface(REFIID riid, void** object) {
    return m_controllingUnknown->QueryInterface(riid, object);
}
STDMETHODIMP_(ULONG) EventInfoObj::AddRef() { return m_controllingUnknown->AddRef(); }
STDMETHODIMP_(ULONG) EventInfoObj::Release() { return m_controllingUnknown->Release(); }

// The interface map, in order; the first entry also answers IUnknown in the
// plain form, and IDispatch is answered by IEventMessageIds.
HRESULT EventInfoObj::InnerQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown) {
        found = m_controllingUnknown == &m_inner ? static_cast<IUnknown*>(static_cast<IParseDisplayName*>(this))
                                                 : static_cast<IUnknown*>(&m_inner);
    } else if (riid == IID_IParseDisplayName) {
        found = static_cast<IParseDisplayName*>(this);
    } else if (riid == __uuidof(IEventMessageIds) || riid == IID_IDispatch) {
        found = static_cast<IEventMessageIds*>(this);
    } else if (riid == __uuidof(IEventModel)) {
        found = static_cast<IEventModel*>(this);
    } else if (riid == __uuidof(IUMCInfo)) {
        found = static_cast<IUMCInfo*>(this);
    } else if (riid == __uuidof(IEventInfoInit)) {
        found = static_cast<IEventInfoInit*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        found = static_cast<ISupportErrorInfo*>(this);
    } else if (riid == IID_IProvideClassInfo) {
        found = static_cast<IProvideClassInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    found->AddRef();
    *object = found;
    return S_OK;
}

STDMETHODIMP EventInfoObj::InnerUnknown::QueryInterface(REFIID riid, void** object) {
    return m_owner.InnerQueryInterface(riid, object);
}

STDMETHODIMP_(ULONG) EventInfoObj::InnerUnknown::AddRef() { return ++m_owner.m_refCount; }

STDMETHODIMP_(ULONG) EventInfoObj::InnerUnknown::Release() {
    const ULONG count = --m_owner.m_refCount;
    if (count == 0) delete &m_owner;
    return count;
}
