#pragma once

// The inspector's answers about devices: the device list, their TOs, their
// connection parameters and routes, through IUMCInfo.

#include <cstdint>
#include <string>
#include <vector>

#include "IEventInfoServer.h"
#include "tools/eventinfo/Report.h"
#include "tools/eventinfo/Session.h"

struct Devices {
    std::vector<std::wstring> names, checkSums, addresses;
    tagAlarmTypes alarmTypes{};
};

Devices GetDevices(Session& session);

// The devices with checksum, address and route, and the alarm types.
void AddDevices(Session& session, const Devices& devices, Report& report);

Table ToTable(bool withDevice);
// A device that cannot be queried is refused, or skipped in a table of
// every device's TOs.
void AddTos(Session& session, const std::wstring& device, Table& table, bool withDevice);

Table ParameterTable(bool withDevice);
void AddParameters(Session& session, const std::wstring& device, const std::vector<int32_t>& ids, Table& table,
                   bool withDevice);
std::vector<int32_t> AllParameterIds();

// How the device is reached, as the linked view of the file says.
std::string RouteText(Session& session, const std::wstring& device);
