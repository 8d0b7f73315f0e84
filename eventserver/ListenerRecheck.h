#pragma once

// The question for a debug-output listener is a round trip to the
// platform's server, several times the cost of resolving an event, so a
// "none" is believed for this long: a listener that attaches later hears the
// trace of the calls from at most this long after it attached.
inline constexpr unsigned long long kListenerRecheckMs = 100;
