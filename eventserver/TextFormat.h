#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A printf-style formatter for formats that come from data (message texts of
// the project file). It understands a fixed, safe subset and refuses the rest
// instead of reading memory it was not given.
//
// Supported: "%%" and the conversions d i u x X o c on an integer argument and
// f e E g G on a floating argument, with the flags - + space # 0, a decimal
// width and a decimal precision. The length modifiers h and hh narrow the
// value as C does; l and I32 are accepted and change nothing.
// Refused (Outcome::Unsupported): any other conversion (s S n p a A F ...),
// modifiers that change the argument size (ll I64 I j z t L q ...), '*' for
// width or precision, a lone '%' at the end, a conversion whose argument is
// of the other kind, and more conversions than arguments.
//
// %c writes the low 16 bits of the value (the low 8 bits with h or hh) as one
// UTF-16 unit; a value of 0 writes nothing at all, not even padding.
// Floating values are rendered as the C library renders them (exponents with
// at least two digits, "inf"/"nan", upper case for E and G).
namespace textformat {

enum class Outcome { Ok, Unsupported };

struct Argument {
    bool isFloating;
    int32_t integer;
    double floating;
};

// Formats `format` with the arguments in order into `out`, at most maxChars
// UTF-16 units; the rest is cut off and never computed at full length, so a
// huge width or precision costs no more than maxChars. `out` is written only
// when the result is Ok. The whole format is checked even after the output is
// full.
Outcome Format(std::u16string_view format, const Argument* args, size_t argCount, size_t maxChars, std::u16string& out);

}  // namespace textformat
