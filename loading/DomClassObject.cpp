#include "loading/DomClassObject.h"

using Microsoft::WRL::ComPtr;

namespace dom_class_object {
namespace {

// Plain data without destructors: at process exit nothing is released into
// a server that may be gone already.
SRWLOCK g_lock = SRWLOCK_INIT;
IClassFactory* g_kept = nullptr;

IClassFactory* Fetch() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(kDomProgId, &clsid))) return nullptr;
    ComPtr<IClassFactory> factory;
    if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)))) return nullptr;
    if (FAILED(factory->LockServer(TRUE))) return nullptr;
    return factory.Detach();
}

ComPtr<IClassFactory> Kept() {
    AcquireSRWLockExclusive(&g_lock);
    if (!g_kept) g_kept = Fetch();
    ComPtr<IClassFactory> kept(g_kept);
    ReleaseSRWLockExclusive(&g_lock);
    return kept;
}

}  // namespace

DomDocument CreateDocument() {
    const ComPtr<IClassFactory> factory = Kept();
    DomDocument document;
    if (!factory || FAILED(factory->CreateInstance(nullptr, IID_IXMLDOMDocument,
                                                   reinterpret_cast<void**>(document.GetAddressOf()))))
        return nullptr;
    return document;
}

void Clear() {
    AcquireSRWLockExclusive(&g_lock);
    IClassFactory* const kept = g_kept;
    g_kept = nullptr;
    ReleaseSRWLockExclusive(&g_lock);
    if (!kept) return;
    kept->LockServer(FALSE);
    kept->Release();
}

}  // namespace dom_class_object
