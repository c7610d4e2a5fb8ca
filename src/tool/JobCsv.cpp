// SPDX-License-Identifier: MIT
#include "JobCsv.h"

#include "platform/Cp1252.h"
#include "tool/CsvReader.h"

#include <algorithm>
#include <cctype>

namespace shiftloom::tool {
namespace {

std::string lowerTrimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    std::string out(text.substr(first, last - first + 1));
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return out;
}

bool isHeaderRow(const std::vector<std::string>& fields)
{
    if (fields.size() != kJobColumns.size())
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (lowerTrimmed(fields[i]) != kJobColumns[i].name)
            return false;
    }
    return true;
}

std::string quoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    out.append(text);
    out.push_back('"');
    return out;
}

// The Windows-1252 bytes of a UTF-8 field, or the reason why it has none.
std::optional<std::string> toCp1252(std::string_view utf8, std::string& why)
{
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            why = std::string("control character 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
            return std::nullopt;
        }
    }
    std::string bytes = platform::utf8ToCp1252(utf8);
    // The conversion puts "?" where it cannot map; a round trip shows whether it had to.
    if (platform::cp1252ToUtf8(bytes) != utf8) {
        why = "a character that Windows-1252 cannot hold, or malformed UTF-8";
        return std::nullopt;
    }
    return bytes;
}

bool isNumber(std::string_view card)
{
    bool digit = false;
    for (const char c : card) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != ' ')
            return false;
    }
    return digit;
}

} // namespace

JobCsvResult readJobCsv(std::string_view text)
{
    JobCsvResult result;
    CsvResult csv = readCsv(text);
    if (csv.problem) {
        result.problem = JobCsvProblem{csv.problem->line, csv.problem->message};
        return result;
    }
    auto fail = [&](std::size_t line, std::string message) {
        result.problem = JobCsvProblem{line, std::move(message)};
        result.jobs.clear();
        return result;
    };

    for (std::size_t row = 0; row < csv.records.size(); ++row) {
        const CsvRecord& record = csv.records[row];
        if (row == 0 && isHeaderRow(record.fields))
            continue;
        if (record.fields.size() != kJobColumns.size())
            return fail(record.line,
                "expected " + std::to_string(kJobColumns.size()) + " columns, found "
                    + std::to_string(record.fields.size()));

        std::array<std::string, 5> texts;
        for (std::size_t column = 0; column < texts.size(); ++column) {
            const JobColumn& layout = kJobColumns[column];
            const std::string& field = record.fields[column];
            std::string why;
            std::optional<std::string> bytes = toCp1252(field, why);
            if (!bytes)
                return fail(record.line, "column " + std::string(layout.name) + ": " + why);
            if (bytes->size() > layout.width)
                return fail(record.line,
                    "column " + std::string(layout.name) + ": " + std::to_string(bytes->size())
                        + " characters, at most " + std::to_string(layout.width) + " fit");
            texts[column] = std::move(*bytes);
        }

        const std::string listed = lowerTrimmed(record.fields[5]);
        JobSpec job{texts[0], texts[1], texts[2], texts[3], texts[4], true};
        if (listed == "yes" || listed == "1")
            job.listed = true;
        else if (listed == "no" || listed == "0")
            job.listed = false;
        else
            return fail(record.line, "column listed: expected yes, no, 1 or 0, found " + quoted(record.fields[5]));

        if (job.code.find_first_not_of(' ') == std::string::npos)
            return fail(record.line, "column code: empty");
        const std::string where = "line " + std::to_string(record.line) + ": ";
        if (job.code.front() == ' ')
            result.warnings.push_back(where + "code " + quoted(record.fields[1])
                + " begins with a blank; the panel does not list such a job");
        if (!isNumber(job.card))
            result.warnings.push_back(where + "card " + quoted(record.fields[4])
                + " is not a number; start records will not carry it as it stands");
        result.jobs.push_back(std::move(job));
    }
    return result;
}

} // namespace shiftloom::tool
