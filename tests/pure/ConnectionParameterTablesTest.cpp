#include "deviceinfo/ConnectionParameterTables.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace deviceinfo {
namespace {

TEST(ConnectionParameterTables, LookupByIdFindsOnlyTheRowsOwnIds) {
    const int32_t cases[] = {std::numeric_limits<int32_t>::min(), -1, 0, 1, 2, 15, 29, 30, 31, 256,
                             std::numeric_limits<int32_t>::max()};
    for (int32_t id : cases) {
        SCOPED_TRACE("id " + std::to_string(id));
        const ConnectionParam* row = FindConnectionParam(id);
        EXPECT_EQ(IsValidParamId(id), row != nullptr);
        if (id >= 1 && id <= 30) {
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->id, id);
        } else {
            EXPECT_EQ(row, nullptr);
        }
    }
}

TEST(ConnectionParameterTables, IdOfEnumeratorNeedsTheExactSpelling) {
    EXPECT_EQ(ParamIdOf("CONFIG_BAUDRATE"), 1);
    EXPECT_EQ(ParamIdOf("CONFIG_PDUSize"), 21);
    EXPECT_EQ(ParamIdOf("CONFIG_REMNSAP"), 30);
    for (const char* name : {"CONFIG_PDUSIZE", "PDUSize", "CONFIG_", "", "CONFIG_PDUSize "}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ParamIdOf(name), UnknownParamEnumerator);
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

}  // namespace
}  // namespace deviceinfo
