#include "ConnectionParameterTables.h"

namespace deviceinfo {

// All tables are constant-initialised: nothing runs at module load.

const char16_t* const s_paramAttributeNames[kParamTableSize] = {
    u"Nulltes_Elem",             // 0
    u"BAUDRATE",                 // 1  CONFIG_BAUDRATE
    u"CONNNAME",                 // 2  CONFIG_CONNNAME
    u"VFD",                      // 3  CONFIG_VFD
    u"LocDevice",                // 4  CONFIG_CP
    u"LocTSAP",                  // 5  CONFIG_LOCSAP
    u"MPIDefault",               // 6  CONFIG_ADDRESS
    u"RemTSAP",                  // 7  CONFIG_REMSAP
    u"INITIATE",                 // 8  CONFIG_INITIATE
    u"PASSIVE",                  // 9  CONFIG_PASSIVE
    u"OPTIMIZEK4READ",           // 10 CONFIG_OPTIMIZEK4READ
    u"OPTIMIZEK4WRITE",          // 11 CONFIG_OPTIMIZEK4WRITE
    u"EVENTSALARM",              // 12 CONFIG_EVENTSALARM
    u"EVENTSTOALARM",            // 13 CONFIG_EVENTSTOALARM
    u"EVENTSDIAG",               // 14 CONFIG_EVENTSDIAG
    u"CheckSum",                 // 15 CONFIG_CONSISTENCE
    u"DEFAULTSEVERITYALARM",     // 16 CONFIG_DEFAULTSEVERITYALARM
    u"INDIVIDUALSEVERITYALARM",  // 17 CONFIG_INDIVIDUALSEVERITYALARM
    u"DEFAULTSEVERITYDIAG",      // 18 CONFIG_DEFAULTSEVERITYDIAG
    u"INDIVIDUALSEVERITYDIAG",   // 19 CONFIG_INDIVIDUALSEVERITYDIAG
    u"CREDITS",                  // 20 CONFIG_CREDITS
    u"CPUVersion",               // 21 CONFIG_PDUSize
    u"ABORTCONNECTIONAFTER",     // 22 CONFIG_ABORTCONNECTIONAFTER
    u"TIMEOUT",                  // 23 CONFIG_TIMEOUT
    u"CONNECTTIMEOUT",           // 24 CONFIG_CONNECTTIMEOUT
    u"AUTOPASSWORDRESET",        // 25 CONFIG_AUTOPASSWORDRESET
    u"SZLRepeat",                // 26 CONFIG_SZLREPEAT
    u"SZLRead",                  // 27 CONFIG_SZLWAIT
    u"TimeDifference",           // 28 CONFIG_UTCTimeBias
    u"StatePath",                // 29 CONFIG_StatePath
    u"REMNSAP",                  // 30 CONFIG_REMNSAP (never looked up)
};

const char16_t* const s_paramDefaults[kParamTableSize] = {
    u"",       // 0
    u"",       // 1  CONFIG_BAUDRATE
    u"",       // 2  CONFIG_CONNNAME
    u"",       // 3  CONFIG_VFD
    u"",       // 4  CONFIG_CP
    u"00.01",  // 5  CONFIG_LOCSAP
    u"",       // 6  CONFIG_ADDRESS
    u"02.02",  // 7  CONFIG_REMSAP
    u"2",      // 8  CONFIG_INITIATE
    u"0",      // 9  CONFIG_PASSIVE
    u"0",      // 10 CONFIG_OPTIMIZEK4READ
    u"0",      // 11 CONFIG_OPTIMIZEK4WRITE
    u"0",      // 12 CONFIG_EVENTSALARM
    u"0",      // 13 CONFIG_EVENTSTOALARM
    u"0",      // 14 CONFIG_EVENTSDIAG
    u" ",      // 15 CONFIG_CONSISTENCE
    u"500",    // 16 CONFIG_DEFAULTSEVERITYALARM
    u"0",      // 17 CONFIG_INDIVIDUALSEVERITYALARM
    u"500",    // 18 CONFIG_DEFAULTSEVERITYDIAG
    u"0",      // 19 CONFIG_INDIVIDUALSEVERITYDIAG
    u"2",      // 20 CONFIG_CREDITS
    u"0300",   // 21 CONFIG_PDUSize
    u"0",      // 22 CONFIG_ABORTCONNECTIONAFTER
    u"15000",  // 23 CONFIG_TIMEOUT
    u"30000",  // 24 CONFIG_CONNECTTIMEOUT
    u"0",      // 25 CONFIG_AUTOPASSWORDRESET
    u"100",    // 26 CONFIG_SZLREPEAT
    u"50",     // 27 CONFIG_SZLWAIT
    u"60",     // 28 CONFIG_UTCTimeBias
    u"-1",     // 29 CONFIG_StatePath
    u"",       // 30 CONFIG_REMNSAP (never used)
};

const uint16_t s_paramValueTypes[kParamTableSize] = {
    kVtEmpty,     // 0
    kVtEmpty,     // 1  CONFIG_BAUDRATE
    kVtBstr,      // 2  CONFIG_CONNNAME
    kVtBstr,      // 3  CONFIG_VFD
    kVtBstr,      // 4  CONFIG_CP
    kVtArrayUi1,  // 5  CONFIG_LOCSAP
    kVtArrayUi1,  // 6  CONFIG_ADDRESS
    kVtArrayUi1,  // 7  CONFIG_REMSAP
    kVtUi1,       // 8  CONFIG_INITIATE
    kVtBool,      // 9  CONFIG_PASSIVE
    kVtUi1,       // 10 CONFIG_OPTIMIZEK4READ
    kVtUi1,       // 11 CONFIG_OPTIMIZEK4WRITE
    kVtBool,      // 12 CONFIG_EVENTSALARM
    kVtBool,      // 13 CONFIG_EVENTSTOALARM
    kVtBool,      // 14 CONFIG_EVENTSDIAG
    kVtBstr,      // 15 CONFIG_CONSISTENCE
    kVtUi2,       // 16 CONFIG_DEFAULTSEVERITYALARM
    kVtEmpty,     // 17 CONFIG_INDIVIDUALSEVERITYALARM
    kVtUi2,       // 18 CONFIG_DEFAULTSEVERITYDIAG
    kVtEmpty,     // 19 CONFIG_INDIVIDUALSEVERITYDIAG
    kVtUi1,       // 20 CONFIG_CREDITS
    kVtUi2,       // 21 CONFIG_PDUSize
    kVtUi4,       // 22 CONFIG_ABORTCONNECTIONAFTER
    kVtUi4,       // 23 CONFIG_TIMEOUT
    kVtUi4,       // 24 CONFIG_CONNECTTIMEOUT
    kVtBool,      // 25 CONFIG_AUTOPASSWORDRESET
    kVtUi4,       // 26 CONFIG_SZLREPEAT
    kVtUi4,       // 27 CONFIG_SZLWAIT
    kVtDate,      // 28 CONFIG_UTCTimeBias
    kVtBool,      // 29 CONFIG_StatePath
    kVtArrayUi1,  // 30 CONFIG_REMNSAP
};

const ParamConversion s_paramConversions[kParamTableSize] = {
    ParamConversion::None,                  // 0
    ParamConversion::None,                  // 1  CONFIG_BAUDRATE
    ParamConversion::Text,                  // 2  CONFIG_CONNNAME
    ParamConversion::Text,                  // 3  CONFIG_VFD
    ParamConversion::Text,                  // 4  CONFIG_CP
    ParamConversion::TransportAccessPoint,  // 5  CONFIG_LOCSAP
    ParamConversion::Address,               // 6  CONFIG_ADDRESS
    ParamConversion::TransportAccessPoint,  // 7  CONFIG_REMSAP
    ParamConversion::Number,                // 8  CONFIG_INITIATE
    ParamConversion::Flag,                  // 9  CONFIG_PASSIVE
    ParamConversion::Number,                // 10 CONFIG_OPTIMIZEK4READ
    ParamConversion::Number,                // 11 CONFIG_OPTIMIZEK4WRITE
    ParamConversion::AlarmTypeBit,          // 12 CONFIG_EVENTSALARM
    ParamConversion::AlarmTypeBit,          // 13 CONFIG_EVENTSTOALARM
    ParamConversion::AlarmTypeBit,          // 14 CONFIG_EVENTSDIAG
    ParamConversion::ConsistencyText,       // 15 CONFIG_CONSISTENCE
    ParamConversion::Number,                // 16 CONFIG_DEFAULTSEVERITYALARM
    ParamConversion::None,                  // 17 CONFIG_INDIVIDUALSEVERITYALARM
    ParamConversion::Number,                // 18 CONFIG_DEFAULTSEVERITYDIAG
    ParamConversion::None,                  // 19 CONFIG_INDIVIDUALSEVERITYDIAG
    ParamConversion::Number,                // 20 CONFIG_CREDITS
    ParamConversion::PduSize,               // 21 CONFIG_PDUSize
    ParamConversion::Number,                // 22 CONFIG_ABORTCONNECTIONAFTER
    ParamConversion::Number,                // 23 CONFIG_TIMEOUT
    ParamConversion::Number,                // 24 CONFIG_CONNECTTIMEOUT
    ParamConversion::Flag,                  // 25 CONFIG_AUTOPASSWORDRESET
    ParamConversion::Number,                // 26 CONFIG_SZLREPEAT
    ParamConversion::Number,                // 27 CONFIG_SZLWAIT
    ParamConversion::MinutesToDays,         // 28 CONFIG_UTCTimeBias
    ParamConversion::Flag,                  // 29 CONFIG_StatePath
    ParamConversion::RoutingBlock,          // 30 CONFIG_REMNSAP
};

const uint32_t s_paramAlarmTypeBits[kParamTableSize] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0..9
    0, 0,                          // 10, 11
    1,                             // 12 CONFIG_EVENTSALARM
    2,                             // 13 CONFIG_EVENTSTOALARM
    4,                             // 14 CONFIG_EVENTSDIAG
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 15..24
    0, 0, 0, 0, 0, 0,              // 25..30
};

namespace {
const uint8_t kRoutedLocalTsap[kRoutedTsapSize] = {0x01, 0x00};
const uint8_t kRoutedRemoteTsap[kRoutedTsapSize] = {0x02, 0x02};
}  // namespace

const uint8_t* RoutedTransportAccessPoint(int32_t id) {
    switch (id) {
        case ToParamId(ConfigParam::CONFIG_LOCSAP):
            return kRoutedLocalTsap;
        case ToParamId(ConfigParam::CONFIG_REMSAP):
            return kRoutedRemoteTsap;
        default:
            return nullptr;
    }
}

}  // namespace deviceinfo
