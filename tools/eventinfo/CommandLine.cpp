#include "tools/eventinfo/CommandLine.h"

#include <cctype>
#include <cstdlib>
#include <limits>

#include "deviceinfo/ConnectionParameterTables.h"

namespace {

struct CommandSpec {
    const char* name;
    size_t minArguments;
    size_t maxArguments;
    const char* usage;
    const char* summary;
};

constexpr size_t kAny = std::numeric_limits<size_t>::max();

constexpr CommandSpec kCommands[] = {
    {"devices", 0, 0, "devices", "The devices with check sum, bus address, route and the alarm types found."},
    {"tos", 1, 1, "tos DEVICE",
     "The technology objects of a device: name, runtime address, type id, element and event source."},
    {"params", 1, kAny, "params DEVICE [PARAM...]",
     "Connection parameters of a device, each value with its VARIANT type and meaning, and its route.\n"
     "  PARAM is a parameter name (CONFIG_TIMEOUT or TIMEOUT, any case) or number (1 to 30); all when none."},
    {"categories", 0, 0, "categories [--class simple|conditional|all]", "The event categories with their ids."},
    {"attributes", 1, 1, "attributes CATEGORY",
     "The attributes of a category; CATEGORY is its id (decimal or 0x hex) or its key name."},
    {"messages", 1, 1, "messages CATEGORY|SOURCE",
     "The message elements of a category or of an event source path (/DEVICE/GROUP), the event\n"
     "  name resolve takes for each, and their texts."},
    {"resolve", 2, kAny, "resolve --lang LANGID [--value VALUE] MESSAGE SOURCE [PARAMETER...]",
     "Resolves one event as the event server would. MESSAGE is the event's name (Alarm17,\n"
     "  TO_ALARM30001, \"DIAGNOSIS: 4302\"), the element name (ID00004302) or the number, as\n"
     "  messages lists them. PARAMETERs are integers (decimal or 0x hex): one value per parameter for\n"
     "  TO alarms, one byte each (0 to 255) for user alarms and diagnosis. --value gives a user\n"
     "  alarm's value as its text shows it (300, -5, 2.5); it becomes the bytes the text reads."},
    {"languages", 0, 0, "languages",
     "The message languages the model knows, and how many messages have a text in each."},
    {"dump", 0, 0, "dump", "The whole model: devices, TOs, parameters, categories, attributes, messages."},
    {"lint", 0, 0, "lint", "Reports what the component drops or cannot reach in the project file, with its place."},
    {"diff", 2, 2, "diff OLD NEW",
     "What changed between two exports of a project: devices, TOs, connection parameters, categories,\n"
     "  attributes and message texts. Exit status 0 when nothing differs, 1 when something does."},
};

const CommandSpec* FindCommand(const std::string& name) {
    for (const CommandSpec& entry : kCommands)
        if (name == entry.name) return &entry;
    return nullptr;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::optional<int64_t> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
    }
    return negative ? -value : value;
}

std::optional<int32_t> ConfigParamId(std::string_view text) {
    if (const auto number = ParseInteger(text)) {
        if (*number >= deviceinfo::kFirstParamId && *number <= deviceinfo::kLastParamId)
            return static_cast<int32_t>(*number);
        return std::nullopt;
    }
    std::string name = Upper(text);
    const std::string prefix(deviceinfo::kEnumeratorPrefix);
    if (name.rfind(prefix, 0) == 0) name.erase(0, prefix.size());
    for (const deviceinfo::ConnectionParam& param : deviceinfo::kConnectionParams)
        if (name == Upper(deviceinfo::ShortName(param))) return param.id;
    return std::nullopt;
}

std::string ConfigParamName(int32_t id) {
    const deviceinfo::ConnectionParam* param = deviceinfo::FindConnectionParam(id);
    return param ? param->enumerator : std::string();
}

std::optional<ResolveParameters> ParseResolveParameters(bool integers, const std::vector<std::string>& texts,
                                                        std::string& error) {
    ResolveParameters parameters;
    parameters.integers = integers;
    for (const std::string& text : texts) {
        const auto value = ParseInteger(text);
        const int64_t low = parameters.integers ? std::numeric_limits<int32_t>::min() : 0;
        const int64_t high = parameters.integers ? std::numeric_limits<uint32_t>::max() : 255;
        if (!value || *value < low || *value > high) {
            error =
                "parameter '" + text + "' is not " + (parameters.integers ? "a 32-bit integer" : "a byte (0 to 255)");
            return std::nullopt;
        }
        parameters.values.push_back(static_cast<int32_t>(static_cast<uint32_t>(*value)));
    }
    return parameters;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    CommandLine& line = parsed.line;
    bool classGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
                arg.resize(equals);
                hasInlineValue = true;
            }
        }
        auto takeValue = [&]() -> bool {
            if (hasInlineValue) return true;
            if (i + 1 >= args.size()) {
                parsed.error = arg + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--quiet" || arg == "-q") {
            line.quiet = true;
        } else if (arg == "--value") {
            if (!takeValue()) return parsed;
            line.value = value;
        } else if (arg == "--json") {
            line.json = true;
        } else if (arg == "--file") {
            if (!takeValue()) return parsed;
            if (value.empty()) {
                parsed.error = "--file needs a path";
                return parsed;
            }
            line.file = value;
        } else if (arg == "--class") {
            if (!takeValue()) return parsed;
            if (value != "simple" && value != "conditional" && value != "all") {
                parsed.error = "--class takes simple, conditional or all, not '" + value + "'";
                return parsed;
            }
            line.eventClass = value;
            classGiven = true;
        } else if (arg == "--lang") {
            if (!takeValue()) return parsed;
            const auto number = ParseInteger(value);
            if (!number || *number < 0 || *number > 0xFFFF) {
                parsed.error = "--lang takes a language id from 0 to 0xFFFF, not '" + value + "'";
                return parsed;
            }
            line.language = static_cast<uint16_t>(*number);
        } else if (arg.size() > 1 && arg[0] == '-' && !ParseInteger(arg)) {
            parsed.error = "unknown option " + arg;
            return parsed;
        } else if (line.command.empty()) {
            line.command = arg;
        } else {
            line.arguments.push_back(arg);
        }
    }

    if (line.command.empty()) {
        if (!line.help && !line.version) parsed.error = "no command given";
        return parsed;
    }
    const CommandSpec* entry = FindCommand(line.command);
    if (!entry) {
        parsed.error = "unknown command '" + line.command + "'";
        return parsed;
    }
    if (line.help) return parsed;
    if (classGiven && line.command != "categories")
        parsed.error = "--class belongs to the command categories";
    else if (line.language && line.command != "resolve")
        parsed.error = "--lang belongs to the command resolve";
    else if (line.value && line.command != "resolve")
        parsed.error = "--value belongs to the command resolve";
    else if (line.value && line.arguments.size() > 2)
        parsed.error = "resolve takes --value or PARAMETERs, not both";
    else if (line.command == "resolve" && !line.language)
        parsed.error = "resolve needs --lang LANGID";
    else if (line.arguments.size() < entry->minArguments || line.arguments.size() > entry->maxArguments)
        parsed.error = std::string("wrong number of arguments; usage: eventinfo ") + entry->usage;
    if (line.eventClass.empty()) line.eventClass = "all";
    return parsed;
}

std::string HelpText(const std::string& command) {
    if (const CommandSpec* entry = FindCommand(command)) {
        return std::string("usage: eventinfo ") + entry->usage + " [--file PATH] [--json] [--quiet]\n  " +
               entry->summary +
               "\n  --file PATH  load this project file instead of the registry-named one\n"
               "  --json       output for programs\n"
               "  --quiet      no progress line and no notes on standard error\n";
    }
    std::string text =
        "usage: eventinfo COMMAND [ARGUMENTS] [--file PATH] [--json] [--quiet] [--help] [--version]\n"
        "Shows what the event information component reads from a project file.\n"
        "Without --file it asks the registered component, which loads the registry-named file;\n"
        "with --file PATH it loads that file through the same component code.\n\ncommands:\n";
    for (const CommandSpec& entry : kCommands) text += std::string("  ") + entry.usage + "\n";
    text +=
        "\nexit status: 0 all well, 1 lint found problems or diff found differences, 2 usage error,\n"
        "3 project file not loaded\n"
        "eventinfo COMMAND --help describes a command.\n";
    return text;
}
