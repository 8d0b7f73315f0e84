#pragma once

// The component's one class: it holds one loaded project file and the
// tables built from it, and answers the event server (interfaces A and B),
// configuration clients (IUMCInfo), loads (IEventInfoInit) and display-name
// binding (IParseDisplayName), and tells hosts about itself (its class's
// type information, and which interfaces leave error objects).

#include <windows.h>
#include <msxml2.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "IEventInfoServer.h"
#include "component/DispatchImpl.h"
#include "deviceinfo/RoutingCache.h"
#include "eventserver/MessageIndex.h"
#include "eventserver/SubscriptionTable.h"
#include "loading/Project.h"

class EventInfoObj final : public IParseDisplayName,
                           public DispatchImpl<IEventMessageIds>,
                           public DispatchImpl<IEventModel>,
                           public DispatchImpl<IUMCInfo>,
                           public IEventInfoInit,
                           public ISupportErrorInfo,
                           public IProvideClassInfo {
public:
    // Creates an object: with an outer unknown the aggregatable form,
    // otherwise the plain one.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);
    // Creates an object that holds a copy of a project loaded elsewhere, as
    // if it had loaded it itself; for the tools and the tests.
    static HRESULT CreateLoaded(const Project& project, REFIID riid, void** object);

    // IUnknown, delegating to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IParseDisplayName
    STDMETHODIMP ParseDisplayName(IBindCtx* bindContext, LPOLESTR displayName, ULONG* eaten,
                                  IMoniker** moniker) override;

    // IEventMessageIds
    STDMETHODIMP GetCategoryMessageIds(LONG categoryId, VARIANT* messageIds) override;
    STDMETHODIMP GetSourceMessageIds(BSTR sourcePath, VARIANT* messageIds) override;
    STDMETHODIMP GetSubMessageIds(LONG reserved, VARIANT* subMessageIds) override;
    STDMETHODIMP QueryUnsupported(VARIANT* argument) override;

    // IEventModel
    STDMETHODIMP CreateSubscription(LONG* handle) override;
    STDMETHODIMP DeleteSubscription(LONG handle) override;
    STDMETHODIMP GetCategories(LONG eventClassMask, VARIANT* categoryIds, VARIANT* descriptions) override;
    STDMETHODIMP GetCategoryAttributes(LONG categoryId, VARIANT* attributeIds, VARIANT* valueTypes,
                                       VARIANT* descriptions) override;
    STDMETHODIMP SelectAttributes(LONG handle, LONG categoryId, VARIANT attributeIds, VARIANT* results) override;
    STDMETHODIMP GetSelectedAttributes(LONG handle, LONG categoryId, VARIANT* attributeIds) override;
    STDMETHODIMP ResolveEvents(LONG handle, LONG language, VARIANT messageNames, VARIANT sources, VARIANT paramInfo,
                               VARIANT params, VARIANT* reserved, VARIANT* alarmTypes, VARIANT* categoryIds,
                               VARIANT* attributeIds, VARIANT* attributeValues, VARIANT* results) override;

    // IUMCInfo
    STDMETHODIMP GetDevices(VARIANT* DevNames, VARIANT* CheckSums, VARIANT* PBAddrs, tagAlarmTypes* AlarmSelection,
                            tagIUMCErrors* pError) override;
    STDMETHODIMP GetTOs(BSTR DevName, VARIANT* TONames, VARIANT* RTAddrs, tagIUMCErrors* pError) override;
    STDMETHODIMP GetTOsWithTypes(BSTR DevName, VARIANT* TONames, VARIANT* RTAddrs, VARIANT* TypeIDs,
                                 tagIUMCErrors* pError) override;
    STDMETHODIMP GetConnectionInfo(BSTR* DevName, tagConfigParams ParamID, VARIANT* ParamValue,
                                   tagIUMCErrors* pError) override;

    // IEventInfoInit
    STDMETHODIMP ParseXML(BSTR XMLFile) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // IProvideClassInfo: the class as the type library describes it.
    STDMETHODIMP GetClassInfo(ITypeInfo** typeInfo) override;

private:
    // The object's own IUnknown, which owns its lifetime; when the object is
    // aggregated the outer object holds it.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(EventInfoObj& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        EventInfoObj& m_owner;
    };

    explicit EventInfoObj(IUnknown* outer);
    ~EventInfoObj();
    EventInfoObj(const EventInfoObj&) = delete;
    EventInfoObj& operator=(const EventInfoObj&) = delete;

    // A new object, holding a copy of the project when one is given.
    static HRESULT Create(IUnknown* outer, const Project* project, REFIID riid, void** object);
    HRESULT InnerQueryInterface(REFIID riid, void** object);
    // Loads the registry-named file into m_project and renews what is kept of the earlier one.
    HRESULT LoadProjectAndIndexes();

    InnerUnknown m_inner{*this};
    IUnknown* m_controllingUnknown;

    // Members in declaration order; destruction runs in reverse.
    ULONG m_refCount = 0;  // apartment-threaded: plain counting
    Project m_project;
    eventserver::SubscriptionTable m_subscriptions;
    MessageCache m_messages;  // of m_project's categories, cleared by a load
    RoutingCache m_routing;   // of m_project's devices, cleared by a load
};
