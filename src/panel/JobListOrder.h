// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"

#include <cstddef>
#include <string>
#include <vector>

namespace shiftloom {

/**
 * The order in which the job list shows its lines, sorted: by their text, byte by byte with the
 * letters A to Z compared without regard to case, and in the order read where two compare equal.
 * Returns the indexes of `items` in that order.
 */
std::vector<std::size_t> displayOrder(const TextList& items);
/** The items themselves in `displayOrder`. */
std::vector<std::string> sortedForDisplay(const TextList& items);

} // namespace shiftloom
