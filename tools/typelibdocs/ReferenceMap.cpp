#include "ReferenceMap.h"

#include <string>

#include "ComSupport.h"

namespace {

ComPtr<IUnknown> Identity(IUnknown* object) {
    ComPtr<IUnknown> identity;
    Check(object->QueryInterface(IID_PPV_ARGS(&identity)), "QueryInterface(IUnknown)");
    return identity;
}

}  // namespace

ReferenceMap::ReferenceMap(ITypeLib* source, const std::vector<ComPtr<ICreateTypeInfo>>& copies)
    : m_source(Identity(source)), m_copies(copies) {}

HREFTYPE ReferenceMap::Map(ITypeInfo* from, HREFTYPE reference, ICreateTypeInfo* to) const {
    ComPtr<ITypeInfo> referenced;
    Check(from->GetRefTypeInfo(reference, &referenced), "ITypeInfo::GetRefTypeInfo");
    ComPtr<ITypeLib> library;
    UINT index = 0;
    Check(referenced->GetContainingTypeLib(&library, &index), "ITypeInfo::GetContainingTypeLib");

    ComPtr<ITypeInfo> target = referenced;
    if (Identity(library.Get()).Get() == m_source.Get()) {
        if (index >= m_copies.size())
            throw std::runtime_error("a reference to type info " + std::to_string(index) + " of no copy");
        Check(m_copies[index].As(&target), "QueryInterface(ITypeInfo) of a copy");
    }
    HREFTYPE mapped = 0;
    Check(to->AddRefTypeInfo(target.Get(), &mapped), "ICreateTypeInfo::AddRefTypeInfo");
    return mapped;
}
