// The inspector program on project files: its answers, the places of the
// lint findings and the exit statuses; and the load diagnostics behind them.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "loading/ProjectLoad.h"
#include "tests/inspector/InspectorRun.h"
#include "tests/support/TestSupport.h"

namespace {

const std::wstring kPlant =
    std::wstring(L"--file \"") + INSPECTOR_SOURCE_DIR + L"\\examples\\plant\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml\"";

// Line numbers matter below: each problem sits on its own line.
const char kFaultyProject[] =
    "<?xml version=\"1.0\"?>\n"
    "<Root>\n"
    "  <CONDITIONAL>\n"
    "    <TOPOSAXIS catdescr=\"Axes\">\n"  // 4: case variant
    "      <Attributes MSG0409=\"Text\"/>\n"
    "      <ID0000001 MSG0409=\"short\"/>\n"        // 6: message name
    "      <ID00000002 MSG0409=\"Axis /0/%d\"/>\n"  // 7: placeholder
    "    </TOPOSAXIS>\n"
    "    <TOPOSAXIS CatDescr=\"again\"/>\n"  // 9: category dropped
    "    <U7DIAG/>\n"
    "  </CONDITIONAL>\n"
    "  <SIMPLE/>\n"
    "  <DEVICES>\n"
    "    <PLC1>\n"
    "      <RT1 Name=\"Axis\"/>\n"  // 15: TO without TypeID
    "    </PLC1>\n"
    "    <U7DIAG/>\n"  // 17: ambiguous, device name
    "  </DEVICES>\n"
    "  <CORVALIS/>\n"
    "</Root>\n";

bool HasFinding(const std::string& out, const std::string& line, const std::string& check, const std::string& element) {
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        const std::string row = out.substr(start, end - start);
        if (row.find(" " + line + "  ") != std::string::npos && row.find(check) != std::string::npos &&
            row.find(element) != std::string::npos)
            return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

TEST(InspectorProgram, LintReportsEachProblemWithItsPlace) {
    const std::wstring path = TempFile(L"faulty.xml");
    WriteText(path, kFaultyProject);
    const Outcome outcome = RunInspector(L"lint --file \"" + path + L"\"");
    DeleteFileW(path.c_str());
    EXPECT_EQ(outcome.status, 1u) << outcome.err;
    struct Expected {
        const char* line;
        const char* check;
        const char* element;
    };
    for (const Expected& e :
         {Expected{"4", "case", "/Root/CONDITIONAL/TOPOSAXIS"},
          Expected{"6", "message-name", "/Root/CONDITIONAL/TOPOSAXIS/ID0000001"},
          Expected{"7", "placeholder", "/Root/CONDITIONAL/TOPOSAXIS/ID00000002"},
          Expected{"9", "category-dropped", "/Root/CONDITIONAL/TOPOSAXIS[2]"},
          Expected{"10", "ambiguous", "/Root/CONDITIONAL/U7DIAG"}, Expected{"15", "to-type", "/Root/DEVICES/PLC1/RT1"},
          Expected{"17", "device-name", "/Root/DEVICES/U7DIAG"}})
        EXPECT_TRUE(HasFinding(outcome.out, e.line, e.check, e.element)) << e.check << "\n" << outcome.out;
    EXPECT_TRUE(HasFinding(outcome.out, "", "missing", "no element U7SQ")) << outcome.out;
    EXPECT_TRUE(HasFinding(outcome.out, "", "nothing-reachable", "drops every category")) << outcome.out;
}

TEST(InspectorProgram, AnswersForTheExampleProject) {
    const Outcome devices = RunInspector(L"devices " + kPlant);
    EXPECT_EQ(devices.status, 0u) << devices.err;
    EXPECT_NE(devices.out.find("  PLC_Line1   12AB34CD  2\n"), std::string::npos) << devices.out;

    const Outcome categories = RunInspector(L"categories --class conditional --json " + kPlant);
    EXPECT_EQ(categories.status, 0u);
    EXPECT_NE(categories.out.find("{\"id\": 2097185, \"hex\": \"0x200021\", \"class\": \"conditional\", \"key\": "
                                  "\"TOPOSAXIS\", \"description\": \"Positionierachsen\"}"),
              std::string::npos)
        << categories.out;

    const Outcome resolved = RunInspector(L"resolve --lang 0x0409 TO_ALARM30001 /PLC_Line1/RT1 5 7 " + kPlant);
    EXPECT_EQ(resolved.status, 0u) << resolved.err;
    EXPECT_NE(resolved.out.find("Axis 5 error 7"), std::string::npos) << resolved.out;

    const Outcome params = RunInspector(L"params PLC_Line1 timeout CONFIG_BAUDRATE " + kPlant);
    EXPECT_NE(params.out.find("CONFIG_TIMEOUT"), std::string::npos) << params.out;
    EXPECT_NE(params.out.find("VT_UI4"), std::string::npos) << params.out;

    const Outcome lint = RunInspector(L"lint " + kPlant);
    EXPECT_EQ(lint.status, 1u);  // the router element named by ROUTDEV is missing
    EXPECT_TRUE(HasFinding(lint.out, "41", "routing-device", "/OPC_AE/DEVICES/PLC_Remote/RoutInfo")) << lint.out;
}

TEST(InspectorProgram, ExitStatusesAndErrors) {
    struct Case {
        std::wstring arguments;
        DWORD status;
        const char* error;
    };
    const std::wstring broken = TempFile(L"broken.xml");
    WriteText(broken, "<Root>\n<A>\n</Root>\n");
    const Case cases[] = {
        {L"devices extra", 2, "wrong number of arguments"},
        {L"frobnicate", 2, "unknown command"},
        {L"tos NoSuchDevice " + kPlant, 2, "NoSuchDevice"},
        {L"params PLC_Line1 NOPARAM " + kPlant, 2, "NOPARAM"},
        {L"devices --file \"" + broken + L"\"", 3, "cannot load the project: the project file '"},
        {L"devices --file Z:\\no\\such\\file.xml", 3, "cannot open"},
        {L"lint --help", 0, ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunInspector(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_NE(outcome.err.find(c.error), std::string::npos) << outcome.err;
    }
    DeleteFileW(broken.c_str());
}

// The load records what it drops, with the element's path.
TEST(InspectorLoadDiagnostics, RecordsDroppedCategoriesAndProjects) {
    std::string xml = "<R Proj=\"P\"><CONDITIONAL><U7SQ>";
    for (int i = 1; i <= 32; ++i) xml += "<ProjP" + std::to_string(i) + "/>";
    xml +=
        "</U7SQ><TOCAMTYPE/><TOT4516CE54-32EB-11D3-8F3C-00105A2DC995/></CONDITIONAL>"
        "<DEVICES><D Project=\"P1\"/></DEVICES></R>";
    const std::wstring path = TempFile(L"drops.xml");
    WriteText(path, xml);
    Project project;
    ASSERT_EQ(LoadProject(std::string(path.begin(), path.end()), project), S_OK);
    DeleteFileW(path.c_str());
    const LoadDiagnostics& drops = project.m_loadDiagnostics;
    ASSERT_EQ(drops.size(), 2u);
    EXPECT_EQ(drops[0].kind, LoadDropKind::ProjectBeyondRange);
    EXPECT_EQ(drops[0].element, L"/R/CONDITIONAL/U7SQ/ProjP32");
    EXPECT_EQ(drops[1].kind, LoadDropKind::CategoryTaken);
    EXPECT_EQ(drops[1].element, L"/R/CONDITIONAL/TOT4516CE54-32EB-11D3-8F3C-00105A2DC995");
}

}  // namespace
