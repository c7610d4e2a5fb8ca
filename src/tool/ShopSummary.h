// SPDX-License-Identifier: MIT
#pragma once

#include "tool/Calendar.h"
#include "tool/Report.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shiftloom::tool {

/**
 * A length of time given on the command line, as minutes:
 *
 *     duration := hours ":" minutes        hours: 1 to 3 digits; minutes: 2 digits, 00 to 59
 */
std::optional<long long> parseDuration(std::string_view text);

/** The times above which a card's day or week is marked; none: nothing is marked. */
struct Limits
{
    std::optional<long long> day; ///< minutes
    std::optional<long long> week;
    bool dayAbove(long long minutes) const { return day && minutes > *day; }
    bool weekAbove(long long minutes) const { return week && minutes > *week; }
};

/** The days of a week that lie in the period: `days` of the summary from `first` on. */
struct SummaryWeek
{
    IsoWeek week;
    std::size_t first = 0;
    std::size_t count = 0;
};

/** The minutes of one card (or of all, in the totals row) on each day and week of the period. */
struct SummaryRow
{
    std::string card; ///< without leading zeros; empty in the totals row
    std::vector<long long> days; ///< per day of the period
    std::vector<long long> weeks; ///< per week of the period
    long long total = 0;
};

/**
 * The shop's timesheet: one row per card, one column per day and per week of the period, totals at
 * the ends. The period is `from` to `to` of the report; without them it runs from the first to the
 * last day with time or an open start. Cards with an open start but no time get a row of zeros.
 */
struct ShopSummary
{
    std::vector<Day> days;
    std::vector<SummaryWeek> weeks; ///< in order; a week column follows the last of its days
    std::vector<SummaryRow> cards; ///< in numeric order
    SummaryRow totals;
    std::string omitted; ///< why there is no table although there is time, when the period is too long
};

/** The longest period a summary covers: its table has a column for every day. */
inline constexpr long long kMaxSummaryDays = 3700;

/** Throws ToolError when the period is longer than kMaxSummaryDays. */
ShopSummary summarize(const TimeReport& report, const ReportOptions& range);
/** Throws ToolError when the period from `first` to `last` is longer than kMaxSummaryDays. */
void requireSummaryPeriod(const Day& first, const Day& last);

/**
 * The weeks of the summary in runs that fit one printed table: as many whole weeks as hold at
 * most 31 days, so that a calendar month is always one table. Ranges [first, last) of `weeks`.
 */
std::vector<std::pair<std::size_t, std::size_t>> summaryBlocks(const ShopSummary& summary);

/** The first and last day of a report: `from` and `to` when given, else of its time and open starts. */
std::optional<std::pair<Day, Day>> reportPeriod(const TimeReport& report, const ReportOptions& range);

} // namespace shiftloom::tool
