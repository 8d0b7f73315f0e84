#pragma once

#include <cstdint>
#include <string_view>

// Message number of an event, taken from its message name:
//   "DIAGNOSIS..." (case-insensitive)  hexadecimal number from index 11
//   "TO_ALARM..."  (case-insensitive)  decimal number from index 8
//   "Alarm..."     (case-insensitive)  decimal number from index 5
// Any other name, or a name without digits where the number belongs, gives 0.
// Hexadecimal numbers accept leading white space, a sign and a 0x prefix and
// saturate at 0xFFFFFFFF; decimal numbers accept leading white space and a
// sign and saturate at the signed 32-bit limits (then taken as unsigned).
uint32_t ParseMessageNumber(std::u16string_view messageName);
