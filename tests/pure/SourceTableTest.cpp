// The source table answers as an ordered map of the same inserts, in which
// the first insert of a path wins: every lookup, and the order of its paths.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "loading/SourceTable.h"

namespace {

// Device and TO paths as a plant's table holds them, with repeated paths,
// paths that differ only at their end or in case, embedded zeros, and code
// units above the surrogates next to surrogate pairs.
std::vector<std::wstring> Paths(size_t devices) {
    std::vector<std::wstring> paths{L"", L"/", L"/A/", L"/A/B", L"/a/B", std::wstring(L"/A/B\0", 5),
                                    L"/\xFFFF/T", L"/\xD83D\xDE00/T", L"/\x00E9/T"};
    std::mt19937 random(5);
    for (size_t d = 0; d < devices; ++d) {
        const std::wstring device = L"/PLC_" + std::to_wstring(random() % (devices / 2 + 1)) + L"/";
        for (const wchar_t* group : {L"U7SQ", L"U7DIAG"}) paths.push_back(device + group);
        for (int t = 1; t <= 36; ++t) paths.push_back(device + L"RT" + std::to_wstring(t));
    }
    return paths;
}

}  // namespace

TEST(SourceTable, AnswersAsAnOrderedMapOfTheSameInserts) {
    for (const size_t devices : {0, 1, 50, 3000}) {
        SourceTable table;
        std::map<std::wstring, int32_t> expected;
        int32_t category = 0;
        for (const std::wstring& path : Paths(devices)) {
            const bool inserted = expected.emplace(path, ++category).second;
            ASSERT_EQ(table.Insert(path, category), inserted);
        }
        ASSERT_EQ(table.Size(), expected.size());
        EXPECT_EQ(table.ToMap(), expected);

        std::vector<std::wstring> probes{L"/PLC_", L"/plc_0/U7SQ", L"/PLC_0/RT37", L"/A", std::wstring(1, L'\0')};
        for (const auto& [path, id] : expected) probes.insert(probes.end(), {path, path + L' ', path.substr(path.empty() ? 0 : 1)});
        for (const std::wstring& path : probes) {
            const auto found = expected.find(path);
            const int32_t* indexed = table.Find(path);
            ASSERT_EQ(indexed != nullptr, found != expected.end()) << path.size();
            if (indexed) EXPECT_EQ(*indexed, found->second);
        }
    }
}

TEST(SourceTable, ClearedTableHoldsNothing) {
    SourceTable table;
    ASSERT_TRUE(table.Insert(L"/D/U7SQ", 1));
    table.Clear();
    EXPECT_TRUE(table.Empty());
    EXPECT_FALSE(table.Find(L"/D/U7SQ"));
    EXPECT_TRUE(table.Insert(L"/D/U7SQ", 2));
    EXPECT_EQ(*table.Find(L"/D/U7SQ"), 2);
}
