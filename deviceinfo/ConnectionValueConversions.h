// Text-to-value conversions for connection parameters. Every function takes the
// attribute text as found in the project file and never reads or writes outside
// its arguments, whatever the text holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace deviceinfo {

// Most address bytes a dotted address in a routing block may carry.
constexpr size_t kMaxRoutingAddressBytes = 7;

// The leading decimal integer as atoi reads it: ASCII white space, an optional
// sign, then digits. 0 when there are no digits. Out-of-range values wrap
// modulo 2^32.
int32_t LeadingInteger(std::u16string_view text);

// The leading plain decimal number as atof reads it: white space, sign, digits,
// optional fraction, optional exponent. 0 when there is no number; values
// beyond the double range give +-infinity, values below it +-0.
double LeadingDecimal(std::u16string_view text);

// Splits at every "." (empty pieces are skipped), reads each piece with
// LeadingInteger and keeps its low 8 bits: "192.168.0.5" -> C0 A8 00 05.
std::vector<uint8_t> DottedTextToBytes(std::u16string_view text);

// As DottedTextToBytes into `buffer`, at most `capacity` pieces. Returns the
// number of bytes written. `buffer` may be null when `capacity` is 0.
size_t ParseDottedBytes(std::u16string_view text, uint8_t* buffer, size_t capacity);

// The text of a consistency string; a text of exactly one code unit (the
// default is a single space) reads as empty.
std::u16string ConsistencyText(std::u16string_view valueText);

// The low 16 bits of LeadingInteger: "-1" -> 0xFFFF, "1" -> 1.
uint16_t FlagValue(std::u16string_view text);

// 480 for a CPU version above 300, otherwise 240.
uint32_t PduSizeFromCpuVersion(std::u16string_view text);

// A time difference in minutes expressed in days.
double MinutesToDays(std::u16string_view text);

// The routing block for "SUBNETID|ADDRESS":
//   byte 0      6
//   bytes 1, 2  high word of the subnet ID, most significant byte first
//   bytes 3, 4  0, 0
//   bytes 5, 6  low word of the subnet ID, most significant byte first
//   byte 7      n, the number of address bytes
//   bytes 8..   the address
// The subnet ID is the leading run of hexadecimal digits (low 32 bits kept).
// The address is everything after the first "|" (empty without one); with a
// "." it is dotted (at most kMaxRoutingAddressBytes bytes), otherwise a single
// decimal number giving one byte.
std::vector<uint8_t> RoutingBlock(std::u16string_view routingText);

// Whether a routing element's network (ROUTNET) names a router inside the
// PC, whose slot gives the device's address.
bool IsRouterInsidePc(std::u16string_view routingNetwork);

}  // namespace deviceinfo
