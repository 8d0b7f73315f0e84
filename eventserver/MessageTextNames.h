#pragma once

// The names of a message's text attributes: "MSG" and a language
// identifier in upper-case hexadecimal digits.

#include <cstdint>
#include <string>

// MSG0409 for 0x0409; at least four digits.
std::u16string MessageTextName(uint32_t language);

// The primary language's form: the second digit set to 0 (MSG0409 gives
// MSG0009, MSG0C0A gives MSG000A).
std::u16string PrimaryLanguageForm(std::u16string name);
