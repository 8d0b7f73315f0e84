#include "deviceinfo/ConnectionParameterTables.h"

namespace deviceinfo {

namespace {
const uint8_t kRoutedLocalTsap[kRoutedTsapSize] = {0x01, 0x00};
const uint8_t kRoutedRemoteTsap[kRoutedTsapSize] = {0x02, 0x02};
}  // namespace

const uint8_t* RoutedTransportAccessPoint(int32_t id) {
    switch (id) {
    case ParamIdOf("CONFIG_LOCSAP"): return kRoutedLocalTsap;
    case ParamIdOf("CONFIG_REMSAP"): return kRoutedRemoteTsap;
    default: return nullptr;
    }
}

}  // namespace deviceinfo
