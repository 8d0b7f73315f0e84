// Every file of the hostile corpus is loaded and every query of every
// interface runs on it: no crash, no hang, only documented results, outputs
// in the states the interfaces give, nothing pulled in from other files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "loading/SourceCategories.h"
#include "loading/ComValues.h"
#include "loading/ProjectFilePath.h"
#include "loading/XmlAccess.h"
#include "tests/reliability/HostileCorpus.h"
#include "tests/reliability/ReliabilitySupport.h"
#include "tests/support/TestSupport.h"

// Names the file in the test's messages.
void PrintTo(const CorpusEntry& entry, std::ostream* out) { *out << entry.name; }

namespace {

namespace fs = std::filesystem;

// The component may add this much time to what reading the file costs the
// platform; past the hang limit (on top of three times that) the process
// ends, since a hung call never returns to fail the test.
constexpr double kSecondsPerFile = 5.0;
constexpr double kHangSeconds = 120.0;
constexpr double kSlowParseSeconds = 10.0;

// What reading the file once costs on the platform's DOM alone: loading the
// bytes as the component loads them, and reading the name and value of every
// attribute of every element once. The platform makes both grow faster than
// the square of an element's attribute count, and the load passes must read
// every attribute of an attribute declaration.
struct PlatformCost {
    double parse = 0;
    double attributes = 0;
    double Total() const { return parse + attributes; }
};

// Through the selection of "@*", which reads each attribute directly; the
// attribute map walks from the first attribute for each one.
void ReadEveryAttribute(IXMLDOMDocument* document) {
    const Bstr everyElement(L"*");
    const Bstr everyAttribute(L"@*");
    ComPtr<IXMLDOMNodeList> elements;
    if (FAILED(document->getElementsByTagName(everyElement.Get(), &elements)) || !elements) return;
    for (DomNode element; SUCCEEDED(elements->nextNode(&element)) && element; element.Reset()) {
        ComPtr<IXMLDOMNodeList> attributes;
        if (FAILED(element->selectNodes(everyAttribute.Get(), &attributes)) || !attributes) continue;
        for (DomNode attribute; SUCCEEDED(attributes->nextNode(&attribute)) && attribute; attribute.Reset()) {
            Bstr name;
            attribute->get_nodeName(name.Receive());
            Variant value;
            attribute->get_nodeValue(value.Get());
        }
    }
}

PlatformCost MeasurePlatformCost(const std::string& bytes) {
    PlatformCost cost;
    const DomDocument document = CreateDomDocument();
    if (!document) return cost;
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    SafeArray array = SafeArray::CreateVector(VT_UI1, static_cast<ULONG>(bytes.size()));
    if (!bytes.empty()) std::memcpy(SafeArrayData<char>(array.Get()).Get(), bytes.data(), bytes.size());
    Variant source;
    V_VT(source.Get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(source.Get()) = array.Detach();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    double start = Now();
    document->load(*source.Get(), &loaded);
    cost.parse = Now() - start;
    start = Now();
    ReadEveryAttribute(document.Get());
    cost.attributes = Now() - start;
    return cost;
}

fs::path CorpusRoot() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path().parent_path() / L"reliability-corpus";
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Writes the file below a directory of its own and returns that directory,
// the base directory the registry value names.
fs::path WriteCorpusFile(const CorpusEntry& entry, CorpusFile& file) {
    const fs::path base = CorpusRoot() / entry.name;
    std::error_code ignored;
    fs::remove_all(base, ignored);
    file = entry.generate(base.string());
    const fs::path project =
        base.wstring() + std::wstring(kProjectFileTail, kProjectFileTail + strlen(kProjectFileTail));
    if (file.projectIsDirectory)
        fs::create_directories(project);
    else
        Write(project, file.project);
    for (const auto& [name, bytes] : file.siblings) Write(base / name, bytes);
    return base;
}

class Watchdog {
public:
    Watchdog(const std::string& name, double seconds)
        : m_name(name), m_milliseconds(static_cast<DWORD>(seconds * 1000)) {
        m_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        SetEvent(m_done);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_done);
    }

private:
    static DWORD WINAPI Watch(void* self) {
        auto* watchdog = static_cast<Watchdog*>(self);
        if (WaitForSingleObject(watchdog->m_done, watchdog->m_milliseconds) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "HANG: %s did not finish in %lu s\n", watchdog->m_name.c_str(),
                         static_cast<unsigned long>(watchdog->m_milliseconds / 1000));
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    std::string m_name;
    DWORD m_milliseconds;
    HANDLE m_done;
    HANDLE m_thread;
};

struct CorpusFigures {
    size_t files = 0;
    size_t calls = 0;
    uint64_t bytes = 0;
    double seconds = 0;
    double domSeconds = 0;
    double slowest = 0;
    std::string slowestName;
    std::map<HRESULT, size_t> loads;
    std::map<std::string, uint64_t> answers;  // transcript hash per file
};

CorpusFigures& Figures() {
    static CorpusFigures figures;
    return figures;
}

class CorpusReport : public testing::Environment {
public:
    void TearDown() override {
        const CorpusFigures& f = Figures();
        if (!f.files) return;
        Figure("corpus.files", std::to_string(f.files));
        Figure("corpus.bytes", std::to_string(f.bytes));
        Figure("corpus.calls", std::to_string(f.calls));
        Figure("corpus.seconds", FormatNumber(f.seconds, 1));
        Figure("corpus.platform_seconds", FormatNumber(f.domSeconds, 1));
        Figure("corpus.slowest_added", f.slowestName + " " + FormatNumber(f.slowest, 2) + " s");
        for (const auto& [hr, count] : f.loads) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
            Figure(std::string("corpus.loads.") + code, std::to_string(count));
        }
    }
};
const testing::Environment* const kReport = testing::AddGlobalTestEnvironment(new CorpusReport);

class HostileFile : public testing::TestWithParam<CorpusEntry> {};

TEST_P(HostileFile, AnswersEveryQueryWithDocumentedResults) {
    const CorpusEntry& entry = GetParam();
    CorpusFile file;
    const fs::path base = WriteCorpusFile(entry, file);
    SetDataPath(base.wstring());

    const PlatformCost platform = file.projectIsDirectory ? PlatformCost{} : MeasurePlatformCost(file.project);
    const double domSeconds = platform.Total();
    Transcript transcript(true);
    DriverResult result;
    const double start = Now();
    double loadSeconds = 0;
    {
        const Watchdog watchdog(entry.name, kHangSeconds + 3 * domSeconds);
        // A project loaded by the linked code, so that the source table it
        // built can be read and every source path it holds queried, and an
        // object over it.
        Project project;
        const HRESULT loaded = ParseInto(project);
        const ComPtr<IEventInfoInit> object = CreateObjectOver<IEventInfoInit>(project);
        ASSERT_TRUE(object);
        loadSeconds = Now() - start;
        DriverOptions options;
        options.load = false;
        options.forbiddenText = kSecretMarker;
        // Binding by display name loads the file once more in a new object;
        // where reading the file costs the platform long, the other files
        // cover it.
        options.bindByDisplayName = domSeconds < kSlowParseSeconds;
        for (const auto& [source, category] : SourceCategoriesInOrder(project))
            options.extraSources.emplace_back(source);
        transcript.Add("ParseXML " + std::to_string(loaded));
        result = RunEveryQuery(object.Get(), options, transcript);
        result.loadResult = loaded;
    }
    const double seconds = Now() - start;
    // The linked object's load and the display-name binding's each read
    // the file once.
    const double added = seconds - domSeconds * (domSeconds < kSlowParseSeconds ? 2 : 1);
    // The answers stay next to the file, to compare runs and files.
    std::string answers;
    for (const std::string& line : transcript.Text()) answers += line + "\n";
    Write(base / L"answers.txt", answers);

    EXPECT_TRUE(result.loadResult == S_OK || result.loadResult == E_INVALIDARG || result.loadResult == E_UNEXPECTED)
        << std::hex << result.loadResult;
    for (const std::string& violation : result.violations) ADD_FAILURE() << file.what << ": " << violation;
    // A long platform cost varies from run to run by more than the
    // component's own share.
    EXPECT_LT(added, kSecondsPerFile + domSeconds / 10)
        << file.what << ": reading it costs the platform " << platform.parse << " s to parse and "
        << platform.attributes << " s to read its attributes";
    if (!file.sameAnswersAs.empty()) {
        const auto reference = Figures().answers.find(file.sameAnswersAs);
        ASSERT_NE(reference, Figures().answers.end());
        EXPECT_EQ(transcript.Hash(), reference->second) << "answers differ from " << file.sameAnswersAs;
    }

    CorpusFigures& figures = Figures();
    ++figures.files;
    figures.calls += result.calls;
    figures.bytes += file.project.size();
    figures.seconds += seconds;
    figures.domSeconds += domSeconds;
    ++figures.loads[result.loadResult];
    figures.answers[entry.name] = transcript.Hash();
    if (added > figures.slowest) {
        figures.slowest = added;
        figures.slowestName = entry.name;
    }
    std::printf("  %-34s %9zu bytes  dom %6.2f s %6.2f s  load 0x%08lX %6.2f s  %5zu calls  %6.2f s\n",
                entry.name.c_str(), file.project.size(), platform.parse, platform.attributes,
                static_cast<unsigned long>(result.loadResult), loadSeconds, result.calls, seconds);
}

std::string TestName(const testing::TestParamInfo<CorpusEntry>& info) {
    std::string name = info.param.name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileFile, testing::ValuesIn(HostileCorpus(FullRun())), TestName);

}  // namespace
