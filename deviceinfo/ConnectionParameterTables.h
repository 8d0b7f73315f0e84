// Static description of the connection parameters answered by GetConnectionInfo:
// per parameter id the XML attribute, the default text, the result VARTYPE and
// the conversion that turns the found text into the result.
//
// Plain C++ on purpose: the COM layer maps these values onto VARIANTs.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Parameter ids, the same values as the type library's tagConfigParams.
// Scoped so that the enumerators never collide with the generated header.
enum class ConfigParam : int32_t {
    CONFIG_BAUDRATE = 1,
    CONFIG_CONNNAME = 2,
    CONFIG_VFD = 3,
    CONFIG_CP = 4,
    CONFIG_LOCSAP = 5,
    CONFIG_ADDRESS = 6,
    CONFIG_REMSAP = 7,
    CONFIG_INITIATE = 8,
    CONFIG_PASSIVE = 9,
    CONFIG_OPTIMIZEK4READ = 10,
    CONFIG_OPTIMIZEK4WRITE = 11,
    CONFIG_EVENTSALARM = 12,
    CONFIG_EVENTSTOALARM = 13,
    CONFIG_EVENTSDIAG = 14,
    CONFIG_CONSISTENCE = 15,
    CONFIG_DEFAULTSEVERITYALARM = 16,
    CONFIG_INDIVIDUALSEVERITYALARM = 17,
    CONFIG_DEFAULTSEVERITYDIAG = 18,
    CONFIG_INDIVIDUALSEVERITYDIAG = 19,
    CONFIG_CREDITS = 20,
    CONFIG_PDUSize = 21,
    CONFIG_ABORTCONNECTIONAFTER = 22,
    CONFIG_TIMEOUT = 23,
    CONFIG_CONNECTTIMEOUT = 24,
    CONFIG_AUTOPASSWORDRESET = 25,
    CONFIG_SZLREPEAT = 26,
    CONFIG_SZLWAIT = 27,
    CONFIG_UTCTimeBias = 28,
    CONFIG_StatePath = 29,
    CONFIG_REMNSAP = 30,
};

constexpr int32_t kFirstParamId = 1;
constexpr int32_t kLastParamId = 30;
// The tables hold index 0 (no parameter) as well.
constexpr size_t kParamTableSize = static_cast<size_t>(kLastParamId) + 1;

constexpr int32_t ToParamId(ConfigParam param) { return static_cast<int32_t>(param); }
constexpr bool IsValidParamId(int32_t id) { return id >= kFirstParamId && id <= kLastParamId; }

// How the value text of a parameter becomes its result.
enum class ParamConversion {
    None,                  // only presence is reported, the result stays empty
    Text,                  // the text itself
    ConsistencyText,       // the text, a one-character text reads as empty
    Number,                // LeadingInteger, low bytes per the declared type
    Flag,                  // FlagValue
    AlarmTypeBit,          // the loaded alarm types masked with s_paramAlarmTypeBits
    PduSize,               // PduSizeFromCpuVersion
    MinutesToDays,         // MinutesToDays
    TransportAccessPoint,  // fixed bytes when routed, else DottedTextToBytes
    Address,               // DottedTextToBytes
    RoutingBlock,          // RoutingBlock
};

// XML attribute per id; index 0 is the placeholder "Nulltes_Elem".
extern const char16_t* const s_paramAttributeNames[kParamTableSize];
// Default text per id, used when neither the device nor the common element has one.
extern const char16_t* const s_paramDefaults[kParamTableSize];
// VARTYPE of the result per id; index 0 is kVtEmpty.
extern const uint16_t s_paramValueTypes[kParamTableSize];
// Conversion per id; index 0 is None.
extern const ParamConversion s_paramConversions[kParamTableSize];
// Alarm type bit per id (1, 2, 4 for the AlarmTypeBit ids, 0 for all others).
extern const uint32_t s_paramAlarmTypeBits[kParamTableSize];

// Transport access point bytes used instead of the attribute when the device
// has a routing element: 01 00 for CONFIG_LOCSAP, 02 02 for CONFIG_REMSAP.
constexpr size_t kRoutedTsapSize = 2;
// The kRoutedTsapSize bytes for ids 5 and 7, nullptr for every other id.
const uint8_t* RoutedTransportAccessPoint(int32_t id);

}  // namespace deviceinfo
