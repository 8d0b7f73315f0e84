#pragma once

// The class object of the platform's DOM, kept once fetched. Fetching it
// goes through the registry each time, a dozen round trips to the platform's
// server: under Wine, once the process has been busy, more than the parse of
// a small project file takes. The DOM's class serves every apartment
// ("Both"), so one class object serves every thread; it is held with its
// server locked in memory, as the class object's own interface offers for
// creating instances quickly.

#include "loading/XmlAccess.h"

namespace dom_class_object {

// A new document from the kept class object, fetched on first use; null
// when no class object can be fetched or it fails to create the document.
DomDocument CreateDocument();

// Releases the kept class object (module unload).
void Clear();

}  // namespace dom_class_object
