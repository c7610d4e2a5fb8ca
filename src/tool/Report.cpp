// SPDX-License-Identifier: MIT
#include "Report.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <tuple>

namespace shiftloom::tool {
namespace {

// Orders numbers written as digits without leading zeros: shorter ones are smaller.
struct NumericOrder
{
    bool operator()(const std::string& a, const std::string& b) const
    {
        return std::make_tuple(a.size(), std::string_view(a)) < std::make_tuple(b.size(), std::string_view(b));
    }
};

struct TotalKey
{
    std::string card;
    Day day;
    std::string jobCard;
    bool operator<(const TotalKey& other) const
    {
        const NumericOrder numeric;
        if (card != other.card)
            return numeric(card, other.card);
        if (day != other.day)
            return day < other.day;
        return numeric(jobCard, other.jobCard);
    }
};

struct CardEvent
{
    long long minute = 0;
    const DataLine* line = nullptr;
};

bool inRange(const Day& day, const ReportOptions& options)
{
    return (!options.from || day >= *options.from) && (!options.to || day <= *options.to);
}

Day dayOf(const RecordStamp& stamp)
{
    return Day{stamp.year, stamp.month, stamp.day};
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

long long minuteIndex(const RecordStamp& stamp)
{
    using namespace std::chrono;
    const sys_days date{year{stamp.year} / month{static_cast<unsigned>(stamp.month)}
        / std::chrono::day{static_cast<unsigned>(stamp.day)}};
    return static_cast<long long>(date.time_since_epoch().count()) * 1440 + stamp.hour * 60 + stamp.minute;
}

std::string withoutLeadingZeros(std::string_view digits)
{
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string("0") : std::string(digits.substr(first));
}

TimeReport buildReport(const std::vector<DataLine>& lines, const ReportOptions& options)
{
    TimeReport report;
    std::map<std::string, std::vector<CardEvent>, NumericOrder> byCard;
    for (const DataLine& line : lines) {
        if (line.kind == DataLineKind::Invalid)
            ++report.invalidLines;
        else if (line.kind == DataLineKind::Start || line.kind == DataLineKind::Stop)
            byCard[withoutLeadingZeros(line.card)].push_back(CardEvent{minuteIndex(line.stamp), &line});
    }

    std::map<TotalKey, long long> totals;
    for (auto& [card, events] : byCard) {
        std::stable_sort(
            events.begin(), events.end(), [](const CardEvent& a, const CardEvent& b) { return a.minute < b.minute; });
        const CardEvent* running = nullptr;
        for (const CardEvent& event : events) {
            if (running) {
                const Day day = dayOf(running->line->stamp);
                if (inRange(day, options))
                    totals[TotalKey{card, day, withoutLeadingZeros(running->line->jobCard)}] +=
                        event.minute - running->minute;
            }
            running = event.line->kind == DataLineKind::Start ? &event : nullptr;
        }
        if (running && inRange(dayOf(running->line->stamp), options))
            report.open.push_back(OpenStart{
                card, withoutLeadingZeros(running->line->jobCard), running->line->stamp, running->line->number});
    }

    report.totals.reserve(totals.size());
    for (const auto& [key, minutes] : totals)
        report.totals.push_back(JobDayTotal{key.card, key.jobCard, key.day, minutes});
    return report;
}

} // namespace shiftloom::tool
