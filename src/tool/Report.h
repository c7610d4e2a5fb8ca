// SPDX-License-Identifier: MIT
#pragma once

#include "tool/DataFileDecoder.h"

#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::tool {

/** A calendar day. */
struct Day
{
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const Day&) const = default;
};

/**
 * A day given on the command line:
 *
 *     day := yyyy "-" mm "-" dd | yyyymmdd          a day that exists in the Gregorian calendar
 */
std::optional<Day> parseDay(std::string_view text);

/** Minutes since 0001-01-01 00:00 of a record's date and time. */
long long minuteIndex(const RecordStamp& stamp);

/** The time one card spent on one job on one day. */
struct JobDayTotal
{
    std::string card; ///< the card number without its leading zeros ("0" for zeros only)
    std::string jobCard; ///< likewise
    Day day; ///< the day of the starts whose intervals are summed
    long long minutes = 0;
};

/** A start of a card that nothing ended yet: the job is still being timed, or the panel went away. */
struct OpenStart
{
    std::string card;
    std::string jobCard;
    RecordStamp start;
    std::size_t line = 0; ///< line of the start in the data file
};

struct ReportOptions
{
    std::optional<Day> from; ///< first day reported, inclusive
    std::optional<Day> to; ///< last day reported, inclusive
};

struct TimeReport
{
    std::vector<JobDayTotal> totals; ///< by card, then day, then job card
    std::vector<OpenStart> open; ///< by card
    std::size_t invalidLines = 0; ///< lines of neither layout, left out
};

/**
 * The time of each card on each job and day, from the records of a data file.
 *
 * - Each card is taken on its own, its start and stop records in the order of their date and time
 *   (records of the same minute in file order). IN records carry no card and play no part.
 * - A start runs until the next start or stop of the same card: pressing another job button
 *   writes only the new start, so the next start is the only trace of the previous job's end.
 *   A stop with no start before it ends nothing.
 * - The whole interval counts for the day of its start, even when it ends on a later day (a start
 *   at 23:50 stopped at 00:20 gives 30 minutes on the day of the start), so that a day's figure
 *   never depends on what happened after midnight being split off.
 * - The last start of a card with nothing after it is open and reported apart; it adds no minutes.
 * - `from` and `to` select by the day of the start; records outside the range still end the
 *   intervals of starts inside it.
 * - Intervals of 0 minutes (start and end in the same minute) still give a row.
 */
TimeReport buildReport(const std::vector<DataLine>& lines, const ReportOptions& options);

/** A number of 16 digits as written in a record, without its leading zeros. */
std::string withoutLeadingZeros(std::string_view digits);

} // namespace shiftloom::tool
