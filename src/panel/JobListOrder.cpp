// SPDX-License-Identifier: MIT
#include "JobListOrder.h"

#include <algorithm>
#include <cstdint>

namespace shiftloom {
namespace {

unsigned char foldCase(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// The first sixteen folded bytes of an item as two numbers that compare like the bytes, so that
// most comparisons of a job list (whose lines differ in their job key) are two integer compares.
struct SortKey
{
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

SortKey sortKeyOf(std::string_view item)
{
    SortKey key;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint64_t byte = i < item.size() ? foldCase(item[i]) : 0;
        if (i < 8)
            key.high = (key.high << 8) | byte;
        else
            key.low = (key.low << 8) | byte;
    }
    return key;
}

} // namespace

bool foldedLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return foldCase(x) < foldCase(y); });
}

std::vector<std::size_t> displayOrder(const TextList& items)
{
    std::vector<SortKey> keys;
    keys.reserve(items.size());
    for (std::string_view item : items)
        keys.push_back(sortKeyOf(item));
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Equal keys (or a short item padded with zero bytes) fall back to the whole texts.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (keys[a].high != keys[b].high)
            return keys[a].high < keys[b].high;
        if (keys[a].low != keys[b].low)
            return keys[a].low < keys[b].low;
        return foldedLess(items[a], items[b]);
    });
    return order;
}

std::vector<std::string> sortedForDisplay(const TextList& items)
{
    std::vector<std::string> sorted;
    sorted.reserve(items.size());
    for (std::size_t index : displayOrder(items))
        sorted.emplace_back(items[index]);
    return sorted;
}

} // namespace shiftloom
