#include "tools/eventinfo/ProjectComparison.h"

#include <cstdio>

#include "tools/eventinfo/CommandLine.h"

namespace {

constexpr size_t kGroupCount = 6;

class Collector {
public:
    void Add(DiffGroup group, Change change, const std::string& owner, const std::string& name, std::string field,
             std::string oldValue, std::string newValue) {
        m_groups[static_cast<size_t>(group)].push_back(
            Difference{group, change, owner, name, std::move(field), std::move(oldValue), std::move(newValue)});
    }
    void Field(DiffGroup group, const std::string& owner, const std::string& name, const char* field,
               const std::string& oldValue, const std::string& newValue) {
        if (oldValue != newValue) Add(group, Change::Changed, owner, name, field, oldValue, newValue);
    }
    std::vector<Difference> Take() {
        std::vector<Difference> all;
        for (auto& group : m_groups) all.insert(all.end(), group.begin(), group.end());
        return all;
    }

private:
    std::vector<Difference> m_groups[kGroupCount];
};

// One walk along two sorted maps: gone(key, old), came(key, new) and
// both(key, old, new) in key order.
template <class Map, class Gone, class Came, class Both>
void Merge(const Map& before, const Map& after, Gone gone, Came came, Both both) {
    auto b = before.begin();
    auto a = after.begin();
    const auto less = before.key_comp();
    while (b != before.end() || a != after.end()) {
        if (a == after.end() || (b != before.end() && less(b->first, a->first))) {
            gone(b->first, b->second);
            ++b;
        } else if (b == before.end() || less(a->first, b->first)) {
            came(a->first, a->second);
            ++a;
        } else {
            both(b->first, b->second, a->second);
            ++b;
            ++a;
        }
    }
}

// Reports what came and what went in one group, with a summary of each.
template <class Map, class Summary, class Both>
void MergeItems(Collector& out, DiffGroup group, const std::string& owner, const Map& before, const Map& after,
                Summary summary, Both both) {
    Merge(
        before, after,
        [&](const auto& key, const auto& value) {
            out.Add(group, Change::Removed, owner, key, {}, summary(value), {});
        },
        [&](const auto& key, const auto& value) { out.Add(group, Change::Added, owner, key, {}, {}, summary(value)); },
        both);
}

std::string HexId(int32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(static_cast<uint32_t>(id)));
    return text;
}

std::string ParameterName(int32_t id) {
    const std::string name = ConfigParamName(id);
    return name.empty() ? std::to_string(id) : name;
}

std::string DeviceSummary(const DeviceSnapshot& device) {
    return "checksum " + device.checkSum + ", address " + device.address + ", " + std::to_string(device.tos.size()) +
           " TOs";
}

std::string ToSummary(const ToSnapshot& to) {
    return "runtime address " + to.runtimeAddress + ", type id " + to.typeId;
}

std::string CategorySummary(const CategorySnapshot& category) {
    return "id " + HexId(category.id) + ", " + category.eventClass + ", " + category.description;
}

std::string AttributeSummary(const AttributeSnapshot& attribute) {
    return "id " + std::to_string(attribute.id) + ", " + attribute.type + ", " + attribute.description;
}

std::string MessageSummary(const std::map<std::string, std::string>& texts) {
    std::string summary;
    for (const auto& [language, text] : texts) summary += (summary.empty() ? "" : "; ") + language + ": " + text;
    return summary;
}

void CompareDevice(Collector& out, const std::string& name, const DeviceSnapshot& before, const DeviceSnapshot& after) {
    out.Field(DiffGroup::Devices, {}, name, "checksum", before.checkSum, after.checkSum);
    out.Field(DiffGroup::Devices, {}, name, "address", before.address, after.address);
    MergeItems(out, DiffGroup::Tos, name, before.tos, after.tos, ToSummary,
               [&](const std::string& to, const ToSnapshot& old, const ToSnapshot& now) {
                   out.Field(DiffGroup::Tos, name, to, "runtime address", old.runtimeAddress, now.runtimeAddress);
                   out.Field(DiffGroup::Tos, name, to, "type id", old.typeId, now.typeId);
               });
    Merge(
        before.parameters, after.parameters,
        [&](int32_t id, const std::string& value) {
            out.Add(DiffGroup::Parameters, Change::Removed, name, ParameterName(id), {}, value, {});
        },
        [&](int32_t id, const std::string& value) {
            out.Add(DiffGroup::Parameters, Change::Added, name, ParameterName(id), {}, {}, value);
        },
        [&](int32_t id, const std::string& old, const std::string& now) {
            if (old != now) out.Add(DiffGroup::Parameters, Change::Changed, name, ParameterName(id), {}, old, now);
        });
}

void CompareMessages(Collector& out, const std::string& category, const MessageTexts& before,
                     const MessageTexts& after) {
    MergeItems(out, DiffGroup::Messages, category, before, after, MessageSummary,
               [&](const std::string& message, const auto& old, const auto& now) {
                   Merge(
                       old, now,
                       [&](const std::string& language, const std::string& text) {
                           out.Add(DiffGroup::Messages, Change::Removed, category, message, language, text, {});
                       },
                       [&](const std::string& language, const std::string& text) {
                           out.Add(DiffGroup::Messages, Change::Added, category, message, language, {}, text);
                       },
                       [&](const std::string& language, const std::string& oldText, const std::string& newText) {
                           if (oldText != newText)
                               out.Add(DiffGroup::Messages, Change::Changed, category, message, language, oldText,
                                       newText);
                       });
               });
}

void CompareCategory(Collector& out, const std::string& key, const CategorySnapshot& before,
                     const CategorySnapshot& after) {
    out.Field(DiffGroup::Categories, {}, key, "id", HexId(before.id), HexId(after.id));
    out.Field(DiffGroup::Categories, {}, key, "class", before.eventClass, after.eventClass);
    out.Field(DiffGroup::Categories, {}, key, "description", before.description, after.description);
    MergeItems(out, DiffGroup::Attributes, key, before.attributes, after.attributes, AttributeSummary,
               [&](const std::string& name, const AttributeSnapshot& old, const AttributeSnapshot& now) {
                   out.Field(DiffGroup::Attributes, key, name, "id", std::to_string(old.id), std::to_string(now.id));
                   out.Field(DiffGroup::Attributes, key, name, "type", old.type, now.type);
                   out.Field(DiffGroup::Attributes, key, name, "description", old.description, now.description);
               });
    CompareMessages(out, key, before.messages, after.messages);
}

// How each group's table names its columns; a null title leaves the column out.
struct GroupColumns {
    const char* table;
    const char* owner;
    const char* name;
    const char* field;
};

constexpr GroupColumns kGroupColumns[kGroupCount] = {
    {"devices", nullptr, "device", "field"},          {"tos", "device", "TO", "field"},
    {"parameters", "device", "parameter", nullptr},   {"categories", nullptr, "category", "field"},
    {"attributes", "category", "attribute", "field"}, {"messages", "category", "message", "language"},
};

const char* ChangeName(Change change) {
    switch (change) {
    case Change::Added: return "added";
    case Change::Removed: return "removed";
    case Change::Changed: break;
    }
    return "changed";
}

Report DifferenceReport(const std::vector<Difference>& differences) {
    Report report;
    for (const GroupColumns& group : kGroupColumns) {
        Table table{group.table, {}, {}};
        if (group.owner) table.columns.push_back({group.owner});
        table.columns.push_back({group.name});
        table.columns.push_back({"change"});
        if (group.field) table.columns.push_back({group.field});
        table.columns.push_back({"old"});
        table.columns.push_back({"new"});
        report.push_back(std::move(table));
    }
    for (const Difference& difference : differences) {
        const GroupColumns& group = kGroupColumns[static_cast<size_t>(difference.group)];
        std::vector<std::string> row;
        if (group.owner) row.push_back(difference.owner);
        row.push_back(difference.name);
        row.push_back(ChangeName(difference.change));
        if (group.field) row.push_back(difference.field);
        row.push_back(difference.oldValue);
        row.push_back(difference.newValue);
        report[static_cast<size_t>(difference.group)].AddRow(std::move(row));
    }
    return report;
}

}  // namespace

std::vector<Difference> CompareProjects(const ProjectSnapshot& before, const ProjectSnapshot& after) {
    Collector out;
    MergeItems(out, DiffGroup::Devices, {}, before.devices, after.devices, DeviceSummary,
               [&](const std::string& name, const DeviceSnapshot& old, const DeviceSnapshot& now) {
                   CompareDevice(out, name, old, now);
               });
    MergeItems(out, DiffGroup::Categories, {}, before.categories, after.categories, CategorySummary,
               [&](const std::string& key, const CategorySnapshot& old, const CategorySnapshot& now) {
                   CompareCategory(out, key, old, now);
               });
    return out.Take();
}

std::string RenderDifferences(const std::string& oldPath, const std::string& newPath,
                              const std::vector<Difference>& differences, bool json) {
    const Report report = DifferenceReport(differences);
    if (json) return RenderJson(report, {{"old", oldPath}, {"new", newPath}});
    std::string out = "old: " + oldPath + "\nnew: " + newPath + "\n";
    if (differences.empty()) return out + "no differences\n";
    for (const Table& table : report)
        if (!table.rows.empty()) out += "\n" + table.name + ":\n" + RenderText({table});
    return out;
}
