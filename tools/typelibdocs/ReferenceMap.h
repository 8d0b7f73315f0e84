#pragma once

// References of one type info to others, as references of its copy: a type
// of the source library becomes its copy in the new library, a type of an
// imported library (IDispatch of stdole2, say) stays that type.

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <vector>

using Microsoft::WRL::ComPtr;

class ReferenceMap {
public:
    // `copies` holds the copy of each of `source`'s type infos by index.
    ReferenceMap(ITypeLib* source, const std::vector<ComPtr<ICreateTypeInfo>>& copies);

    // The reference of `to` for the type `from` refers to as `reference`.
    HREFTYPE Map(ITypeInfo* from, HREFTYPE reference, ICreateTypeInfo* to) const;

private:
    ComPtr<IUnknown> m_source;
    const std::vector<ComPtr<ICreateTypeInfo>>& m_copies;
};
