#include "TypeDescCopies.h"

#include <cstddef>
#include <cstring>

TYPEDESC TypeDescCopies::Copy(const TYPEDESC& source) {
    TYPEDESC copy = source;
    switch (source.vt) {
    case VT_PTR:
    case VT_SAFEARRAY: copy.lptdesc = Keep(Copy(*source.lptdesc)); break;
    case VT_CARRAY: {
        const size_t size = offsetof(ARRAYDESC, rgbounds) + source.lpadesc->cDims * sizeof(SAFEARRAYBOUND);
        auto& bytes = m_arrays.emplace_back(size);
        std::memcpy(bytes.data(), source.lpadesc, size);
        auto* array = reinterpret_cast<ARRAYDESC*>(bytes.data());
        array->tdescElem = Copy(source.lpadesc->tdescElem);
        copy.lpadesc = array;
        break;
    }
    case VT_USERDEFINED: copy.hreftype = m_mapReference(source.hreftype); break;
    default: break;
    }
    return copy;
}

ELEMDESC TypeDescCopies::Copy(const ELEMDESC& source) {
    ELEMDESC copy = source;  // the parameter description, defaults included, as it is
    copy.tdesc = Copy(source.tdesc);
    return copy;
}

ELEMDESC* TypeDescCopies::CopyParameters(const ELEMDESC* source, SHORT count) {
    if (count <= 0) return nullptr;
    auto& parameters = m_parameters.emplace_back();
    for (SHORT i = 0; i < count; ++i) parameters.push_back(Copy(source[i]));
    return parameters.data();
}

TYPEDESC* TypeDescCopies::Keep(const TYPEDESC& description) { return &m_types.emplace_back(description); }
