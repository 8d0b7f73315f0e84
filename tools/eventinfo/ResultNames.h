#pragma once

// The names of the results the component's methods give, for messages that
// show a name beside each number.

#include <cstdint>
#include <string>

// "E_INVALIDARG" for 0x80070057; empty for a result without a known name.
std::string HresultName(uint32_t result);

// "0x80070057 (E_INVALIDARG)", or only the number when it has no name.
std::string ResultText(uint32_t result);

// "IUMC_ERROR_XMLFILE_NOINFOAVAILABLE" for 6; the number for others.
std::string IumcErrorName(int32_t error);
