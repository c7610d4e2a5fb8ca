// SPDX-License-Identifier: MIT
#include "HtmlTimesheet.h"

#include "tool/OutputFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace shiftloom::tool {
namespace {

// Twelve colours that stay apart on screen and paper, and for the common kinds of colour blindness
// as far as twelve can; a job card's number is always printed beside its colour.
constexpr std::array<std::string_view, 12> kPalette = {"#4e79a7",
    "#f28e2b",
    "#59a14f",
    "#e15759",
    "#76b7b2",
    "#edc948",
    "#b07aa1",
    "#ff9da7",
    "#9c755f",
    "#2f4b7c",
    "#8cd17d",
    "#bab0ac"};

constexpr std::array<std::string_view, 7> kWeekdays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 12> kMonths = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The bars: a day is this many units high in its SVG, and the highest day of the page fills it.
constexpr int kBarHeight = 100;
constexpr long long kMinutesPerHour = 60;

// The mark of a day or week above its limit, beside the colour, so that it shows on a grey print.
constexpr std::string_view kAboveMark = "&#9650;&#xa0;";

constexpr std::string_view kStyle = R"(
:root { color-scheme: light; --ink: #1d2329; --muted: #5c6670; --rule: #d5dbe1; --paper: #fff; --tint: #f3f5f7;
  --warn: #b3261e; }
* { box-sizing: border-box; }
body { margin: 0; padding: 24px 32px; font: 14px/1.4 system-ui, "Segoe UI", "Liberation Sans", Arial, sans-serif;
  color: var(--ink); background: var(--paper); }
h1 { font-size: 22px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 0; }
h3 { font-size: 14px; margin: 0; color: var(--muted); font-weight: 600; }
.period { color: var(--muted); margin: 0 0 12px; }
.summary { display: flex; flex-wrap: wrap; gap: 6px 28px; margin: 0 0 16px; padding: 10px 14px;
  background: var(--tint); border-radius: 6px; }
.summary div { display: flex; flex-direction: column; }
.summary dt { font-size: 11px; text-transform: uppercase; letter-spacing: .04em; color: var(--muted); }
.summary dd { margin: 0; font-weight: 600; overflow-wrap: anywhere; }
.summary .warn dd { color: var(--warn); }
.name { font-weight: normal; }
.over { color: var(--warn); font-weight: 700; }
.shop { margin: 0 0 18px; }
.shop h2 { margin-bottom: 4px; }
table.shoptable { margin: 0 0 10px; }
.shoptable th, .shoptable td { padding: 2px 3px; }
.shoptable thead th { text-align: center; font-size: 11px; line-height: 1.2; }
.shoptable thead th:first-child { text-align: left; width: 16em; }
.shoptable tbody th { overflow-wrap: anywhere; }
.shoptable col.weekend { background: var(--tint); }
.shoptable col.sum { background: #e8ecf0; }
.shoptable td.sum { font-weight: 600; }
.shoptable.wide { font-size: 10px; }
.shoptable tbody tr { break-inside: avoid; }
.legend ul { list-style: none; display: flex; flex-wrap: wrap; gap: 4px 18px; padding: 0; margin: 6px 0 18px; }
.swatch { display: inline-block; width: 11px; height: 11px; border-radius: 2px; margin-right: 5px;
  vertical-align: -1px; print-color-adjust: exact; -webkit-print-color-adjust: exact; }
.card { margin-top: 18px; }
table.sheet { table-layout: auto; font-size: inherit; }
table.sheet > thead > tr > th, table.sheet > tbody > tr > td { padding: 0; border: 0; text-align: left; }
.sheethead { display: flex; align-items: baseline; gap: 16px; border-top: 2px solid var(--ink); padding: 8px 0 6px; }
.sheethead .total { color: var(--muted); font-weight: normal; }
.week { margin: 8px 0 14px; break-inside: avoid; page-break-inside: avoid; }
.days { display: grid; grid-template-columns: repeat(7, minmax(0, 1fr)) 7.5em; gap: 6px; margin: 6px 0; }
.day, .weektotal { border: 1px solid var(--rule); border-radius: 6px; padding: 4px 6px; text-align: center; }
.day.weekend { background: var(--tint); }
.day.outside { opacity: .45; }
.day .date { font-size: 12px; color: var(--muted); }
.day svg { display: block; width: 100%; height: 96px; margin: 2px 0; }
.day rect { x: 8px; width: 24px; }
.day .sum { font-weight: 600; font-variant-numeric: tabular-nums; }
.day .sum.over { color: var(--warn); }
.day .open { font-size: 11px; color: var(--warn); font-weight: 600; }
.weektotal { display: flex; flex-direction: column; justify-content: center; background: var(--tint); }
.weektotal strong { font-size: 18px; font-variant-numeric: tabular-nums; }
.weektotal span { font-size: 12px; color: var(--muted); }
table { border-collapse: collapse; width: 100%; font-size: 12px; font-variant-numeric: tabular-nums;
  table-layout: fixed; }
caption { text-align: left; font-size: 12px; color: var(--muted); padding: 2px 0; }
th, td { border-bottom: 1px solid var(--rule); padding: 2px 6px; }
thead th { text-align: right; font-weight: 600; }
thead th:first-child, tbody th, tfoot th { text-align: left; }
td { text-align: right; }
tbody th { font-weight: normal; }
tfoot th, tfoot td { font-weight: 600; border-bottom: 0; border-top: 1px solid var(--ink); }
td:empty::after { content: "\2013"; color: var(--rule); }
.week thead th:first-child { width: 24%; }
.week thead th:last-child { width: 8%; }
.sign { display: flex; gap: 48px; margin: 30px 0 10px; break-inside: avoid; break-before: avoid; }
.sign div { flex: 2; border-top: 1px solid var(--ink); padding-top: 3px; font-size: 11px; color: var(--muted); }
.sign div + div { flex: 1; }
.lists { margin-top: 24px; }
.lists table { table-layout: auto; width: auto; min-width: 50%; }
.lists td, .lists th { text-align: left; }
.lists code { white-space: pre-wrap; overflow-wrap: anywhere; }
.note { color: var(--muted); font-size: 12px; }
footer { margin-top: 24px; color: var(--muted); font-size: 11px; }
@media print {
  body { padding: 0; font-size: 11px; }
  .day, .weektotal { padding: 1px 4px; border-radius: 4px; }
  .day svg { height: 40px; margin: 1px 0; }
  .day .date, .day .sum, .day .open { font-size: 10px; line-height: 1.2; }
  .days { margin: 3px 0; gap: 4px; }
  .week { margin: 4px 0 8px; }
  table { font-size: 10px; }
  caption { font-size: 10px; padding: 0; }
  .shoptable { font-size: 10px; }
  .shoptable.wide { font-size: 8px; }
  .shoptable.wide th, .shoptable.wide td { padding: 1px; }
  a { color: inherit; text-decoration: none; }
}
)";

// "Mon 7 Dec"
std::string shortDay(const Day& day)
{
    return std::string(kWeekdays[std::size_t(weekdayOf(day))]) + " " + std::to_string(day.day) + " "
        + std::string(kMonths[std::size_t(day.month - 1)]);
}

std::string longDay(const Day& day)
{
    return std::to_string(day.day) + " " + std::string(kMonths[std::size_t(day.month - 1)]) + " "
        + std::to_string(day.year);
}

// "Week 53 of 2026": the number alone is ambiguous at a year's end.
std::string weekTitle(const IsoWeek& week)
{
    return "Week " + std::to_string(week.week) + " of " + std::to_string(week.year);
}

// FNV-1a: the same job card gets the same colour on every page and every machine.
std::size_t colourIndex(std::string_view jobCard)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : jobCard)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash % kPalette.size();
}

// A length in hundredths of an SVG unit as a decimal number.
std::string hundredths(long long value)
{
    const long long rest = value % 100;
    return std::to_string(value / 100) + (rest < 10 ? ".0" : ".") + std::to_string(rest);
}

bool inRange(const Day& day, const ReportOptions& range)
{
    return (!range.from || day >= *range.from) && (!range.to || day <= *range.to);
}

// A job card of the page and what it shows wherever it stands: made once for the whole page.
struct JobCard
{
    std::string number; ///< without leading zeros
    std::size_t colour = 0; ///< see colourIndex
    std::string label; ///< the number and the name, escaped
    std::string rowHead; ///< the start of its row in a week's table, up to its first day
    long long minutes = 0; ///< in the period
};

// The figures of one card in one week.
struct Week
{
    long long monday = 0; ///< day number
    /** Minutes a day of each job card (an index of the page's job cards, which are in numeric order). */
    std::vector<std::pair<std::size_t, std::array<long long, 7>>> minutes;
    std::array<long long, 7> dayTotals{};
    std::array<const OpenStart*, 7> open{};
    long long total = 0;
};

// The page as it is written: its many small pieces gather in a buffer that goes to the stream in
// large blocks, which costs far less than a stream insertion for each piece.
class PageText
{
public:
    explicit PageText(std::ostream& out)
        : m_out(out)
        , m_buffer(std::make_unique_for_overwrite<char[]>(kBlock))
        , m_end(m_buffer.get())
    {
    }
    PageText(const PageText&) = delete;
    PageText& operator=(const PageText&) = delete;

    PageText& operator<<(std::string_view text)
    {
        if (text.empty()) // an empty view may point nowhere, which memcpy must not be given
            return *this;
        if (text.size() > kBlock - used())
            return large(text);
        std::memcpy(m_end, text.data(), text.size());
        m_end += text.size();
        return *this;
    }

    PageText& operator<<(char c)
    {
        if (used() == kBlock)
            flush();
        *m_end++ = c;
        return *this;
    }

    template<std::integral Number>
    requires(!std::same_as<Number, char> && !std::same_as<Number, bool>) PageText& operator<<(Number value)
    {
        char digits[24];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
        return *this << std::string_view(digits, std::size_t(written.ptr - digits));
    }

    // Minutes as durationText writes them, without making a text.
    struct Duration
    {
        long long minutes;
    };
    PageText& operator<<(Duration duration)
    {
        if (duration.minutes < 0)
            return *this << durationText(duration.minutes);
        const long long hours = duration.minutes / 60, minutes = duration.minutes % 60;
        if (hours < 10)
            *this << '0';
        *this << hours << ':';
        if (minutes < 10)
            *this << '0';
        return *this << minutes;
    }

    // A length as hundredths writes it, without making a text.
    struct Hundredths
    {
        long long value;
    };
    PageText& operator<<(Hundredths length)
    {
        if (length.value < 0)
            return *this << hundredths(length.value);
        const long long rest = length.value % 100;
        return *this << length.value / 100 << (rest < 10 ? ".0" : ".") << rest;
    }

    void flush()
    {
        m_out.write(m_buffer.get(), std::streamsize(used()));
        m_end = m_buffer.get();
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;
    std::size_t used() const { return std::size_t(m_end - m_buffer.get()); }
    PageText& large(std::string_view text)
    {
        flush();
        if (text.size() >= kBlock) {
            m_out.write(text.data(), std::streamsize(text.size()));
            return *this;
        }
        return *this << text;
    }

    std::ostream& m_out;
    std::unique_ptr<char[]> m_buffer;
    char* m_end; ///< the end of the text in the buffer
};

class Page
{
public:
    Page(const TimeReport& report, const ShopSummary& summary, const ReportSource& source, std::ostream& out)
        : m_report(report)
        , m_summary(summary)
        , m_source(source)
        , m_out(out)
    {
        // The job cards, and the index of each row's job card among them.
        std::unordered_map<std::string_view, std::size_t> indexOf;
        for (const JobDayTotal& row : report.totals)
            indexOf.try_emplace(row.jobCard, 0);
        for (const OpenStart& row : report.open)
            indexOf.try_emplace(row.jobCard, 0);
        for (const auto& [number, index] : indexOf)
            m_jobs.push_back(JobCard{std::string(number), colourIndex(number), {}, {}, 0});
        std::sort(m_jobs.begin(), m_jobs.end(), [](const JobCard& a, const JobCard& b) {
            return NumericOrder()(a.number, b.number);
        });
        for (std::size_t i = 0; i < m_jobs.size(); ++i) {
            JobCard& job = m_jobs[i];
            const std::string& name = source.jobName(job.number);
            job.label = htmlEscaped(job.number) + (name.empty() ? std::string() : " " + htmlEscaped(name));
            job.rowHead = "<tr data-job=\"" + htmlEscaped(job.number) + "\"><th scope=\"row\">" + swatch(job)
                + job.label + "</th>";
            indexOf[job.number] = i;
        }
        m_jobOfTotal.reserve(report.totals.size());
        for (const JobDayTotal& row : report.totals)
            m_jobOfTotal.push_back(indexOf[row.jobCard]);
        for (const OpenStart& row : report.open)
            m_jobOfOpen.push_back(indexOf[row.jobCard]);

        // The cards of the page, as the totals and open starts come: by card.
        for (const JobDayTotal& row : report.totals) {
            if (m_cards.empty() || m_cards.back().first != row.card)
                m_cards.emplace_back(row.card, 0);
            m_cards.back().second += row.minutes;
        }
        for (const OpenStart& row : report.open) {
            const auto at = std::lower_bound(
                m_cards.begin(), m_cards.end(), row.card, [](const auto& entry, const std::string& card) {
                    return NumericOrder()(entry.first, card);
                });
            if (at == m_cards.end() || at->first != row.card)
                m_cards.emplace(at, row.card, 0);
        }

        // The totals come by card, then day: a day's total is the sum of a run of rows.
        long long dayTotal = 0;
        for (auto row = report.totals.begin(); row != report.totals.end(); ++row) {
            const bool sameDay = row != report.totals.begin() && row[-1].card == row->card && row[-1].day == row->day;
            dayTotal = (sameDay ? dayTotal : 0) + row->minutes;
            m_longestDay = std::max(m_longestDay, dayTotal);
            m_jobs[m_jobOfTotal[std::size_t(row - report.totals.begin())]].minutes += row->minutes;
        }
        m_scale = barScale();
        const auto period = reportPeriod(report, source.range);
        m_period = period ? dayText(period->first) + " to " + dayText(period->second) : "(no time recorded)";
    }

    void write(TimesheetParts parts)
    {
        m_out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
              << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
              << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src "
                 "'unsafe-inline'; img-src data:\">\n"
              << "<title>Timesheet " << htmlEscaped(m_period) << "</title>\n<style>" << kStyle;
        // The bottom margin of every printed page; the texts are the tool's own (digits and dashes).
        m_out << "@page { size: A4 landscape; margin: 10mm 10mm 14mm;\n"
              << "  @bottom-left { content: \"Timesheet " << m_period << "\"; font: 9px sans-serif; color: #5c6670; }\n"
              << "  @bottom-center { content: \"Made " << m_source.made
              << "\"; font: 9px sans-serif; color: #5c6670; }\n"
              << "  @bottom-right { content: \"Page \" counter(page) \" of \" counter(pages); font: 9px sans-serif; "
                 "color: #5c6670; } }\n";
        // Lines every two hours behind the bars, and the palette as classes.
        m_out << ".day svg { background: repeating-linear-gradient(to top, #e3e7eb 0 1px, transparent 1px "
              << hundredths(2 * kMinutesPerHour * 10000 / m_scale) << "%); }\n";
        for (std::size_t i = 0; i < kPalette.size(); ++i)
            m_out << ".c" << i << " { fill: " << kPalette[i] << "; background: " << kPalette[i] << "; }\n";
        m_out << "</style>\n</head>\n<body>\n";
        writeHead();
        writeShop(parts == TimesheetParts::All);
        if (parts == TimesheetParts::All) {
            writeLegend();
            writeCards();
            writeOpenStarts();
            writeInvalidLines();
        }
        m_out << "<footer>Made by shift-loom-store on " << m_source.made << " from " << htmlEscaped(m_source.dataFile)
              << ". A start runs until the next start or stop of its card; " << midnightRule()
              << ".</footer>\n</body>\n</html>\n";
        m_out.flush();
    }

private:
    std::string_view midnightRule() const
    {
        return m_source.range.splitAtMidnight ? "an interval across midnight counts on each day for its part"
                                              : "the whole interval counts for the day of its start";
    }

    // A card with its holder's name, escaped.
    std::string cardLabel(const std::string& card) const
    {
        const std::string& name = m_source.cardName(card);
        return htmlEscaped(card) + (name.empty() ? "" : "<span class=\"name\"> " + htmlEscaped(name) + "</span>");
    }

    static std::string swatch(const JobCard& job)
    {
        return "<span class=\"swatch c" + std::to_string(job.colour) + "\"></span>";
    }

    // A time in a table cell, marked when it is above its limit; empty for no time. The cells carry
    // no more than that: what a cell stands for is in the header of its column.
    void timeCell(long long minutes,
        bool above,
        std::string_view limitName,
        const std::optional<long long>& limit,
        std::string_view classes = {},
        std::string_view after = {})
    {
        m_out << "<td";
        if (above)
            m_out << " class=\"over" << (classes.empty() ? "" : " ") << classes << "\" title=\"above the " << limitName
                  << " limit of " << durationText(*limit) << "\">" << kAboveMark;
        else
            m_out << (classes.empty() ? "" : " class=\"") << classes << (classes.empty() ? "" : "\"") << '>';
        if (minutes > 0)
            m_out << PageText::Duration{minutes};
        m_out << after << "</td>";
    }

    void summaryItem(std::string_view term, const std::string& value, bool warn = false)
    {
        m_out << "<div" << (warn ? " class=\"warn\"" : "") << "><dt>" << term << "</dt><dd>" << value
              << "</dd></div>\n";
    }

    void writeHead()
    {
        m_out << "<header>\n<h1>Timesheet</h1>\n<p class=\"period\">" << htmlEscaped(m_period)
              << (m_source.range.from || m_source.range.to ? " (as chosen)" : "") << "</p>\n<dl class=\"summary\">\n";
        summaryItem("Period", htmlEscaped(m_period));
        summaryItem(
            "Data file", htmlEscaped(m_source.dataFile) + (m_source.dataFileMissing ? " (none yet)" : std::string()));
        summaryItem("Lines read", std::to_string(m_report.linesRead));
        summaryItem("Cards", std::to_string(m_cards.size()));
        summaryItem("Job cards", std::to_string(m_jobs.size()));
        summaryItem("Open starts", std::to_string(m_report.open.size()), !m_report.open.empty());
        summaryItem("Invalid lines", std::to_string(m_report.invalidLines), m_report.invalidLines > 0);
        summaryItem("Time recorded", durationText(m_summary.totals.total));
        if (m_source.limits.day)
            summaryItem("Day limit", durationText(*m_source.limits.day));
        if (m_source.limits.week)
            summaryItem("Week limit", durationText(*m_source.limits.week));
        summaryItem("Across midnight", m_source.range.splitAtMidnight ? "split" : "on the start day");
        m_out << "</dl>\n</header>\n";
    }

    // One row of the shop's table: the card (a link to its sheet), its days and weeks, the totals.
    void writeShopRow(const SummaryRow& row, std::size_t firstWeek, std::size_t endWeek, bool period, bool links)
    {
        const bool card = !row.card.empty();
        m_out << "<tr data-card=\"" << htmlEscaped(row.card) << "\"><th scope=\"row\">";
        if (!card)
            m_out << "Day total";
        else if (links)
            m_out << "<a href=\"#card-" << htmlEscaped(row.card) << "\">" << cardLabel(row.card) << "</a>";
        else
            m_out << cardLabel(row.card);
        m_out << "</th>";
        long long blockTotal = 0;
        for (std::size_t w = firstWeek; w < endWeek; ++w) {
            const SummaryWeek& week = m_summary.weeks[w];
            for (std::size_t d = week.first; d < week.first + week.count; ++d)
                timeCell(row.days[d], card && m_source.limits.dayAbove(row.days[d]), "day", m_source.limits.day);
            timeCell(
                row.weeks[w], card && m_source.limits.weekAbove(row.weeks[w]), "week", m_source.limits.week, "sum");
            blockTotal += row.weeks[w];
        }
        timeCell(blockTotal, false, {}, std::nullopt, "sum");
        if (period)
            timeCell(row.total, false, {}, std::nullopt, "sum");
        m_out << "</tr>\n";
    }

    void writeShop(bool links)
    {
        m_out << "<section class=\"shop\" id=\"shop\" aria-labelledby=\"shop-title\">\n<h2 id=\"shop-title\">"
                 "The shop: hours per card and day</h2>\n";
        if (!m_summary.omitted.empty())
            m_out << "<p class=\"note\">Left out: " << htmlEscaped(m_summary.omitted) << ".</p>\n";
        else if (m_summary.days.empty())
            m_out << "<p class=\"note\">No time recorded.</p>\n";
        const auto blocks = summaryBlocks(m_summary);
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            const auto [firstWeek, endWeek] = blocks[b];
            const std::size_t firstDay = m_summary.weeks[firstWeek].first;
            const std::size_t endDay = m_summary.weeks[endWeek - 1].first + m_summary.weeks[endWeek - 1].count;
            const bool period = blocks.size() > 1 && b + 1 == blocks.size();
            const std::size_t columns = endDay - firstDay + (endWeek - firstWeek) + 1 + (period ? 1 : 0);
            m_out << "<table class=\"shoptable" << (columns > 24 ? " wide" : "") << "\">\n<caption>"
                  << longDay(m_summary.days[firstDay]) << " to " << longDay(m_summary.days[endDay - 1])
                  << ": hours and minutes per card, day and week</caption>\n<colgroup><col>";
            // Weekends and sums shaded by column; each column's header tells its day or week.
            for (std::size_t w = firstWeek; w < endWeek; ++w) {
                const SummaryWeek& week = m_summary.weeks[w];
                for (std::size_t d = week.first; d < week.first + week.count; ++d)
                    m_out << (weekdayOf(m_summary.days[d]) >= 5 ? "<col class=\"weekend\">" : "<col>");
                m_out << "<col class=\"sum\">";
            }
            m_out << "<col class=\"sum\">" << (period ? "<col class=\"sum\">" : "")
                  << "</colgroup>\n<thead><tr><th scope=\"col\">Card</th>";
            for (std::size_t w = firstWeek; w < endWeek; ++w) {
                const SummaryWeek& week = m_summary.weeks[w];
                for (std::size_t d = week.first; d < week.first + week.count; ++d) {
                    const Day& day = m_summary.days[d];
                    m_out << "<th scope=\"col\" data-day=\"" << dayText(day) << "\" title=\"" << longDay(day) << "\">"
                          << kWeekdays[std::size_t(weekdayOf(day))] << "<br>" << day.day;
                    if (d == firstDay || day.day == 1)
                        m_out << ' ' << kMonths[std::size_t(day.month - 1)];
                    m_out << "</th>";
                }
                m_out << "<th scope=\"col\" data-week=\"" << isoWeekText(week.week) << "\" title=\""
                      << weekTitle(week.week) << "\">Week<br>" << week.week.week << "</th>";
            }
            m_out << "<th scope=\"col\" data-total=\"\">Total</th>"
                  << (period ? "<th scope=\"col\" data-period=\"\">Period</th>" : "") << "</tr></thead>\n<tbody>\n";
            for (const SummaryRow& row : m_summary.cards)
                writeShopRow(row, firstWeek, endWeek, period, links);
            m_out << "</tbody>\n<tfoot>";
            writeShopRow(m_summary.totals, firstWeek, endWeek, period, links);
            m_out << "</tfoot>\n</table>\n";
        }
        if (m_source.limits.day || m_source.limits.week) {
            m_out << "<p class=\"note\"><span class=\"over\">" << kAboveMark << "</span>above the limit of ";
            if (m_source.limits.day)
                m_out << durationText(*m_source.limits.day) << " a day" << (m_source.limits.week ? " or " : "");
            if (m_source.limits.week)
                m_out << durationText(*m_source.limits.week) << " a week";
            m_out << "</p>\n";
        }
        m_out << "</section>\n";
    }

    void writeLegend()
    {
        if (m_jobs.empty())
            return;
        m_out << "<section class=\"legend\" aria-label=\"Job cards\">\n<h3>Job cards</h3>\n<ul>\n";
        for (const JobCard& job : m_jobs)
            m_out << "<li>" << swatch(job) << job.label << " <span class=\"note\">" << durationText(job.minutes)
                  << "</span></li>\n";
        m_out << "</ul>\n</section>\n";
    }

    // The minutes that fill a bar: the longest day of the page, at least a working day, in whole hours.
    long long barScale() const
    {
        const long long longest = std::max(8 * kMinutesPerHour, m_longestDay);
        return (longest + kMinutesPerHour - 1) / kMinutesPerHour * kMinutesPerHour;
    }

    void writeCards()
    {
        auto totals = m_report.totals.begin();
        auto open = m_report.open.begin();
        for (const auto& [card, cardTotal] : m_cards) {
            std::map<long long, Week> weeks;
            auto weekOf = [&weeks](const Day& day) -> Week& {
                const long long monday = dayNumber(day) - weekdayOf(day);
                Week& week = weeks[monday];
                week.monday = monday;
                return week;
            };
            // The totals of a card come by day: the week and the place in it change with the day only.
            Week* current = nullptr;
            std::size_t index = 0;
            for (std::optional<Day> day; totals != m_report.totals.end() && totals->card == card; ++totals) {
                if (totals->day != day) {
                    day = totals->day;
                    current = &weekOf(*day);
                    index = std::size_t(dayNumber(*day) - current->monday);
                }
                const std::size_t job = m_jobOfTotal[std::size_t(totals - m_report.totals.begin())];
                auto minutes = std::find_if(current->minutes.begin(), current->minutes.end(), [job](const auto& entry) {
                    return entry.first == job;
                });
                if (minutes == current->minutes.end()) {
                    current->minutes.emplace_back(job, std::array<long long, 7>{-1, -1, -1, -1, -1, -1, -1});
                    minutes = current->minutes.end() - 1;
                }
                minutes->second[index] = std::max(0LL, minutes->second[index]) + totals->minutes;
                current->dayTotals[index] += totals->minutes;
                current->total += totals->minutes;
            }
            for (auto& [monday, week] : weeks)
                std::sort(week.minutes.begin(), week.minutes.end());
            for (; open != m_report.open.end() && open->card == card; ++open) {
                const Day day{open->start.year, open->start.month, open->start.day};
                Week& week = weekOf(day);
                week.open[std::size_t(dayNumber(day) - week.monday)] = &*open;
            }

            // A table, so that a printed sheet repeats its heading on each of its pages.
            const std::string cardText = htmlEscaped(card);
            m_out << "<section class=\"card\" id=\"card-" << cardText << "\" aria-labelledby=\"card-" << cardText
                  << "-title\">\n<table class=\"sheet\" role=\"presentation\"><thead><tr><th><div class=\"sheethead\">"
                  << "<h2 id=\"card-" << cardText << "-title\">Card " << cardLabel(card)
                  << "</h2><span class=\"total\">" << durationText(cardTotal) << " in the period "
                  << htmlEscaped(m_period) << "</span></div></th></tr></thead>\n<tbody>\n";
            for (const auto& [monday, week] : weeks) {
                m_out << "<tr><td>";
                writeWeek(card, week);
                m_out << "</td></tr>\n";
            }
            m_out << "<tr><td><div class=\"sign\"><div>Checked: supervisor's signature</div><div>Date</div></div>"
                     "</td></tr>\n</tbody></table>\n</section>\n";
        }
    }

    void writeBar(const Week& week, std::size_t index)
    {
        const long long scale = m_scale;
        m_out << "<svg viewBox=\"0 0 40 " << kBarHeight << "\" preserveAspectRatio=\"none\">";
        long long below = 0;
        for (const auto& [job, minutes] : week.minutes) {
            if (minutes[index] <= 0)
                continue;
            // Heights in hundredths of a unit, so that short intervals still show and the stack adds up.
            const long long top = (below + minutes[index]) * kBarHeight * 100 / scale;
            const long long bottom = below * kBarHeight * 100 / scale;
            m_out << "<rect y=\"" << PageText::Hundredths{kBarHeight * 100 - top} << "\" height=\""
                  << PageText::Hundredths{std::max(50LL, top - bottom)} << "\" class=\"c" << m_jobs[job].colour
                  << "\"/>";
            below += minutes[index];
        }
        if (week.open[index])
            m_out << "<path d=\"M14 0 L26 0 L20 8 Z\" fill=\"#b3261e\"><title>open start</title></path>";
        m_out << "</svg>";
    }

    void writeWeek(const std::string& card, const Week& week)
    {
        std::array<Day, 7> dates{};
        std::array<std::string, 7> dateTexts;
        for (std::size_t i = 0; i < 7; ++i) {
            dates[i] = dayAt(week.monday + static_cast<long long>(i));
            dateTexts[i] = dayText(dates[i]);
        }
        const std::string range = longDay(dates[0]) + " to " + longDay(dates[6]);
        const std::string title = weekTitle(isoWeekOf(dates[0]));
        const std::string cardText = htmlEscaped(card);
        const Limits& limits = m_source.limits;

        m_out << "<div class=\"week\">\n<h3>" << title << ", " << range << "</h3>\n"
              << "<div class=\"days\" aria-hidden=\"true\">\n";
        for (std::size_t i = 0; i < 7; ++i) {
            std::string classes = "day";
            if (i >= 5)
                classes += " weekend";
            if (!inRange(dates[i], m_source.range))
                classes += " outside";
            m_out << "<div class=\"" << classes << "\"><div class=\"date\">" << shortDay(dates[i]) << "</div>";
            writeBar(week, i);
            const bool above = limits.dayAbove(week.dayTotals[i]);
            m_out << "<div class=\"sum" << (above ? " over\">" : "\">") << (above ? kAboveMark : "")
                  << (week.dayTotals[i] > 0 ? durationText(week.dayTotals[i]) : "&ndash;") << "</div>";
            if (const OpenStart* open = week.open[i])
                m_out << "<div class=\"open\">&#9650; open since " << clockText(open->start.hour, open->start.minute)
                      << "</div>";
            m_out << "</div>\n";
        }
        const bool weekAbove = limits.weekAbove(week.total);
        m_out << "<div class=\"weektotal" << (weekAbove ? " over" : "") << "\"><span>Week</span><strong>"
              << (weekAbove ? kAboveMark : "") << durationText(week.total) << "</strong></div>\n</div>\n";

        m_out << "<table data-card=\"" << cardText << "\">\n<caption>Card " << cardText << ", " << title << " ("
              << range
              << "): hours and minutes per job card and day</caption>\n<thead><tr><th scope=\"col\">Job card</th>";
        for (std::size_t i = 0; i < 7; ++i)
            m_out << "<th scope=\"col\" data-day=\"" << dateTexts[i] << "\">" << shortDay(dates[i]) << "</th>";
        m_out << "<th scope=\"col\" data-week=\"" << isoWeekText(isoWeekOf(dates[0])) << "\">Week</th></tr></thead>\n"
              << "<tbody>\n";
        for (const auto& [job, minutes] : week.minutes) {
            long long jobTotal = 0;
            m_out << m_jobs[job].rowHead;
            for (std::size_t i = 0; i < 7; ++i) {
                if (minutes[i] < 0) {
                    m_out << "<td></td>";
                    continue;
                }
                jobTotal += minutes[i];
                m_out << "<td>" << PageText::Duration{minutes[i]} << "</td>";
            }
            m_out << "<td>" << PageText::Duration{jobTotal} << "</td></tr>\n";
        }
        m_out << "</tbody>\n<tfoot><tr data-job=\"\"><th scope=\"row\">Day total</th>";
        for (std::size_t i = 0; i < 7; ++i) {
            const OpenStart* open = week.open[i];
            timeCell(week.dayTotals[i],
                limits.dayAbove(week.dayTotals[i]),
                "day",
                limits.day,
                {},
                open ? " <abbr title=\"open start at " + clockText(open->start.hour, open->start.minute)
                        + "\">(open)</abbr>"
                     : std::string());
        }
        timeCell(week.total, weekAbove, "week", limits.week);
        m_out << "</tr></tfoot>\n</table>\n</div>\n";
    }

    void writeOpenStarts()
    {
        m_out << "<section class=\"lists\" id=\"open\">\n<h2>Open starts</h2>\n";
        if (m_report.open.empty()) {
            m_out << "<p class=\"note\">None: every start in the period was ended by a later start or stop.</p>\n"
                  << "</section>\n";
            return;
        }
        m_out << "<p class=\"note\">Starts with no start or stop of the card after them: the job is still being "
                 "timed, or the panel went away. They add no time.</p>\n<table>\n<caption>Open starts</caption>\n"
                 "<thead><tr><th scope=\"col\">Card</th><th scope=\"col\">Job card</th><th scope=\"col\">Day</th>"
                 "<th scope=\"col\">Start</th><th scope=\"col\">Line</th></tr></thead>\n<tbody>\n";
        for (std::size_t i = 0; i < m_report.open.size(); ++i) {
            const OpenStart& row = m_report.open[i];
            const JobCard& job = m_jobs[m_jobOfOpen[i]];
            m_out << "<tr><td>" << cardLabel(row.card) << "</td><td>" << swatch(job) << job.label << "</td><td>"
                  << isoDate(row.start.year, row.start.month, row.start.day) << "</td><td>"
                  << clockText(row.start.hour, row.start.minute) << "</td><td>" << row.line << "</td></tr>\n";
        }
        m_out << "</tbody>\n</table>\n</section>\n";
    }

    void writeInvalidLines()
    {
        m_out << "<section class=\"lists\" id=\"invalid\">\n<h2>Invalid lines</h2>\n";
        if (m_report.invalidLines == 0) {
            m_out << "<p class=\"note\">None: every line of the data file is a record.</p>\n</section>\n";
            return;
        }
        m_out << "<p class=\"note\">" << m_report.invalidLines
              << (m_report.invalidLines == 1 ? " line is" : " lines are")
              << " neither a start or stop nor an IN record and added nothing. Line numbers as "
                 "<code>shift-loom-store records</code> shows them.</p>\n<table>\n<caption>Invalid lines";
        if (m_report.invalidLines > m_report.invalidListed.size())
            m_out << " (the first " << m_report.invalidListed.size() << ")";
        m_out << "</caption>\n<thead><tr><th scope=\"col\">Line</th><th scope=\"col\">Problem</th>"
                 "<th scope=\"col\">Text</th></tr></thead>\n<tbody>\n";
        for (const InvalidLineNote& row : m_report.invalidListed)
            m_out << "<tr><td>" << row.line << "</td><td>" << htmlEscaped(row.problem) << "</td><td><code>"
                  << htmlEscaped(printableBytes(row.excerpt)) << (row.length > row.excerpt.size() ? "..." : "")
                  << "</code></td></tr>\n";
        m_out << "</tbody>\n</table>\n";
        if (m_report.invalidLines > m_report.invalidListed.size())
            m_out << "<p class=\"note\">" << m_report.invalidLines - m_report.invalidListed.size()
                  << " more; <code>shift-loom-store records</code> lists them all.</p>\n";
        m_out << "</section>\n";
    }

    const TimeReport& m_report;
    const ShopSummary& m_summary;
    const ReportSource& m_source;
    PageText m_out;
    std::vector<std::pair<std::string, long long>> m_cards; ///< each card and its time, in numeric order
    std::vector<JobCard> m_jobs; ///< in numeric order
    std::vector<std::size_t> m_jobOfTotal; ///< the job card of each total of the report, an index of m_jobs
    std::vector<std::size_t> m_jobOfOpen; ///< the same for each open start
    std::string m_period;
    long long m_longestDay = 0; ///< minutes of the longest day of a card
    long long m_scale = 0; ///< the minutes that fill a bar
};

} // namespace

std::string htmlEscaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

void writeTimesheet(const TimeReport& report,
    const ShopSummary& summary,
    const ReportSource& source,
    TimesheetParts parts,
    std::ostream& out)
{
    Page(report, summary, source, out).write(parts);
}

} // namespace shiftloom::tool
