#include "tools/eventinfo/LintRules.h"

#include <optional>

#include "eventserver/EventTextFormatters.h"
#include "eventserver/MessageTextNames.h"

namespace {

bool IsUpperHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }

bool HasHexTail(std::u16string_view name, std::u16string_view prefix, size_t digits) {
    if (name.size() != prefix.size() + digits || name.substr(0, prefix.size()) != prefix) return false;
    for (size_t i = prefix.size(); i < name.size(); ++i)
        if (!IsUpperHex(name[i])) return false;
    return true;
}

char16_t FoldCase(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool IsNameChar(char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/' && c != '>'; }

}  // namespace

std::vector<StartTag> ScanStartTags(std::string_view text) {
    std::vector<StartTag> tags;
    int line = 1;
    size_t i = 0;
    auto skipTo = [&](std::string_view end) {
        const size_t found = text.find(end, i);
        const size_t stop = found == std::string_view::npos ? text.size() : found + end.size();
        for (; i < stop; ++i)
            if (text[i] == '\n') ++line;
    };
    while (i < text.size()) {
        if (text[i] == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (text[i] != '<') {
            ++i;
            continue;
        }
        const std::string_view rest = text.substr(i);
        if (rest.rfind("<!--", 0) == 0) {
            skipTo("-->");
        } else if (rest.rfind("<![CDATA[", 0) == 0) {
            skipTo("]]>");
        } else if (rest.rfind("<?", 0) == 0) {
            skipTo("?>");
        } else if (rest.rfind("<!", 0) == 0) {
            // A document type declaration, with an internal subset when it has one.
            const size_t bracket = rest.find('[');
            const size_t close = rest.find('>');
            skipTo(bracket != std::string_view::npos && bracket < close ? "]>" : ">");
        } else if (rest.rfind("</", 0) == 0) {
            ++i;
        } else {
            size_t end = 1;
            while (end < rest.size() && IsNameChar(rest[end])) ++end;
            tags.push_back(StartTag{std::string(rest.substr(1, end - 1)), line});
            i += end;
        }
    }
    return tags;
}

bool IsMessageElementName(std::u16string_view name) { return HasHexTail(name, u"ID", 8); }

bool IsMessageTextName(std::u16string_view name) { return HasHexTail(name, u"MSG", 4); }

std::u16string CaseVariantOf(std::u16string_view name, const std::vector<std::u16string>& known) {
    std::u16string match;
    for (const std::u16string& candidate : known) {
        if (candidate == name) return {};
        if (match.empty() && EqualNoCase(candidate, name)) match = candidate;
    }
    return match;
}

int32_t FormatWithSampleParameters(uint32_t alarmType, std::u16string_view text) {
    std::u16string out;
    switch (alarmType) {
    case 1: return FormatUserAlarmText(text, std::vector<uint8_t>(16, 1), out);
    case 2: return FormatToAlarmText(text, std::vector<int32_t>(9, 1), out);
    case 4: return FormatDiagnosisText(text, std::vector<uint8_t>(10, 1), out);
    default: return 0;
    }
}

TextChoice ChooseMessageText(const std::vector<std::u16string>& namesWithText, std::u16string_view languageName,
                             std::u16string_view categoryAttribute) {
    const auto hasText = [&](std::u16string_view name) {
        for (const std::u16string& candidate : namesWithText)
            if (candidate == name) return true;
        return false;
    };
    if (hasText(languageName)) return {TextSource::Own, std::u16string(languageName)};
    const std::u16string primary = PrimaryLanguageForm(std::u16string(languageName));
    if (hasText(primary)) return {TextSource::PrimaryLanguage, primary};
    if (!categoryAttribute.empty() && hasText(categoryAttribute))
        return {TextSource::CategoryAttribute, std::u16string(categoryAttribute)};
    return {TextSource::None, {}};
}
