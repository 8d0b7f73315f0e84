#include "tests/reliability/HostileCorpus.h"

#include <cstdint>
#include <iterator>
#include <string_view>

namespace {

constexpr const char* kTypeGuids[] = {"25A0AFB1-337A-11D3-8F3E-00105A2DC995", "323D0D81-32F6-11D3-8F3C-00105A2DC995",
                                      "004C0831-32F9-11D3-8F3C-00105A2DC995", "B9ACAF91-337F-11D3-8F3E-00105A2DC995",
                                      "4516CE54-32EB-11D3-8F3C-00105A2DC995", "05DAC271-32EE-11D3-8F3C-00105A2DC995",
                                      "4516CE52-32EB-11D3-8F3C-00105A2DC995"};

constexpr const char* kUserTexts[][2] = {{"F\xC3\xBCllstand @1W%d@ mm", "Level @1W%d@ mm"},
                                         {"Temperatur @1I%5.2f@ \xC2\xB0"
                                          "C",
                                          "Temperature @1I%5.2f@ C"},
                                         {"Status @1B%X@", "State @1B%X@"},
                                         {"Druck @1R%6.2f@ bar", "Pressure @1R%6.2f@ bar"}};
constexpr const char* kToTexts[][2] = {{"Achse /1/%d Fehler /2/%d", "Axis /1/%d error /2/%d"},
                                       {"Nocken /1/%X ung\xC3\xBCltig", "Cam /1/%X invalid"}};
constexpr const char* kDiagTexts[][2] = {{"Code $Z1%04X Steckplatz $Z4%d", "Code $Z1%04X slot $Z4%d"},
                                         {"Baugruppe $Z1/2%08X", "Module $Z1/2%08X"}};

std::string FormatSize(size_t bytes) {
    return bytes >= 1000000 ? std::to_string(bytes / 1000000) + "." + std::to_string(bytes / 100000 % 10) + " MB"
                            : std::to_string(bytes / 1000) + " KB";
}

std::string Hex8(uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int k = 7; k >= 0; --k, value >>= 4) text[k] = digits[value & 0xF];
    return text;
}

std::string Repeat(std::string_view piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t k = 0; k < times; ++k) out += piece;
    return out;
}

// A text of exactly `size` bytes made of `piece`.
std::string Filled(std::string_view piece, size_t size) {
    std::string text = Repeat(piece, size / piece.size() + 1);
    text.resize(size);
    return text;
}

// Escapes the characters that cannot stand in an attribute value.
std::string Attr(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

// The pieces of a project file, so that variants can replace or add to one.
struct Parts {
    std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    std::string doctype;
    std::string rootName = "CorvalisProject";
    std::string rootAttributes;
    std::string corvalis;
    std::string devicesAttributes;
    std::string devices;
    std::string router;
    std::string conditional;
    std::string simple;
    std::string tail;

    std::string Join() const {
        return declaration + doctype + "<" + rootName + rootAttributes + ">\n" + corvalis + "  <DEVICES" +
               devicesAttributes + ">\n" + devices + "  </DEVICES>\n" + router + "  <CONDITIONAL>\n" + conditional +
               "  </CONDITIONAL>\n  <SIMPLE>\n" + simple + "  </SIMPLE>\n" + tail + "</" + rootName + ">\n";
    }
};

std::string Messages(int first, int count, const char* const (*texts)[2], size_t textCount, const std::string& tag,
                     const std::string& extra = "") {
    std::string out;
    for (int k = 0; k < count; ++k) {
        const char* const* text = texts[static_cast<size_t>(k) % textCount];
        out += "      <ID" + Hex8(static_cast<uint32_t>(first + k)) + " MSG0407=\"" + Attr(text[0]) + tag +
               "\" MSG0409=\"" + Attr(text[1]) + tag + "\" Severity=\"" + std::to_string(100 + k) + "\"" + extra +
               "/>\n";
    }
    return out;
}

std::string Category(const std::string& name, const std::string& description, const std::string& attributes,
                     const std::string& messages) {
    return "    <" + name + " CatDescr=\"" + Attr(description) + "\">\n      <Attributes " + attributes + "/>\n" +
           messages + "    </" + name + ">\n";
}

constexpr char kTextAttributes[] = "MSG0407=\"Meldetext\" MSG0409=\"Message\" Severity=\"Severity\" Area=\"Area\"";

Parts ReferenceParts(const ProjectShape& shape) {
    Parts parts;
    const std::string& tag = shape.tag;
    if (shape.projectMode) parts.rootAttributes = " Proj=\"Plant" + tag + "\"";
    parts.corvalis =
        "  <CORVALIS>\n    <ConnectionInfo CONNNAME=\"Line" + tag +
        "\" TIMEOUT=\"5000\" CPUVersion=\"0301\" TimeDifference=\"-120\" LocTSAP=\"00.02\" INITIATE=\"1\"/>\n"
        "  </CORVALIS>\n";
    const std::string router = "ROUTER" + tag + "1";
    for (int d = 1; d <= shape.devices; ++d) {
        const std::string name = "PLC" + tag + std::to_string(d);
        std::string device = "    <" + name + " CheckSum=\"" + Hex8(0x12AB0000u + static_cast<uint32_t>(d)) +
                             "\" MPIDefault=\"" + std::to_string(d + 1) + "\" Project=\"Line" +
                             std::to_string(d % shape.projects + 1) + "\"";
        if (d == 1) device += " TIMEOUT=\"7000\" PASSIVE=\"1\" CONNNAME=\"\" StatePath=\"0\"";
        if (d == 2) device += " SubnetID=\"00128001\" MPIDefault2=\"x\"";
        device += ">\n";
        if (d == 2)
            device += "      <RoutInfo ROUTNET=\"Ethernet1\" ROUTADR=\"192.168.0." + std::to_string(d) + "\"/>\n";
        if (d == 3) device += "      <RoutInfo ROUTNET=\"PC-Internal-Bus\" ROUTDEV=\"" + router + "\"/>\n";
        for (int t = 1; t <= shape.tosPerDevice; ++t) {
            const int address = d * 10 + t;
            device += "      <RT" + std::to_string(address) + " Name=\"Axis" + tag + std::to_string(address) +
                      "\" TypeID=\"" + kTypeGuids[static_cast<size_t>(address) % 7] + "\"/>\n";
            if (d == 1 && t == 1) device += "      <!-- a comment among the TOs -->\n";
        }
        if (d == 4) device += "      <XY5 Name=\"NotRuntime\"/>\n";
        device += "    </" + name + ">\n";
        parts.devices += device;
    }
    parts.router = "  <" + router + ">\n    <Module SLOT=\"\"/>\n    <Module SLOT=\"3\"/>\n  </" + router + ">\n";

    const int m = shape.messagesPerCategory;
    if (shape.projectMode) {
        std::string projects, diagnosis;
        for (int p = 1; p <= shape.projects; ++p) {
            const std::string project = "ProjLine" + std::to_string(p);
            projects +=
                Category(project, "Meldungen " + project + tag, kTextAttributes, Messages(1, m, kUserTexts, 4, tag));
            if (p % 2)
                diagnosis +=
                    Category(project, "Diagnose " + project, kTextAttributes, Messages(0x4302, m, kDiagTexts, 2, tag));
        }
        parts.conditional +=
            "    <U7SQ>\n" + projects + "    </U7SQ>\n    <USERDIAG>\n" + diagnosis + "    </USERDIAG>\n";
    } else {
        parts.conditional +=
            Category("U7SQ", "Anwendermeldungen" + tag, kTextAttributes, Messages(1, m, kUserTexts, 4, tag));
    }
    parts.conditional += Category("TOPOSAXIS", "Achsen" + tag, kTextAttributes, Messages(30001, m, kToTexts, 2, tag));
    parts.conditional += Category(std::string("TOT") + kTypeGuids[4], "Nocken", "MSG0009=\"Text\" MSG0007=\"Text\"",
                                  Messages(30001, m, kToTexts, 2, tag));
    parts.conditional += Category("MYCATEGORY" + tag, "", "", Messages(1, 2, kToTexts, 2, tag));
    parts.conditional += "    <!-- comment between categories -->\n";
    parts.simple += Category("U7DIAG", "Diagnose" + tag, "MSG0007=\"Text\" MSG0009=\"Text\"",
                             Messages(0x4302, m, kDiagTexts, 2, tag));
    if (!shape.projectMode)
        parts.simple +=
            Category("USERDIAG", "Anwenderdiagnose", "MSG0407=\"Text\"", Messages(0x100, 2, kDiagTexts, 2, tag));
    return parts;
}

Parts Reference() { return ReferenceParts(ProjectShape{}); }

// UTF-8 to UTF-16 code units; bytes that are not UTF-8 become U+FFFD.
std::u16string Utf16(std::string_view utf8) {
    std::u16string out;
    for (size_t k = 0; k < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[k]);
        uint32_t code = 0xFFFD;
        size_t length = 1;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte >> 5) == 6 && k + 1 < utf8.size()) {
            code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[k + 1]) & 0x3Fu);
            length = 2;
        } else if ((byte >> 4) == 14 && k + 2 < utf8.size()) {
            code = ((byte & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[k + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(utf8[k + 2]) & 0x3Fu);
            length = 3;
        } else if ((byte >> 3) == 30 && k + 3 < utf8.size()) {
            code = ((byte & 0x07u) << 18) | ((static_cast<unsigned char>(utf8[k + 1]) & 0x3Fu) << 12) |
                   ((static_cast<unsigned char>(utf8[k + 2]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(utf8[k + 3]) & 0x3Fu);
            length = 4;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        k += length;
    }
    return out;
}

std::string Utf16Bytes(const std::u16string& text, bool bigEndian, bool bom) {
    std::string out;
    if (bom) out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

std::string WithDeclaration(Parts parts, const std::string& declaration) {
    parts.declaration = declaration;
    return parts.Join();
}

std::string Utf16Project(bool bigEndian, bool bom) {
    return Utf16Bytes(Utf16(WithDeclaration(Reference(), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n")), bigEndian,
                      bom);
}

std::string FileUrl(const std::string& directory, const std::string& file) {
    std::string url = "file:///" + directory + "/" + file;
    for (char& c : url) c = c == '\\' ? '/' : c;
    return url;
}

std::vector<std::pair<std::string, std::string>> SecretFiles() {
    return {{"secret.xml", "<SECRETMARKER CheckSum=\"SECRETMARKER\" MPIDefault=\"SECRETMARKER\"/>"},
            {"secret.dtd",
             "<!ENTITY leak \"SECRETMARKER\">\n<!ATTLIST PLC1 CheckSum CDATA \"SECRETMARKER\" extra CDATA "
             "\"SECRETMARKER\">\n"}};
}

using Entries = std::vector<CorpusEntry>;

CorpusFile MakeFile(const std::string& name, const std::string& what, std::string project,
                    std::vector<std::pair<std::string, std::string>> siblings = {}) {
    CorpusFile file;
    file.name = name;
    file.what = what;
    file.project = std::move(project);
    file.siblings = std::move(siblings);
    return file;
}

void Add(Entries& entries, const std::string& name, const std::string& what, std::function<std::string()> project,
         const std::string& sameAnswersAs = "") {
    entries.push_back({name, [=](const std::string&) {
                           CorpusFile file = MakeFile(name, what, project());
                           file.sameAnswersAs = sameAnswersAs;
                           return file;
                       }});
}

void AddTruncated(Entries& entries, bool full) {
    const size_t cuts = full ? 64 : 8;
    for (size_t k = 1; k < cuts; ++k) {
        Add(entries, "truncated-" + std::to_string(k) + "-of-" + std::to_string(cuts), "cut after k/n of its bytes",
            [k, cuts] {
                const std::string whole = Reference().Join();
                return whole.substr(0, whole.size() * k / cuts);
            });
    }
    Add(entries, "truncated-last-byte", "all but the last byte", [] {
        std::string whole = Reference().Join();
        whole.resize(whole.size() - 2);  // the newline and the ">" of the root's end tag
        return whole;
    });
    Add(entries, "truncated-mid-character", "cut inside a two-byte UTF-8 character", [] {
        const std::string whole = Reference().Join();
        return whole.substr(0, whole.find("\xC3\xBC") + 1);
    });
    Add(entries, "truncated-in-declaration", "cut inside the XML declaration",
        [] { return std::string("<?xml vers"); });
}

void AddDepth(Entries& entries) {
    Add(entries, "nesting-100000-deep", "100,000 nested elements below a device", [] {
        Parts parts = Reference();
        parts.devices +=
            "    <DEEP>" + Repeat("<a>", 100000) + "<RT1 Name=\"Bottom\"/>" + Repeat("</a>", 100000) + "</DEEP>\n";
        return parts.Join();
    });
    Add(entries, "nesting-100000-deep-in-category", "100,000 nested elements below a message element", [] {
        Parts parts = Reference();
        parts.conditional += "    <DEEPCAT><Attributes MSG0407=\"x\"/><ID00000001 MSG0407=\"x\">" +
                             Repeat("<b>", 100000) + Repeat("</b>", 100000) + "</ID00000001></DEEPCAT>\n";
        return parts.Join();
    });
    Add(entries, "nesting-200-deep", "200 nested elements, within what parsers accept", [] {
        Parts parts = Reference();
        parts.devices += "    <DEEP>" + Repeat("<a>", 200) + "<RT1 Name=\"Bottom\" TypeID=\"" + kTypeGuids[0] + "\"/>" +
                         Repeat("</a>", 200) + "</DEEP>\n";
        return parts.Join();
    });
}

// The platform's parser refuses attribute values of more than 10,000,000
// bytes and names of more than 50,000 characters: the values stay just
// below, and one file of each goes past.
void AddHugeValues(Entries& entries, bool full) {
    const size_t size = full ? 9990000 : 1000000;
    const std::string label = FormatSize(size);
    Add(entries, "huge-texts", label + " description, checksum and message texts", [size] {
        Parts parts = Reference();
        const std::string big = Filled("Abc %s ", size);
        parts.devices += "    <BIGTEXT CheckSum=\"" + big + "\" CONNNAME=\"" + big + "\"/>\n";
        parts.conditional += Category("HUGE", big, "MSG0407=\"" + big + "\"",
                                      "      <ID00000001 MSG0407=\"" + Filled("/1/%d @1W%d@ $Z1%d ", size) + "\"/>\n");
        return parts.Join();
    });
    Add(entries, "huge-numbers", label + " numeric, dotted and hexadecimal connection values", [size] {
        Parts parts = Reference();
        parts.devices += "    <BIGVALUES TIMEOUT=\"" + Filled("9", size) + "\" TimeDifference=\"-" + Filled("7", size) +
                         "\" CPUVersion=\"" + Filled("3", size) + "\" LocTSAP=\"" + Filled("255.", size) +
                         "\" RemTSAP=\"" + Filled(".", size) + "\" SubnetID=\"" + Filled("F", size) +
                         "\" MPIDefault=\"" + Filled("1.", size) + "\" PASSIVE=\"-" + Filled("1", size) + "\">\n" +
                         "      <RoutInfo ROUTNET=\"Net" + Filled("x", size) + "\" ROUTADR=\"" + Filled("10.", size) +
                         "\"/>\n    </BIGVALUES>\n";
        return parts.Join();
    });
    Add(entries, "huge-value-past-parser-limit", "a 10 MiB checksum", [] {
        Parts parts = Reference();
        parts.devices += "    <BIGGER CheckSum=\"" + Filled("x", 10u << 20) + "\"/>\n";
        return parts.Join();
    });
    Add(entries, "long-names", "device, TO and category names of 40,000 characters", [] {
        Parts parts = Reference();
        const std::string name = "N" + Filled("n", 40000);
        parts.devices +=
            "    <" + name + " CheckSum=\"x\"><RT" + Filled("7", 40000) + " Name=\"" + name + "\"/></" + name + ">\n";
        parts.conditional += Category("C" + name, "long", kTextAttributes, Messages(1, 1, kUserTexts, 4, ""));
        return parts.Join();
    });
    Add(entries, "name-past-parser-limit", "a device name of 1 MB", [] {
        Parts parts = Reference();
        parts.devices += "    <D" + Filled("n", 1u << 20) + "/>\n";
        return parts.Join();
    });
}

// The platform's parser needs time that grows faster than the square of an
// element's attribute count (1 s for 20,000, 30 s for 50,000, 230 s for
// 100,000), so only one file has 100,000, and only in the full run.
void AddManyAttributes(Entries& entries, bool full) {
    auto names = [](size_t count, const char* prefix, const char* value) {
        std::string out;
        for (size_t k = 0; k < count; ++k) out += std::string(" ") + prefix + std::to_string(k) + "=\"" + value + "\"";
        return out;
    };
    const size_t most = full ? 100000 : 20000;
    Add(entries, "many-attributes-declared", "a category declaring " + std::to_string(most) + " attributes", [=] {
        Parts parts = Reference();
        parts.conditional += "    <MANY CatDescr=\"many\">\n      <Attributes MSG0407=\"x\"" + names(most, "A", "d") +
                             "/>\n      <ID00000001 MSG0407=\"text\" A7=\"seven\"/>\n    </MANY>\n";
        return parts.Join();
    });
    const size_t count = 20000;
    const std::string label = std::to_string(count) + " attributes";
    Add(entries, "many-attributes-device", "a device element with " + label, [=] {
        Parts parts = Reference();
        parts.devices += "    <WIDE" + names(count, "X", "1") + " CheckSum=\"last\"/>\n";
        return parts.Join();
    });
    Add(entries, "many-attributes-message", "a message element with " + label, [=] {
        Parts parts = Reference();
        parts.conditional += "    <WIDEMSG>\n      <Attributes MSG0407=\"x\" Severity=\"s\"/>\n      <ID00000001" +
                             names(count, "Y", "v") + " MSG0409=\"last\"/>\n    </WIDEMSG>\n";
        return parts.Join();
    });
}

void AddEncodings(Entries& entries) {
    struct Case {
        const char* name;
        const char* what;
        const char* declaration;
        std::string badText;
    };
    const Case cases[] = {
        {"utf8-invalid-byte", "0xFF in a UTF-8 file", "UTF-8", "a\xFFz"},
        {"utf8-bad-continuation", "a lead byte without its continuation", "UTF-8", "a\xC3(z"},
        {"utf8-overlong", "an overlong encoding of '/'", "UTF-8", "a\xC0\xAFz"},
        {"utf8-encoded-surrogate", "a surrogate encoded in UTF-8", "UTF-8", "a\xED\xA0\x80z"},
        {"utf8-beyond-unicode", "a five-byte sequence", "UTF-8", "a\xF8\x88\x80\x80\x80z"},
        {"latin1-nul-byte", "a NUL byte in a Latin-1 file", "ISO-8859-1", std::string("a\0z", 3)},
        {"control-character", "a control character, invalid in any encoding", "UTF-8", "a\x01z"},
        {"ascii-high-bytes", "bytes above 0x7F in a US-ASCII file", "US-ASCII", "a\xE4\xF6z"},
        {"unknown-encoding", "an encoding no parser knows", "x-no-such-charset", "plain"},
        {"declared-utf16-is-utf8", "UTF-16 declared, single bytes written", "UTF-16", "plain"},
        {"shift-jis-bad-lead", "an invalid Shift_JIS sequence", "Shift_JIS", "a\x81\x20z"},
    };
    for (const Case& c : cases) {
        Add(entries, c.name, c.what, [c] {
            Parts parts = Reference();
            parts.declaration = std::string("<?xml version=\"1.0\" encoding=\"") + c.declaration + "\"?>\n";
            parts.devices += "    <ENC CheckSum=\"" + c.badText + "\" MPIDefault=\"2\"/>\n";
            return parts.Join();
        });
    }
    Add(
        entries, "utf16le-bom", "UTF-16 little-endian with BOM", [] { return Utf16Project(false, true); }, "reference");
    Add(
        entries, "utf16be-bom", "UTF-16 big-endian with BOM", [] { return Utf16Project(true, true); }, "reference");
    Add(
        entries, "utf16le-no-bom", "UTF-16 little-endian without BOM", [] { return Utf16Project(false, false); },
        "reference");
    Add(
        entries, "utf16be-no-bom", "UTF-16 big-endian without BOM", [] { return Utf16Project(true, false); },
        "reference");
    Add(entries, "utf16le-odd-length", "UTF-16 with BOM cut to an odd number of bytes", [] {
        const std::string whole = Utf16Project(false, true);
        return whole.substr(0, whole.size() / 2 | 1);
    });
    Add(entries, "utf16le-lone-surrogate", "an unpaired surrogate in a UTF-16 device name", [] {
        std::u16string text = Utf16(WithDeclaration(Reference(), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"));
        text.replace(text.find(u"PLC1"), 4, std::u16string(u"PLC") + char16_t(0xD800));
        return Utf16Bytes(text, false, true);
    });
    Add(entries, "utf8-bom-declared-utf16", "a UTF-8 BOM on a file that declares UTF-16",
        [] { return "\xEF\xBB\xBF" + WithDeclaration(Reference(), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"); });
    Add(entries, "utf32le-bom", "UTF-32 little-endian with BOM", [] {
        const std::u16string text =
            Utf16(WithDeclaration(Reference(), "<?xml version=\"1.0\" encoding=\"UTF-32\"?>\n"));
        std::string out("\xFF\xFE\0\0", 4);
        for (char16_t unit : text)
            out += std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8), 0, 0};
        return out;
    });
}

// A document type whose entity name0 is `text` and each further one refers
// `fanout` times to the one before, up to name<levels>.
std::string EntityChain(const std::string& name, const std::string& text, int levels, int fanout) {
    std::string doctype = "<!DOCTYPE CorvalisProject [\n<!ENTITY " + name + "0 \"" + text + "\">\n";
    for (int k = 1; k <= levels; ++k) {
        doctype += "<!ENTITY " + name + std::to_string(k) + " \"" +
                   Repeat("&" + name + std::to_string(k - 1) + ";", fanout) + "\">\n";
    }
    return doctype + "]>\n";
}

void AddEntities(Entries& entries) {
    Add(entries, "entity-bomb-elements", "ten levels of ten-fold entity expansion in element content", [] {
        Parts parts = Reference();
        parts.doctype = EntityChain("e", "lol", 10, 10);
        parts.devices += "    <BOMB>&e10;</BOMB>\n";
        return parts.Join();
    });
    Add(entries, "entity-bomb-attribute", "entity expansion into a checksum attribute", [] {
        Parts parts = Reference();
        parts.doctype = EntityChain("a", Filled("A", 50), 8, 12);
        parts.devices += "    <BOMB CheckSum=\"&a8;\" CONNNAME=\"&a8;\"/>\n";
        return parts.Join();
    });
    // The platform's DOM expands such references at every read of the
    // value, in time that grows with the square of the expanded size (13 MB
    // take 3 s, 105 MB 154 s); 2.6 MB keep each read short.
    Add(entries, "entity-quadratic", "one 64 KB entity referenced 40 times in an attribute", [] {
        Parts parts = Reference();
        parts.doctype = "<!DOCTYPE CorvalisProject [\n<!ENTITY big \"" + Filled("x", 65536) + "\">\n]>\n";
        parts.devices += "    <BLOW CheckSum=\"" + Repeat("&big;", 40) + "\"/>\n";
        return parts.Join();
    });
    entries.push_back(
        {"external-entities", [](const std::string& directory) {
             Parts parts = Reference();
             parts.doctype = "<!DOCTYPE CorvalisProject [\n<!ENTITY absolute SYSTEM \"" +
                             FileUrl(directory, "secret.xml") +
                             "\">\n<!ENTITY relative SYSTEM \"secret.xml\">\n<!ENTITY % dtd SYSTEM \"" +
                             FileUrl(directory, "secret.dtd") + "\">\n%dtd;\n]>\n";
             parts.devices += "    &absolute;\n    &relative;\n";
             parts.conditional += "    <LEAKCAT CatDescr=\"x\">&absolute;<Attributes MSG0407=\"x\"/></LEAKCAT>\n";
             return MakeFile("external-entities", "external entities and a parameter entity naming local files",
                             parts.Join(), SecretFiles());
         }});
    entries.push_back({"external-dtd", [](const std::string& directory) {
                           Parts parts = Reference();
                           parts.doctype =
                               "<!DOCTYPE CorvalisProject SYSTEM \"" + FileUrl(directory, "secret.dtd") + "\">\n";
                           CorpusFile file =
                               MakeFile("external-dtd", "an external DTD whose attribute defaults would add text",
                                        parts.Join(), SecretFiles());
                           file.sameAnswersAs = "reference";
                           return file;
                       }});
    Add(entries, "internal-attribute-defaults", "attribute defaults from the internal subset", [] {
        Parts parts = Reference();
        parts.doctype =
            "<!DOCTYPE CorvalisProject [\n<!ATTLIST PLC2 CheckSum CDATA \"DEFAULTED\" TIMEOUT CDATA \"1\">\n"
            "<!ATTLIST Attributes MSG0C0A CDATA \"es\">\n]>\n";
        return parts.Join();
    });
}

void AddRepeatedNames(Entries& entries) {
    struct Case {
        const char* name;
        const char* what;
        void (*edit)(Parts&);
    };
    const Case cases[] = {
        {"repeated-devices", "a second DEVICES element",
         [](Parts& p) { p.tail += "  <Other><DEVICES><X/></DEVICES></Other>\n"; }},
        {"repeated-conditional", "a second CONDITIONAL element",
         [](Parts& p) { p.tail += "  <CONDITIONAL><U7SQ/></CONDITIONAL>\n"; }},
        {"repeated-simple", "a second SIMPLE element", [](Parts& p) { p.tail += "  <Other><SIMPLE/></Other>\n"; }},
        {"repeated-u7sq", "U7SQ under both event classes",
         [](Parts& p) { p.simple += Category("U7SQ", "twice", kTextAttributes, Messages(1, 2, kUserTexts, 4, "")); }},
        {"repeated-u7diag", "U7DIAG under both event classes",
         [](Parts& p) {
             p.conditional += Category("U7DIAG", "twice", kTextAttributes, Messages(0x4302, 2, kDiagTexts, 2, ""));
         }},
        {"repeated-corvalis", "a second CORVALIS element",
         [](Parts& p) { p.tail += "  <CORVALIS><ConnectionInfo CONNNAME=\"second\"/></CORVALIS>\n"; }},
        {"repeated-device-names", "device names that occur elsewhere, and a device twice",
         [](Parts& p) {
             p.devices +=
                 "    <PLC1 CheckSum=\"again\"/>\n    <TOPOSAXIS/>\n    <Attributes/>\n    <RoutInfo/>\n"
                 "    <ID00000001/>\n    <CORVALIS/>\n    <RT11/>\n";
         }},
        {"repeated-routdev", "the ROUTDEV target element twice",
         [](Parts& p) { p.tail += "  <ROUTER1><Module SLOT=\"9\"/></ROUTER1>\n"; }},
        {"repeated-routdev-missing", "a ROUTDEV naming no element and one naming a TO",
         [](Parts& p) {
             p.devices +=
                 "    <ROUTED1><RoutInfo ROUTNET=\"PC-Internal\" ROUTDEV=\"NOWHERE\"/></ROUTED1>\n"
                 "    <ROUTED2><RoutInfo ROUTNET=\"PC-Internal\" ROUTDEV=\"RT11\"/></ROUTED2>\n"
                 "    <ROUTED3><RoutInfo ROUTNET=\"PC-Internal\" ROUTDEV=\"\"/><RoutInfo ROUTNET=\"\"/></ROUTED3>\n";
         }},
        {"repeated-category-ids", "a TO type by name and by GUID, and 40 projects",
         [](Parts& p) {
             p.rootAttributes = " Proj=\"x\"";
             std::string projects;
             for (int k = 1; k <= 40; ++k)
                 projects += "      <ProjP" + std::to_string(k) + "><Attributes MSG0407=\"x\"/></ProjP" +
                             std::to_string(k) + ">\n";
             p.conditional = "    <U7SQ>\n" + projects + "    </U7SQ>\n" + p.conditional +
                             Category("TOFOLLOWINGOBJECTTYPE", "by name", kTextAttributes, "") +
                             Category(std::string("TOT") + kTypeGuids[6], "by guid", kTextAttributes, "");
         }},
        {"repeated-everything", "every uniquely looked-up name twice",
         [](Parts& p) {
             p.tail +=
                 "  <Again><DEVICES/><CONDITIONAL/><SIMPLE/><U7SQ/><U7DIAG/><CORVALIS/><PLC1/><PLC2/><PLC3/>"
                 "<PLC4/><ROUTER1/></Again>\n";
         }},
    };
    for (const Case& c : cases) {
        Add(entries, c.name, c.what, [c] {
            Parts parts = Reference();
            c.edit(parts);
            return parts.Join();
        });
    }
}

void AddNames(Entries& entries) {
    Add(entries, "non-ascii-names", "device, TO, project and category names beyond ASCII and the BMP", [] {
        ProjectShape shape;
        shape.projectMode = true;
        shape.projects = 3;
        Parts parts = ReferenceParts(shape);
        const std::string names[] = {"Ger\xC3\xA4t\xC3\x9C", "\xE8\xA3\x85\xE7\xBD\xAE", "\xCE\xA9",
                                     "\xF0\x9D\x94\x87\x65v"};
        const std::string projects[] = {"\xC3\x84nderung", "\xE5\xB7\xA5\xE7\xA8\x8B", "\xF0\x9D\x94\x93"};
        for (size_t k = 0; k < 4; ++k) {
            parts.devices += "    <" + names[k] + " Project=\"" + projects[k % 3] + "\" CheckSum=\"" + names[k] +
                             "\">\n      <RT1 Name=\"" + names[k] + "\" TypeID=\"" + kTypeGuids[0] + "\"/>\n    </" +
                             names[k] + ">\n";
        }
        std::string userAlarms;
        for (const std::string& project : projects)
            userAlarms += Category("Proj" + project, "Meldungen " + project, kTextAttributes,
                                   Messages(1, 2, kUserTexts, 4, project));
        const size_t open = parts.conditional.find("    <U7SQ>\n") + 11;
        parts.conditional.insert(open, userAlarms);
        parts.conditional += Category("KATEGORIE\xC3\x84\xF0\x9D\x94\x87", "\xE2\x82\xAC uro", kTextAttributes,
                                      Messages(1, 2, kToTexts, 2, "\xF0\x9F\x98\x80"));
        return parts.Join();
    });
    Add(entries, "colon-and-odd-names", "names with colons, dots, dashes and a namespace", [] {
        Parts parts = Reference();
        parts.rootAttributes = " xmlns:x=\"urn:x\"";
        parts.devices +=
            "    <x:PLC CheckSum=\"ns\"><RT.5 Name=\"dot\"/><RT-6 Name=\"dash\"/><R/><RT/></x:PLC>\n"
            "    <_a.b-c CheckSum=\"odd\"/>\n";
        return parts.Join();
    });
}

void AddPercentTexts(Entries& entries) {
    Add(entries, "percent-texts", "message texts of every alarm type full of % sequences and broken placeholders", [] {
        const char* const conversions[] = {"%n%n%n%n",      "%s%s%s%s", "%p%p", "%*d",           "%99999d",
                                           "%.99999d",      "%I64d",    "%lld", "%hn",           "%ls%S",
                                           "%1$s",          "%",        "%%%",  "%-2147483648d", "%2147483648d",
                                           "%.2147483647f", "%e%g%a",   "%c%c", "%#0+- 50.30x",  "%0*.*d"};
        std::string hostile;
        for (const char* conversion : conversions) hostile += conversion;
        const std::string user[] = {"@1W%n@", "@1R%s@",       "@1R%.99999f@", "@1X%99999d@",
                                    "@1",     "@1W",          "@1@",          "@@@@",
                                    "@1Z%d@", "@1B%d@@1W%d@", "@1D%5.99f@",   "@1W" + hostile + "@"};
        const std::string to[] = {"/9/%d",         "/0/%d",       "/-/%d", "//", Repeat("/1/%d", 10),
                                  "/1/" + hostile, "/1/%f /2/%e", "/1/%s"};
        const std::string diag[] = {
            "$Z",    "$Z9%d",  "$Z1/2%s", "$Z1%n", "$Z4/5%99999X", Repeat("$Z1%d", 10), "$Z1" + hostile,
            "$Z1%f", "$Z1/9%d"};
        auto messages = [](const std::string* texts, size_t count, uint32_t first) {
            std::string out;
            for (size_t k = 0; k < count; ++k)
                out += "      <ID" + Hex8(first + static_cast<uint32_t>(k)) + " MSG0407=\"" + Attr(texts[k]) +
                       "\" MSG0409=\"" + Attr(texts[k]) + texts[k].substr(0, 3) + "\" Severity=\"%s%n\"/>\n";
            return out;
        };
        ProjectShape shape;
        shape.messagesPerCategory = 0;
        Parts parts = ReferenceParts(shape);
        parts.conditional = Category("U7SQ", "%s%n%p", kTextAttributes, messages(user, std::size(user), 1)) +
                            Category("TOPOSAXIS", hostile, kTextAttributes, messages(to, std::size(to), 30001));
        parts.simple = Category("U7DIAG", "%n", "MSG0407=\"%s\"", messages(diag, std::size(diag), 0x4302));
        parts.devices += "    <PCT CheckSum=\"%n%s\" MPIDefault=\"%d.%d\" CONNNAME=\"" + Attr(hostile) + "\"/>\n";
        return parts.Join();
    });
}

void AddMalformed(Entries& entries) {
    Add(entries, "empty-file", "no bytes at all", [] { return std::string(); });
    Add(entries, "bom-only", "a UTF-8 byte order mark and nothing else", [] { return std::string("\xEF\xBB\xBF"); });
    Add(entries, "declaration-only", "the XML declaration alone",
        [] { return std::string("<?xml version=\"1.0\"?>\n"); });
    Add(entries, "nul-bytes", "4 KB of NUL bytes", [] { return std::string(4096, '\0'); });
    Add(entries, "only-less-than", "100 KB of '<'", [] { return std::string(100000, '<'); });
    Add(entries, "root-only", "an empty root element", [] { return std::string("<Root/>"); });
    Add(entries, "two-roots", "a second root element", [] { return Reference().Join() + "<Second/>\n"; });
    Add(entries, "garbage", "64 KB of pseudo-random bytes", [] {
        std::string bytes(65536, '\0');
        uint32_t state = 0x2545F491;
        for (char& c : bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            c = static_cast<char>(state);
        }
        return bytes;
    });
    Add(entries, "cdata-and-instructions", "CDATA, processing instructions and text among devices and TOs", [] {
        Parts parts = Reference();
        parts.devices = "    <![CDATA[<PLC9/>]]>\n    <?pi data?>\n    text\n" + parts.devices +
                        "    <MIXED>text<![CDATA[x]]><?pi?><RT1 Name=\"a\"/></MIXED>\n";
        parts.devicesAttributes = " xml:space=\"preserve\"";
        return parts.Join();
    });
    entries.push_back({"project-file-is-directory", [](const std::string&) {
                           CorpusFile file = MakeFile("project-file-is-directory", "OPC_AE.xml is a directory", "");
                           file.projectIsDirectory = true;
                           return file;
                       }});
}

}  // namespace

std::string ReferenceProject(const ProjectShape& shape) { return ReferenceParts(shape).Join(); }

std::vector<CorpusEntry> HostileCorpus(bool full) {
    Entries entries;
    Add(entries, "reference", "the well-formed reference project", [] { return Reference().Join(); });
    Add(entries, "reference-project-mode", "the reference project in project mode", [] {
        ProjectShape shape;
        shape.projectMode = true;
        shape.projects = 3;
        return ReferenceProject(shape);
    });
    AddTruncated(entries, full);
    AddDepth(entries);
    AddHugeValues(entries, full);
    AddManyAttributes(entries, full);
    AddEncodings(entries);
    AddEntities(entries);
    AddRepeatedNames(entries);
    AddNames(entries);
    AddPercentTexts(entries);
    AddMalformed(entries);
    return entries;
}
