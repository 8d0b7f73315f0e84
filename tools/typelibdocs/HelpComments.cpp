#include "HelpComments.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "ComSupport.h"

HelpTexts ParseHelpComments(const std::string& text) {
    // The text runs to the last quote of the line, so it may hold slashes and
    // quotes of its own.
    static const std::regex constantLine(R"re(^\s*([A-Za-z_]\w*)\s*=[^/]*//\s*"(.*)"\s*$)re");
    HelpTexts texts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch match;
        if (!std::regex_match(line, match, constantLine)) continue;
        if (!texts.emplace(FromUtf8(match[1].str()), FromUtf8(match[2].str())).second)
            throw std::runtime_error("the help text of " + match[1].str() + " is given twice");
    }
    return texts;
}

HelpTexts ReadHelpComments(const std::wstring& idlPath) {
    std::ifstream file(std::filesystem::path(idlPath), std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + Utf8(idlPath));
    std::ostringstream content;
    content << file.rdbuf();
    return ParseHelpComments(content.str());
}
