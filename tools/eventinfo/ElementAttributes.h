#pragma once

// An element's attributes as the inspector reads them: every name with its
// text, in the order the DOM lists them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "loading/XmlAccess.h"

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

Attributes AttributesOf(IXMLDOMNode* node);

// The text of the attribute `name`; empty when there is none.
std::wstring AttributeValue(const Attributes& attributes, std::wstring_view name);
bool HasAttribute(const Attributes& attributes, std::wstring_view name);

// The names of the attributes whose text is not empty, as UTF-16 code units.
std::vector<std::u16string> NamesWithText(const Attributes& attributes);
