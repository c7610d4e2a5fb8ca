// SPDX-License-Identifier: MIT
#include "panel/JobListOrder.h"

#include <gtest/gtest.h>

#include <random>

namespace shiftloom {
namespace {

// The order a sorted job list shows, spelt out the slow way: folded byte compare, stable.
std::vector<std::string> slowOrder(std::vector<std::string> items)
{
    auto fold = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b;
    };
    std::stable_sort(items.begin(), items.end(), [&](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return fold(x) < fold(y); });
    });
    return items;
}

// Letters fold, equal items keep the order they were added in ("Alpha" before "alpha"), and
// the comparison goes on beyond the job key, through bytes above 127 and zero bytes.
TEST(DisplayOrder, AgreesWithTheSlowOrderOnJobLinesAndRandomBytes)
{
    std::vector<std::string> items = {"beta", "Alpha", "alpha", "WS  JOB2  x", "WS  JOB2  a", "[settings]", ""};
    items.insert(items.end(), {"ab", std::string("ab\0", 3), "\xE9t\xE9", "Zulu", "zulu", "WS  JOB1"});
    std::mt19937 random(12);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> small(0, 3);
    for (int i = 0; i < 3000; ++i) {
        std::string item(static_cast<std::size_t>(length(random)), ' ');
        for (char& c : item)
            c = static_cast<char>(small(random) == 0 ? byte(random) : "aAbB "[small(random)]);
        items.push_back(item);
    }
    TextList list;
    for (const std::string& item : items)
        list.push_back(item);
    EXPECT_EQ(sortedForDisplay(list), slowOrder(items));
}

} // namespace
} // namespace shiftloom
