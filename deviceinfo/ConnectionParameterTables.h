// The connection parameters answered by GetConnectionInfo, one row each:
// the id and constant of the type library's tagConfigParams, the XML
// attribute, the default text, the conversion that turns the found text into
// the result, the result's VARTYPE, the alarm type bit and the display name.
//
// Plain C++ on purpose: the COM layer maps these values onto VARIANTs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace deviceinfo {

// VARTYPE codes of the results, kept here so this file needs no Windows headers.
constexpr uint16_t kVtEmpty = 0;
constexpr uint16_t kVtDate = 7;
constexpr uint16_t kVtBstr = 8;
constexpr uint16_t kVtBool = 11;
constexpr uint16_t kVtUi1 = 17;
constexpr uint16_t kVtUi2 = 18;
constexpr uint16_t kVtUi4 = 19;
constexpr uint16_t kVtArray = 0x2000;
constexpr uint16_t kVtArrayUi1 = kVtArray | kVtUi1;  // 0x2011

// How the value text of a parameter becomes its result.
enum class ParamConversion {
    None,                  // only presence is reported, the result stays empty
    Text,                  // the text itself
    ConsistencyText,       // the text, a one-character text reads as empty
    Number,                // LeadingInteger, low bytes per the declared type
    Flag,                  // FlagValue
    AlarmTypeBit,          // the loaded alarm types masked with the row's alarmTypeBit
    PduSize,               // PduSizeFromCpuVersion
    MinutesToDays,         // MinutesToDays
    TransportAccessPoint,  // fixed bytes when routed, else DottedTextToBytes
    Address,               // DottedTextToBytes
    RoutingBlock,          // RoutingBlock
};

struct ConnectionParam {
    int32_t id;                   // value in tagConfigParams
    const char* enumerator;       // the constant as the type library spells it
    const char16_t* attribute;    // XML attribute of the device or the common element
    const char16_t* defaultText;  // used when neither element has a non-empty value
    ParamConversion conversion;
    uint16_t valueType;       // VARTYPE of the result
    uint32_t alarmTypeBit;    // the bit of the loaded alarm types; 0 unless AlarmTypeBit
    const char* displayName;  // the type library's help string of the constant
};

namespace table_rows {
using PC = ParamConversion;
// clang-format off
inline constexpr ConnectionParam kConnectionParams[] = {
    {1,  "CONFIG_BAUDRATE",                u"BAUDRATE",                u"",      PC::None,                 kVtEmpty,    0, "Baudrate"},
    {2,  "CONFIG_CONNNAME",                u"CONNNAME",                u"",      PC::Text,                 kVtBstr,     0, "Sichtbarer Verbindungsname"},
    {3,  "CONFIG_VFD",                     u"VFD",                     u"",      PC::Text,                 kVtBstr,     0, "VFD"},
    {4,  "CONFIG_CP",                      u"LocDevice",               u"",      PC::Text,                 kVtBstr,     0, "CP"},
    {5,  "CONFIG_LOCSAP",                  u"LocTSAP",                 u"00.01", PC::TransportAccessPoint, kVtArrayUi1, 0, "LocSAP"},
    {6,  "CONFIG_ADDRESS",                 u"MPIDefault",              u"",      PC::Address,              kVtArrayUi1, 0, "Address"},
    {7,  "CONFIG_REMSAP",                  u"RemTSAP",                 u"02.02", PC::TransportAccessPoint, kVtArrayUi1, 0, "RemSAP"},
    {8,  "CONFIG_INITIATE",                u"INITIATE",                u"2",     PC::Number,               kVtUi1,      0, "Initiate"},
    {9,  "CONFIG_PASSIVE",                 u"PASSIVE",                 u"0",     PC::Flag,                 kVtBool,     0, "Passive"},
    {10, "CONFIG_OPTIMIZEK4READ",          u"OPTIMIZEK4READ",          u"0",     PC::Number,               kVtUi1,      0, "OptimizeK4Read"},
    {11, "CONFIG_OPTIMIZEK4WRITE",         u"OPTIMIZEK4WRITE",         u"0",     PC::Number,               kVtUi1,      0, "OptimizeK4write"},
    {12, "CONFIG_EVENTSALARM",             u"EVENTSALARM",             u"0",     PC::AlarmTypeBit,         kVtBool,     1, "NOTIFY/ALARM/ALARM_8/ALARM_8P/_S/_SQ/"},
    {13, "CONFIG_EVENTSTOALARM",           u"EVENTSTOALARM",           u"0",     PC::AlarmTypeBit,         kVtBool,     2, "TO_ALARM"},
    {14, "CONFIG_EVENTSDIAG",              u"EVENTSDIAG",              u"0",     PC::AlarmTypeBit,         kVtBool,     4, "DIAGNOSIS"},
    {15, "CONFIG_CONSISTENCE",             u"CheckSum",                u" ",     PC::ConsistencyText,      kVtBstr,     0, "Consistence String"},
    {16, "CONFIG_DEFAULTSEVERITYALARM",    u"DEFAULTSEVERITYALARM",    u"500",   PC::Number,               kVtUi2,      0, "Default severity alarm"},
    {17, "CONFIG_INDIVIDUALSEVERITYALARM", u"INDIVIDUALSEVERITYALARM", u"0",     PC::None,                 kVtEmpty,    0, "individual severity alarm"},
    {18, "CONFIG_DEFAULTSEVERITYDIAG",     u"DEFAULTSEVERITYDIAG",     u"500",   PC::Number,               kVtUi2,      0, "Default severity diagnosis"},
    {19, "CONFIG_INDIVIDUALSEVERITYDIAG",  u"INDIVIDUALSEVERITYDIAG",  u"0",     PC::None,                 kVtEmpty,    0, "individual severity diagnosis"},
    {20, "CONFIG_CREDITS",                 u"CREDITS",                 u"2",     PC::Number,               kVtUi1,      0, "Credits"},
    {21, "CONFIG_PDUSize",                 u"CPUVersion",              u"0300",  PC::PduSize,              kVtUi2,      0, "PDUSize"},
    {22, "CONFIG_ABORTCONNECTIONAFTER",    u"ABORTCONNECTIONAFTER",    u"0",     PC::Number,               kVtUi4,      0, "AbortConnectionAfter"},
    {23, "CONFIG_TIMEOUT",                 u"TIMEOUT",                 u"15000", PC::Number,               kVtUi4,      0, "Timeout"},
    {24, "CONFIG_CONNECTTIMEOUT",          u"CONNECTTIMEOUT",          u"30000", PC::Number,               kVtUi4,      0, "ConnectTimeout"},
    {25, "CONFIG_AUTOPASSWORDRESET",       u"AUTOPASSWORDRESET",       u"0",     PC::Flag,                 kVtBool,     0, "AutoPasswordReset"},
    {26, "CONFIG_SZLREPEAT",               u"SZLRepeat",               u"100",   PC::Number,               kVtUi4,      0, "SZLRepeat"},
    {27, "CONFIG_SZLWAIT",                 u"SZLRead",                 u"50",    PC::Number,               kVtUi4,      0, "SZLWait"},
    {28, "CONFIG_UTCTimeBias",             u"TimeDifference",          u"60",    PC::MinutesToDays,        kVtDate,     0, "TimeDifference"},
    {29, "CONFIG_StatePath",               u"StatePath",               u"-1",    PC::Flag,                 kVtBool,     0, "StatePath"},
    // The routing block is built from SubnetID and MPIDefault; its own attribute is never read.
    {30, "CONFIG_REMNSAP",                 u"REMNSAP",                 u"",      PC::RoutingBlock,         kVtArrayUi1, 0, "RoutingInfo"},
};
// clang-format on
}  // namespace table_rows
using table_rows::kConnectionParams;

constexpr size_t kParamCount = std::size(kConnectionParams);
constexpr int32_t kFirstParamId = kConnectionParams[0].id;
constexpr int32_t kLastParamId = kConnectionParams[kParamCount - 1].id;

// The row of a parameter id; nullptr for every id outside the table.
constexpr const ConnectionParam* FindConnectionParam(int32_t id) {
    return id >= kFirstParamId && id <= kLastParamId ? &kConnectionParams[id - kFirstParamId] : nullptr;
}
constexpr bool IsValidParamId(int32_t id) { return FindConnectionParam(id) != nullptr; }

// The common prefix of every enumerator, and the name after it ("TIMEOUT").
constexpr std::string_view kEnumeratorPrefix = "CONFIG_";
constexpr const char* ShortName(const ConnectionParam& param) { return param.enumerator + kEnumeratorPrefix.size(); }

struct UnknownParamEnumerator {};
// The id of the row with this enumerator, exactly spelt. At compile time an
// unknown name does not compile.
constexpr int32_t ParamIdOf(std::string_view enumerator) {
    for (const ConnectionParam& param : kConnectionParams)
        if (enumerator == param.enumerator) return param.id;
    throw UnknownParamEnumerator{};
}

namespace table_checks {
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}
// Row k has id k (ids from 1, consecutive); every text is present; the
// enumerators carry the prefix and differ even ignoring case (the inspector
// looks them up in any case); exactly the AlarmTypeBit rows have a bit.
constexpr bool RowsAreWellFormed() {
    for (size_t i = 0; i < kParamCount; ++i) {
        const ConnectionParam& row = kConnectionParams[i];
        if (row.id != static_cast<int32_t>(i) + 1) return false;
        if (!row.enumerator || !row.attribute || !row.defaultText || !row.displayName) return false;
        const std::string_view name = row.enumerator;
        if (name.size() <= kEnumeratorPrefix.size() || name.substr(0, kEnumeratorPrefix.size()) != kEnumeratorPrefix)
            return false;
        for (size_t k = 0; k < i; ++k)
            if (SameIgnoringCase(name, kConnectionParams[k].enumerator)) return false;
        if ((row.conversion == ParamConversion::AlarmTypeBit) != (row.alarmTypeBit != 0)) return false;
    }
    return true;
}
static_assert(kParamCount == 30, "30 connection parameters");
static_assert(RowsAreWellFormed(), "connection parameter rows: ids 1..30 in order, names complete and distinct");
}  // namespace table_checks

// Transport access point bytes used instead of the attribute when the device
// has a routing element: 01 00 for CONFIG_LOCSAP, 02 02 for CONFIG_REMSAP.
constexpr size_t kRoutedTsapSize = 2;
// The kRoutedTsapSize bytes for those two ids, nullptr for every other id.
const uint8_t* RoutedTransportAccessPoint(int32_t id);

}  // namespace deviceinfo
