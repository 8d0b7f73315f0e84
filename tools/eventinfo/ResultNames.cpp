#include "tools/eventinfo/ResultNames.h"

#include <cstdio>

namespace {

struct NamedResult {
    uint32_t value;
    const char* name;
};

constexpr NamedResult kResults[] = {
    {0x00000000, "S_OK"},
    {0x00000001, "S_FALSE"},
    {0x80004001, "E_NOTIMPL"},
    {0x80004002, "E_NOINTERFACE"},
    {0x80004003, "E_POINTER"},
    {0x80004004, "E_ABORT"},
    {0x80004005, "E_FAIL"},
    {0x8000FFFF, "E_UNEXPECTED"},
    {0x80070005, "E_ACCESSDENIED"},
    {0x80070006, "E_HANDLE"},
    {0x8007000E, "E_OUTOFMEMORY"},
    {0x80070057, "E_INVALIDARG"},
    {0x80040154, "REGDB_E_CLASSNOTREG"},
    {0x800401F3, "CO_E_CLASSSTRING"},
    {0x800401F0, "CO_E_NOTINITIALIZED"},
    {0x80020003, "DISP_E_MEMBERNOTFOUND"},
    {0x80020005, "DISP_E_TYPEMISMATCH"},
    {0x80020006, "DISP_E_UNKNOWNNAME"},
    {0x80020009, "DISP_E_EXCEPTION"},
    {0x8002000E, "DISP_E_BADPARAMCOUNT"},
    {0x80070002, "ERROR_FILE_NOT_FOUND"},
    {0x80070003, "ERROR_PATH_NOT_FOUND"},
};

constexpr const char* kIumcErrors[] = {
    "IUMC_OK",
    "IUMC_ERROR_XMLFILE_DEVICE",
    "IUMC_ERROR_XMLFILE_GENERAL",
    "IUMC_ERROR_XMLFILE_NODEV",
    "IUMC_ERROR_XMLFILE_DEVPAR",
    "IUMC_ERROR_XMLFILE_TOINFO",
    "IUMC_ERROR_XMLFILE_NOINFOAVAILABLE",
};

}  // namespace

std::string HresultName(uint32_t result) {
    for (const NamedResult& entry : kResults)
        if (entry.value == result) return entry.name;
    return {};
}

std::string ResultText(uint32_t result) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(result));
    const std::string name = HresultName(result);
    return name.empty() ? number : std::string(number) + " (" + name + ")";
}

std::string IumcErrorName(int32_t error) {
    if (error >= 0 && error < static_cast<int32_t>(sizeof kIumcErrors / sizeof kIumcErrors[0]))
        return kIumcErrors[error];
    return std::to_string(error);
}
