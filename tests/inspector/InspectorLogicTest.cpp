// The inspector's command line, output formatting and name rules.

#include <gtest/gtest.h>

#include "eventserver/EventTextFormatters.h"
#include "tools/eventinfo/CommandLine.h"
#include "tools/eventinfo/LintRules.h"
#include "tools/eventinfo/Report.h"

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
    const auto to = ParseResolveParameters("to_alarm30001", {"-1", "0xFFFFFFFF"}, error);
    ASSERT_TRUE(to);
    EXPECT_TRUE(to->integers);
    EXPECT_EQ(to->values, (std::vector<int32_t>{-1, -1}));
    const auto bytes = ParseResolveParameters("Alarm17", {"1", "0x2C"}, error);
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(bytes->integers);
    EXPECT_EQ(bytes->values, (std::vector<int32_t>{1, 44}));
    EXPECT_FALSE(ParseResolveParameters("DIAGNOSIS: 1", {"256"}, error));
    EXPECT_FALSE(ParseResolveParameters("TO_ALARM1", {"0x100000000"}, error));
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

}  // namespace
