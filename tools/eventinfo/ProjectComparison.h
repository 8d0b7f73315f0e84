#pragma once

// What "eventinfo diff" compares: a snapshot of each export as the component
// answers for it, the differences between two snapshots, and their report.
// Plain C++, so the comparison is tested without files or the platform.
//
// Categories and attributes are matched by name, not by id: the load hands
// out ids in document order, so one category added near the top renumbers
// every later one. A changed id is reported as a change of its own.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/eventinfo/Report.h"

struct ToSnapshot {
    std::string runtimeAddress;
    std::string typeId;
};

struct DeviceSnapshot {
    std::string checkSum;
    std::string address;
    std::map<std::string, ToSnapshot> tos;      // by TO name
    std::map<int32_t, std::string> parameters;  // by parameter id: "VT_UI4 5000"
};

struct AttributeSnapshot {
    int32_t id = 0;
    std::string type;
    std::string description;
};

// Message element name -> text attribute name (MSG0409) -> text.
using MessageTexts = std::map<std::string, std::map<std::string, std::string>>;

struct CategorySnapshot {
    int32_t id = 0;
    std::string eventClass;  // simple or conditional
    std::string description;
    std::map<std::string, AttributeSnapshot> attributes;  // by attribute name
    MessageTexts messages;
};

struct ProjectSnapshot {
    std::map<std::string, DeviceSnapshot> devices;       // by device name
    std::map<std::string, CategorySnapshot> categories;  // by key name: U7SQ, TOPOSAXIS, Line1/U7SQ
};

// The groups in the order they are reported.
enum class DiffGroup { Devices, Tos, Parameters, Categories, Attributes, Messages };
enum class Change { Added, Removed, Changed };

struct Difference {
    DiffGroup group;
    Change change;
    std::string owner;  // the device of a TO or parameter, the category of an attribute or message
    std::string name;   // the device, TO, parameter, category, attribute or message
    std::string field;  // what changed: checksum, type id, MSG0409; empty when the item itself came or went
    std::string oldValue;
    std::string newValue;  // of an item that came or went: a summary of it
};

// By group, then by owner and name.
std::vector<Difference> CompareProjects(const ProjectSnapshot& before, const ProjectSnapshot& after);

// The output of "eventinfo diff". Text: "old: PATH", "new: PATH", then each
// group that has differences under its name, or "no differences". JSON: the
// members "old" and "new" naming the files, then a table per group, every
// group present.
std::string RenderDifferences(const std::string& oldPath, const std::string& newPath,
                              const std::vector<Difference>& differences, bool json);
