#include "eventserver/EventTextFormatters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::optional<std::vector<uint8_t>>;
using Values = std::optional<std::vector<int32_t>>;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

constexpr const char* kUntouched = "<untouched>";

// Runs a formatter; `out` must stay as it was unless the result is 0.
template <typename Params>
struct Case {
    std::string text;
    Params params;
    int32_t result;
    std::string expected;
};

template <typename Formatter, typename Params>
std::pair<int32_t, std::string> Apply(Formatter formatter, const std::string& text, const Params& params) {
    std::u16string out = Wide(kUntouched);
    const int32_t result = formatter(Wide(text), params, out);
    if (result != 0) {
        EXPECT_EQ(Narrow(out), kUntouched) << text;
    }
    return {result, Narrow(out)};
}

template <typename Formatter, typename Params, size_t N>
void CheckAll(Formatter formatter, const Case<Params> (&cases)[N]) {
    for (const Case<Params>& c : cases) {
        const auto [result, out] = Apply(formatter, c.text, c.params);
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_EQ(out, c.expected) << c.text;
    }
}

TEST(EventTextFormattersTest, UserAlarm) {
    const std::string fill116(116, 'a');
    const Case<Bytes> cases[] = {
        {"Level @1W%d@ mm", Bytes{{0x01, 0x2C}}, 0, "Level 300 mm"},
        {"Temp @1I%5.2f@ C", Bytes{{0x04, 0xD2}}, 0, "Temp 12.34 C"},
        {"[@1Y%02x@]", Bytes{{0x0A, 0xFF}}, 0, "[]"},
        {"@1D%d@", Bytes{{0xFF, 0xFF, 0xFF, 0xFF}}, 0, "-1"},
        {"@1W%d@", Bytes{{0x00, 0x05, 0x99}}, 0, "5"},
        {"@1Wabc%d@", Bytes{{0x01, 0x2C}}, 0, "abc300"},
        {"100% @1W%%d@", Bytes{{0x01, 0x2C}}, 0, "100% %d"},
        {"@1W%d@ @1W%d@", Bytes{{0x01, 0x2C}}, 0, "300 @1W%d@"},
        {"@1WX@", Bytes{{0xAB, 0xCD}}, 0, "abcd"},
        {"@1X@", Bytes{{0x00, 0x00, 0x0F, 0xF0}}, 0, "ff0"},
        {"@1Wb@", Bytes{{0x00, 0x05}}, 0, "101"},
        {"@1Wb@", Bytes{{0x00, 0x00}}, 0, "0"},
        {"a@1Wq@b", Bytes{{0x00, 0x05}}, 0, "ab"},
        {"@1Rd@", Bytes{{0x3F, 0xC0, 0, 0}}, 0, "###"},
        {"@1R%6.2f@", Bytes{{0x3F, 0xC0, 0, 0}}, 0, "  1.50"},
        {"@1R%.1f@", Bytes{{0xC2, 0x28, 0, 0}}, 0, "-42.0"},
        // Fixed point: the value, then a space the point may take over.
        {"[@1W%f@]", Bytes{{0x00, 0x05}}, 0, "[5 ]"},
        {"@1W%.2f@", Bytes{{0x00, 0x05}}, 0, "5."},
        {"@1W%.1f@", Bytes{{0x00, 0x05}}, 0, ".5"},
        {"@1W%.f@", Bytes{{0x00, 0x05}}, 0, "5."},
        {"@1D%.2f@", Bytes{{0xFF, 0xFF, 0xFB, 0x2E}}, 0, "-12.34"},
        {"@1W%.9999999999f@", Bytes{{0x04, 0xD2}}, 0, "1234."},
        // Length: 119 characters fit, 120 and 200 do not.
        {fill116 + "@1W%d@", Bytes{{0x01, 0x2C}}, 0, fill116 + "300"},
        {fill116 + "a@1W%d@", Bytes{{0x01, 0x2C}}, kFormatTooLong, kUntouched},
        {std::string(197, 'a') + "@1W%d@", Bytes{{0x01, 0x2C}}, kFormatTooLong, kUntouched},
        {"@1W%200d@", Bytes{{0x01, 0x2C}}, kFormatTooLong, kUntouched},
        // No placeholder, malformed placeholder, wrong or short data.
        {"Level", Bytes{{0x01}}, kFormatNoPlaceholder, kUntouched},
        {"@2W%d@", Bytes{{0x01, 0x2C}}, kFormatNoPlaceholder, kUntouched},
        {"Level @1W%d", Bytes{{0x01, 0x2C}}, kFormatInvalid, kUntouched},
        {"@1W%d@", std::nullopt, kFormatInvalid, kUntouched},
        {"@1Q%d@", Bytes{{0x01, 0x2C}}, kFormatInvalid, kUntouched},
        {"@1@", Bytes{{0x01, 0x2C}}, kFormatInvalid, kUntouched},
        {"@1W%d@", Bytes{{0x01}}, kFormatInvalid, kUntouched},
        {"@1D%d@", Bytes{{0x01, 0x02, 0x03}}, kFormatInvalid, kUntouched},
        {"@1B%d@", Bytes{std::vector<uint8_t>{}}, kFormatInvalid, kUntouched},
        // Refused formats inside the placeholder.
        {"[@1W%s@]", Bytes{{0x01, 0x2C}}, 0, "[]"},  // letter s: nothing inserted
        {"@1W%d%d@", Bytes{{0x01, 0x2C}}, kFormatInvalid, kUntouched},
        {"@1W%x%%d@", Bytes{{0x01, 0x2C}}, 0, "12c%d"},
        {"@1R%d%f@", Bytes{{0x3F, 0xC0, 0, 0}}, kFormatInvalid, kUntouched},
    };
    CheckAll(FormatUserAlarmText, cases);
}

TEST(EventTextFormattersTest, ToAlarm) {
    const Values five{{5, 7}};
    const Case<Values> cases[] = {
        {"Axis /1/%d error /2/%d", five, 0, "Axis 5 error 7"},
        {"Axis /1/ error /2/", five, 0, "Axis  error "},
        {"/2/%d /1/%d", five, 0, "7 5"},
        {"/1/%d-%d-%X", five, 0, "5-0-0"},
        {"/1//1//1//1//1/%d%d%d%d%d", five, 0, "55555"},
        {"/1/%99999d", five, 0, std::string(119, ' ')},
        {"/1/" + std::string(200, 'a'), five, 0, std::string(119, 'a')},
        {"no placeholder %s", five, kFormatNoPlaceholder, kUntouched},
        {"/12/ a/b", five, kFormatNoPlaceholder, kUntouched},
        {"/1/%d", std::nullopt, kFormatInvalid, kUntouched},
        {"/0/%d", five, kFormatInvalid, kUntouched},
        {"/3/%d", five, kFormatInvalid, kUntouched},
        {"/x/%d", five, kFormatInvalid, kUntouched},
        {"/1/%d", Values{std::vector<int32_t>{}}, kFormatInvalid, kUntouched},
        {"/1//1//1//1//1//1/", five, kFormatInvalid, kUntouched},
        {"/1/%d%d%d%d%d%d", five, kFormatInvalid, kUntouched},
        {"/1/%f", five, kFormatInvalid, kUntouched},
    };
    CheckAll(FormatToAlarmText, cases);
}

TEST(EventTextFormattersTest, Diagnosis) {
    const Bytes record{{0x12, 0x34, 0xAB, 0xCD, 0x01, 0x02, 0x03, 0x04, 0x00, 0x00}};
    const std::string six = "$Z4%d$Z4%d$Z4%d$Z4%d$Z4%d$Z4%d";
    const Case<Bytes> cases[] = {
        {"Code $Z1%04X slot $Z4%d", record, 0, "Code ABCD slot 18"},
        {"$Z2%d $Z3%d $Z5%X", record, 0, "258 772 34"},
        {"[$Z9%d]", record, 0, "[0]"},
        {"$Z1/2%08X $Z2/3%X $Z4/5%X", record, 0, "ABCD0102 1020304 1234"},
        {"$Z1/2 dropped %X", record, 0, "ABCD0102"},
        {"$Z%d", record, 0, "$Z0"},
        {"a $Z1%d b $Zxyz %d", record, 0, "a 43981 b $Zxyz 0"},
        {six, record, 0, "181818181818"},
        {"$Z4%d", Bytes{{0x12, 0x34, 0xAB, 0xCD, 0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x77}}, 0, "18"},
        {"$Z4%d" + std::string(117, 'a'), record, 0, "18" + std::string(117, 'a')},
        {"$Z4%d" + std::string(200, 'a'), record, 0, "18" + std::string(117, 'a')},
        {"$Z4%99999d", record, 0, std::string(119, ' ')},
        {"no placeholder", record, kFormatNoPlaceholder, kUntouched},
        {"no placeholder", std::nullopt, kFormatNoPlaceholder, kUntouched},
        {"$Z1%d", std::nullopt, kFormatInvalid, kUntouched},
        {"$Z1%d", Bytes{{0x12, 0x34, 0xAB, 0xCD, 0x01, 0x02, 0x03, 0x04, 0x00}}, kFormatInvalid, kUntouched},
        {six + "$Z4%d", record, kFormatInvalid, kUntouched},
        {"$Z1", record, kFormatInvalid, kUntouched},
        {"$Z4%d $Zabc", record, kFormatInvalid, kUntouched},
        {"$Z1%d%d%d%d%d%d%d", record, kFormatInvalid, kUntouched},
        {"$Z1%f", record, kFormatInvalid, kUntouched},
    };
    CheckAll(FormatDiagnosisText, cases);
}

// Conversions that would read memory the event does not carry fail in every
// formatter, wherever they sit in the text.
TEST(EventTextFormattersTest, RefusedConversionsFail) {
    const Bytes value{{0x01, 0x2C}};
    const Values params{{5}};
    const Bytes record{std::vector<uint8_t>(10, 0x11)};
    for (const std::string bad : {"%s", "%n", "%*d", "%I64d", "%lld", "%", "%d%d%d%d%d%d%d"}) {
        EXPECT_EQ(Apply(FormatUserAlarmText, "@1W" + bad + " %d@", value).first, kFormatInvalid) << bad;
        EXPECT_EQ(Apply(FormatToAlarmText, "/1/%d " + bad, params).first, kFormatInvalid) << bad;
        EXPECT_EQ(Apply(FormatDiagnosisText, "$Z1%d " + bad, record).first, kFormatInvalid) << bad;
    }
}

}  // namespace
