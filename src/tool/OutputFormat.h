// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::tool {

/** How the reading commands print their rows. */
enum class OutputFormat
{
    Text, ///< an aligned table for people
    Csv, ///< a byte-order mark, one header row, then one row a line (RFC 4180 quoting)
    Json, ///< one JSON document
};

/**
 * A table printed with its columns aligned: a header row, then the rows. Cells are UTF-8; widths
 * count characters. Columns marked right-aligned suit numbers.
 */
class TextTable final
{
public:
    TextTable(std::vector<std::string> headers, std::vector<bool> rightAligned);
    void addRow(std::vector<std::string> cells);
    bool empty() const { return m_rows.empty(); }
    void print(std::ostream& out) const;

private:
    std::vector<std::string> m_headers;
    std::vector<bool> m_rightAligned;
    std::vector<std::vector<std::string>> m_rows;
};

/**
 * UTF-8's byte-order mark, which begins every CSV output: spreadsheet programs take a file
 * without it for their local 8-bit text and garble every character beyond ASCII.
 */
inline constexpr std::string_view kCsvBom = "\xEF\xBB\xBF";

/**
 * A CSV field, quoted when it holds a comma, a quote or a line break. A field that a spreadsheet
 * would take for a formula (one that begins with =, +, -, @, a tab or a carriage return) gets an
 * apostrophe before it, so that it stays text: job names come from another system's files, and
 * opening a report must not run what they hold. No figure of the reports begins so.
 */
std::string csvField(std::string_view text);
/** Fields joined by commas, ended by a line feed. */
std::string csvRow(const std::vector<std::string>& fields);
/** A JSON string literal of UTF-8 text, quotes included. */
std::string jsonString(std::string_view utf8);

/**
 * Bytes from a file shown safely on a terminal or in any of the formats: printable ASCII as it
 * stands, every other byte as \xNN, and a backslash doubled.
 */
std::string printableBytes(std::string_view bytes);

/** "yyyy-mm-dd" and "hh:mm" of numbers; hours may exceed 24 (a total). */
std::string isoDate(int year, int month, int day);
std::string clockText(long long hours, long long minutes);

} // namespace shiftloom::tool
