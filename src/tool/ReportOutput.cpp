// SPDX-License-Identifier: MIT
#include "ReportOutput.h"

#include "tool/OutputFormat.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

namespace shiftloom::tool {
namespace {

const std::string kNoName;

std::string openDay(const OpenStart& open)
{
    return isoDate(open.start.year, open.start.month, open.start.day);
}

std::string jsonName(const std::string& name)
{
    return name.empty() ? "null" : jsonString(name);
}

std::string limitText(const std::optional<long long>& minutes)
{
    return minutes ? durationText(*minutes) : std::string();
}

// What the outputs say about the period and the rules beside the figures.
std::string jsonHeader(const ReportSource& source)
{
    auto day = [](const std::optional<Day>& d) { return d ? jsonString(dayText(*d)) : "null"; };
    auto limit = [](const std::optional<long long>& m) { return m ? jsonString(durationText(*m)) : "null"; };
    return "{\n  \"file\": " + jsonString(source.dataFile) + ",\n  \"from\": " + day(source.range.from)
        + ",\n  \"to\": " + day(source.range.to)
        + ",\n  \"midnight\": " + jsonString(source.range.splitAtMidnight ? "split" : "start day")
        + ",\n  \"day_limit\": " + limit(source.limits.day) + ",\n  \"week_limit\": " + limit(source.limits.week);
}

// A JSON array of the items `item` writes, one a line.
template<typename Items, typename Item>
void jsonArray(std::ostream& out, std::string_view key, const Items& items, Item item, bool last = false)
{
    out << ",\n  \"" << key << "\": [";
    const char* separator = "\n    ";
    for (const auto& entry : items) {
        out << separator;
        item(entry);
        separator = ",\n    ";
    }
    out << (std::empty(items) ? "]" : "\n  ]") << (last ? "\n}\n" : "");
}

/** The minutes of each total's card on the total's day and in its week. */
struct CardTimes
{
    std::vector<long long> day;
    std::vector<long long> week;
};

CardTimes cardTimes(const TimeReport& report)
{
    const std::vector<JobDayTotal>& totals = report.totals;
    CardTimes times{std::vector<long long>(totals.size()), std::vector<long long>(totals.size())};
    // The totals come by card and then day.
    for (std::size_t begin = 0, end = 0; begin < totals.size(); begin = end) {
        std::map<IsoWeek, long long> weeks;
        for (end = begin; end < totals.size() && totals[end].card == totals[begin].card; ++end)
            weeks[isoWeekOf(totals[end].day)] += totals[end].minutes;
        for (std::size_t first = begin, last = begin; first < end; first = last) {
            long long minutes = 0;
            for (last = first; last < end && totals[last].day == totals[first].day; ++last)
                minutes += totals[last].minutes;
            const long long week = weeks[isoWeekOf(totals[first].day)];
            std::fill(times.day.begin() + std::ptrdiff_t(first), times.day.begin() + std::ptrdiff_t(last), minutes);
            std::fill(times.week.begin() + std::ptrdiff_t(first), times.week.begin() + std::ptrdiff_t(last), week);
        }
    }
    return times;
}

// The minutes of each card and of each job card in the period, in numeric order.
using Sums = std::map<std::string, long long, NumericOrder>;
std::pair<Sums, Sums> cardAndJobSums(const TimeReport& report)
{
    Sums cards, jobs;
    for (const JobDayTotal& total : report.totals) {
        cards[total.card] += total.minutes;
        jobs[total.jobCard] += total.minutes;
    }
    return {std::move(cards), std::move(jobs)};
}

std::string yes(bool flag)
{
    return flag ? "yes" : "";
}

// "day", "week", "day, week" or nothing: which limits a total's card passed.
std::string marks(const Limits& limits, long long day, long long week)
{
    std::string text = limits.dayAbove(day) ? "day" : "";
    if (limits.weekAbove(week))
        text += text.empty() ? "week" : ", week";
    return text;
}

// A summary cell for people: hh:mm, "-" for none, "*" after a time above its limit.
std::string summaryCell(long long minutes, bool above)
{
    return (minutes > 0 ? durationText(minutes) : std::string("-")) + (above ? "*" : "");
}

struct Column
{
    std::string header;
    bool right = false; ///< right-aligned
};

// A table for people whose first column is a card, with its holder's name beside it when names
// were given.
class CardTable
{
public:
    CardTable(const ReportSource& source, const std::vector<Column>& after)
        : m_source(source)
        , m_table(headers(source, after), alignments(source, after))
    {
    }
    void add(const std::string& card, std::vector<std::string> after)
    {
        std::vector<std::string> cells{card};
        if (!m_source.cardNames.empty())
            cells.push_back(m_source.cardName(card));
        cells.insert(cells.end(), std::make_move_iterator(after.begin()), std::make_move_iterator(after.end()));
        m_table.addRow(std::move(cells));
    }
    void print(std::ostream& out) const { m_table.print(out); }

private:
    static std::vector<std::string> headers(const ReportSource& source, const std::vector<Column>& after)
    {
        std::vector<std::string> texts{"CARD"};
        if (!source.cardNames.empty())
            texts.emplace_back("NAME");
        for (const Column& column : after)
            texts.push_back(column.header);
        return texts;
    }
    static std::vector<bool> alignments(const ReportSource& source, const std::vector<Column>& after)
    {
        std::vector<bool> right{true};
        if (!source.cardNames.empty())
            right.push_back(false);
        for (const Column& column : after)
            right.push_back(column.right);
        return right;
    }

    const ReportSource& m_source;
    TextTable m_table;
};

} // namespace

const std::string& ReportSource::cardName(const std::string& card) const
{
    const auto found = cardNames.find(card);
    return found == cardNames.end() ? kNoName : found->second;
}

const std::string& ReportSource::jobName(const std::string& jobCard) const
{
    const auto found = jobNames.find(jobCard);
    return found == jobNames.end() ? kNoName : found->second;
}

void writeReportText(const TimeReport& report, const ReportSource& source, std::ostream& out)
{
    const bool limited = source.limits.day || source.limits.week;
    std::vector<Column> columns = {
        {"JOB CARD", true}, {"JOB NAME", false}, {"DAY", false}, {"MINUTES", true}, {"HH:MM", true}};
    if (limited)
        columns.push_back({"ABOVE LIMIT", false});
    CardTable totals(source, columns);
    const CardTimes times = cardTimes(report);
    for (std::size_t i = 0; i < report.totals.size(); ++i) {
        const JobDayTotal& row = report.totals[i];
        std::vector<std::string> cells{row.jobCard,
            source.jobName(row.jobCard),
            dayText(row.day),
            std::to_string(row.minutes),
            durationText(row.minutes)};
        if (limited)
            cells.push_back(marks(source.limits, times.day[i], times.week[i]));
        totals.add(row.card, std::move(cells));
    }
    totals.print(out);
    if (report.totals.empty() && report.open.empty())
        return;

    const auto [cards, jobs] = cardAndJobSums(report);
    out << "\nTotals per card:\n";
    CardTable cardTable(source, {{"MINUTES", true}, {"HH:MM", true}});
    long long all = 0;
    for (const auto& [card, minutes] : cards) {
        cardTable.add(card, {std::to_string(minutes), durationText(minutes)});
        all += minutes;
    }
    cardTable.add("TOTAL", {std::to_string(all), durationText(all)});
    cardTable.print(out);
    out << "\nTotals per job card:\n";
    TextTable jobTable({"JOB CARD", "JOB NAME", "MINUTES", "HH:MM"}, {true, false, true, true});
    for (const auto& [job, minutes] : jobs)
        jobTable.addRow({job, source.jobName(job), std::to_string(minutes), durationText(minutes)});
    jobTable.print(out);

    if (report.open.empty())
        return;
    out << "\nOpen starts (no start or stop of the card after them):\n";
    CardTable open(source, {{"JOB CARD", true}, {"JOB NAME", false}, {"DAY", false}, {"START", false}, {"LINE", true}});
    for (const OpenStart& row : report.open)
        open.add(row.card,
            {row.jobCard,
                source.jobName(row.jobCard),
                openDay(row),
                clockText(row.start.hour, row.start.minute),
                std::to_string(row.line)});
    open.print(out);
}

void writeReportCsv(const TimeReport& report, const ReportSource& source, std::ostream& out)
{
    out << kCsvBom
        << csvRow({"kind",
               "card",
               "name",
               "job_card",
               "job_name",
               "day",
               "week",
               "minutes",
               "hhmm",
               "start",
               "line",
               "day_over_limit",
               "week_over_limit"});
    const CardTimes times = cardTimes(report);
    for (std::size_t i = 0; i < report.totals.size(); ++i) {
        const JobDayTotal& row = report.totals[i];
        out << csvRow({"total",
            row.card,
            source.cardName(row.card),
            row.jobCard,
            source.jobName(row.jobCard),
            dayText(row.day),
            isoWeekText(isoWeekOf(row.day)),
            std::to_string(row.minutes),
            durationText(row.minutes),
            "",
            "",
            yes(source.limits.dayAbove(times.day[i])),
            yes(source.limits.weekAbove(times.week[i]))});
    }
    const auto [cards, jobs] = cardAndJobSums(report);
    for (const auto& [card, minutes] : cards)
        out << csvRow({"card",
            card,
            source.cardName(card),
            "",
            "",
            "",
            "",
            std::to_string(minutes),
            durationText(minutes),
            "",
            "",
            "",
            ""});
    for (const auto& [job, minutes] : jobs)
        out << csvRow({"job",
            "",
            "",
            job,
            source.jobName(job),
            "",
            "",
            std::to_string(minutes),
            durationText(minutes),
            "",
            "",
            "",
            ""});
    for (const OpenStart& row : report.open)
        out << csvRow({"open",
            row.card,
            source.cardName(row.card),
            row.jobCard,
            source.jobName(row.jobCard),
            openDay(row),
            "",
            "",
            "",
            clockText(row.start.hour, row.start.minute),
            std::to_string(row.line),
            "",
            ""});
}

void writeReportJson(const TimeReport& report, const ReportSource& source, std::ostream& out)
{
    out << jsonHeader(source) << ",\n  \"invalid_skipped\": " << report.invalidLines;
    const CardTimes times = cardTimes(report);
    std::size_t i = 0;
    jsonArray(out, "totals", report.totals, [&](const JobDayTotal& row) {
        out << "{\"card\": " << jsonString(row.card) << ", \"name\": " << jsonName(source.cardName(row.card))
            << ", \"job_card\": " << jsonString(row.jobCard)
            << ", \"job_name\": " << jsonName(source.jobName(row.jobCard))
            << ", \"day\": " << jsonString(dayText(row.day))
            << ", \"week\": " << jsonString(isoWeekText(isoWeekOf(row.day))) << ", \"minutes\": " << row.minutes
            << ", \"hhmm\": " << jsonString(durationText(row.minutes))
            << ", \"day_over_limit\": " << (source.limits.dayAbove(times.day[i]) ? "true" : "false")
            << ", \"week_over_limit\": " << (source.limits.weekAbove(times.week[i]) ? "true" : "false") << '}';
        ++i;
    });
    const auto [cards, jobs] = cardAndJobSums(report);
    jsonArray(out, "cards", cards, [&](const auto& card) {
        out << "{\"card\": " << jsonString(card.first) << ", \"name\": " << jsonName(source.cardName(card.first))
            << ", \"minutes\": " << card.second << ", \"hhmm\": " << jsonString(durationText(card.second)) << '}';
    });
    jsonArray(out, "jobs", jobs, [&](const auto& job) {
        out << "{\"job_card\": " << jsonString(job.first) << ", \"job_name\": " << jsonName(source.jobName(job.first))
            << ", \"minutes\": " << job.second << ", \"hhmm\": " << jsonString(durationText(job.second)) << '}';
    });
    jsonArray(
        out,
        "open",
        report.open,
        [&](const OpenStart& row) {
            out << "{\"card\": " << jsonString(row.card) << ", \"name\": " << jsonName(source.cardName(row.card))
                << ", \"job_card\": " << jsonString(row.jobCard)
                << ", \"job_name\": " << jsonName(source.jobName(row.jobCard))
                << ", \"day\": " << jsonString(openDay(row))
                << ", \"start\": " << jsonString(clockText(row.start.hour, row.start.minute))
                << ", \"line\": " << row.line << '}';
        },
        true);
}

void writeSummaryText(const ShopSummary& summary, const ReportSource& source, std::ostream& out)
{
    const bool named = !source.cardNames.empty();
    const auto blocks = summaryBlocks(summary);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const auto [firstWeek, endWeek] = blocks[b];
        const SummaryWeek& first = summary.weeks[firstWeek];
        const SummaryWeek& last = summary.weeks[endWeek - 1];
        const bool period = blocks.size() > 1 && b + 1 == blocks.size();
        out << (b > 0 ? "\n" : "") << dayText(summary.days[first.first]) << " to "
            << dayText(summary.days[last.first + last.count - 1]) << ":\n";
        std::vector<std::string> headers{"CARD"};
        if (named)
            headers.emplace_back("NAME");
        for (std::size_t w = firstWeek; w < endWeek; ++w) {
            const SummaryWeek& week = summary.weeks[w];
            for (std::size_t d = week.first; d < week.first + week.count; ++d)
                headers.push_back(dayText(summary.days[d]).substr(5));
            headers.push_back("W" + std::to_string(week.week.week));
        }
        headers.emplace_back("TOTAL");
        if (period)
            headers.emplace_back("PERIOD");
        std::vector<bool> right(headers.size(), true);
        if (named)
            right[1] = false;
        TextTable table(headers, right);
        auto addRow = [&](const SummaryRow& row, const std::string& card, const std::string& name, bool marked) {
            std::vector<std::string> cells{card};
            if (named)
                cells.push_back(name);
            long long blockTotal = 0;
            for (std::size_t w = firstWeek; w < endWeek; ++w) {
                const SummaryWeek& week = summary.weeks[w];
                for (std::size_t d = week.first; d < week.first + week.count; ++d)
                    cells.push_back(summaryCell(row.days[d], marked && source.limits.dayAbove(row.days[d])));
                cells.push_back(summaryCell(row.weeks[w], marked && source.limits.weekAbove(row.weeks[w])));
                blockTotal += row.weeks[w];
            }
            cells.push_back(summaryCell(blockTotal, false));
            if (period)
                cells.push_back(summaryCell(row.total, false));
            table.addRow(std::move(cells));
        };
        for (const SummaryRow& row : summary.cards)
            addRow(row, row.card, source.cardName(row.card), true);
        addRow(summary.totals, "TOTAL", "", false);
        table.print(out);
    }
    if (source.limits.day || source.limits.week)
        out << "\n* above the limit of " << (source.limits.day ? limitText(source.limits.day) + " a day" : "")
            << (source.limits.day && source.limits.week ? " or " : "")
            << (source.limits.week ? limitText(source.limits.week) + " a week" : "") << '\n';
}

void writeSummaryCsv(const ShopSummary& summary, const ReportSource& source, std::ostream& out)
{
    // Day columns, each week's column after its last day, the total and the days and weeks above the limits.
    std::vector<std::string> header{"kind", "card", "name"};
    for (const SummaryWeek& week : summary.weeks) {
        for (std::size_t d = week.first; d < week.first + week.count; ++d)
            header.push_back(dayText(summary.days[d]));
        header.push_back(isoWeekText(week.week));
    }
    header.insert(header.end(), {"total", "days_over_limit", "weeks_over_limit"});
    out << kCsvBom << csvRow(header);
    auto row = [&](std::string kind, const SummaryRow& cells, bool flagged) {
        std::vector<std::string> fields{std::move(kind), cells.card, source.cardName(cells.card)};
        std::string daysOver, weeksOver;
        for (std::size_t w = 0; w < summary.weeks.size(); ++w) {
            const SummaryWeek& week = summary.weeks[w];
            for (std::size_t d = week.first; d < week.first + week.count; ++d) {
                fields.push_back(std::to_string(cells.days[d]));
                if (flagged && source.limits.dayAbove(cells.days[d]))
                    daysOver += (daysOver.empty() ? "" : " ") + dayText(summary.days[d]);
            }
            fields.push_back(std::to_string(cells.weeks[w]));
            if (flagged && source.limits.weekAbove(cells.weeks[w]))
                weeksOver += (weeksOver.empty() ? "" : " ") + isoWeekText(week.week);
        }
        fields.insert(fields.end(), {std::to_string(cells.total), daysOver, weeksOver});
        out << csvRow(fields);
    };
    for (const SummaryRow& card : summary.cards)
        row("card", card, true);
    row("total", summary.totals, false);
}

void writeSummaryJson(const ShopSummary& summary, const ReportSource& source, std::ostream& out)
{
    auto numbers = [&out](const std::vector<long long>& values) {
        out << '[';
        for (std::size_t i = 0; i < values.size(); ++i)
            out << (i > 0 ? ", " : "") << values[i];
        out << ']';
    };
    out << jsonHeader(source) << ",\n  \"days\": [";
    for (std::size_t d = 0; d < summary.days.size(); ++d)
        out << (d > 0 ? ", " : "") << jsonString(dayText(summary.days[d]));
    out << ']';
    jsonArray(out, "weeks", summary.weeks, [&](const SummaryWeek& week) {
        out << "{\"week\": " << jsonString(isoWeekText(week.week))
            << ", \"first\": " << jsonString(dayText(summary.days[week.first]))
            << ", \"last\": " << jsonString(dayText(summary.days[week.first + week.count - 1])) << '}';
    });
    jsonArray(out, "cards", summary.cards, [&](const SummaryRow& row) {
        out << "{\"card\": " << jsonString(row.card) << ", \"name\": " << jsonName(source.cardName(row.card))
            << ", \"minutes\": " << row.total << ", \"hhmm\": " << jsonString(durationText(row.total))
            << ",\n     \"days\": ";
        numbers(row.days);
        out << ",\n     \"weeks\": ";
        numbers(row.weeks);
        const char* separator = "";
        out << ",\n     \"days_over_limit\": [";
        for (std::size_t d = 0; d < row.days.size(); ++d) {
            if (source.limits.dayAbove(row.days[d])) {
                out << separator << jsonString(dayText(summary.days[d]));
                separator = ", ";
            }
        }
        separator = "";
        out << "], \"weeks_over_limit\": [";
        for (std::size_t w = 0; w < row.weeks.size(); ++w) {
            if (source.limits.weekAbove(row.weeks[w])) {
                out << separator << jsonString(isoWeekText(summary.weeks[w].week));
                separator = ", ";
            }
        }
        out << "]}";
    });
    out << ",\n  \"totals\": {\"minutes\": " << summary.totals.total
        << ", \"hhmm\": " << jsonString(durationText(summary.totals.total)) << ",\n     \"days\": ";
    numbers(summary.totals.days);
    out << ",\n     \"weeks\": ";
    numbers(summary.totals.weeks);
    out << "}\n}\n";
}

} // namespace shiftloom::tool
