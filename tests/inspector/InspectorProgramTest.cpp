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
    EXPECT_NE(devices.out.find("  PLC_Line1   12AB34CD  2         not routed\n"), std::string::npos) << devices.out;

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

    // The one finding the example keeps: a cam TO whose type no category defines.
    const Outcome lint = RunInspector(L"lint " + kPlant);
    EXPECT_EQ(lint.status, 1u);
    EXPECT_TRUE(HasFinding(lint.out, "38", "to-type", "/OPC_AE/DEVICES/PLC_Line2/RT17")) << lint.out;
    EXPECT_EQ(lint.out.find("routing-device"), std::string::npos) << lint.out;
}

std::string ReadPlant() {
    return ReadText(std::wstring(INSPECTOR_SOURCE_DIR) + L"\\examples\\plant\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A message without a text in a language the project uses, and routers
// inside the PC whose element is missing or has no slot; an Ethernet route
// never reads its ROUTDEV.
TEST(InspectorProgram, LintFindsEmptyTextsAndRoutersTheComponentReads) {
    std::string xml = Replaced(ReadPlant(), " MSG0409=\"Level @1W%d@ mm exceeded\"", "");
    xml = Replaced(xml, "<RT3 Name=\"Feeder\"",
                   "<RoutInfo ROUTNET=\"PC-Internal\" ROUTDEV=\"NoRouter\"/><RT3 Name=\"Feeder\"");
    const std::wstring path = TempFile(L"plant-lint.xml");
    WriteText(path, xml);
    const Outcome outcome = RunInspector(L"lint --file \"" + path + L"\"");
    EXPECT_EQ(outcome.status, 1u) << outcome.err;
    EXPECT_TRUE(HasFinding(outcome.out, "8", "missing-text", "/OPC_AE/CONDITIONAL/U7SQ/ID00000011")) << outcome.out;
    EXPECT_NE(outcome.out.find("0x0409"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("ID00000012"), std::string::npos) << outcome.out;
    // Only the device's first routing element counts, and it is the Ethernet one.
    EXPECT_EQ(outcome.out.find("routing-device"), std::string::npos) << outcome.out;

    WriteText(path, Replaced(ReadPlant(), "ROUTNET=\"Ethernet1\"", "ROUTNET=\"PC-Internal\""));
    const Outcome missingRouter = RunInspector(L"lint --file \"" + path + L"\"");
    EXPECT_TRUE(HasFinding(missingRouter.out, "41", "routing-device", "/OPC_AE/DEVICES/PLC_Remote/RoutInfo"))
        << missingRouter.out;

    WriteText(path, Replaced(Replaced(ReadPlant(), "ROUTNET=\"Ethernet1\"", "ROUTNET=\"PC-Internal\""), "</DEVICES>",
                             "</DEVICES><Router1><Slot SLOT=\"\"/></Router1>"));
    const Outcome noSlot = RunInspector(L"lint --file \"" + path + L"\"");
    EXPECT_NE(noSlot.out.find("has a SLOT"), std::string::npos) << noSlot.out;
    DeleteFileW(path.c_str());
}

// What a user types without knowing the component's forms.
TEST(InspectorProgram, AnswersWithoutOutsideKnowledge) {
    const Outcome diagnosis = RunInspector(L"resolve --lang 0x0409 17154 /PLC_Line1/U7DIAG " + kPlant);
    EXPECT_EQ(diagnosis.status, 0u) << diagnosis.err;
    EXPECT_NE(diagnosis.err.find("as \"DIAGNOSIS: 4302\""), std::string::npos) << diagnosis.err;
    EXPECT_NE(diagnosis.out.find("Module $Z1%04X failed"), std::string::npos) << diagnosis.out;

    const Outcome quiet = RunInspector(L"resolve --quiet --lang 0x0409 DIAGNOSIS:4302 /PLC_Line1/U7DIAG " + kPlant);
    EXPECT_EQ(quiet.status, 0u) << quiet.err;
    EXPECT_EQ(quiet.err, "");

    const Outcome unknown = RunInspector(L"resolve --lang 0x0409 DIAGNOSIS99 /PLC_Line1/U7DIAG " + kPlant);
    EXPECT_EQ(unknown.status, 2u);
    EXPECT_NE(unknown.err.find("\"DIAGNOSIS: \" and the number in hexadecimal"), std::string::npos) << unknown.err;

    const Outcome value = RunInspector(L"resolve --lang 0x0409 --value 300 Alarm17 /PLC_Line1/U7SQ " + kPlant);
    EXPECT_EQ(value.status, 0u) << value.err;
    EXPECT_NE(value.out.find("Level 300 mm exceeded"), std::string::npos) << value.out;

    const Outcome messages = RunInspector(L"messages /PLC_Line1/U7DIAG " + kPlant);
    EXPECT_NE(messages.out.find("ID00004302   17154  DIAGNOSIS: 4302"), std::string::npos) << messages.out;

    const Outcome tos = RunInspector(L"tos PLC_Line2 " + kPlant);
    EXPECT_NE(tos.out.find("CamDisk  17               4516CE54-32EB-11D3-8F3C-00105A2DC995  RT17     /PLC_Line2/RT17"),
              std::string::npos)
        << tos.out;

    const Outcome params = RunInspector(L"params PLC_Remote REMNSAP address passive " + kPlant);
    EXPECT_NE(params.out.find("subnet ID 0012-8001, address 10.1.2.3 (4 bytes)"), std::string::npos) << params.out;
    EXPECT_NE(params.out.find("routed through network Ethernet1, router at 192.168.0.5"), std::string::npos)
        << params.out;
    EXPECT_NE(params.out.find("VT_BOOL          0"), std::string::npos) << params.out;

    const Outcome devices = RunInspector(L"devices --json " + kPlant);
    EXPECT_NE(devices.out.find("\"file\": \""), std::string::npos) << devices.out;
    EXPECT_NE(devices.out.find("OPC_AE.xml\""), std::string::npos) << devices.out;
    EXPECT_NE(RunInspector(L"devices " + kPlant).out.find("file: "), std::string::npos);
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
        {L"devices --file \"" + broken + L"\"", 3, "Opening and ending tag mismatch"},
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
