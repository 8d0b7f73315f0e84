#include "component/ClassFactory.h"

#include "IEventInfoServer.h"
#include "component/EventInfoObj.h"
#include "component/ModuleState.h"

namespace {

// One static factory for the module; references to it hold the module.
class EventInfoClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        module_state::Lock();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        module_state::Unlock();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        return EventInfoObj::CreateInstance(outer, riid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            module_state::Lock();
        else
            module_state::Unlock();
        return S_OK;
    }
};

EventInfoClassFactory g_factory;

}  // namespace

HRESULT GetEventInfoClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_EventInfoObj) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, object);
}
