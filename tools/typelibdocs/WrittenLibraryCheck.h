#pragma once

// Reads the written library back: a writer that dropped a doc string would
// otherwise go unnoticed until a client shows an empty help text.

#include <string>

#include "HelpComments.h"

// Throws unless every enumeration constant of the library at `path` has its
// text of `texts` as its doc string, and every text belongs to a constant.
void CheckWrittenHelpTexts(const std::wstring& path, const HelpTexts& texts);
