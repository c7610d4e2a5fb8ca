// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/** `a` sorts before `b`: byte by byte, with the letters A to Z compared without regard to case. */
bool foldedLess(std::string_view a, std::string_view b);

/**
 * The order in which the job list shows its lines, sorted: by their text, byte by byte with the
 * letters A to Z compared without regard to case, and in the order read where two compare equal.
 * Returns the indexes of `items` in that order.
 */
std::vector<std::size_t> displayOrder(const TextList& items);
/** The items themselves in `displayOrder`. */
std::vector<std::string> sortedForDisplay(const TextList& items);

} // namespace shiftloom
