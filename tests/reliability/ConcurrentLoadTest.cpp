// Loads at the same moment in four single-threaded apartments: every table
// and every answer equals those of a sequential load of the same file.
//
// The load reads the registry value that names the file at each call, and
// that value is one for the whole process; so in each round the four
// apartments load the same file at once, and the rounds go through four
// different files.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "loading/SourceCategories.h"
#include "tests/reliability/HostileCorpus.h"
#include "tests/reliability/ReliabilitySupport.h"
#include "tests/support/LateBinding.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kApartments = 4;
constexpr int kFiles = 4;

// All participants wait until the last one arrives.
class Barrier {
public:
    explicit Barrier(int parties) : m_parties(parties) {
        InitializeCriticalSection(&m_lock);
        InitializeConditionVariable(&m_all);
    }
    Barrier(const Barrier&) = delete;
    Barrier& operator=(const Barrier&) = delete;
    ~Barrier() { DeleteCriticalSection(&m_lock); }
    void Wait() {
        EnterCriticalSection(&m_lock);
        const unsigned generation = m_generation;
        if (++m_waiting == m_parties) {
            m_waiting = 0;
            ++m_generation;
            WakeAllConditionVariable(&m_all);
        } else {
            while (generation == m_generation) SleepConditionVariableCS(&m_all, &m_lock, INFINITE);
        }
        LeaveCriticalSection(&m_lock);
    }

private:
    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_all;
    int m_parties;
    int m_waiting = 0;
    unsigned m_generation = 0;
};

std::string Text(const std::wstring& text) { return Narrow(text); }

std::string NodeNameOf(IXMLDOMNode* node) {
    BSTR name = nullptr;
    if (!node || FAILED(node->get_nodeName(&name))) return "<none>";
    std::string text = Narrow(std::wstring(name, SysStringLen(name)));
    SysFreeString(name);
    return text;
}

// Every table of a loaded object, as text.
std::string Tables(const Project& project) {
    const EventModelTables& model = project.m_model;
    std::string out =
        "mode " + std::to_string(project.m_projectMode) + " alarms " + std::to_string(model.m_alarmTypes) + "\n";
    for (const auto& [key, id] : model.m_mapAttributeKeys) out += "ak " + Text(key) + " " + std::to_string(id) + "\n";
    for (const auto& [key, id] : model.m_mapCategoryKeys) out += "ck " + Text(key) + " " + std::to_string(id) + "\n";
    for (const auto& [id, c] : model.m_mapCategories) {
        out += "c " + std::to_string(id) + " " + Text(c.name) + " " + Text(c.description) + " " +
               Text(c.messageAttribute) + " " + NodeNameOf(c.node.Get()) + " " + std::to_string(c.alarmType) + " " +
               std::to_string(c.eventClass);
        for (int32_t attribute : c.attributeIds) out += " " + std::to_string(attribute);
        out += "\n";
    }
    for (const auto& [id, a] : model.m_mapAttributes)
        out += "a " + std::to_string(id) + " " + Text(a.name) + " " + Text(a.description) + " " +
               std::to_string(a.valueType) + "\n";
    for (const auto& [source, id] : SourceCategoriesInOrder(project))
        out += "s " + Text(std::wstring(source)) + " " + std::to_string(id) + "\n";
    return out;
}

struct Answers {
    std::string tables;       // of the project loaded by the linked code
    uint64_t transcript = 0;  // of the registered component
    std::vector<std::string> violations;
    bool operator==(const Answers& other) const { return tables == other.tables && transcript == other.transcript; }
};

// Loads the registry-named file into a project of its own and into an object of
// the registered component, and queries the latter through every interface.
Answers LoadAndQuery(Barrier* start) {
    Answers answers;
    Project linked;
    ComPtr<IUnknown> component = CreateComponent<IUnknown>();
    if (!component) {
        answers.violations.push_back("no object");
        return answers;
    }
    if (start) start->Wait();
    if (ParseInto(linked) != S_OK) answers.violations.push_back("linked load failed");
    Transcript transcript;
    DriverOptions options;
    options.bindByDisplayName = false;
    const DriverResult result = RunEveryQuery(component.Get(), options, transcript);
    if (result.loadResult != S_OK) answers.violations.push_back("component load failed");
    answers.violations.insert(answers.violations.end(), result.violations.begin(), result.violations.end());
    // The type information is shared by the apartments.
    ComPtr<IDispatch> dispatch;
    component.As(&dispatch);
    if (DispatchIdOf(dispatch.Get(), L"GetCategoryMessageIds") != 1) answers.violations.push_back("dispatch id");
    answers.transcript = transcript.Hash();
    answers.tables = Tables(linked);
    return answers;
}

struct Shared {
    size_t rounds = 0;
    Barrier start{kApartments + 1};  // the loads begin together
    Barrier done{kApartments + 1};   // all have answered
    std::array<Answers, kApartments> answers;
};

struct Apartment {
    Shared* shared;
    int index;
};

DWORD WINAPI RunApartment(void* argument) {
    const Apartment& apartment = *static_cast<Apartment*>(argument);
    Shared& shared = *apartment.shared;
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (size_t round = 0; round < shared.rounds; ++round) {
        Answers answers;
        if (FAILED(initialised)) {
            shared.start.Wait();
            answers.violations.push_back("no apartment");
        } else {
            answers = LoadAndQuery(&shared.start);
        }
        shared.answers[static_cast<size_t>(apartment.index)] = std::move(answers);
        shared.done.Wait();
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
    return 0;
}

TEST(ConcurrentLoads, FourApartmentsLoadingAtOnceBuildTheTablesOfASequentialLoad) {
    std::vector<std::unique_ptr<ProjectDirectory>> files;
    std::vector<Answers> sequential;
    for (int k = 0; k < kFiles; ++k) {
        ProjectShape shape;
        shape.tag = std::string(1, static_cast<char>('A' + k));
        shape.devices = 3 + k;
        shape.messagesPerCategory = 4 + 2 * k;
        shape.projectMode = k % 2 == 1;
        shape.projects = 2 + k;
        files.push_back(std::make_unique<ProjectDirectory>());
        files.back()->WriteProject(ReferenceProject(shape));
        sequential.push_back(LoadAndQuery(nullptr));
        ASSERT_EQ(sequential.back().violations, std::vector<std::string>{});
    }
    for (int k = 1; k < kFiles; ++k) ASSERT_NE(sequential[k].tables, sequential[0].tables);

    Shared shared;
    shared.rounds = Scaled(40, 1000);
    std::array<Apartment, kApartments> apartments;
    std::array<HANDLE, kApartments> threads;
    for (int k = 0; k < kApartments; ++k) {
        apartments[static_cast<size_t>(k)] = {&shared, k};
        threads[static_cast<size_t>(k)] =
            CreateThread(nullptr, 0, &RunApartment, &apartments[static_cast<size_t>(k)], 0, nullptr);
        ASSERT_TRUE(threads[static_cast<size_t>(k)]);
    }
    size_t loads = 0, differing = 0;
    const double start = Now();
    for (size_t round = 0; round < shared.rounds; ++round) {
        const size_t file = round % kFiles;
        SetDataPath(files[file]->Base());
        shared.start.Wait();
        shared.done.Wait();
        for (const Answers& answers : shared.answers) {
            loads += 2;
            EXPECT_EQ(answers.violations, std::vector<std::string>{}) << "round " << round;
            if (!(answers == sequential[file])) ++differing;
        }
    }
    const double seconds = Now() - start;
    WaitForMultipleObjects(kApartments, threads.data(), TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(differing, 0u) << "apartments whose tables or answers differ from the sequential load";

    Figure("concurrent.apartments", std::to_string(kApartments));
    Figure("concurrent.files", std::to_string(kFiles));
    Figure("concurrent.rounds", std::to_string(shared.rounds));
    Figure("concurrent.loads", std::to_string(loads));
    Figure("concurrent.differing", std::to_string(differing));
    Figure("concurrent.seconds", FormatNumber(seconds, 1));
}

}  // namespace
