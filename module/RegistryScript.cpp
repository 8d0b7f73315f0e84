#include "module/RegistryScript.h"

#include <cctype>

namespace regscript {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string Substitute(std::string_view text, const std::map<std::string, std::string>& replacements) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out += text[i++];
            continue;
        }
        const size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) throw ParseError("unterminated %name%");
        const std::string name(text.substr(i + 1, close - i - 1));
        if (name.empty()) {
            out += '%';
        } else {
            const auto found = replacements.find(name);
            if (found == replacements.end()) throw ParseError("unknown replacement %" + name + "%");
            out += found->second;
        }
        i = close + 1;
    }
    return out;
}

struct Token {
    enum class Kind { Word, Quoted, OpenBrace, CloseBrace, Equals, End } kind;
    std::string text;
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : m_text(text) {}

    Token Next() {
        SkipSpace();
        if (m_pos >= m_text.size()) return {Token::Kind::End, {}};
        const char c = m_text[m_pos];
        if (c == '{' && StartsGuid()) return Guid();
        if (c == '{') return Single(Token::Kind::OpenBrace);
        if (c == '}') return Single(Token::Kind::CloseBrace);
        if (c == '=') return Single(Token::Kind::Equals);
        if (c == '\'') return Quoted();
        return Word();
    }

    Token Peek() {
        const size_t saved = m_pos;
        Token t = Next();
        m_pos = saved;
        return t;
    }

private:
    void SkipSpace() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    }
    // A key named by a GUID in braces, such as {2BA94B3B-...}, as opposed to
    // a brace that opens a block.
    bool StartsGuid() const {
        return m_pos + 1 < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_pos + 1]));
    }
    Token Guid() {
        const size_t close = m_text.find('}', m_pos);
        if (close == std::string_view::npos) throw ParseError("unterminated {GUID}");
        const size_t start = m_pos;
        m_pos = close + 1;
        return {Token::Kind::Word, std::string(m_text.substr(start, m_pos - start))};
    }
    Token Single(Token::Kind kind) {
        ++m_pos;
        return {kind, {}};
    }
    Token Quoted() {
        std::string text;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size()) throw ParseError("unterminated quoted text");
            const char c = m_text[m_pos++];
            if (c != '\'') {
                text += c;
            } else if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
                text += '\'';
                ++m_pos;
            } else {
                return {Token::Kind::Quoted, text};
            }
        }
    }
    Token Word() {
        const size_t start = m_pos;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (std::isspace(static_cast<unsigned char>(c)) || c == '{' || c == '}' || c == '=' || c == '\'') break;
            ++m_pos;
        }
        return {Token::Kind::Word, std::string(m_text.substr(start, m_pos - start))};
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

class Parser {
public:
    explicit Parser(std::string_view text) : m_tokens(text) {}

    Script ParseScript() {
        Script script;
        while (m_tokens.Peek().kind != Token::Kind::End) {
            Key root;
            root.name = Expect(Token::Kind::Word, "root key").text;
            ParseBody(root);
            script.roots.push_back(std::move(root));
        }
        return script;
    }

private:
    Token Expect(Token::Kind kind, const char* what) {
        Token t = m_tokens.Next();
        if (t.kind != kind) throw ParseError(std::string("expected ") + what);
        return t;
    }

    Token ExpectName() {
        Token t = m_tokens.Next();
        if (t.kind != Token::Kind::Word && t.kind != Token::Kind::Quoted) throw ParseError("expected a name");
        return t;
    }

    Value ParseValue() {
        const Token type = Expect(Token::Kind::Word, "value type");
        const Token text = ExpectName();
        Value value;
        if (EqualsIgnoringCase(type.text, "s")) {
            value.kind = Value::Kind::String;
            value.text = text.text;
        } else if (EqualsIgnoringCase(type.text, "d")) {
            value.kind = Value::Kind::Number;
            value.number = static_cast<uint32_t>(std::stoul(text.text, nullptr, 0));
        } else {
            throw ParseError("unsupported value type " + type.text);
        }
        return value;
    }

    // '{' followed by keys and named values up to the matching '}'
    void ParseBody(Key& key) {
        Expect(Token::Kind::OpenBrace, "'{'");
        for (;;) {
            const Token t = m_tokens.Peek();
            if (t.kind == Token::Kind::CloseBrace) {
                m_tokens.Next();
                return;
            }
            if (t.kind == Token::Kind::End) throw ParseError("missing '}'");
            if (t.kind == Token::Kind::Word && EqualsIgnoringCase(t.text, "val")) {
                m_tokens.Next();
                std::string name = ExpectName().text;
                Expect(Token::Kind::Equals, "'='");
                key.namedValues.emplace_back(std::move(name), ParseValue());
            } else {
                key.subkeys.push_back(ParseKey());
            }
        }
    }

    Key ParseKey() {
        Key key;
        Token name = ExpectName();
        if (name.kind == Token::Kind::Word) {
            if (EqualsIgnoringCase(name.text, "NoRemove"))
                key.removal = Removal::NoRemove;
            else if (EqualsIgnoringCase(name.text, "ForceRemove"))
                key.removal = Removal::ForceRemove;
            else if (EqualsIgnoringCase(name.text, "Delete"))
                key.removal = Removal::Delete;
            if (key.removal != Removal::Normal) name = ExpectName();
        }
        key.name = name.text;
        if (m_tokens.Peek().kind == Token::Kind::Equals) {
            m_tokens.Next();
            key.defaultValue = ParseValue();
        }
        if (m_tokens.Peek().kind == Token::Kind::OpenBrace) ParseBody(key);
        return key;
    }

    Tokenizer m_tokens;
};

}  // namespace

Script Parse(std::string_view text, const std::map<std::string, std::string>& replacements) {
    const std::string substituted = Substitute(text, replacements);
    return Parser(substituted).ParseScript();
}

}  // namespace regscript
