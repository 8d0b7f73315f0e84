#pragma once

// The names events give their messages, and what a user types for them:
// the name the component reads a message number from, the numbers a typed
// name may mean, and a user alarm's value as the bytes its text reads.
// Plain C++, tested without the platform.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The message name events of a category of this alarm type carry for the
// message number: Alarm17 (1), TO_ALARM30001 (2), "DIAGNOSIS: 4302" (4);
// empty for any other alarm type.
std::string EventMessageName(int32_t alarmType, uint32_t number);

// How such names are made, for a user who typed another form.
std::string EventMessageNameForm(int32_t alarmType);

// The message numbers a typed name may mean, the likeliest first: the
// names above with or without their separators, the element name
// ID00004302, or a bare number, read as decimal and as hexadecimal.
std::vector<uint32_t> TypedMessageNumbers(std::string_view typed);

// The bytes of a user alarm's value as the text's "@1" placeholder reads
// them: its type letter gives the size (B, C, Y one byte; I, W two; D, R, X
// four), most significant byte first; for R a real number, as single
// precision. Nothing, with `error` set, when the text has no placeholder or
// the value does not fit.
std::optional<std::vector<uint8_t>> UserAlarmValueBytes(std::u16string_view text, std::string_view value,
                                                        std::string& error);
