// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/JobFile.h"
#include "app/StorePaths.h"
#include "platform/Clock.h"
#include "platform/Cp1252.h"
#include "tool/DataFileDecoder.h"
#include "tool/HtmlTimesheet.h"
#include "tool/Report.h"
#include "tool/ReportOutput.h"
#include "tool/ShopSummary.h"
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

std::optional<long long> limitOption(const char* name, const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    const std::optional<long long> minutes = parseDuration(*text);
    if (!minutes)
        throw ToolError(std::string(name) + " " + *text + ": not a time (expected hh:mm, as 10:00 or 48:00)");
    return minutes;
}

std::string madeText()
{
    const platform::LocalDateTime now = platform::SystemClock().now();
    return isoDate(now.year, now.month, now.day) + " " + clockText(now.hour, now.minute);
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
// browser showing FILE never reads half a page; "-" is the standard output. A FILE that is a
// device or a pipe (/dev/stdout, a FIFO) is written as the page is made: no file may take the
// place of such a one. A link stays a link: the new file takes the place of the file it names.
class HtmlOutput final
{
public:
    explicit HtmlOutput(std::string path)
        : m_path(std::move(path))
        , m_target(m_path)
    {
        if (m_path == "-")
            return;
        std::error_code missing;
        const std::filesystem::file_status status = std::filesystem::status(m_path, missing);
        if (std::filesystem::is_directory(status))
            throw ToolError(m_path + ": is a folder, not a file");
        m_inPlace = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
        if (std::filesystem::is_regular_file(status)) {
            std::error_code error;
            m_target = std::filesystem::canonical(m_path, error).string();
            if (error)
                throw ToolError(m_path + ": cannot write (" + error.message() + ")");
        }
        m_file.open(m_inPlace ? m_target : temporary(), std::ios::binary | std::ios::trunc);
        if (!m_file)
            throw ToolError(m_path + ": cannot write (" + std::strerror(errno) + ")");
    }
    ~HtmlOutput()
    {
        if (m_path != "-" && !m_inPlace && !m_done) {
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
        if (!m_inPlace)
            std::filesystem::rename(temporary(), m_target, error);
        if (error)
            throw ToolError(m_path + ": cannot write (" + error.message() + ")");
        m_done = true;
    }

private:
    std::string temporary() const { return m_target + ".new"; }

    std::string m_path; ///< as given
    std::string m_target; ///< the file written
    bool m_inPlace = false; ///< written where it is, not replaced
    std::ofstream m_file;
    bool m_done = false;
};

} // namespace

int runReport(const ReportOptionsText& options, std::ostream& out, std::ostream& err)
{
    // Everything given is checked before the data file is read.
    ReportSource source;
    source.range = ReportOptions{dayOption("--from", options.from),
        dayOption("--to", options.to),
        options.splitAtMidnight,
        // The shop's table alone needs no job cards: it is made without them, a good part faster.
        !options.summary || options.html.has_value()};
    const ReportOptions& range = source.range;
    if (range.from && range.to && *range.from > *range.to)
        throw ToolError("--from " + *options.from + " is after --to " + *options.to);
    if (range.from && range.to && options.summary)
        requireSummaryPeriod(*range.from, *range.to);
    source.limits =
        Limits{limitOption("--day-limit", options.dayLimit), limitOption("--week-limit", options.weekLimit)};
    if (options.names)
        source.cardNames = readCardNames(readHostFile(*options.names), *options.names);

    StoreReader store(options.folder);
    std::optional<HtmlOutput> html;
    if (options.html)
        html.emplace(*options.html);

    source.dataFile = store.hostPath(kDataFileName);
    ReportBuilder builder(range);
    const std::optional<std::uint64_t> bytesRead =
        store.scanDataPieces([&builder](std::string_view piece, bool final) { builder.addPiece(piece, final); });
    source.dataFileMissing = !bytesRead;
    if (!bytesRead)
        err << "shift-loom-store: " << source.dataFile
            << ": no data file yet (the panel makes it at its first start)\n";
    else if (builder.needsSecondReading())
        store.scanDataPieces(
            [&builder](std::string_view piece, bool final) { builder.addPieceAgain(piece, final); }, *bytesRead);
    const TimeReport report = builder.finish();
    if (report.invalidLines > 0)
        err << "shift-loom-store: " << source.dataFile << ": " << report.invalidLines
            << (report.invalidLines == 1 ? " invalid line" : " invalid lines")
            << " skipped (the records command shows them)\n";
    source.jobNames = jobNames(store);
    source.made = madeText();

    std::optional<ShopSummary> summary;
    if (options.summary || html) {
        try {
            summary = summarize(report, range);
        } catch (const ToolError& error) {
            // The page of a full report goes on without the shop's table, which would not fit.
            if (options.summary)
                throw;
            summary = ShopSummary{};
            summary->omitted = error.what();
            err << "shift-loom-store: " << error.what() << "; the page goes without the shop's table\n";
        }
    }
    if (html) {
        std::ostream& page = html->stream(out);
        writeTimesheet(report, *summary, source, options.summary ? TimesheetParts::Summary : TimesheetParts::All, page);
        page.flush();
        if (!page)
            throw ToolError(*options.html + ": cannot write");
        html->commit();
        return 0;
    }
    switch (options.format) {
    case OutputFormat::Text:
        summary ? writeSummaryText(*summary, source, out) : writeReportText(report, source, out);
        break;
    case OutputFormat::Csv:
        summary ? writeSummaryCsv(*summary, source, out) : writeReportCsv(report, source, out);
        break;
    case OutputFormat::Json:
        summary ? writeSummaryJson(*summary, source, out) : writeReportJson(report, source, out);
        break;
    }
    return 0;
}

} // namespace shiftloom::tool
