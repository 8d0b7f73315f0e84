#include "eventserver/TextFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace textformat {
namespace {

// Parsed widths and precisions saturate here; anything this large is cut by
// the sink long before it matters.
constexpr size_t kNumberCap = 1000000;

// Beyond this many digits after the point a double has only zeros, in fixed
// as in scientific notation, so larger precisions are rendered as digits for
// this many places plus zeros emitted directly.
constexpr size_t kExactPrecision = 1100;

// Output with a hard limit: everything past maxChars is dropped.
class Sink {
public:
    Sink(std::u16string& out, size_t maxChars) : m_out(out), m_max(maxChars) {}

    bool Full() const { return m_out.size() >= m_max; }

    void Put(char16_t c) {
        if (!Full()) m_out.push_back(c);
    }

    void Put(std::string_view text) {
        const size_t n = std::min(text.size(), Room());
        for (size_t i = 0; i < n; ++i) m_out.push_back(char16_t(static_cast<unsigned char>(text[i])));
    }

    void Repeat(char16_t c, size_t count) { m_out.append(std::min(count, Room()), c); }

private:
    size_t Room() const { return m_max - std::min(m_max, m_out.size()); }

    std::u16string& m_out;
    size_t m_max;
};

enum class Length { Default, Short, Char };

struct FieldFormat {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    Length length = Length::Default;
    char16_t conversion = 0;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsIntegerConversion(char16_t c) { return std::u16string_view(u"diuxXoc").find(c) != std::u16string_view::npos; }

bool IsFloatingConversion(char16_t c) { return std::u16string_view(u"feEgG").find(c) != std::u16string_view::npos; }

size_t ReadNumber(std::u16string_view f, size_t& i) {
    size_t value = 0;
    for (; i < f.size() && IsDigit(f[i]); ++i) {
        value = std::min(kNumberCap, value * 10 + size_t(f[i] - u'0'));
    }
    return value;
}

// Parses one conversion; `i` is just past the '%' and is left
// just past the conversion letter. False for anything outside the subset.
bool ParseFieldFormat(std::u16string_view f, size_t& i, FieldFormat& field) {
    for (; i < f.size(); ++i) {
        const char16_t c = f[i];
        if (c == u'-')
            field.left = true;
        else if (c == u'+')
            field.plus = true;
        else if (c == u' ')
            field.space = true;
        else if (c == u'#')
            field.alt = true;
        else if (c == u'0')
            field.zero = true;
        else
            break;
    }
    if (i < f.size() && f[i] == u'*') return false;
    field.width = ReadNumber(f, i);
    if (i < f.size() && f[i] == u'.') {
        ++i;
        if (i < f.size() && f[i] == u'*') return false;
        field.hasPrecision = true;
        field.precision = ReadNumber(f, i);
    }
    if (i < f.size()) {
        const std::u16string_view rest = f.substr(i);
        if (rest.substr(0, 2) == u"hh") {
            field.length = Length::Char;
            i += 2;
        } else if (rest[0] == u'h') {
            field.length = Length::Short;
            i += 1;
        } else if (rest.substr(0, 3) == u"I32") {
            i += 3;
        } else if (rest[0] == u'l' && rest.substr(0, 2) != u"ll") {
            i += 1;
        }
        // Every other modifier (ll, I64, I, j, z, t, L, q, w) is left in
        // place and refused below as an unknown conversion letter.
    }
    if (i >= f.size()) return false;
    field.conversion = f[i++];
    return IsIntegerConversion(field.conversion) || IsFloatingConversion(field.conversion);
}

// Writes a field made of sign/prefix, leading zeros and a body, padded to the
// width. `zeroPadAllowed` says whether the 0 flag pads with zeros here.
void EmitField(Sink& sink, const FieldFormat& field, std::string_view prefix, size_t zeros, std::string_view body,
               size_t trailingZeros, std::string_view suffix, bool zeroPadAllowed) {
    const size_t length = prefix.size() + zeros + body.size() + trailingZeros + suffix.size();
    const size_t pad = field.width > length ? field.width - length : 0;
    if (!field.left && !(field.zero && zeroPadAllowed)) sink.Repeat(u' ', pad);
    sink.Put(prefix);
    if (!field.left && field.zero && zeroPadAllowed) sink.Repeat(u'0', pad);
    sink.Repeat(u'0', zeros);
    sink.Put(body);
    sink.Repeat(u'0', trailingZeros);
    sink.Put(suffix);
    if (field.left) sink.Repeat(u' ', pad);
}

void FormatCharacter(Sink& sink, const FieldFormat& field, int32_t value) {
    const uint32_t bits = uint32_t(value);
    const char16_t unit = field.length == Length::Default ? char16_t(bits & 0xFFFFu) : char16_t(bits & 0xFFu);
    if (unit == 0) return;
    const size_t pad = field.width > 1 ? field.width - 1 : 0;
    if (!field.left) sink.Repeat(u' ', pad);
    sink.Put(unit);
    if (field.left) sink.Repeat(u' ', pad);
}

void FormatInteger(Sink& sink, const FieldFormat& field, int32_t argument) {
    const char16_t conv = field.conversion;
    if (conv == u'c') {
        FormatCharacter(sink, field, argument);
        return;
    }

    const bool isSigned = conv == u'd' || conv == u'i';
    bool negative = false;
    uint32_t magnitude = 0;
    if (isSigned) {
        int32_t v = argument;
        if (field.length == Length::Short) v = int16_t(v);
        if (field.length == Length::Char) v = int8_t(v);
        negative = v < 0;
        magnitude = negative ? 0u - uint32_t(v) : uint32_t(v);
    } else {
        uint32_t v = uint32_t(argument);
        if (field.length == Length::Short) v = uint16_t(v);
        if (field.length == Length::Char) v = uint8_t(v);
        magnitude = v;
    }

    const int base = conv == u'o' ? 8 : (conv == u'x' || conv == u'X') ? 16 : 10;
    std::array<char, 16> digits{};
    size_t digitCount = 0;
    if (!(field.hasPrecision && field.precision == 0 && magnitude == 0)) {
        const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
        digitCount = size_t(result.ptr - digits.data());
        if (conv == u'X') {
            for (size_t i = 0; i < digitCount; ++i) {
                if (digits[i] >= 'a' && digits[i] <= 'f') digits[i] = char(digits[i] - 'a' + 'A');
            }
        }
    }

    std::string_view prefix;
    if (isSigned) {
        if (negative)
            prefix = "-";
        else if (field.plus)
            prefix = "+";
        else if (field.space)
            prefix = " ";
    } else if (field.alt && magnitude != 0 && conv == u'x') {
        prefix = "0x";
    } else if (field.alt && magnitude != 0 && conv == u'X') {
        prefix = "0X";
    }

    size_t zeros = field.hasPrecision && field.precision > digitCount ? field.precision - digitCount : 0;
    // '#' with 'o' makes the first digit a zero.
    if (conv == u'o' && field.alt && zeros == 0 && (digitCount == 0 || digits[0] != '0')) zeros = 1;

    EmitField(sink, field, prefix, zeros, std::string_view(digits.data(), digitCount), 0, {}, !field.hasPrecision);
}

// Digits of a non-negative finite value. The text goes to `body` and, for
// scientific notation, the exponent to `exponent`; `extraZeros` counts digits
// beyond kExactPrecision, which are always zero and belong after the body.
struct FloatText {
    std::string body;
    size_t extraZeros = 0;
    std::string exponent;
};

FloatText RenderFixed(double value, size_t precision, bool alt) {
    // Up to 309 integer digits, a point and kExactPrecision decimals.
    std::array<char, 1500> buffer{};
    const size_t exact = std::min(precision, kExactPrecision);
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, int(exact));
    FloatText text;
    text.body.assign(buffer.data(), result.ptr);
    text.extraZeros = precision - exact;
    if (alt && precision == 0) text.body.push_back('.');
    return text;
}

FloatText RenderScientific(double value, size_t precision, bool alt) {
    std::array<char, 1500> buffer{};
    const size_t exact = std::min(precision, kExactPrecision);
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, int(exact));
    const std::string all(buffer.data(), result.ptr);
    const size_t e = all.find('e');
    FloatText text;
    text.body = all.substr(0, e);
    text.exponent = all.substr(e);
    // to_chars writes at least two exponent digits already; keep it so.
    if (text.exponent.size() < 4) text.exponent.insert(2, 4 - text.exponent.size(), '0');
    text.extraZeros = precision - exact;
    if (alt && precision == 0) text.body.push_back('.');
    return text;
}

int DecimalExponent(double value, size_t precision) {
    const FloatText text = RenderScientific(value, precision, false);
    int exponent = 0;
    std::from_chars(text.exponent.data() + 2, text.exponent.data() + text.exponent.size(), exponent);
    return text.exponent[1] == '-' ? -exponent : exponent;
}

FloatText RenderGeneral(double value, size_t precision, bool alt) {
    const size_t p = precision == 0 ? 1 : precision;
    const int x = DecimalExponent(value, p - 1);
    FloatText text;
    if (x >= -4 && (x < 0 || size_t(x) < p)) {
        text = RenderFixed(value, size_t(int64_t(p) - 1 - x), alt);
    } else {
        text = RenderScientific(value, p - 1, alt);
    }
    if (!alt) {
        text.extraZeros = 0;
        if (text.body.find('.') != std::string::npos) {
            while (text.body.back() == '0') text.body.pop_back();
            if (text.body.back() == '.') text.body.pop_back();
        }
    }
    return text;
}

void FormatFloating(Sink& sink, const FieldFormat& field, double value) {
    const char16_t conv = field.conversion;
    const bool upper = conv == u'E' || conv == u'G';

    std::string_view prefix;
    if (std::signbit(value))
        prefix = "-";
    else if (field.plus)
        prefix = "+";
    else if (field.space)
        prefix = " ";

    if (!std::isfinite(value)) {
        const std::string_view word = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
        EmitField(sink, field, prefix, 0, word, 0, {}, false);
        return;
    }

    const double magnitude = std::fabs(value);
    const size_t precision = field.hasPrecision ? field.precision : 6;
    FloatText text;
    if (conv == u'f')
        text = RenderFixed(magnitude, precision, field.alt);
    else if (conv == u'e' || conv == u'E')
        text = RenderScientific(magnitude, precision, field.alt);
    else
        text = RenderGeneral(magnitude, precision, field.alt);

    if (upper) {
        for (char& c : text.exponent) {
            if (c == 'e') c = 'E';
        }
    }
    EmitField(sink, field, prefix, 0, text.body, text.extraZeros, text.exponent, true);
}

}  // namespace

Outcome Format(std::u16string_view format, const Argument* args, size_t argCount, size_t maxChars,
               std::u16string& out) {
    std::u16string result;
    // Room for the text and a few converted numbers, in one allocation.
    result.reserve(std::min(maxChars, 2 * format.size() + 16));
    Sink sink(result, maxChars);
    size_t nextArgument = 0;

    for (size_t i = 0; i < format.size();) {
        const char16_t c = format[i++];
        if (c != u'%') {
            sink.Put(c);
            continue;
        }
        if (i < format.size() && format[i] == u'%') {
            sink.Put(u'%');
            ++i;
            continue;
        }
        FieldFormat field;
        if (!ParseFieldFormat(format, i, field)) return Outcome::Unsupported;
        if (nextArgument >= argCount) return Outcome::Unsupported;
        const Argument& argument = args[nextArgument++];
        const bool floating = IsFloatingConversion(field.conversion);
        if (floating != argument.isFloating) return Outcome::Unsupported;
        if (sink.Full()) continue;
        if (floating)
            FormatFloating(sink, field, argument.floating);
        else
            FormatInteger(sink, field, argument.integer);
    }

    out = std::move(result);
    return Outcome::Ok;
}

}  // namespace textformat
