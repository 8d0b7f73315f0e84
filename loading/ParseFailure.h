#pragma once

// Why the platform's parser refused a document, with the line and column
// where it stopped.

#include <windows.h>
#include <msxml2.h>

#include <string>

// The words of the document's parse error when it carries a position;
// otherwise those of the platform's SAX reader over the same bytes (the
// DOM of some platform versions keeps no more than a failure code). Empty
// when neither says anything.
std::wstring DescribeParseFailure(IXMLDOMDocument* document, const VARIANT& bytes);
