// SPDX-License-Identifier: MIT
#include "Calendar.h"

#include "tool/DataFileDecoder.h"
#include "tool/OutputFormat.h"

#include <algorithm>
#include <chrono>

namespace shiftloom::tool {
namespace {

std::chrono::sys_days daysOf(const Day& day)
{
    return std::chrono::sys_days{std::chrono::year{day.year} / std::chrono::month{static_cast<unsigned>(day.month)}
        / std::chrono::day{static_cast<unsigned>(day.day)}};
}

} // namespace

std::optional<Day> parseDay(std::string_view text)
{
    std::string digits;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-')
        digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 2)) + std::string(text.substr(8, 2));
    else if (text.size() == 8)
        digits = std::string(text);
    else
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const Day day{std::stoi(digits.substr(0, 4)), std::stoi(digits.substr(4, 2)), std::stoi(digits.substr(6, 2))};
    if (day.year < 1 || day.day < 1 || day.day > daysInMonth(day.year, day.month))
        return std::nullopt;
    return day;
}

long long dayNumber(const Day& day)
{
    return daysOf(day).time_since_epoch().count();
}

Day dayAt(long long number)
{
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{number}}};
    return Day{int(date.year()), int(unsigned(date.month())), int(unsigned(date.day()))};
}

int weekdayOf(const Day& day)
{
    return int(std::chrono::weekday{daysOf(day)}.iso_encoding()) - 1;
}

IsoWeek isoWeekOf(const Day& day)
{
    // The week belongs to the year of its Thursday, and is numbered from that year's first one.
    const long long thursday = dayNumber(day) - weekdayOf(day) + 3;
    const int year = dayAt(thursday).year;
    return IsoWeek{year, int((thursday - dayNumber(Day{year, 1, 1})) / 7 + 1)};
}

std::string dayText(const Day& day)
{
    return isoDate(day.year, day.month, day.day);
}

std::string isoWeekText(const IsoWeek& week)
{
    return std::to_string(week.year) + (week.week < 10 ? "-W0" : "-W") + std::to_string(week.week);
}

} // namespace shiftloom::tool
