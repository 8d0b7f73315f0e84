#include "eventserver/MessageNumber.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char16_t* name;
    uint32_t expected;
};

TEST(MessageNumberTest, ParsesEachPrefix) {
    const Case cases[] = {
        // Alarm: decimal from index 5, like wcstol.
        {u"Alarm17", 17},
        {u"ALARM17", 17},
        {u"alarm 42", 42},
        {u"Alarm+7x", 7},
        {u"Alarm-5", 0xFFFFFFFBu},
        {u"Alarm99999999999", 0x7FFFFFFFu},
        {u"Alarm-99999999999", 0x80000000u},
        {u"Alarm", 0},
        {u"Alarmx1", 0},
        {u"Alarm\u0661", 0},
        // TO_ALARM: decimal from index 8.
        {u"TO_ALARM30001", 30001},
        {u"to_alarm12", 12},
        {u"TO_ALARM2147483648", 0x7FFFFFFFu},
        {u"TO_ALARM", 0},
        // DIAGNOSIS: hexadecimal from index 11, like %X.
        {u"DIAGNOSIS: 4302", 0x4302},
        {u"diagnosis: 0x4302", 0x4302},
        {u"DIAGNOSIS:1234", 0x234},
        {u"DIAGNOSIS:  ff", 0xFF},
        {u"DIAGNOSIS: 1", 1},
        {u"DIAGNOSIS: ", 0},
        {u"DIAGNOSIS", 0},
        {u"DIAGNOSIS: 0xZ", 0},
        {u"DIAGNOSIS: g1", 0},
        {u"DIAGNOSIS: FFFFFFFF", 0xFFFFFFFFu},
        {u"DIAGNOSIS: 123456789", 0xFFFFFFFFu},
        {u"DIAGNOSIS: 0x1234567890ABCDEF", 0xFFFFFFFFu},
        {u"DIAGNOSIS: -1", 0xFFFFFFFFu},
        {u"DIAGNOSISAlarm17", 0xA},  // DIAGNOSIS takes precedence
        // Anything else.
        {u"", 0},
        {u"Other17", 0},
        {u"XAlarm17", 0},
        {u"TO_ALAR17", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseMessageNumber(c.name), c.expected) << "name index " << (&c - cases);
    }
}

}  // namespace
