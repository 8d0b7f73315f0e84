#pragma once

// What a load of the project file produces: the document, the index of its
// elements, the event model, the event source table and what the passes
// dropped. The component holds one; the tools and the tests load their own.
// A further load into the same project adds to its tables (an existing key
// keeps its entry) and replaces its document.

#include <cstdint>
#include <map>
#include <string>

#include "loading/ElementIndex.h"
#include "loading/SourceTable.h"
#include "loading/XmlAccess.h"
#include "model/EventModelTables.h"
#include "model/LoadDiagnostics.h"

struct Project {
    bool m_projectMode = false;
    DomDocument m_pDocument;
    ElementIndex m_elementIndex;  // of m_pDocument, replaced with it
    EventModelTables m_model;
    SourceTable m_mapSourceCategories;
    LoadDiagnostics m_loadDiagnostics;  // what the latest load's passes dropped
    std::wstring m_loadFailure;         // why the latest load failed, in English; empty after a success
};
