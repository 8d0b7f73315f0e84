#include "eventserver/TakenHandles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <random>
#include <set>

namespace {

using eventserver::TakenHandles;

// The numbering as subscriptions define it, trying one handle after another.
int32_t NextByTrying(const std::set<int32_t>& taken) {
    int32_t candidate = static_cast<int32_t>(taken.size()) + 1;
    while (taken.count(candidate)) ++candidate;
    return candidate;
}

TEST(TakenHandlesTest, GivesTheHandlesOfTheOneByOneNumberingUnderRandomCreatesAndDeletes) {
    std::mt19937 random(7);
    std::set<int32_t> taken;
    TakenHandles runs;
    for (int step = 0; step < 20000; ++step) {
        if (taken.empty() || random() % 3 != 0) {
            const int32_t expected = NextByTrying(taken);
            ASSERT_EQ(runs.FirstFreeFrom(static_cast<int32_t>(taken.size()) + 1), expected) << "step " << step;
            runs.Take(expected);
            taken.insert(expected);
        } else {
            auto victim = taken.begin();
            std::advance(victim, random() % taken.size());
            runs.Release(*victim);
            taken.erase(victim);
        }
    }
}

TEST(TakenHandlesTest, RunsMergeAndSplitAtTheirEnds) {
    TakenHandles runs;
    for (int32_t handle : {1, 3, 2, 5}) runs.Take(handle);  // {1-3, 5}
    EXPECT_EQ(runs.FirstFreeFrom(1), 4);
    EXPECT_EQ(runs.FirstFreeFrom(4), 4);
    EXPECT_EQ(runs.FirstFreeFrom(5), 6);
    runs.Release(2);  // {1, 3, 5}
    EXPECT_EQ(runs.FirstFreeFrom(1), 2);
    EXPECT_EQ(runs.FirstFreeFrom(3), 4);
    runs.Release(1);
    runs.Release(3);
    EXPECT_EQ(runs.FirstFreeFrom(1), 1);
    EXPECT_EQ(runs.FirstFreeFrom(5), 6);
}

TEST(TakenHandlesTest, HandlesAtTheLimitsOfThe32BitRange) {
    const int32_t top = std::numeric_limits<int32_t>::max();
    const int32_t bottom = std::numeric_limits<int32_t>::min();
    TakenHandles runs;
    runs.Take(top);
    runs.Take(top - 1);
    EXPECT_FALSE(runs.FirstFreeFrom(top - 1).has_value());
    runs.Take(bottom);
    EXPECT_EQ(runs.FirstFreeFrom(bottom), bottom + 1);
    runs.Release(top);
    EXPECT_EQ(runs.FirstFreeFrom(top - 1), top);
}

// 100,000 handles taken and the lowest 50,000 released: refilling them one
// by one used to try every taken handle above the candidate each time.
TEST(TakenHandlesTest, RefillingAfterManyReleasesDoesNotTryTheTakenHandles) {
    TakenHandles runs;
    int32_t count = 0;
    for (int32_t handle = 1; handle <= 100000; ++handle, ++count) runs.Take(handle);
    for (int32_t handle = 1; handle <= 50000; ++handle, --count) runs.Release(handle);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 50000; ++i, ++count) {
        const std::optional<int32_t> handle = runs.FirstFreeFrom(count + 1);
        ASSERT_TRUE(handle.has_value());
        runs.Take(*handle);
    }
    EXPECT_EQ(runs.FirstFreeFrom(count + 1), 150001);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
}

}  // namespace
