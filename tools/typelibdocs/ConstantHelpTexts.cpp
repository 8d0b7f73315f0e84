#include "ConstantHelpTexts.h"

#include <stdexcept>

#include "ComSupport.h"

std::optional<std::wstring> ConstantHelpTexts::Take(const std::wstring& enumeration, const std::wstring& constant) {
    const auto found = m_texts.find(constant);
    if (found == m_texts.end()) {
        m_missing.push_back(enumeration + L"." + constant);
        return std::nullopt;
    }
    m_taken.insert(constant);
    return found->second;
}

void ConstantHelpTexts::CheckAllMatched() const {
    std::wstring problems;
    for (const auto& constant : m_missing) problems += L"\n  no help text comment for the constant " + constant;
    for (const auto& [constant, text] : m_texts) {
        if (m_taken.count(constant) == 0)
            problems += L"\n  the help text comment of " + constant + L" names no constant of the library";
    }
    if (!problems.empty())
        throw std::runtime_error("the enumeration constants' help texts do not match:" + Utf8(problems));
}
