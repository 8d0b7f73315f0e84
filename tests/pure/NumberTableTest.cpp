// The number table finds each number with the value entered first for it,
// as a search of the list from its start finds it, and finds no number the
// list lacks.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "eventserver/NumberTable.h"

namespace {

constexpr size_t kNone = SIZE_MAX;

size_t SearchFromStart(const std::vector<uint32_t>& numbers, uint32_t number) {
    const auto found = std::find(numbers.begin(), numbers.end(), number);
    return found == numbers.end() ? kNone : static_cast<size_t>(found - numbers.begin());
}

}  // namespace

TEST(NumberTable, FindsAsTheSearchFromTheStart) {
    std::mt19937 random(17);
    std::vector<std::vector<uint32_t>> lists = {
        {},
        {0},
        {0xFFFFFFFF, 0, 0xFFFFFFFF},
        {7, 7, 7, 8},
    };
    std::vector<uint32_t> consecutive(10000), strided(4096), drawn(3000);
    for (uint32_t i = 0; i < consecutive.size(); ++i) consecutive[i] = 0x10000 + i;
    // Numbers that share their low bits, and duplicates drawn from a small range.
    for (uint32_t i = 0; i < strided.size(); ++i) strided[i] = i << 20;
    for (uint32_t& number : drawn) number = random() % 2000;
    lists.insert(lists.end(), {consecutive, strided, drawn});
    for (const auto& numbers : lists) {
        NumberTable<size_t> table(numbers.size());
        for (size_t position = 0; position < numbers.size(); ++position) table.Add(numbers[position], position);
        std::vector<uint32_t> probes = numbers;
        for (const uint32_t number : numbers) probes.insert(probes.end(), {number + 1, number - 1, ~number});
        probes.insert(probes.end(), {0, 1, 0xFFFFFFFF, 0x80000000});
        for (const uint32_t number : probes) {
            const size_t* found = table.Find(number);
            ASSERT_EQ(found ? *found : kNone, SearchFromStart(numbers, number)) << number << " of " << numbers.size();
        }
    }
    EXPECT_FALSE(NumberTable<size_t>().Find(0));
}
