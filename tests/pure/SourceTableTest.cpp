// The source table answers as an ordered map into which each candidate of a
// path is inserted, in the order given, when it names a category, and where
// the first insert of a path wins: every lookup, the order of its paths and
// whether it is empty, while a TO's type is asked for only when its path is
// looked up.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "loading/SourceTable.h"

namespace {

// TO candidate k names category 1000 + k unless k is a multiple of three.
bool TypeCategory(uint32_t to, int32_t& category) {
    if (to % 3 == 0) return false;
    category = 1000 + static_cast<int32_t>(to);
    return true;
}

// Device and TO paths as a plant's table holds them, with repeated paths,
// paths that differ only at their end or in case, embedded zeros, and code
// units above the surrogates next to surrogate pairs.
std::vector<std::wstring> Paths(size_t devices) {
    std::vector<std::wstring> paths{
        L"",         L"/", L"/A/", L"/A/B", L"/a/B", std::wstring(L"/A/B\0", 5), L"/\xFFFF/T", L"/\xD83D\xDE00/T",
        L"/\x00E9/T"};
    std::mt19937 random(5);
    for (size_t d = 0; d < devices; ++d) {
        const std::wstring device = L"/PLC_" + std::to_wstring(random() % (devices / 2 + 1)) + L"/";
        for (const wchar_t* group : {L"U7SQ", L"U7DIAG"}) paths.push_back(device + group);
        for (int t = 1; t <= 36; ++t) paths.push_back(device + L"RT" + std::to_wstring(t));
    }
    return paths;
}

// Enters every path, as a group with a known category or as a TO, into
// both the table and the eager reference.
void EnterAll(const std::vector<std::wstring>& paths, uint32_t seed, SourceTable& table,
              std::map<std::wstring, int32_t>& expected) {
    std::mt19937 random(seed);
    for (const std::wstring& path : paths) {
        const uint32_t value = random() % 100;
        int32_t category = static_cast<int32_t>(value);
        if (value % 2) {
            table.Insert(path, category);
        } else {
            table.InsertCandidate(path, value);
            if (!TypeCategory(value, category)) continue;
        }
        expected.emplace(path, category);
    }
}

void ExpectSameAnswers(const SourceTable& table, const std::map<std::wstring, int32_t>& expected) {
    std::vector<std::wstring> probes{L"/PLC_", L"/plc_0/U7SQ", L"/PLC_0/RT37", L"/A", std::wstring(1, L'\0')};
    for (const auto& [path, id] : expected)
        probes.insert(probes.end(), {path, path + L' ', path.substr(path.empty() ? 0 : 1)});
    for (const std::wstring& path : probes) {
        const auto found = expected.find(path);
        const int32_t* indexed = table.Find(path, TypeCategory);
        ASSERT_EQ(indexed != nullptr, found != expected.end()) << path.size();
        if (indexed) {
            EXPECT_EQ(*indexed, found->second);
        }
    }
    const auto sorted = table.Sorted(TypeCategory);
    EXPECT_EQ((std::map<std::wstring, int32_t>(sorted.begin(), sorted.end())), expected);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    EXPECT_EQ(table.Empty(TypeCategory), expected.empty());
}

}  // namespace

TEST(SourceTable, AnswersAsAnOrderedMapOfTheCandidatesThatNameACategory) {
    for (const size_t devices : {0, 1, 50, 3000}) {
        SourceTable table;
        std::map<std::wstring, int32_t> expected;
        const std::vector<std::wstring> paths = Paths(devices);
        EnterAll(paths, 1, table, expected);
        ExpectSameAnswers(table, expected);
        // A later load's candidates add to the settled table.
        EnterAll(paths, 2, table, expected);
        ExpectSameAnswers(table, expected);
    }
}

TEST(SourceTable, AsksOnlyTheCandidatesOfTheLookedUpPath) {
    SourceTable table;
    table.InsertCandidate(L"/D/RT1", 3);  // names none
    table.InsertCandidate(L"/D/RT1", 4);
    table.InsertCandidate(L"/D/RT1", 5);  // after the one that names it
    table.InsertCandidate(L"/D/RT2", 7);
    std::vector<uint32_t> asked;
    const auto recording = [&](uint32_t to, int32_t& category) {
        asked.push_back(to);
        return TypeCategory(to, category);
    };
    ASSERT_TRUE(table.Find(L"/D/RT1", recording));
    EXPECT_EQ(*table.Find(L"/D/RT1", recording), 1004);
    EXPECT_EQ(asked, (std::vector<uint32_t>{3, 4}));
}

TEST(SourceTable, FailedQuestionLeavesThePathToAskAgain) {
    SourceTable table;
    table.InsertCandidate(L"/D/RT1", 3);
    table.InsertCandidate(L"/D/RT1", 4);
    const auto failing = [](uint32_t, int32_t&) -> bool { throw std::runtime_error("no memory"); };
    EXPECT_THROW(table.Find(L"/D/RT1", failing), std::runtime_error);
    EXPECT_THROW(table.Empty(failing), std::runtime_error);
    EXPECT_EQ(*table.Find(L"/D/RT1", TypeCategory), 1004);

    table.Clear();
    EXPECT_TRUE(table.Empty(TypeCategory));
    EXPECT_FALSE(table.Find(L"/D/RT1", TypeCategory));
}
