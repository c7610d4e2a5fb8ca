// SPDX-License-Identifier: MIT
#include "HtmlTimesheet.h"

#include "tool/OutputFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <concepts>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

namespace shiftloom::tool {
namespace {

using Days = std::chrono::days;
using std::chrono::sys_days;

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

constexpr std::string_view kStyle = R"(
:root { color-scheme: light; --ink: #1d2329; --muted: #5c6670; --rule: #d5dbe1; --paper: #fff; --tint: #f3f5f7; }
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
.summary .warn dd { color: #b3261e; }
.legend ul { list-style: none; display: flex; flex-wrap: wrap; gap: 4px 18px; padding: 0; margin: 6px 0 18px; }
.swatch { display: inline-block; width: 11px; height: 11px; border-radius: 2px; margin-right: 5px;
  vertical-align: -1px; print-color-adjust: exact; -webkit-print-color-adjust: exact; }
.card { border-top: 2px solid var(--ink); padding-top: 8px; margin-top: 18px; }
.card > header { display: flex; align-items: baseline; gap: 16px; margin-bottom: 6px; }
.card > header .total { color: var(--muted); }
.week { margin: 8px 0 14px; break-inside: avoid; page-break-inside: avoid; }
.days { display: grid; grid-template-columns: repeat(7, minmax(0, 1fr)) 7.5em; gap: 6px; margin: 6px 0; }
.day, .weektotal { border: 1px solid var(--rule); border-radius: 6px; padding: 4px 6px; text-align: center; }
.day.weekend { background: var(--tint); }
.day.outside { opacity: .45; }
.day .date { font-size: 12px; color: var(--muted); }
.day svg { display: block; width: 100%; height: 96px; margin: 2px 0; }
.day .sum { font-weight: 600; font-variant-numeric: tabular-nums; }
.day .open { font-size: 11px; color: #b3261e; font-weight: 600; }
.weektotal { display: flex; flex-direction: column; justify-content: center; background: var(--tint); }
.weektotal strong { font-size: 18px; font-variant-numeric: tabular-nums; }
.weektotal span { font-size: 12px; color: var(--muted); }
table { border-collapse: collapse; width: 100%; font-size: 12px; font-variant-numeric: tabular-nums; }
caption { text-align: left; font-size: 12px; color: var(--muted); padding: 2px 0; }
th, td { border-bottom: 1px solid var(--rule); padding: 2px 6px; }
thead th { text-align: right; font-weight: 600; }
thead th:first-child, tbody th, tfoot th { text-align: left; }
td { text-align: right; }
tbody th { font-weight: normal; }
tfoot th, tfoot td { font-weight: 600; border-bottom: 0; border-top: 1px solid var(--ink); }
td.none { color: var(--rule); }
table { table-layout: fixed; }
thead th:first-child { width: 24%; }
thead th:last-child { width: 8%; }
.lists { margin-top: 24px; }
.lists table { table-layout: auto; width: auto; min-width: 50%; }
.lists thead th { width: auto; }
.lists td, .lists th { text-align: left; }
.lists code { white-space: pre-wrap; overflow-wrap: anywhere; }
.note { color: var(--muted); font-size: 12px; }
footer { margin-top: 24px; color: var(--muted); font-size: 11px; }
@page { size: A4 landscape; margin: 10mm; }
@media print {
  body { padding: 0; font-size: 11px; }
  .day svg { height: 72px; }
  a { color: inherit; text-decoration: none; }
}
)";

std::string dayText(const Day& day)
{
    return isoDate(day.year, day.month, day.day);
}

sys_days daysOf(const Day& day)
{
    return sys_days{std::chrono::year{day.year} / std::chrono::month{static_cast<unsigned>(day.month)}
        / std::chrono::day{static_cast<unsigned>(day.day)}};
}

Day dayOf(sys_days when)
{
    const std::chrono::year_month_day date{when};
    return Day{int(date.year()), int(unsigned(date.month())), int(unsigned(date.day()))};
}

sys_days mondayOf(sys_days day)
{
    const unsigned fromMonday = std::chrono::weekday{day}.iso_encoding() - 1;
    return day - Days{fromMonday};
}

int isoWeek(sys_days monday)
{
    const sys_days thursday = monday + Days{3};
    const std::chrono::year_month_day date{thursday};
    return int((thursday - sys_days{date.year() / 1 / 1}).count() / 7 + 1);
}

// "Mon 7 Dec"
std::string shortDay(const Day& day, int weekday)
{
    return std::string(kWeekdays[std::size_t(weekday)]) + " " + std::to_string(day.day) + " "
        + std::string(kMonths[std::size_t(day.month - 1)]);
}

std::string longDay(const Day& day)
{
    return std::to_string(day.day) + " " + std::string(kMonths[std::size_t(day.month - 1)]) + " "
        + std::to_string(day.year);
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

// Numbers written without leading zeros, in numeric order.
struct NumericOrder
{
    bool operator()(const std::string& a, const std::string& b) const
    {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    }
};

// The figures of one card in one week.
struct Week
{
    sys_days monday;
    std::map<std::string, std::array<long long, 7>, NumericOrder> minutes; ///< job card -> minutes a day
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
    {
        m_buffer.reserve(kBlock + kBlock / 4);
    }

    PageText& operator<<(std::string_view text)
    {
        m_buffer.append(text);
        if (m_buffer.size() >= kBlock)
            flush();
        return *this;
    }

    PageText& operator<<(char c)
    {
        m_buffer.push_back(c);
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
        m_out.write(m_buffer.data(), std::streamsize(m_buffer.size()));
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;
    std::ostream& m_out;
    std::string m_buffer;
};

class Page
{
public:
    Page(const TimeReport& report, const TimesheetSource& source, std::ostream& out)
        : m_report(report)
        , m_source(source)
        , m_out(out)
    {
        // The totals come by card, then day: a day's total is the sum of a run of rows.
        long long dayTotal = 0;
        for (auto row = report.totals.begin(); row != report.totals.end(); ++row) {
            const bool sameCard = row != report.totals.begin() && row[-1].card == row->card;
            const bool sameDay = sameCard && row[-1].day == row->day;
            if (!sameCard)
                m_cards.insert(row->card);
            dayTotal = (sameDay ? dayTotal : 0) + row->minutes;
            m_longestDay = std::max(m_longestDay, dayTotal);
            auto [job, added] = m_jobMinutes.try_emplace(row->jobCard, 0);
            job->second += row->minutes;
            if (added)
                m_jobCards.insert(row->jobCard);
            m_firstDay = m_firstDay ? std::min(*m_firstDay, row->day) : row->day;
            m_lastDay = m_lastDay ? std::max(*m_lastDay, row->day) : row->day;
        }
        for (const OpenStart& row : report.open) {
            m_jobCards.insert(row.jobCard);
            m_cards.insert(row.card);
            const Day day{row.start.year, row.start.month, row.start.day};
            m_firstDay = m_firstDay ? std::min(*m_firstDay, day) : day;
            m_lastDay = m_lastDay ? std::max(*m_lastDay, day) : day;
        }
        m_scale = barScale();
    }

    void write()
    {
        m_out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
              << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
              << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src "
                 "'unsafe-inline'; img-src data:\">\n"
              << "<title>Timesheet " << htmlEscaped(periodText()) << "</title>\n<style>" << kStyle;
        // Lines every two hours behind the bars, and the palette as classes.
        m_out << ".day svg { background: repeating-linear-gradient(to top, #e3e7eb 0 1px, transparent 1px "
              << hundredths(2 * kMinutesPerHour * 10000 / m_scale) << "%); }\n";
        for (std::size_t i = 0; i < kPalette.size(); ++i)
            m_out << ".c" << i << " { fill: " << kPalette[i] << "; background: " << kPalette[i] << "; }\n";
        m_out << "</style>\n</head>\n<body>\n";
        writeSummary();
        writeLegend();
        writeCards();
        writeOpenStarts();
        writeInvalidLines();
        m_out << "<footer>Made by shift-loom-store from " << htmlEscaped(m_source.dataFile)
              << ". A start runs until the next start or stop of its card; the whole interval counts for the day "
                 "of its start.</footer>\n</body>\n</html>\n";
        m_out.flush();
    }

private:
    std::string periodText() const
    {
        const std::optional<Day> from = m_source.range.from ? m_source.range.from : m_firstDay;
        const std::optional<Day> to = m_source.range.to ? m_source.range.to : m_lastDay;
        if (!from && !to)
            return "(no time recorded)";
        return (from ? dayText(*from) : std::string("the first record")) + " to "
            + (to ? dayText(*to) : std::string("the last record"));
    }

    // A job card and its name, escaped; made once for each job card of the page.
    const std::string& jobLabel(const std::string& jobCard)
    {
        auto [label, added] = m_jobLabels.try_emplace(jobCard);
        if (added) {
            const auto name = m_source.jobNames.find(jobCard);
            label->second = htmlEscaped(jobCard)
                + (name == m_source.jobNames.end() || name->second.empty() ? std::string()
                                                                           : " " + htmlEscaped(name->second));
        }
        return label->second;
    }

    static std::string swatch(const std::string& jobCard)
    {
        return "<span class=\"swatch c" + std::to_string(colourIndex(jobCard)) + "\"></span>";
    }

    void summaryItem(std::string_view term, const std::string& value, bool warn = false)
    {
        m_out << "<div" << (warn ? " class=\"warn\"" : "") << "><dt>" << term << "</dt><dd>" << value
              << "</dd></div>\n";
    }

    void writeSummary()
    {
        m_out << "<header>\n<h1>Timesheet</h1>\n<p class=\"period\">" << htmlEscaped(periodText())
              << (m_source.range.from || m_source.range.to ? " (days of the starts, as chosen)" : "")
              << "</p>\n<dl class=\"summary\">\n";
        summaryItem("Period", htmlEscaped(periodText()));
        summaryItem(
            "Data file", htmlEscaped(m_source.dataFile) + (m_source.dataFileMissing ? " (none yet)" : std::string()));
        summaryItem("Lines read", std::to_string(m_report.linesRead));
        summaryItem("Cards", std::to_string(m_cards.size()));
        summaryItem("Job cards", std::to_string(m_jobCards.size()));
        summaryItem("Open starts", std::to_string(m_report.open.size()), !m_report.open.empty());
        summaryItem("Invalid lines", std::to_string(m_report.invalidLines), m_report.invalidLines > 0);
        long long total = 0;
        for (const JobDayTotal& row : m_report.totals)
            total += row.minutes;
        summaryItem("Time recorded", durationText(total));
        m_out << "</dl>\n</header>\n";
    }

    void writeLegend()
    {
        if (m_jobCards.empty())
            return;
        m_out << "<section class=\"legend\" aria-label=\"Job cards\">\n<h3>Job cards</h3>\n<ul>\n";
        for (const std::string& jobCard : m_jobCards) {
            const auto minutes = m_jobMinutes.find(jobCard);
            m_out << "<li>" << swatch(jobCard) << jobLabel(jobCard) << " <span class=\"note\">"
                  << durationText(minutes == m_jobMinutes.end() ? 0 : minutes->second) << "</span></li>\n";
        }
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
        for (const std::string& card : m_cards) {
            std::map<sys_days, Week> weeks;
            long long cardTotal = 0;
            auto weekOf = [&weeks](const Day& day) -> Week& {
                const sys_days monday = mondayOf(daysOf(day));
                Week& week = weeks[monday];
                week.monday = monday;
                return week;
            };
            for (; totals != m_report.totals.end() && totals->card == card; ++totals) {
                Week& week = weekOf(totals->day);
                const auto index = std::size_t((daysOf(totals->day) - week.monday).count());
                auto [row, added] = week.minutes.try_emplace(totals->jobCard);
                if (added)
                    row->second.fill(-1);
                row->second[index] = std::max(0LL, row->second[index]) + totals->minutes;
                week.dayTotals[index] += totals->minutes;
                week.total += totals->minutes;
                cardTotal += totals->minutes;
            }
            for (; open != m_report.open.end() && open->card == card; ++open) {
                const Day day{open->start.year, open->start.month, open->start.day};
                Week& week = weekOf(day);
                week.open[std::size_t((daysOf(day) - week.monday).count())] = &*open;
            }

            const std::string cardText = htmlEscaped(card);
            m_out << "<section class=\"card\" id=\"card-" << cardText << "\" aria-labelledby=\"card-" << cardText
                  << "-title\">\n<header><h2 id=\"card-" << cardText << "-title\">Card " << cardText
                  << "</h2><span class=\"total\">" << durationText(cardTotal) << " in the period</span></header>\n";
            for (const auto& [monday, week] : weeks)
                writeWeek(card, week);
            m_out << "</section>\n";
        }
    }

    void writeBar(const Week& week, std::size_t index)
    {
        const long long scale = m_scale;
        m_out << "<svg viewBox=\"0 0 40 " << kBarHeight << "\" preserveAspectRatio=\"none\">";
        long long below = 0;
        for (const auto& [jobCard, minutes] : week.minutes) {
            if (minutes[index] <= 0)
                continue;
            // Heights in hundredths of a unit, so that short intervals still show and the stack adds up.
            const long long top = (below + minutes[index]) * kBarHeight * 100 / scale;
            const long long bottom = below * kBarHeight * 100 / scale;
            m_out << "<rect x=\"8\" width=\"24\" y=\"" << PageText::Hundredths{kBarHeight * 100 - top} << "\" height=\""
                  << PageText::Hundredths{std::max(50LL, top - bottom)} << "\" class=\"c" << colourIndex(jobCard)
                  << "\"><title>" << jobLabel(jobCard) << ": " << PageText::Duration{minutes[index]}
                  << "</title></rect>";
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
            dates[i] = dayOf(week.monday + Days{i});
            dateTexts[i] = dayText(dates[i]);
        }
        const std::string range = longDay(dates[0]) + " to " + longDay(dates[6]);
        const std::string cardText = htmlEscaped(card);

        m_out << "<div class=\"week\">\n<h3>Week " << isoWeek(week.monday) << ", " << range << "</h3>\n"
              << "<div class=\"days\" aria-hidden=\"true\">\n";
        for (std::size_t i = 0; i < 7; ++i) {
            std::string classes = "day";
            if (i >= 5)
                classes += " weekend";
            if (!inRange(dates[i], m_source.range))
                classes += " outside";
            m_out << "<div class=\"" << classes << "\"><div class=\"date\">" << shortDay(dates[i], int(i)) << "</div>";
            writeBar(week, i);
            m_out << "<div class=\"sum\">" << (week.dayTotals[i] > 0 ? durationText(week.dayTotals[i]) : "&ndash;")
                  << "</div>";
            if (const OpenStart* open = week.open[i])
                m_out << "<div class=\"open\">&#9650; open since " << clockText(open->start.hour, open->start.minute)
                      << "</div>";
            m_out << "</div>\n";
        }
        m_out << "<div class=\"weektotal\"><span>Week</span><strong>" << durationText(week.total)
              << "</strong></div>\n</div>\n";

        m_out << "<table data-card=\"" << cardText << "\">\n<caption>Card " << cardText << ", week "
              << isoWeek(week.monday) << " (" << range
              << "): hours and minutes per job card and day</caption>\n<thead><tr><th scope=\"col\">Job card</th>";
        for (std::size_t i = 0; i < 7; ++i)
            m_out << "<th scope=\"col\">" << shortDay(dates[i], int(i)) << "</th>";
        m_out << "<th scope=\"col\">Week</th></tr></thead>\n<tbody>\n";
        for (const auto& [jobCard, minutes] : week.minutes) {
            const std::string jobText = htmlEscaped(jobCard);
            long long jobTotal = 0;
            m_out << "<tr data-job=\"" << jobText << "\"><th scope=\"row\">" << swatch(jobCard) << jobLabel(jobCard)
                  << "</th>";
            for (std::size_t i = 0; i < 7; ++i) {
                if (minutes[i] < 0) {
                    m_out << "<td class=\"none\">&ndash;</td>";
                    continue;
                }
                jobTotal += minutes[i];
                m_out << "<td data-day=\"" << dateTexts[i] << "\">" << PageText::Duration{minutes[i]} << "</td>";
            }
            m_out << "<td>" << PageText::Duration{jobTotal} << "</td></tr>\n";
        }
        m_out << "</tbody>\n<tfoot><tr data-job=\"\"><th scope=\"row\">Day total</th>";
        for (std::size_t i = 0; i < 7; ++i) {
            m_out << "<td data-day=\"" << dateTexts[i] << "\">"
                  << (week.dayTotals[i] > 0 ? durationText(week.dayTotals[i]) : "&ndash;");
            if (const OpenStart* open = week.open[i])
                m_out << " <abbr title=\"open start at " << clockText(open->start.hour, open->start.minute)
                      << "\">(open)</abbr>";
            m_out << "</td>";
        }
        m_out << "<td data-week=\"" << dateTexts[0] << "\">" << durationText(week.total)
              << "</td></tr></tfoot>\n</table>\n</div>\n";
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
        for (const OpenStart& row : m_report.open)
            m_out << "<tr><td>" << htmlEscaped(row.card) << "</td><td>" << swatch(row.jobCard) << jobLabel(row.jobCard)
                  << "</td><td>" << isoDate(row.start.year, row.start.month, row.start.day) << "</td><td>"
                  << clockText(row.start.hour, row.start.minute) << "</td><td>" << row.line << "</td></tr>\n";
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
    const TimesheetSource& m_source;
    PageText m_out;
    std::set<std::string, NumericOrder> m_cards;
    std::set<std::string, NumericOrder> m_jobCards;
    std::unordered_map<std::string, long long> m_jobMinutes;
    std::unordered_map<std::string, std::string> m_jobLabels; ///< see jobLabel
    std::optional<Day> m_firstDay;
    std::optional<Day> m_lastDay;
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

void writeTimesheet(const TimeReport& report, const TimesheetSource& source, std::ostream& out)
{
    Page(report, source, out).write();
}

} // namespace shiftloom::tool
