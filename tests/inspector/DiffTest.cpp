// eventinfo diff: the comparison of two snapshots, and the program on a pair
// of exports that differ in every way it reports.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <tuple>

#include "tests/inspector/InspectorRun.h"
#include "tools/eventinfo/ProjectComparison.h"
#include "tools/eventinfo/Report.h"

namespace {

ProjectSnapshot BaseSnapshot() {
    ProjectSnapshot snapshot;
    snapshot.devices["PLC1"] = {"12AB34CD", "2", {{"Conveyor", {"1", "GUID-A"}}}, {{23, "VT_UI4 5000"}}};
    snapshot.categories["U7SQ"] = {0x200001,
                                   "simple",
                                   "User alarms",
                                   {{"MSG0409", {5052, "VT_BSTR", "Message text"}}},
                                   {{"ID00000011", {{"MSG0407", "Stand"}, {"MSG0409", "Level"}}}}};
    snapshot.categories["TOPOSAXIS"] = {0x200021, "conditional", "Axes", {}, {}};
    return snapshot;
}

TEST(DiffComparison, ReportsEachKindOfChange) {
    struct Case {
        const char* what;
        std::function<void(ProjectSnapshot&)> edit;
        Difference expected;
    };
    using G = DiffGroup;
    using C = Change;
    const Case cases[] = {
        {"device added",
         [](auto& s) {
             s.devices["PLC2"] = {"AA", "3", {}, {}};
         },
         {G::Devices, C::Added, "", "PLC2", "", "", "checksum AA, address 3, 0 TOs"}},
        {"device removed",
         [](auto& s) { s.devices.erase("PLC1"); },
         {G::Devices, C::Removed, "", "PLC1", "", "checksum 12AB34CD, address 2, 1 TOs", ""}},
        {"checksum",
         [](auto& s) { s.devices["PLC1"].checkSum = "12AB34CE"; },
         {G::Devices, C::Changed, "", "PLC1", "checksum", "12AB34CD", "12AB34CE"}},
        {"address",
         [](auto& s) { s.devices["PLC1"].address = "4"; },
         {G::Devices, C::Changed, "", "PLC1", "address", "2", "4"}},
        {"TO added",
         [](auto& s) {
             s.devices["PLC1"].tos["Lifter"] = {"2", "GUID-B"};
         },
         {G::Tos, C::Added, "PLC1", "Lifter", "", "", "runtime address 2, type id GUID-B"}},
        {"TO removed",
         [](auto& s) { s.devices["PLC1"].tos.clear(); },
         {G::Tos, C::Removed, "PLC1", "Conveyor", "", "runtime address 1, type id GUID-A", ""}},
        {"TO type",
         [](auto& s) { s.devices["PLC1"].tos["Conveyor"].typeId = "GUID-C"; },
         {G::Tos, C::Changed, "PLC1", "Conveyor", "type id", "GUID-A", "GUID-C"}},
        {"parameter",
         [](auto& s) { s.devices["PLC1"].parameters[23] = "VT_UI4 7000"; },
         {G::Parameters, C::Changed, "PLC1", "CONFIG_TIMEOUT", "", "VT_UI4 5000", "VT_UI4 7000"}},
        {"category added",
         [](auto& s) {
             s.categories["TOCAMTYPE"] = {0x200025, "conditional", "Cams", {}, {}};
         },
         {G::Categories, C::Added, "", "TOCAMTYPE", "", "", "id 0x200025, conditional, Cams"}},
        {"category removed",
         [](auto& s) { s.categories.erase("TOPOSAXIS"); },
         {G::Categories, C::Removed, "", "TOPOSAXIS", "", "id 0x200021, conditional, Axes", ""}},
        {"category id",
         [](auto& s) { s.categories["TOPOSAXIS"].id = 0x200022; },
         {G::Categories, C::Changed, "", "TOPOSAXIS", "id", "0x200021", "0x200022"}},
        {"attribute added",
         [](auto& s) {
             s.categories["U7SQ"].attributes["Area"] = {5061, "VT_BSTR", "Area"};
         },
         {G::Attributes, C::Added, "U7SQ", "Area", "", "", "id 5061, VT_BSTR, Area"}},
        {"attribute removed",
         [](auto& s) { s.categories["U7SQ"].attributes.clear(); },
         {G::Attributes, C::Removed, "U7SQ", "MSG0409", "", "id 5052, VT_BSTR, Message text", ""}},
        {"message added",
         [](auto& s) {
             s.categories["U7SQ"].messages["ID00000012"] = {{"MSG0409", "New"}};
         },
         {G::Messages, C::Added, "U7SQ", "ID00000012", "", "", "MSG0409: New"}},
        {"message removed",
         [](auto& s) { s.categories["U7SQ"].messages.clear(); },
         {G::Messages, C::Removed, "U7SQ", "ID00000011", "", "MSG0407: Stand; MSG0409: Level", ""}},
        {"text changed",
         [](auto& s) { s.categories["U7SQ"].messages["ID00000011"]["MSG0409"] = "Height"; },
         {G::Messages, C::Changed, "U7SQ", "ID00000011", "MSG0409", "Level", "Height"}},
        {"language added",
         [](auto& s) { s.categories["U7SQ"].messages["ID00000011"]["MSG040C"] = "Niveau"; },
         {G::Messages, C::Added, "U7SQ", "ID00000011", "MSG040C", "", "Niveau"}},
    };
    const ProjectSnapshot base = BaseSnapshot();
    EXPECT_TRUE(CompareProjects(base, base).empty());
    for (const Case& c : cases) {
        ProjectSnapshot changed = base;
        c.edit(changed);
        const auto differences = CompareProjects(base, changed);
        ASSERT_EQ(differences.size(), 1u) << c.what;
        const Difference& d = differences[0];
        const Difference& e = c.expected;
        EXPECT_EQ(std::tie(d.group, d.change, d.owner, d.name, d.field, d.oldValue, d.newValue),
                  std::tie(e.group, e.change, e.owner, e.name, e.field, e.oldValue, e.newValue))
            << c.what;
    }
}

// A line of the output that holds the cells in this order.
bool HasRow(const std::string& out, const std::vector<std::string>& cells) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        size_t at = 0;
        for (const std::string& cell : cells)
            if (at != std::string::npos && (at = line.find(cell, at)) != std::string::npos) at += cell.size();
        if (at != std::string::npos) return true;
    }
    return false;
}

std::string Edited(std::string text, std::initializer_list<std::pair<std::string, std::string>> edits) {
    for (const auto& [from, to] : edits) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    return text;
}

TEST(DiffProgram, ListsEachChangeBetweenTwoExports) {
    const std::string plant =
        ReadText(std::wstring(INSPECTOR_SOURCE_DIR) + L"\\examples\\plant\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml");
    const std::string changed = Edited(
        plant, {{"\"12AB34CD\"", "\"12AB34CE\""},
                {"TIMEOUT=\"5000\"", "TIMEOUT=\"7000\""},
                {"      <RT2 Name=\"Lifter\" TypeID=\"05DAC271-32EE-11D3-8F3C-00105A2DC995\"/>\n", ""},
                {"MPIDefault=\"3\">", "MPIDefault=\"4\">\n      <RT9 Name=\"Press\" TypeID=\"T9\"/>"},
                {"<RT17 Name=\"CamDisk\"", "<RT18 Name=\"CamDisk\""},
                {"<PLC_Remote", "<PLC_Line3"},
                {"</PLC_Remote>", "</PLC_Line3>"},
                {"Severity=\"Wichtigkeit\"", "Severity=\"Wichtigkeit\" Station=\"Station\""},
                {"Message text\" Area=\"Anlagenbereich\"/>\n      <ID00007531", "Message text\"/>\n      <ID00007531"},
                {"mm exceeded", "mm too high"},
                {"Temperature @1I%5.2f@ C too high\"", "Temperature @1I%5.2f@ C too high\" MSG040C=\"Trop chaud\""},
                {"      <ID00000014 MSG0407=\"Druck",
                 "      <ID00000015 MSG0409=\"New\"/>\n      <ID00000099 MSG0407=\"Druck"},
                {"<TOFOLLOWINGAXIS CatDescr", "<TOCAMTYPE CatDescr"},
                {"</TOFOLLOWINGAXIS>", "</TOCAMTYPE>"}});
    const std::wstring oldPath = TempFile(L"old.xml"), newPath = TempFile(L"new.xml");
    WriteText(oldPath, plant);
    WriteText(newPath, changed);
    const std::wstring files = L" \"" + oldPath + L"\" \"" + newPath + L"\"";
    const Outcome same = RunInspector(L"diff \"" + oldPath + L"\" \"" + oldPath + L"\"");
    const Outcome text = RunInspector(L"diff" + files);
    const Outcome json = RunInspector(L"diff --json" + files);
    const Outcome missing = RunInspector(L"diff \"" + oldPath + L"\" Z:\\no\\such\\file.xml");
    DeleteFileW(oldPath.c_str());
    DeleteFileW(newPath.c_str());

    EXPECT_EQ(same.status, 0u) << same.err;
    EXPECT_NE(same.out.find("no differences"), std::string::npos) << same.out;
    EXPECT_EQ(text.status, 1u) << text.err;
    const std::string oldName(oldPath.begin(), oldPath.end()), newName(newPath.begin(), newPath.end());
    EXPECT_EQ(text.out.rfind("old: " + oldName + "\nnew: " + newName + "\n", 0), 0u) << text.out;
    for (const auto& row : std::vector<std::vector<std::string>>{
             {"PLC_Line1", "changed", "checksum", "12AB34CD", "12AB34CE"},
             {"PLC_Line2", "changed", "address", "3", "4"},
             {"PLC_Line3", "added", "checksum 5566AABB, address 10.1.2.3, 1 TOs"},
             {"PLC_Remote", "removed", "checksum 5566AABB"},
             {"PLC_Line1", "Lifter", "removed", "runtime address 2"},
             {"PLC_Line2", "Press", "added", "runtime address 9, type id T9"},
             {"PLC_Line2", "CamDisk", "changed", "runtime address", "17", "18"},
             {"PLC_Line1", "CONFIG_TIMEOUT", "changed", "VT_UI4 5000", "VT_UI4 7000"},
             {"TOCAMTYPE", "added", "Gleichlaufachsen"},
             {"TOFOLLOWINGAXIS", "removed", "Gleichlaufachsen"},
             {"U7SQ", "Station", "added"},
             {"TOPOSAXIS", "Area", "removed"},
             {"U7SQ", "ID00000014", "removed", "MSG0409: Pressure"},
             {"U7SQ", "ID00000015", "added", "MSG0409: New"},
             {"U7SQ", "ID00000011", "changed", "MSG0409", "mm exceeded", "mm too high"},
             {"U7SQ", "ID00000012", "added", "MSG040C", "Trop chaud"}})
        EXPECT_TRUE(HasRow(text.out, row)) << *row.begin() << "\n" << text.out;

    EXPECT_EQ(json.status, 1u) << json.err;
    EXPECT_EQ(json.out.rfind("{\n \"old\": " + JsonQuote(oldName) + ",\n \"new\": " + JsonQuote(newName), 0), 0u)
        << json.out;
    for (const char* key : {"\"devices\": [", "\"tos\": [", "\"parameters\": [", "\"categories\": [",
                            "\"attributes\": [", "\"messages\": [",
                            "{\"device\": \"PLC_Line1\", \"change\": \"changed\", \"field\": \"checksum\", \"old\": "
                            "\"12AB34CD\", \"new\": \"12AB34CE\"}"})
        EXPECT_NE(json.out.find(key), std::string::npos) << key << "\n" << json.out;
    EXPECT_EQ(missing.status, 3u);
    EXPECT_NE(missing.err.find("Z:\\no\\such\\file.xml"), std::string::npos) << missing.err;
}

}  // namespace
