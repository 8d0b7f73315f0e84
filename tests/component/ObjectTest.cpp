// The object's identity, interface map, lifetime, aggregation and the two
// IEventMessageIds methods that need no project.

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

using CanUnloadNow = HRESULT(__stdcall*)();

HRESULT ComponentCanUnloadNow() {
    HMODULE module = GetModuleHandleW(L"IEventInfoServer.dll");
    if (!module) return S_OK;  // not loaded: nothing holds it
    auto entry = reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return entry();
}

template <class Interface>
ComPtr<Interface> Query(IUnknown* object) {
    ComPtr<Interface> result;
    object->QueryInterface(IID_PPV_ARGS(&result));
    return result;
}

ComPtr<IUnknown> Identity(IUnknown* object) { return Query<IUnknown>(object); }

// An outer object that counts the references delegated to it.
class CountingOuter final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, object) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    ULONG references = 1;
    ComPtr<IUnknown> inner;
};

}  // namespace

TEST(Object, InterfaceMapAndIdentity) {
    ComPtr<IUnknown> object = CreateComponent<IUnknown>();
    ASSERT_TRUE(object);
    const ComPtr<IUnknown> identity = Identity(object.Get());
    const auto parse = Query<IParseDisplayName>(object.Get());
    const auto a = Query<IEventMessageIds>(object.Get());
    const auto b = Query<IEventModel>(object.Get());
    const auto info = Query<IUMCInfo>(object.Get());
    const auto init = Query<IEventInfoInit>(object.Get());
    const auto dispatch = Query<IDispatch>(object.Get());
    ASSERT_TRUE(parse && a && b && info && init && dispatch);

    // IUnknown is the first entry; IDispatch is IEventMessageIds.
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(parse.Get()));
    EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), static_cast<IUnknown*>(a.Get()));
    for (IUnknown* each : {static_cast<IUnknown*>(a.Get()), static_cast<IUnknown*>(b.Get()),
                           static_cast<IUnknown*>(info.Get()), static_cast<IUnknown*>(init.Get())})
        EXPECT_EQ(Identity(each).Get(), identity.Get());

    for (REFIID other : {IID_IPersist, IID_IClassFactory, IID_IMoniker, IID_ITypeInfo}) {
        void* result = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(other, &result), E_NOINTERFACE);
        EXPECT_EQ(result, nullptr);
    }
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(Object, ModuleCanUnloadOnlyWithoutLiveObjects) {
    ComPtr<IUnknown> first = CreateComponent<IUnknown>();
    ComPtr<IUnknown> second = CreateComponent<IUnknown>();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(ComponentCanUnloadNow(), S_FALSE);
    first.Reset();
    EXPECT_EQ(ComponentCanUnloadNow(), S_FALSE);
    second.Reset();
    EXPECT_EQ(ComponentCanUnloadNow(), S_OK);

    // A never-loaded object and a loaded one are released alike.
    ProjectDirectory directory;
    directory.WriteProject("<Root/>");
    auto loaded = CreateComponent<IEventInfoInit>();
    ASSERT_EQ(loaded->ParseXML(nullptr), S_OK);
    EXPECT_EQ(ComponentCanUnloadNow(), S_FALSE);
    loaded.Reset();
    EXPECT_EQ(ComponentCanUnloadNow(), S_OK);
}

TEST(Object, ClassFactoryLocksAndArguments) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_EventInfoObj, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)), S_OK);
    EXPECT_EQ(ComponentCanUnloadNow(), S_FALSE);  // the factory itself holds the module
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(ComponentCanUnloadNow(), S_FALSE);
    ASSERT_EQ(CoGetClassObject(CLSID_EventInfoObj, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)), S_OK);
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(ComponentCanUnloadNow(), S_OK);
}

TEST(Object, AggregationDelegatesToTheOuterObject) {
    CountingOuter outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_EventInfoObj, &outer, CLSCTX_INPROC_SERVER, __uuidof(IEventInfoInit), &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(CoCreateInstance(CLSID_EventInfoObj, &outer, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&outer.inner)), S_OK);
    // The inner unknown is the object's own, not the first interface.
    ComPtr<IEventInfoInit> init;
    ASSERT_EQ(outer.inner->QueryInterface(IID_PPV_ARGS(&init)), S_OK);
    EXPECT_NE(static_cast<IUnknown*>(init.Get()), outer.inner.Get());
    const ULONG before = outer.references;
    init->AddRef();
    EXPECT_EQ(outer.references, before + 1);
    init->Release();
    ComPtr<IUnknown> identity;
    ASSERT_EQ(init->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity.Reset();
    init.Reset();
    outer.inner.Reset();
    EXPECT_EQ(ComponentCanUnloadNow(), S_OK);
}

TEST(IEventMessageIdsTest, SubMessageIdsAreAlwaysEmpty) {
    auto a = CreateComponent<IEventMessageIds>();
    ASSERT_TRUE(a);
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"released by the call");
    EXPECT_EQ(a->GetSubMessageIds(42, &value), S_OK);
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
    EXPECT_EQ(a->GetSubMessageIds(0, nullptr), E_POINTER);
}

TEST(IEventMessageIdsTest, QueryUnsupported) {
    auto a = CreateComponent<IEventMessageIds>();
    ASSERT_TRUE(a);
    VARIANT value;
    V_VT(&value) = VT_I4;
    V_I4(&value) = 7;
    EXPECT_EQ(a->QueryUnsupported(&value), E_NOTIMPL);
    EXPECT_EQ(V_VT(&value), VT_I4);
    EXPECT_EQ(V_I4(&value), 7);
    EXPECT_EQ(a->QueryUnsupported(nullptr), E_POINTER);
}
