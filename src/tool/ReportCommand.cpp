// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/StorePaths.h"
#include "tool/DataFileDecoder.h"
#include "tool/Report.h"
#include "tool/StoreFolder.h"
#include "tool/ToolError.h"

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

std::string durationText(long long minutes)
{
    return clockText(minutes / 60, minutes % 60);
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

} // namespace

int runReport(const ReportOptionsText& options, std::ostream& out, std::ostream& err)
{
    ReportOptions range{dayOption("--from", options.from), dayOption("--to", options.to)};
    if (range.from && range.to && *range.from > *range.to)
        throw ToolError("--from " + *options.from + " is after --to " + *options.to);

    StoreReader store(options.folder);
    const std::string path = store.hostPath(kDataFileName);
    const std::optional<std::string> bytes = store.readDataFile();
    if (!bytes)
        err << "shift-loom-store: " << path << ": no data file yet (the panel makes it at its first start)\n";
    const DecodedDataFile file = decodeDataFile(bytes ? *bytes : std::string());
    const TimeReport report = buildReport(file.lines, range);
    if (report.invalidLines > 0)
        err << "shift-loom-store: " << path << ": " << report.invalidLines
            << (report.invalidLines == 1 ? " invalid line" : " invalid lines")
            << " skipped (the records command shows them)\n";

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
