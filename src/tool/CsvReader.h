// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::tool {

/** One record of a CSV text, with the line on which it begins. */
struct CsvRecord
{
    std::size_t line = 0;
    std::vector<std::string> fields;
};

struct CsvProblem
{
    std::size_t line = 0;
    std::string message;
};

struct CsvResult
{
    std::vector<CsvRecord> records;
    std::optional<CsvProblem> problem; ///< set when the text is not CSV; `records` then holds what came before
};

/**
 * Reads CSV text, as spreadsheets write it:
 *
 *     text     := bom? (record line-end)* record?
 *     record   := field ("," field)*
 *     field    := quoted | bare
 *     quoted   := '"' (any byte but '"' | '""')* '"'      may span lines; '""' stands for one '"'
 *     bare     := any bytes but ',' '"' CR LF              kept as they stand, blanks included
 *     line-end := CR LF | LF
 *     bom      := EF BB BF                                 skipped
 *
 * Empty lines are skipped. A quote inside a bare field, text between a closing quote and the
 * next comma or line end, and a quoted field still open at the end of the text are problems;
 * the problem names the line where the offending record began.
 */
CsvResult readCsv(std::string_view text);

} // namespace shiftloom::tool
