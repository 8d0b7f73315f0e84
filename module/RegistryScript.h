#pragma once

// Parser of the registrar's script language, the subset the module's
// registry script uses: root keys, nested keys with the NoRemove,
// ForceRemove and Delete modifiers, default values and named values ("val")
// of string ("s") or number ("d") type, and %NAME% replacements.

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace regscript {

struct Value {
    enum class Kind { String, Number } kind = Kind::String;
    std::string text;     // String
    uint32_t number = 0;  // Number
};

enum class Removal {
    Normal,       // created on registration, removed with its subtree on unregistration
    NoRemove,     // kept on unregistration; only its subkeys are processed
    ForceRemove,  // removed with its subtree before it is written again
    Delete,       // removed on registration, left alone on unregistration
};

struct Key {
    std::string name;
    Removal removal = Removal::Normal;
    std::optional<Value> defaultValue;
    std::vector<std::pair<std::string, Value>> namedValues;
    std::vector<Key> subkeys;
};

struct Script {
    std::vector<Key> roots;  // each named by a root key abbreviation such as HKCR
};

class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replacements map a name (without the percent signs) to its text; "%%"
// stands for one percent sign. An unknown %NAME% is an error.
Script Parse(std::string_view text, const std::map<std::string, std::string>& replacements);

}  // namespace regscript
