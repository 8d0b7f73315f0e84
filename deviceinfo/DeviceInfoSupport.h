#pragma once

// Shared pieces of the IUMCInfo methods: finding an element by its exact tag
// name, and the BSTR and byte arrays they hand out in VARIANTs.

#include <windows.h>
#include <oleauto.h>
#include <msxml2.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "component/ComBoundary.h"
#include "loading/ComValues.h"
#include "loading/TextConversion.h"
#include "loading/ElementIndex.h"
#include "loading/XmlAccess.h"

namespace deviceinfo {

// The only element of the loaded document whose tag name is exactly `name`;
// none when there is none or several, or when the name is empty.
inline ElementIndex::Element FindElementNumber(const ElementIndex& elements, std::wstring_view name) {
    return name.empty() ? ElementIndex::kNoElement : elements.FindUnique(name);
}

inline DomNode FindElementNamed(const ElementIndex& elements, std::wstring_view name) {
    return name.empty() ? nullptr : elements.FindUniqueElement(name);
}

// An output VARIANT the caller marked as unusable.
inline bool IsRefusedOutput(const VARIANT* value) { return V_VT(value) == VT_ERROR || V_VT(value) == VT_NULL; }

inline void RefuseOutputs(std::initializer_list<const VARIANT*> outputs) {
    for (const VARIANT* output : outputs) {
        if (IsRefusedOutput(output))
            Fail(E_INVALIDARG, L"an output argument holds VT_ERROR or VT_NULL, which marks it as not to be written");
    }
}

// A device is the one element with its name as tag name.
inline std::wstring NoDevice(BSTR name) {
    return L"the project has no device '" + std::wstring(BstrView(name)) + L"': no single element has that tag name";
}

}  // namespace deviceinfo
