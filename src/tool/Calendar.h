// SPDX-License-Identifier: MIT
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace shiftloom::tool {

/** A calendar day of the Gregorian calendar. */
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

/** Days since 1970-01-01 (negative before it), and back. */
long long dayNumber(const Day& day);
Day dayAt(long long number);

/** 0 for Monday to 6 for Sunday. */
int weekdayOf(const Day& day);

/**
 * An ISO 8601 week: weeks begin on Monday, and week 1 of a year is the week that holds its first
 * Thursday. So the last days of December can lie in week 1 of the next year (Monday 29 December
 * 2025 begins week 1 of 2026), the first days of January in week 52 or 53 of the year before, and
 * a year that begins on a Thursday (or a leap year that begins on a Wednesday) has 53 weeks.
 */
struct IsoWeek
{
    int year = 0; ///< the year the week belongs to, which may differ from its days' years
    int week = 0; ///< 1 to 53
    auto operator<=>(const IsoWeek&) const = default;
};
IsoWeek isoWeekOf(const Day& day);

/** "2026-12-05" */
std::string dayText(const Day& day);
/** "2026-W53" */
std::string isoWeekText(const IsoWeek& week);

} // namespace shiftloom::tool
