// SPDX-License-Identifier: MIT
#pragma once

#include "support/FaultFileOps.h"

#include <string>
#include <string_view>

namespace shiftloom::test {

/**
 * The last lines a driver prints: "points <n>", the fault points it passed, and "kinds <letters>",
 * the kind of call at each of them in order: o open, l lock, s size, r read, w write, t truncate,
 * f flush, d remove (delete), p replace.
 */
std::string faultPointReport(const FaultFileOps& files);

/** The kind of call of a letter of "kinds", as `FileOp`; -1 for none. */
int opOfKindLetter(char letter);

} // namespace shiftloom::test
