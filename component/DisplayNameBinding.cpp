// IParseDisplayName: binding to a new, loaded object by a display name
// "[@]ProgID@file".

#include <cwchar>
#include <new>

#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"

using Microsoft::WRL::ComPtr;

namespace {

// Whether the name starts with the first component of the class's ProgID
// (the text before its first "."), compared case-sensitively.
bool StartsWithProgIdComponent(const wchar_t* name) {
    LPOLESTR progId = nullptr;
    if (FAILED(ProgIDFromCLSID(CLSID_EventInfoObj, &progId)) || !progId) return false;
    const size_t length = std::wcscspn(progId, L".");
    const bool matches = std::wcsncmp(name, progId, length) == 0;
    CoTaskMemFree(progId);
    return matches;
}

}  // namespace

STDMETHODIMP EventInfoObj::ParseDisplayName(IBindCtx*, LPOLESTR displayName, ULONG* eaten, IMoniker** moniker) {
    if (!displayName || !eaten || !moniker) return E_POINTER;
    // Every failure after the pointers are checked is MK_E_NOOBJECT.
    return ComBoundary(
        [&] {
            const wchar_t* name = displayName[0] == L'@' ? displayName + 1 : displayName;
            if (!StartsWithProgIdComponent(name)) return MK_E_NOOBJECT;
            const wchar_t* separator = std::wcschr(name, L'@');
            *eaten = static_cast<ULONG>(std::wcslen(displayName));

            // The file part, null when the name has none.
            Bstr file;
            if (separator) file = Bstr(separator + 1);

            ComPtr<IUnknown> object;
            if (FAILED(CoCreateInstance(CLSID_EventInfoObj, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                        reinterpret_cast<void**>(object.GetAddressOf()))))
                return MK_E_NOOBJECT;
            ComPtr<IEventInfoInit> init;
            if (FAILED(object.As(&init)) || FAILED(init->ParseXML(file.Get()))) return MK_E_NOOBJECT;
            ComPtr<IMoniker> created;
            if (FAILED(CreatePointerMoniker(object.Get(), &created)) || !created) return MK_E_NOOBJECT;
            *moniker = created.Detach();
            return S_OK;
        },
        MK_E_NOOBJECT);
}
