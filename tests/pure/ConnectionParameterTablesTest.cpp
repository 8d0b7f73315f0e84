#include "deviceinfo/ConnectionParameterTables.h"

#include <gtest/gtest.h>

#include <string>

namespace deviceinfo {
namespace {

using PC = ParamConversion;

struct ExpectedParam {
    int32_t id;
    const char16_t* attribute;
    const char16_t* defaultText;
    uint16_t type;
    ParamConversion conversion;
};

// Written out independently of the tables under test.
const ExpectedParam kExpected[] = {
    {0, u"Nulltes_Elem", u"", 0, PC::None},
    {1, u"BAUDRATE", u"", 0, PC::None},
    {2, u"CONNNAME", u"", 8, PC::Text},
    {3, u"VFD", u"", 8, PC::Text},
    {4, u"LocDevice", u"", 8, PC::Text},
    {5, u"LocTSAP", u"00.01", 0x2011, PC::TransportAccessPoint},
    {6, u"MPIDefault", u"", 0x2011, PC::Address},
    {7, u"RemTSAP", u"02.02", 0x2011, PC::TransportAccessPoint},
    {8, u"INITIATE", u"2", 17, PC::Number},
    {9, u"PASSIVE", u"0", 11, PC::Flag},
    {10, u"OPTIMIZEK4READ", u"0", 17, PC::Number},
    {11, u"OPTIMIZEK4WRITE", u"0", 17, PC::Number},
    {12, u"EVENTSALARM", u"0", 11, PC::AlarmTypeBit},
    {13, u"EVENTSTOALARM", u"0", 11, PC::AlarmTypeBit},
    {14, u"EVENTSDIAG", u"0", 11, PC::AlarmTypeBit},
    {15, u"CheckSum", u" ", 8, PC::ConsistencyText},
    {16, u"DEFAULTSEVERITYALARM", u"500", 18, PC::Number},
    {17, u"INDIVIDUALSEVERITYALARM", u"0", 0, PC::None},
    {18, u"DEFAULTSEVERITYDIAG", u"500", 18, PC::Number},
    {19, u"INDIVIDUALSEVERITYDIAG", u"0", 0, PC::None},
    {20, u"CREDITS", u"2", 17, PC::Number},
    {21, u"CPUVersion", u"0300", 18, PC::PduSize},
    {22, u"ABORTCONNECTIONAFTER", u"0", 19, PC::Number},
    {23, u"TIMEOUT", u"15000", 19, PC::Number},
    {24, u"CONNECTTIMEOUT", u"30000", 19, PC::Number},
    {25, u"AUTOPASSWORDRESET", u"0", 11, PC::Flag},
    {26, u"SZLRepeat", u"100", 19, PC::Number},
    {27, u"SZLRead", u"50", 19, PC::Number},
    {28, u"TimeDifference", u"60", 7, PC::MinutesToDays},
    {29, u"StatePath", u"-1", 11, PC::Flag},
    {30, u"REMNSAP", u"", 0x2011, PC::RoutingBlock},
};

TEST(ConnectionParameterTables, EveryIdMatchesTheParameterTable) {
    ASSERT_EQ(std::size(kExpected), kParamTableSize);
    for (const ExpectedParam& e : kExpected) {
        SCOPED_TRACE("id " + std::to_string(e.id));
        ASSERT_EQ(&e - kExpected, e.id);
        ASSERT_NE(s_paramAttributeNames[e.id], nullptr);
        ASSERT_NE(s_paramDefaults[e.id], nullptr);
        EXPECT_EQ(std::u16string(s_paramAttributeNames[e.id]), e.attribute);
        EXPECT_EQ(std::u16string(s_paramDefaults[e.id]), e.defaultText);
        EXPECT_EQ(s_paramValueTypes[e.id], e.type);
        EXPECT_EQ(s_paramConversions[e.id], e.conversion);
    }
}

TEST(ConnectionParameterTables, AlarmTypeBitsOnlyForAlarmIds) {
    for (int32_t id = 0; id <= kLastParamId; ++id) {
        SCOPED_TRACE("id " + std::to_string(id));
        const uint32_t expected = id == 12 ? 1u : id == 13 ? 2u : id == 14 ? 4u : 0u;
        EXPECT_EQ(s_paramAlarmTypeBits[id], expected);
        EXPECT_EQ(s_paramConversions[id] == PC::AlarmTypeBit, expected != 0);
    }
}

TEST(ConnectionParameterTables, RoutedTransportAccessPoints) {
    for (int32_t id = -1; id <= kLastParamId + 1; ++id) {
        SCOPED_TRACE("id " + std::to_string(id));
        const uint8_t* bytes = RoutedTransportAccessPoint(id);
        if (id == 5) {
            ASSERT_NE(bytes, nullptr);
            EXPECT_EQ(bytes[0], 0x01);
            EXPECT_EQ(bytes[1], 0x00);
        } else if (id == 7) {
            ASSERT_NE(bytes, nullptr);
            EXPECT_EQ(bytes[0], 0x02);
            EXPECT_EQ(bytes[1], 0x02);
        } else {
            EXPECT_EQ(bytes, nullptr);
        }
    }
}

TEST(ConnectionParameterTables, IdRangeAndEnumValues) {
    EXPECT_FALSE(IsValidParamId(0));
    EXPECT_TRUE(IsValidParamId(1));
    EXPECT_TRUE(IsValidParamId(30));
    EXPECT_FALSE(IsValidParamId(31));
    EXPECT_FALSE(IsValidParamId(-1));
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_BAUDRATE), 1);
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_ADDRESS), 6);
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_CONSISTENCE), 15);
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_PDUSize), 21);
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_SZLWAIT), 27);
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_UTCTimeBias), 28);
    EXPECT_EQ(ToParamId(ConfigParam::CONFIG_REMNSAP), 30);
}

}  // namespace
}  // namespace deviceinfo
