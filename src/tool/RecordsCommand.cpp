// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/StorePaths.h"
#include "tool/DataFileDecoder.h"
#include "tool/StoreFolder.h"

#include <utility>

namespace shiftloom::tool {
namespace {

std::string lineEndName(LineEnd end)
{
    switch (end) {
    case LineEnd::CrLf:
        return "CRLF";
    case LineEnd::LfOnly:
        return "LF";
    case LineEnd::None:
        break;
    }
    return "none";
}

// What a line's note column says: why it is invalid, or that its line end is not CR LF.
std::string noteOf(const DataLine& line)
{
    std::string note = describeProblem(line);
    if (line.end != LineEnd::CrLf) {
        if (!note.empty())
            note += "; ";
        note += line.end == LineEnd::None ? "no line end" : "LF without CR";
    }
    return note;
}

struct Cells
{
    std::string date, time, card, jobCard, activity, keyed;
};

Cells cellsOf(const DataLine& line)
{
    Cells cells;
    if (line.kind == DataLineKind::Invalid)
        return cells;
    cells.date = isoDate(line.stamp.year, line.stamp.month, line.stamp.day);
    cells.time = clockText(line.stamp.hour, line.stamp.minute);
    cells.card = line.card;
    cells.jobCard = line.jobCard;
    cells.activity = line.activity;
    cells.keyed = line.keyed;
    return cells;
}

void printText(const DecodedDataFile& file, std::ostream& out)
{
    TextTable table({"LINE", "KIND", "DATE", "TIME", "CARD", "JOB CARD", "ACTIVITY", "KEYED", "NOTE"},
        {true, false, false, false, false, false, false, false, false});
    for (const DataLine& line : file.lines) {
        const Cells c = cellsOf(line);
        std::string note = noteOf(line);
        if (line.kind == DataLineKind::Invalid)
            note += ": \"" + printableBytes(line.excerpt) + (line.length > line.excerpt.size() ? "...\"" : "\"");
        table.addRow({std::to_string(line.number),
            std::string(kindName(line.kind)),
            c.date,
            c.time,
            c.card,
            c.jobCard,
            c.activity,
            c.keyed,
            note});
    }
    table.print(out);
}

void printCsv(const DecodedDataFile& file, std::ostream& out)
{
    out << kCsvBom
        << csvRow({"line",
               "kind",
               "date",
               "time",
               "card",
               "job_card",
               "activity",
               "keyed",
               "line_end",
               "problem",
               "text"});
    for (const DataLine& line : file.lines) {
        const Cells c = cellsOf(line);
        const bool invalid = line.kind == DataLineKind::Invalid;
        out << csvRow({std::to_string(line.number),
            std::string(kindName(line.kind)),
            c.date,
            c.time,
            c.card,
            c.jobCard,
            c.activity,
            c.keyed,
            lineEndName(line.end),
            describeProblem(line),
            invalid ? printableBytes(line.excerpt) : std::string()});
    }
}

void printJson(const std::string& path, const DecodedDataFile& file, std::ostream& out)
{
    out << "{\n  \"file\": " << jsonString(path) << ",\n  \"invalid\": " << file.invalidCount << ",\n  \"lines\": [";
    const char* separator = "\n";
    for (const DataLine& line : file.lines) {
        out << separator << "    {\"line\": " << line.number << ", \"kind\": " << jsonString(kindName(line.kind));
        if (line.kind == DataLineKind::Invalid) {
            out << ", \"length\": " << line.length << ", \"problem\": " << jsonString(describeProblem(line))
                << ", \"text\": " << jsonString(printableBytes(line.excerpt));
        } else {
            const Cells c = cellsOf(line);
            out << ", \"date\": " << jsonString(c.date) << ", \"time\": " << jsonString(c.time);
            if (line.kind == DataLineKind::In)
                out << ", \"keyed\": " << jsonString(c.keyed);
            else
                out << ", \"card\": " << jsonString(c.card) << ", \"job_card\": " << jsonString(c.jobCard)
                    << ", \"activity\": " << jsonString(c.activity);
        }
        out << ", \"line_end\": " << jsonString(lineEndName(line.end)) << '}';
        separator = ",\n";
    }
    out << (file.lines.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

} // namespace

int runRecords(const RecordsOptions& options, std::ostream& out, std::ostream& err)
{
    StoreReader store(options.folder);
    const std::string path = store.hostPath(kDataFileName);
    std::optional<std::string> bytes = store.readDataFile();
    if (!bytes)
        err << "shift-loom-store: " << path << ": no data file yet (the panel makes it at its first start)\n";
    const DecodedDataFile file = decodeDataFile(std::move(bytes).value_or(std::string()));

    switch (options.format) {
    case OutputFormat::Text:
        printText(file, out);
        break;
    case OutputFormat::Csv:
        printCsv(file, out);
        break;
    case OutputFormat::Json:
        printJson(path, file, out);
        break;
    }
    if (file.invalidCount > 0) {
        err << "shift-loom-store: " << path << ": " << file.invalidCount << " of " << file.lines.size()
            << " lines invalid\n";
    }
    return 0;
}

} // namespace shiftloom::tool
