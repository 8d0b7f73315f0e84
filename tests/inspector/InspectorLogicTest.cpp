// The inspector's command line, output formatting and name rules.

#include <gtest/gtest.h>

#include "eventserver/EventTextFormatters.h"
#include "eventserver/MessageNumber.h"
#include "deviceinfo/ConnectionValueConversions.h"
#include "eventserver/MessageTextNames.h"
#include "tools/eventinfo/CommandLine.h"
#include "tools/eventinfo/LintRules.h"
#include "tools/eventinfo/MessageNames.h"
#include "tools/eventinfo/Report.h"
#include "tools/eventinfo/ResultNames.h"
#include "tools/eventinfo/Routing.h"

namespace {

TEST(InspectorCommandLine, AcceptsOrRefusesCommandLines) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
    };
    const Case cases[] = {
        {{"devices"}, true},
        {{"devices", "--file", "x.xml", "--json"}, true},
        {{"--file=x.xml", "tos", "PLC1"}, true},
        {{"categories", "--class", "simple"}, true},
        {{"resolve", "--lang", "0x0407", "Alarm1", "/D/U7SQ", "1", "2"}, true},
        {{"resolve", "--lang", "1031", "TO_ALARM1", "/D/RT1", "-5"}, true},
        {{"resolve", "--lang", "0x0409", "--value", "300", "Alarm1", "/D/U7SQ", "--quiet"}, true},
        {{"resolve", "--lang", "0x0409", "--value", "300", "Alarm1", "/D/U7SQ", "1"}, false},
        {{"devices", "--value", "3"}, false},
        {{"diff", "a.xml", "b.xml"}, true},
        {{"diff", "a.xml"}, false},
        {{"lint", "--help"}, true},
        {{"--help"}, true},
        {{}, false},
        {{"bogus"}, false},
        {{"devices", "extra"}, false},
        {{"tos"}, false},
        {{"categories", "--class", "tracking"}, false},
        {{"devices", "--class", "all"}, false},
        {{"resolve", "Alarm1", "/D/U7SQ"}, false},
        {{"resolve", "--lang", "0x10000", "Alarm1", "/D/U7SQ"}, false},
        {{"devices", "--file"}, false},
        {{"devices", "--verbose"}, false},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = ParseCommandLine(c.args);
        EXPECT_EQ(parsed.error.empty(), c.ok) << (c.args.empty() ? "(empty)" : c.args[0]) << ": " << parsed.error;
    }
    const ParsedCommandLine parsed = ParseCommandLine({"resolve", "A", "--lang", "0x0C0A", "--file", "p", "B", "3"});
    EXPECT_EQ(parsed.line.command, "resolve");
    EXPECT_EQ(parsed.line.arguments, (std::vector<std::string>{"A", "B", "3"}));
    EXPECT_EQ(parsed.line.language, 0x0C0A);
    EXPECT_EQ(parsed.line.file, "p");
    EXPECT_EQ(ParseCommandLine({"categories"}).line.eventClass, "all");
}

TEST(InspectorCommandLine, NamesParametersAndNumbers) {
    EXPECT_EQ(ConfigParamId("CONFIG_TIMEOUT"), 23);
    EXPECT_EQ(ConfigParamId("timeout"), 23);
    EXPECT_EQ(ConfigParamId("PDUSize"), 21);
    EXPECT_EQ(ConfigParamId("0x1E"), 30);
    EXPECT_EQ(ConfigParamId("31"), std::nullopt);
    EXPECT_EQ(ConfigParamId("CONFIG_"), std::nullopt);
    EXPECT_EQ(ConfigParamName(1), "CONFIG_BAUDRATE");
    EXPECT_EQ(ConfigParamName(0), "");
    EXPECT_EQ(ParseInteger("-0x10"), -16);
    EXPECT_EQ(ParseInteger("12a"), std::nullopt);
    EXPECT_EQ(ParseInteger("0x"), std::nullopt);
    EXPECT_FALSE(HelpText("params").find("CONFIG_TIMEOUT") == std::string::npos);
}

TEST(InspectorCommandLine, ReadsEventParametersByAlarmType) {
    std::string error;
    const auto to = ParseResolveParameters(true, {"-1", "0xFFFFFFFF"}, error);
    ASSERT_TRUE(to);
    EXPECT_TRUE(to->integers);
    EXPECT_EQ(to->values, (std::vector<int32_t>{-1, -1}));
    const auto bytes = ParseResolveParameters(false, {"1", "0x2C"}, error);
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(bytes->integers);
    EXPECT_EQ(bytes->values, (std::vector<int32_t>{1, 44}));
    EXPECT_FALSE(ParseResolveParameters(false, {"256"}, error));
    EXPECT_FALSE(ParseResolveParameters(true, {"0x100000000"}, error));
    EXPECT_FALSE(error.empty());
}

TEST(InspectorReport, AlignsTextAndWritesJson) {
    Report report = {Table{"t", {{"name"}, {"id", true}}, {{"ä", "5"}, {"long name", "12345"}}}};
    EXPECT_EQ(RenderText(report), "  name          id\n  ä              5\n  long name  12345\n");
    report.push_back(Table{"empty", {{"x"}}, {}});
    report[0].rows[0][0] = "a\"b\\\n";
    report[0].rows[1][1] = "";
    EXPECT_EQ(
        RenderJson(report),
        "{\n \"t\": [\n  {\"name\": \"a\\\"b\\\\\\n\", \"id\": 5},\n  {\"name\": \"long name\", \"id\": null}\n ],\n"
        " \"empty\": []\n}\n");
    EXPECT_NE(RenderText(report).find("empty:\n  (none)"), std::string::npos);
}

TEST(InspectorLintRules, FindsStartTagLines) {
    const std::string text =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE R [\n<!ELEMENT R ANY>\n]>\n<R a=\"x>y\">\n<!-- <NotMe/>\n -->"
        "<A/><![CDATA[<NotMe>]]>\n\n<B\n c=\"1\"></B></R>";
    const auto tags = ScanStartTags(text);
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[0].name, "R");
    EXPECT_EQ(tags[0].line, 5);
    EXPECT_EQ(tags[1].name, "A");
    EXPECT_EQ(tags[1].line, 7);
    EXPECT_EQ(tags[2].name, "B");
    EXPECT_EQ(tags[2].line, 9);
}

TEST(InspectorLintRules, JudgesNamesAndTexts) {
    EXPECT_TRUE(IsMessageElementName(u"ID0000ABCD"));
    for (const char16_t* name : {u"ID0000abcd", u"ID000ABCD", u"ID0000ABCDE", u"id0000ABCD", u"IDENT"})
        EXPECT_FALSE(IsMessageElementName(name));
    EXPECT_TRUE(IsMessageTextName(u"MSG0C0A"));
    EXPECT_FALSE(IsMessageTextName(u"MSG0c0a"));
    EXPECT_FALSE(IsMessageTextName(u"MSG407"));

    const std::vector<std::u16string> known = {u"CATDESCR", u"CatDescr", u"MSG0407"};
    EXPECT_EQ(CaseVariantOf(u"catdescr", known), u"CATDESCR");
    EXPECT_EQ(CaseVariantOf(u"CatDescr", known), u"");
    EXPECT_EQ(CaseVariantOf(u"Msg0407", known), u"MSG0407");
    EXPECT_EQ(CaseVariantOf(u"Other", known), u"");

    EXPECT_EQ(FormatWithSampleParameters(1, u"Level @1W%d@ mm"), 0);
    EXPECT_EQ(FormatWithSampleParameters(1, u"Level @1W%d mm"), kFormatInvalid);
    EXPECT_EQ(FormatWithSampleParameters(2, u"Axis /1/%d error /9/%d"), 0);
    EXPECT_EQ(FormatWithSampleParameters(2, u"Axis /0/%d"), kFormatInvalid);
    EXPECT_EQ(FormatWithSampleParameters(4, u"Module $Z1%04X"), 0);
    EXPECT_EQ(FormatWithSampleParameters(4, u"no placeholder"), kFormatNoPlaceholder);
}

// Every form a user types for a message, and the name the component reads
// the number from, which must give the number back.
TEST(InspectorMessageNames, ReadsTypedFormsAndWritesTheComponentsForm) {
    struct Case {
        const char* typed;
        std::vector<uint32_t> numbers;
    };
    const Case cases[] = {
        {"DIAGNOSIS: 4302", {0x4302, 4302}},
        {"DIAGNOSIS4302", {0x4302, 4302}},
        {"diagnosis:4302", {0x4302, 4302}},
        {"DIAGNOSIS17154", {0x17154, 17154}},
        {"DIAGNOSIS 0x4302", {0x4302}},
        {"ID00004302", {0x4302}},
        {"17154", {17154, 0x17154}},
        {"0x4302", {0x4302}},
        {"Alarm17", {17, 0x17}},
        {"TO_ALARM30001", {30001, 0x30001}},
        {"Alarm1F", {0x1F}},
        {"Alarm", {}},
        {"Level", {}},
        {"99999999999", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(TypedMessageNumbers(c.typed), c.numbers) << c.typed;

    EXPECT_EQ(EventMessageName(1, 17), "Alarm17");
    EXPECT_EQ(EventMessageName(2, 30001), "TO_ALARM30001");
    EXPECT_EQ(EventMessageName(4, 0x4302), "DIAGNOSIS: 4302");
    EXPECT_EQ(EventMessageName(8, 1), "");
    for (int32_t alarmType : {1, 2, 4})
        for (uint32_t number : {1u, 0x4302u, 30001u, 0x7FFFFFFFu}) {
            const std::string name = EventMessageName(alarmType, number);
            EXPECT_EQ(ParseMessageNumber(std::u16string(name.begin(), name.end())), number) << name;
        }
}

TEST(InspectorMessageNames, TurnsAUserAlarmValueIntoTheBytesItsTextReads) {
    struct Case {
        const char16_t* text;
        const char* value;
        std::vector<uint8_t> bytes;  // empty: refused
    };
    const Case cases[] = {
        {u"Level @1W%d@ mm", "300", {0x01, 0x2C}},
        {u"Level @1I%d@ mm", "-2", {0xFF, 0xFE}},
        {u"State @1B%X@", "0x2A", {0x2A}},
        {u"Count @1D%u@", "4294967295", {0xFF, 0xFF, 0xFF, 0xFF}},
        {u"Pressure @1R%6.2f@ bar", "2.5", {0x40, 0x20, 0x00, 0x00}},
        {u"Temp @1I%5.2f@ C", "1234", {0x04, 0xD2}},
        {u"State @1B%X@", "256", {}},
        {u"Level @1W%d@ mm", "65536", {}},
        {u"Level @1W%d@ mm", "-32769", {}},
        {u"Level @1W%d@ mm", "3 00", {}},
        {u"Pressure @1R%6.2f@ bar", "high", {}},
        {u"no placeholder", "1", {}},
        {u"Bad @1Q%d@", "1", {}},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto bytes = UserAlarmValueBytes(c.text, c.value, error);
        EXPECT_EQ(bytes.value_or(std::vector<uint8_t>{}), c.bytes) << c.value;
        EXPECT_EQ(error.empty(), bytes.has_value()) << c.value;
    }
    // The bytes give the value back through the formatter.
    std::string error;
    std::u16string formatted;
    const auto bytes = UserAlarmValueBytes(u"Level @1W%d@ mm", "300", error);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(FormatUserAlarmText(u"Level @1W%d@ mm", *bytes, formatted), 0);
    EXPECT_EQ(formatted, u"Level 300 mm");
}

TEST(InspectorRouting, DescribesTheRouteAndTheRoutingBlock) {
    struct Case {
        RouteFacts facts;
        const char* text;
    };
    const Case cases[] = {
        {RouteFacts{}, "not routed"},
        {RouteFacts{true, "Ethernet1", false, "Router1", "192.168.0.5", false, std::nullopt},
         "routed through network Ethernet1, router at 192.168.0.5"},
        {RouteFacts{true, "PC-Internal(1)", true, "CP1", "", true, std::string("3")},
         "routed through a module inside the PC (PC-Internal(1)), ROUTDEV \"CP1\" in slot 3"},
        {RouteFacts{true, "PC-Internal", true, "CP1", "", true, std::nullopt},
         "routed through a module inside the PC (PC-Internal), ROUTDEV \"CP1\" has no SLOT, so ADDRESS is refused"},
        {RouteFacts{true, "PC-Internal", true, "CP9", "", false, std::nullopt},
         "routed through a module inside the PC (PC-Internal), ROUTDEV \"CP9\" names no single element, so ADDRESS "
         "is MPIDefault"},
        {RouteFacts{true, "", false, "", "10.0.0.1", false, std::nullopt},
         "routing element without ROUTNET: no routing block, ADDRESS is ROUTADR \"10.0.0.1\""},
    };
    for (const Case& c : cases) EXPECT_EQ(DescribeRoute(c.facts), c.text);

    EXPECT_EQ(DescribeRoutingBlock({6, 0x00, 0x12, 0, 0, 0x80, 0x01, 4, 10, 1, 2, 3}),
              "subnet field 6 bytes, subnet ID 0012-8001, address 10.1.2.3 (4 bytes)");
    EXPECT_EQ(DescribeRoutingBlock({6, 0xAB, 0xCD, 0, 1, 0xEF, 0x01, 1, 2}),
              "subnet field 6 bytes, subnet ID ABCD-EF01 (bytes 3 and 4 are not 0), address 2 (1 byte)");
    EXPECT_EQ(DescribeRoutingBlock({6, 0, 0, 0, 0, 0, 0, 3, 1}),
              "subnet field 6 bytes, subnet ID 0000-0000, address 1 (3 bytes, but 1 follow)");
    EXPECT_EQ(DescribeRoutingBlock({6, 0, 0}), "too short for a routing block (3 bytes)");
}

TEST(InspectorLintRules, ChoosesTheMessageTextAsEventsDo) {
    struct Case {
        std::vector<std::u16string> namesWithText;
        const char16_t* language;
        const char16_t* categoryAttribute;
        TextSource source;
        const char16_t* attribute;
    };
    const Case cases[] = {
        {{u"MSG0407", u"MSG0409"}, u"MSG0409", u"MSG0407", TextSource::Own, u"MSG0409"},
        {{u"MSG0009"}, u"MSG0409", u"MSG0407", TextSource::PrimaryLanguage, u"MSG0009"},
        {{u"MSG0009"}, u"MSG0809", u"", TextSource::PrimaryLanguage, u"MSG0009"},
        {{u"MSG0407"}, u"MSG0409", u"MSG0407", TextSource::CategoryAttribute, u"MSG0407"},
        {{u"MSG0407"}, u"MSG0409", u"MSG0409", TextSource::None, u""},
        {{u"MSG0407"}, u"MSG0409", u"", TextSource::None, u""},
        {{}, u"MSG0C0A", u"MSG040A", TextSource::None, u""},
    };
    for (const Case& c : cases) {
        const TextChoice choice = ChooseMessageText(c.namesWithText, c.language, c.categoryAttribute);
        EXPECT_EQ(choice.source, c.source);
        EXPECT_EQ(choice.attribute, c.attribute);
    }
    EXPECT_EQ(MessageTextName(0x0C0A), u"MSG0C0A");
    EXPECT_EQ(MessageTextName(7), u"MSG0007");
    EXPECT_TRUE(deviceinfo::IsRouterInsidePc(u"PC-Internal(2)"));
    EXPECT_FALSE(deviceinfo::IsRouterInsidePc(u"pc-internal"));
}

TEST(InspectorResultNames, NamesResultsBesideTheirNumbers) {
    EXPECT_EQ(ResultText(0x80070057), "0x80070057 (E_INVALIDARG)");
    EXPECT_EQ(ResultText(0), "0x00000000 (S_OK)");
    EXPECT_EQ(ResultText(0x80041234), "0x80041234");
    EXPECT_EQ(IumcErrorName(6), "IUMC_ERROR_XMLFILE_NOINFOAVAILABLE");
    EXPECT_EQ(IumcErrorName(0), "IUMC_OK");
    EXPECT_EQ(IumcErrorName(7), "7");
}

}  // namespace
