#pragma once

// The help texts of enumeration constants, kept in the IDL as trailing
// comments since widl rejects helpstring on a constant:
//     NAME = value,   // "text"

#include <map>
#include <string>

using HelpTexts = std::map<std::wstring, std::wstring>;

// Every constant's text of the IDL source `text` (UTF-8); throws on a
// constant given twice.
HelpTexts ParseHelpComments(const std::string& text);

HelpTexts ReadHelpComments(const std::wstring& idlPath);
