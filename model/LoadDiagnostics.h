#pragma once

// What the load passes leave out of the tables without a word to the
// caller, kept for the tools: one entry per dropped element.

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "loading/XmlAccess.h"

enum class LoadDropKind {
    CategoryTaken,       // the category's id already belongs to an earlier element
    ProjectBeyondRange,  // no user-alarm id left for the project
};

struct LoadDrop {
    LoadDropKind kind;
    std::wstring element;  // the element's path, see ElementPath
    std::wstring detail;
};

using LoadDiagnostics = std::vector<LoadDrop>;

// "/" + the names from the root element down, each followed by "[n]" when it
// is the n-th (n > 1) element of that name among its siblings.
inline std::wstring ElementPath(IXMLDOMNode* element) {
    std::wstring path;
    DomNode node = element;
    while (node && IsElement(node.Get())) {
        const std::wstring name = NodeName(node.Get());
        int position = 1;
        DomNode sibling;
        for (ThrowIfFailed(node->get_previousSibling(&sibling)); sibling;) {
            if (IsElement(sibling.Get()) && NodeName(sibling.Get()) == name) ++position;
            DomNode previous;
            ThrowIfFailed(sibling->get_previousSibling(&previous));
            sibling = std::move(previous);
        }
        path.insert(0, L"/" + name + (position > 1 ? L"[" + std::to_wstring(position) + L"]" : L""));
        DomNode parent;
        ThrowIfFailed(node->get_parentNode(&parent));
        node = std::move(parent);
    }
    return path;
}
