// SPDX-License-Identifier: MIT
#pragma once

#include "tool/JobRecordWriter.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::tool {

/** The columns of a job list in CSV, in this order, and the widths of their fields in the job file. */
struct JobColumn
{
    std::string_view name;
    std::size_t width; ///< 0: not a text field (listed)
};
inline constexpr std::array<JobColumn, 6> kJobColumns = {{
    {"prefix", 8},
    {"code", 8},
    {"name", 20},
    {"detail", 20},
    {"card", 8},
    {"listed", 0},
}};

struct JobCsvProblem
{
    std::size_t line = 0;
    std::string message; ///< names the column where one is at fault
};

struct JobCsvResult
{
    std::vector<JobSpec> jobs;
    std::vector<std::string> warnings; ///< jobs that are written but that the panel will treat oddly
    std::optional<JobCsvProblem> problem;
};

/**
 * Reads a job list from CSV (see `readCsv`), six columns a row: prefix, code, name, detail, card,
 * listed. The text is UTF-8 and becomes Windows-1252 bytes in the job file.
 *
 * - A first row that holds the column names (in any letter case, blanks around them allowed) is a
 *   header and skipped.
 * - listed: "yes", "no", "1" or "0", in any letter case.
 * - Fields are kept as they stand, blanks included, because the job file places every character.
 *   A field longer than its width, a character without a Windows-1252 byte, malformed UTF-8, a
 *   control character and an empty code are problems.
 * - A code that begins with a blank and a card that is not a number are accepted with a warning:
 *   the panel does not list such a job, and its start records carry job card 0 for such a card.
 *
 * The first problem stops the reading.
 */
JobCsvResult readJobCsv(std::string_view text);

} // namespace shiftloom::tool
