#pragma once

// Deep copies of type descriptions whose references to other types are
// mapped for the new library; the copies live as long as this object.

#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <functional>
#include <vector>

class TypeDescCopies {
public:
    using MapReference = std::function<HREFTYPE(HREFTYPE)>;

    explicit TypeDescCopies(MapReference mapReference) : m_mapReference(std::move(mapReference)) {}

    TYPEDESC Copy(const TYPEDESC& source);
    ELEMDESC Copy(const ELEMDESC& source);
    // The array of `count` parameters, or null for none.
    ELEMDESC* CopyParameters(const ELEMDESC* source, SHORT count);

private:
    TYPEDESC* Keep(const TYPEDESC& description);

    MapReference m_mapReference;
    std::deque<TYPEDESC> m_types;
    std::deque<std::vector<unsigned char>> m_arrays;
    std::deque<std::vector<ELEMDESC>> m_parameters;
};
