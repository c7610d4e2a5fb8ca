// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace shiftloom::test {

/**
 * Reports one figure of a reliability run: printed as "[figure] name = value" and, when the
 * variable SHIFTLOOM_RELIABILITY_FIGURES names a file, appended to it as "name value", for
 * scripts/reliability-report.sh. Figures of one name add up over a run.
 */
void reportFigure(std::string_view name, double value);

/** A size of a run from the environment variable `name` (a whole number), or `fallback`. */
long long runSize(const char* name, long long fallback);

} // namespace shiftloom::test
