// SPDX-License-Identifier: MIT
#pragma once

#include "tool/Report.h"
#include "tool/ReportOutput.h"
#include "tool/ShopSummary.h"

#include <ostream>
#include <string>
#include <string_view>

namespace shiftloom::tool {

/** What a timesheet page holds. */
enum class TimesheetParts
{
    All, ///< the shop's table, then each card's sheet, the open starts and the invalid lines
    Summary, ///< the shop's table alone
};

/**
 * Writes a report as one self-contained HTML page for people, printed like a form on A4 landscape:
 *
 * - a head with the period, the counts and the rules used;
 * - the shop's table: one row per card, one column per day and per week of the period, the
 *   totals at the ends (a period of more than a month in several tables, see summaryBlocks);
 * - for each card a sheet: each week with time or an open start as a row of days, each day a bar
 *   split by job card with the day's and the week's totals beside them, then the same figures as
 *   a table; a line for the supervisor's signature at its end. Printed, the card's heading repeats
 *   at the top of every page of its sheet, and a week is never split over two pages;
 * - the open starts and the invalid lines.
 *
 * Days and weeks above the limits are marked in the tables and under the bars. The printed pages
 * carry the period, the time the page was made and "Page n of m" in their bottom margin. The page
 * loads nothing (no scripts, fonts, styles or images from elsewhere). Every text read from a file
 * is escaped.
 */
void writeTimesheet(const TimeReport& report,
    const ShopSummary& summary,
    const ReportSource& source,
    TimesheetParts parts,
    std::ostream& out);

/** Text for HTML element content and quoted attribute values: & < > " ' as references. */
std::string htmlEscaped(std::string_view text);

} // namespace shiftloom::tool
