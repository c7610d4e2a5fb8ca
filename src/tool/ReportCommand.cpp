// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/JobFile.h"
#include "app/StorePaths.h"
#include "platform/Cp1252.h"
#include "tool/DataFileDecoder.h"
#include "tool/HtmlTimesheet.h"
#include "tool/Report.h"
#include "tool/StoreFolder.h"
#include "tool/ToolError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace shiftloom::tool {
namespace {

std::optional<Day> dayOption(const char* name, const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    const std::optional<Day> day = parseDay(*text);
    if (!day)
        throw ToolError(std::string(name) + " " + *text + ": not a day (expected yyyy-mm-dd or yyyymmdd)");
    return day;
}

std::string dayText(const Day& day)
{
    return isoDate(day.year, day.month, day.day);
}

void printText(const TimeReport& report, std::ostream& out)
{
    TextTable totals({"CARD", "JOB CARD", "DAY", "MINUTES", "HH:MM"}, {true, true, false, true, true});
    for (const JobDayTotal& row : report.totals)
        totals.addRow(
            {row.card, row.jobCard, dayText(row.day), std::to_string(row.minutes), durationText(row.minutes)});
    totals.print(out);
    if (report.open.empty())
        return;
    out << "\nOpen starts (no start or stop of the card after them):\n";
    TextTable open({"CARD", "JOB CARD", "DAY", "START", "LINE"}, {true, true, false, false, true});
    for (const OpenStart& row : report.open)
        open.addRow({row.card,
            row.jobCard,
            isoDate(row.start.year, row.start.month, row.start.day),
            clockText(row.start.hour, row.start.minute),
            std::to_string(row.line)});
    open.print(out);
}

void printCsv(const TimeReport& report, std::ostream& out)
{
    out << csvRow({"kind", "card", "job_card", "day", "minutes", "hhmm", "start", "line"});
    for (const JobDayTotal& row : report.totals)
        out << csvRow({"total",
            row.card,
            row.jobCard,
            dayText(row.day),
            std::to_string(row.minutes),
            durationText(row.minutes),
            "",
            ""});
    for (const OpenStart& row : report.open)
        out << csvRow({"open",
            row.card,
            row.jobCard,
            isoDate(row.start.year, row.start.month, row.start.day),
            "",
            "",
            clockText(row.start.hour, row.start.minute),
            std::to_string(row.line)});
}

void printJson(const std::string& path, const ReportOptions& range, const TimeReport& report, std::ostream& out)
{
    auto optionalDay = [](const std::optional<Day>& day) { return day ? jsonString(dayText(*day)) : "null"; };
    out << "{\n  \"file\": " << jsonString(path) << ",\n  \"from\": " << optionalDay(range.from)
        << ",\n  \"to\": " << optionalDay(range.to) << ",\n  \"invalid_skipped\": " << report.invalidLines
        << ",\n  \"totals\": [";
    const char* separator = "\n";
    for (const JobDayTotal& row : report.totals) {
        out << separator << "    {\"card\": " << jsonString(row.card) << ", \"job_card\": " << jsonString(row.jobCard)
            << ", \"day\": " << jsonString(dayText(row.day)) << ", \"minutes\": " << row.minutes
            << ", \"hhmm\": " << jsonString(durationText(row.minutes)) << '}';
        separator = ",\n";
    }
    out << (report.totals.empty() ? "],\n" : "\n  ],\n") << "  \"open\": [";
    separator = "\n";
    for (const OpenStart& row : report.open) {
        out << separator << "    {\"card\": " << jsonString(row.card) << ", \"job_card\": " << jsonString(row.jobCard)
            << ", \"day\": " << jsonString(isoDate(row.start.year, row.start.month, row.start.day))
            << ", \"start\": " << jsonString(clockText(row.start.hour, row.start.minute)) << ", \"line\": " << row.line
            << '}';
        separator = ",\n";
    }
    out << (report.open.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

// The names of the job cards in the store's job file, for the timesheet's legend; none when the
// store has no job file. A record carries the leading number of a job's card.
std::map<std::string, std::string> jobNames(StoreReader& store)
{
    std::map<std::string, std::string> names;
    const JobListResult list = readJobList(store.files(), store.storePath(kJobFileName), JobFileOpen::ReadOnly);
    // A job line: prefix (8), code (8), ten blanks, card (8), ten blanks, name (20), a blank, detail.
    constexpr std::size_t kCardAt = 26, kCardWidth = 8, kNameAt = 44, kNameWidth = 20;
    for (std::string_view line : list.lines) {
        if (line.size() <= kCardAt)
            continue;
        std::string digits;
        for (const char c : line.substr(kCardAt, kCardWidth)) {
            if (c == ' ')
                continue;
            if (c < '0' || c > '9')
                break;
            digits += c;
        }
        if (digits.empty())
            continue;
        std::string_view name = line.size() > kNameAt ? line.substr(kNameAt, kNameWidth) : std::string_view();
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        names.try_emplace(withoutLeadingZeros(digits), platform::cp1252ToUtf8(name));
    }
    return names;
}

// The page goes to a new file beside FILE that takes its place when it is complete, so that a
// browser showing FILE never reads half a page; "-" is the standard output.
class HtmlOutput final
{
public:
    explicit HtmlOutput(std::string path)
        : m_path(std::move(path))
    {
        if (m_path == "-")
            return;
        std::error_code error;
        if (std::filesystem::is_directory(m_path, error))
            throw ToolError(m_path + ": is a folder, not a file");
        m_file.open(temporary(), std::ios::binary | std::ios::trunc);
        if (!m_file)
            throw ToolError(m_path + ": cannot write (" + std::strerror(errno) + ")");
    }
    ~HtmlOutput()
    {
        if (m_path != "-" && !m_done) {
            m_file.close();
            std::error_code ignored;
            std::filesystem::remove(temporary(), ignored);
        }
    }
    HtmlOutput(const HtmlOutput&) = delete;
    HtmlOutput& operator=(const HtmlOutput&) = delete;

    std::ostream& stream(std::ostream& out) { return m_path == "-" ? out : m_file; }

    void commit()
    {
        if (m_path == "-")
            return;
        m_file.close();
        if (!m_file)
            throw ToolError(m_path + ": cannot write");
        std::error_code error;
        std::filesystem::rename(temporary(), m_path, error);
        if (error)
            throw ToolError(m_path + ": cannot write (" + error.message() + ")");
        m_done = true;
    }

private:
    std::string temporary() const { return m_path + ".new"; }

    std::string m_path;
    std::ofstream m_file;
    bool m_done = false;
};

} // namespace

int runReport(const ReportOptionsText& options, std::ostream& out, std::ostream& err)
{
    ReportOptions range{dayOption("--from", options.from), dayOption("--to", options.to)};
    if (range.from && range.to && *range.from > *range.to)
        throw ToolError("--from " + *options.from + " is after --to " + *options.to);

    StoreReader store(options.folder);
    std::optional<HtmlOutput> html;
    if (options.html)
        html.emplace(*options.html);

    const std::string path = store.hostPath(kDataFileName);
    ReportBuilder builder(range);
    const std::optional<std::uint64_t> bytesRead =
        store.scanDataFile([&builder](const DataLine& line) { builder.add(line); });
    if (!bytesRead)
        err << "shift-loom-store: " << path << ": no data file yet (the panel makes it at its first start)\n";
    else if (builder.needsSecondReading())
        store.scanDataFile([&builder](const DataLine& line) { builder.addAgain(line); }, *bytesRead);
    const TimeReport report = builder.finish();
    if (report.invalidLines > 0)
        err << "shift-loom-store: " << path << ": " << report.invalidLines
            << (report.invalidLines == 1 ? " invalid line" : " invalid lines")
            << " skipped (the records command shows them)\n";

    if (html) {
        const TimesheetSource source{path, !bytesRead, range, jobNames(store)};
        std::ostream& page = html->stream(out);
        writeTimesheet(report, source, page);
        page.flush();
        if (!page)
            throw ToolError(*options.html + ": cannot write");
        html->commit();
        return 0;
    }
    switch (options.format) {
    case OutputFormat::Text:
        printText(report, out);
        break;
    case OutputFormat::Csv:
        printCsv(report, out);
        break;
    case OutputFormat::Json:
        printJson(path, range, report, out);
        break;
    }
    return 0;
}

} // namespace shiftloom::tool
