// SPDX-License-Identifier: MIT
#include "ShopSummary.h"

#include "tool/ToolError.h"

#include <algorithm>
#include <set>

namespace shiftloom::tool {

std::optional<long long> parseDuration(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 1 || colon > 3 || text.size() != colon + 3)
        return std::nullopt;
    long long hours = 0;
    for (const char c : text.substr(0, colon)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        hours = hours * 10 + (c - '0');
    }
    const char tens = text[colon + 1], ones = text[colon + 2];
    if (tens < '0' || tens > '5' || ones < '0' || ones > '9')
        return std::nullopt;
    return hours * 60 + (tens - '0') * 10 + (ones - '0');
}

std::optional<std::pair<Day, Day>> reportPeriod(const TimeReport& report, const ReportOptions& range)
{
    std::optional<Day> first = range.from, last = range.to;
    auto widen = [&](const Day& day) {
        if (!range.from)
            first = first ? std::min(*first, day) : day;
        if (!range.to)
            last = last ? std::max(*last, day) : day;
    };
    for (const JobDayTotal& row : report.totals)
        widen(row.day);
    for (const OpenStart& open : report.open)
        widen(Day{open.start.year, open.start.month, open.start.day});
    if (!first && !last)
        return std::nullopt;
    // Only one end given and nothing recorded: a period of that one day.
    return std::pair{first.value_or(*last), last.value_or(*first)};
}

void requireSummaryPeriod(const Day& first, const Day& last)
{
    const long long days = dayNumber(last) - dayNumber(first) + 1;
    if (days > kMaxSummaryDays)
        throw ToolError("the period " + dayText(first) + " to " + dayText(last) + " has " + std::to_string(days)
            + " days; a summary covers at most " + std::to_string(kMaxSummaryDays)
            + " (choose fewer with --from and --to)");
}

ShopSummary summarize(const TimeReport& report, const ReportOptions& range)
{
    ShopSummary summary;
    const auto period = reportPeriod(report, range);
    if (!period)
        return summary;
    requireSummaryPeriod(period->first, period->second);
    const long long first = dayNumber(period->first), last = dayNumber(period->second);
    for (long long number = first; number <= last; ++number) {
        const Day day = dayAt(number);
        const IsoWeek week = isoWeekOf(day);
        if (summary.weeks.empty() || summary.weeks.back().week != week)
            summary.weeks.push_back(SummaryWeek{week, summary.days.size(), 0});
        ++summary.weeks.back().count;
        summary.days.push_back(day);
    }

    std::set<std::string, NumericOrder> cards;
    for (const JobDayTotal& row : report.totals)
        cards.insert(row.card);
    for (const OpenStart& open : report.open)
        cards.insert(open.card);
    auto emptyRow = [&summary](std::string card) {
        return SummaryRow{std::move(card),
            std::vector<long long>(summary.days.size()),
            std::vector<long long>(summary.weeks.size()),
            0};
    };
    std::map<std::string_view, std::size_t> rowOf;
    for (const std::string& card : cards) {
        rowOf.emplace(card, summary.cards.size());
        summary.cards.push_back(emptyRow(card));
    }
    summary.totals = emptyRow({});

    // Day columns by day number; week columns by the week of each day.
    std::vector<std::size_t> weekOfDay(summary.days.size());
    for (std::size_t w = 0; w < summary.weeks.size(); ++w)
        std::fill_n(weekOfDay.begin() + std::ptrdiff_t(summary.weeks[w].first), summary.weeks[w].count, w);
    // The totals come by card and then day: the row changes with the card, the column with the day.
    SummaryRow* cardRow = nullptr;
    std::optional<Day> day;
    long long number = 0;
    for (const JobDayTotal& total : report.totals) {
        if (!cardRow || cardRow->card != total.card)
            cardRow = &summary.cards[rowOf.at(total.card)];
        if (total.day != day) {
            day = total.day;
            number = dayNumber(total.day);
        }
        if (number < first || number > last)
            continue;
        const auto column = std::size_t(number - first);
        for (SummaryRow* row : {cardRow, &summary.totals}) {
            row->days[column] += total.minutes;
            row->weeks[weekOfDay[column]] += total.minutes;
            row->total += total.minutes;
        }
    }
    return summary;
}

std::vector<std::pair<std::size_t, std::size_t>> summaryBlocks(const ShopSummary& summary)
{
    std::vector<std::pair<std::size_t, std::size_t>> blocks;
    std::size_t days = 0;
    for (std::size_t w = 0; w < summary.weeks.size(); ++w) {
        if (blocks.empty() || days + summary.weeks[w].count > 31) {
            blocks.emplace_back(w, w);
            days = 0;
        }
        days += summary.weeks[w].count;
        blocks.back().second = w + 1;
    }
    return blocks;
}

} // namespace shiftloom::tool
