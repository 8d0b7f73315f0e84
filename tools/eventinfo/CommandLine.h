#pragma once

// Command line of the inspector: commands, options and their help texts.
// Plain C++, so the parsing is tested without the platform.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CommandLine {
    std::string command;  // empty when only --help was given
    std::vector<std::string> arguments;
    std::string file;                  // --file: load this project file instead of the registered one
    bool json = false;                 // --json
    bool help = false;                 // --help
    bool version = false;              // --version
    bool quiet = false;                // --quiet: no progress line, no notes on standard error
    std::string eventClass;            // --class of "categories": simple, conditional or all
    std::optional<uint16_t> language;  // --lang of "resolve"
    std::optional<std::string> value;  // --value of "resolve": a user alarm's value as its text shows it
};

struct ParsedCommandLine {
    CommandLine line;
    std::string error;  // empty when the command line is usable
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Usage of one command, or of the whole program for an empty or unknown name.
std::string HelpText(const std::string& command);

// A decimal or "0x" hexadecimal integer with an optional sign; nullopt for
// anything else or beyond 64 bits.
std::optional<int64_t> ParseInteger(std::string_view text);

// A connection parameter id from its number or its name, with or without
// the "CONFIG_" prefix and in any letter case (CONFIG_TIMEOUT, timeout, 23).
std::optional<int32_t> ConfigParamId(std::string_view text);
// The parameter's constant as the type library spells it (CONFIG_PDUSize);
// empty for ids out of range.
std::string ConfigParamName(int32_t id);

// The parameters of "resolve": integers for TO alarms, bytes (0 to 255)
// for the other alarm types.
struct ResolveParameters {
    bool integers = false;
    std::vector<int32_t> values;
};
std::optional<ResolveParameters> ParseResolveParameters(bool integers, const std::vector<std::string>& texts,
                                                        std::string& error);
