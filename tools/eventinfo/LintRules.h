#pragma once

// The checks of the lint that need no DOM: where start tags stand in the
// file text, the forms of message and attribute names, and whether the
// formatters accept a message text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One start tag of the file text, in document order, with its 1-based line.
struct StartTag {
    std::string name;
    int line;
};

// The start tags of an XML text (UTF-8 or any ASCII-compatible encoding);
// comments, processing instructions, CDATA sections and the document type
// declaration are skipped. Their order is the document order of the
// elements, so the n-th element of a DOM walk is the n-th tag here.
std::vector<StartTag> ScanStartTags(std::string_view text);

// "ID" + 8 upper-case hexadecimal digits.
bool IsMessageElementName(std::u16string_view name);
// "MSG" + 4 upper-case hexadecimal digits.
bool IsMessageTextName(std::u16string_view name);

// The known name that `name` matches when letter case is ignored, if `name`
// is none of the known names itself; empty otherwise.
std::u16string CaseVariantOf(std::u16string_view name, const std::vector<std::u16string>& known);

// The formatter result for a message text of a category of the given alarm
// type (1 user alarm, 2 TO alarm, 4 diagnosis), with plausible parameters:
// 16 bytes for a user alarm value, nine integers for a TO alarm, a 10-byte
// diagnosis record. 0 when the text formats, kFormatNoPlaceholder when it has
// nothing to fill in, else the formatter's error.
int32_t FormatWithSampleParameters(uint32_t alarmType, std::u16string_view text);

// Where an event takes its message text from in one language: the
// message's text of that language ("MSG0409"), of its primary language
// ("MSG0009"), or the attribute the category names; None leaves it empty.
// `namesWithText` are the names of the message's attributes whose text is
// not empty.
enum class TextSource { Own, PrimaryLanguage, CategoryAttribute, None };
struct TextChoice {
    TextSource source;
    std::u16string attribute;  // the attribute the text comes from; empty for None
};
TextChoice ChooseMessageText(const std::vector<std::u16string>& namesWithText, std::u16string_view languageName,
                             std::u16string_view categoryAttribute);
