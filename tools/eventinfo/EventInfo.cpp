// eventinfo: answers what an engineer asks of a project file. By default a
// plain COM client of the registered component, which loads the
// registry-named file; with --file the same component code built into this
// program loads the given file. Commands and options: see CommandLine.cpp.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>

#include "loading/SourceCategories.h"
#include "ProjectVersion.h"
#include "loading/TextConversion.h"
#include "tools/eventinfo/CommandLine.h"
#include "tools/eventinfo/DeviceCommands.h"
#include "tools/eventinfo/Diff.h"
#include "tools/eventinfo/EventCommands.h"
#include "tools/eventinfo/InspectorFailure.h"
#include "tools/eventinfo/Lint.h"
#include "tools/eventinfo/ProgressLine.h"
#include "tools/eventinfo/Report.h"
#include "tools/eventinfo/ResultNames.h"
#include "tools/eventinfo/Session.h"

namespace {

std::vector<int32_t> ParameterIds(const CommandLine& line) {
    std::vector<int32_t> ids;
    for (size_t i = 1; i < line.arguments.size(); ++i) {
        const auto id = ConfigParamId(line.arguments[i]);
        if (!id) throw Failure{kExitUsage, "no connection parameter is named " + line.arguments[i]};
        ids.push_back(*id);
    }
    return ids.empty() ? AllParameterIds() : ids;
}

void AddParams(Session& session, const CommandLine& line, Report& report) {
    const std::wstring device = FromUtf8(line.arguments[0]);
    Table tos = ToTable(false);
    AddTos(session, device, tos, false);  // refuses a device that cannot be queried
    Table table = ParameterTable(false);
    AddParameters(session, device, ParameterIds(line), table, false);
    report.push_back(std::move(table));
    report.push_back(Table{"route", {{"device"}, {"route"}}, {{line.arguments[0], RouteText(session, device)}}});
}

void AddDump(Session& session, Report& report) {
    const Devices devices = GetDevices(session);
    AddDevices(session, devices, report);
    Table tos = ToTable(true), parameters = ParameterTable(true);
    {
        ProgressLine progress("dump: devices", session.Quiet(), devices.names.size());
        for (const std::wstring& device : devices.names) {
            AddTos(session, device, tos, true);
            AddParameters(session, device, AllParameterIds(), parameters, true);
            progress.Advance();
        }
    }
    report.push_back(std::move(tos));
    report.push_back(std::move(parameters));
    const std::vector<CategoryRow> categories = GetCategories(session, "all");
    report.push_back(CategoryTable(session, categories));
    Table attributes = AttributeTable(true), messages = MessageTable();
    {
        ProgressLine progress("dump: categories", session.Quiet(), categories.size());
        for (const CategoryRow& category : categories) {
            AddAttributes(session, category.id, attributes, true);
            AddCategoryMessages(session, category.id, messages);
            progress.Advance();
        }
    }
    report.push_back(std::move(attributes));
    report.push_back(std::move(messages));
    Table sources{"sources", {{"source"}, {"category", true}}, {}};
    for (const auto& [path, id] : SourceCategoriesInOrder(session.View()))
        sources.AddRow({Utf8(path), std::to_string(id)});
    report.push_back(std::move(sources));
    report.push_back(Languages(session));
}

int AddLint(Session& session, Report& report) {
    std::vector<LintFinding> findings;
    {
        const ProgressLine progress("lint", session.Quiet());
        findings = LintProject(session.View(), session.FileText());
    }
    Table table{"problems", {{"line", true}, {"check"}, {"element"}, {"detail"}}, {}};
    for (const LintFinding& finding : findings)
        table.AddRow(
            {finding.line ? std::to_string(finding.line) : "", finding.check, finding.element, finding.detail});
    report.push_back(std::move(table));
    return findings.empty() ? kExitOk : kExitFindings;
}

void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int Run(const CommandLine& line) {
    if (line.command == "diff") return RunDiff(line);
    Session session(line);
    Report report;
    int status = kExitOk;
    const std::string& command = line.command;
    if (command == "devices") {
        AddDevices(session, GetDevices(session), report);
    } else if (command == "tos") {
        Table table = ToTable(false);
        AddTos(session, FromUtf8(line.arguments[0]), table, false);
        report.push_back(std::move(table));
    } else if (command == "params") {
        AddParams(session, line, report);
    } else if (command == "categories") {
        report.push_back(CategoryTable(session, GetCategories(session, line.eventClass)));
    } else if (command == "attributes") {
        Table table = AttributeTable(false);
        AddAttributes(session, CategoryIdOf(session, line.arguments[0]), table, false);
        report.push_back(std::move(table));
    } else if (command == "messages") {
        report.push_back(Messages(session, line.arguments[0]));
    } else if (command == "resolve") {
        report = Resolve(session, line);
    } else if (command == "languages") {
        report.push_back(Languages(session));
    } else if (command == "dump") {
        AddDump(session, report);
    } else if (command == "lint") {
        status = AddLint(session, report);
    }
    if (line.json) {
        Write(RenderJson(report, {{"file", session.FilePath()}}));
    } else {
        Write("file: " + session.FilePath() + "\n\n");
        Write(command == "lint" && status == kExitOk ? "no problems found\n" : RenderText(report));
    }
    return status;
}

class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_hr;
};

}  // namespace

static int RunInspector(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "eventinfo: %s\n%s", parsed.error.c_str(), "Run \"eventinfo --help\" for the commands.\n");
        return kExitUsage;
    }
    if (parsed.line.help) {
        std::fputs(HelpText(parsed.line.command).c_str(), stdout);
        return kExitOk;
    }
    if (parsed.line.version) {
        std::printf("eventinfo %s (%s, %s)\n", PROJECT_VERSION_TEXT, PROJECT_PRODUCT,
                    sizeof(void*) == 8 ? "x64" : "x86");
        return kExitOk;
    }
    int status = kExitOk;
    {
        const ComApartment apartment;
        try {
            status = Run(parsed.line);
        } catch (const Failure& failure) {
            std::fprintf(stderr, "eventinfo: %s\n", failure.message.c_str());
            status = failure.status;
        } catch (const ComError& error) {
            std::fprintf(stderr, "eventinfo: a component call failed with %s\n",
                         ResultText(static_cast<uint32_t>(error.Code())).c_str());
            status = kExitNotLoaded;
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "eventinfo: out of memory\n");
            status = kExitNotLoaded;
        }
    }
    std::fflush(stdout);
    return status;
}

// The wrapper for Linux names a file in EVENTINFO_STATUS_FILE: the status
// written there tells a run that ended by itself from one that was stopped
// from outside, whose exit status cannot be trusted.
int wmain(int argc, wchar_t** argv) {
    const int status = RunInspector(argc, argv);
    std::fflush(stdout);
    if (const wchar_t* path = _wgetenv(L"EVENTINFO_STATUS_FILE"); path && *path) {
        if (FILE* file = _wfopen(path, L"w")) {
            std::fprintf(file, "%d\n", status);
            std::fclose(file);
        }
    }
    return status;
}
