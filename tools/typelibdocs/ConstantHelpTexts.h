#pragma once

// Hands the help texts to the enumeration constants of the library and keeps
// count, so that a constant without a text, or a text without a constant,
// fails the build instead of shipping a library that lacks it.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "HelpComments.h"

class ConstantHelpTexts {
public:
    explicit ConstantHelpTexts(HelpTexts texts) : m_texts(std::move(texts)) {}

    // The text of `constant` of the enumeration `enumeration`; none is noted.
    std::optional<std::wstring> Take(const std::wstring& enumeration, const std::wstring& constant);

    // Throws, naming every constant without a text and every text without a
    // constant.
    void CheckAllMatched() const;

private:
    HelpTexts m_texts;
    std::set<std::wstring> m_taken;
    std::vector<std::wstring> m_missing;
};
