// SPDX-License-Identifier: MIT
#include "OutputFormat.h"

#include "app/LeadingNumber.h"

#include <algorithm>
#include <cstdio>

namespace shiftloom::tool {
namespace {

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t displayWidth(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

constexpr std::string_view kHexDigits = "0123456789abcdef";

} // namespace

TextTable::TextTable(std::vector<std::string> headers, std::vector<bool> rightAligned)
    : m_headers(std::move(headers))
    , m_rightAligned(std::move(rightAligned))
{
    m_rightAligned.resize(m_headers.size(), false);
}

void TextTable::addRow(std::vector<std::string> cells)
{
    cells.resize(m_headers.size());
    m_rows.push_back(std::move(cells));
}

void TextTable::print(std::ostream& out) const
{
    std::vector<std::size_t> widths(m_headers.size());
    for (std::size_t c = 0; c < m_headers.size(); ++c) {
        widths[c] = displayWidth(m_headers[c]);
        for (const auto& row : m_rows)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
    auto printRow = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string padding(widths[c] - displayWidth(cells[c]), ' ');
            if (c > 0)
                line += "  ";
            if (m_rightAligned[c])
                line += padding + cells[c];
            else
                line += cells[c] + padding;
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
    };
    printRow(m_headers);
    for (const auto& row : m_rows)
        printRow(row);
}

std::string csvField(std::string_view text)
{
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return formula ? "'" + std::string(text) : std::string(text);
    std::string out = formula ? "\"'" : "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string csvRow(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        row += csvField(fields[i]);
    }
    row += '\n';
    return row;
}

std::string jsonString(std::string_view utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHexDigits[byte >> 4];
                out += kHexDigits[byte & 0xFu];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string printableBytes(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xFu];
        }
    }
    return out;
}

std::string isoDate(int year, int month, int day)
{
    return zeroPadded(std::to_string(year), 4) + "-" + zeroPadded(std::to_string(month), 2) + "-"
        + zeroPadded(std::to_string(day), 2);
}

std::string clockText(long long hours, long long minutes)
{
    return zeroPadded(std::to_string(hours), 2) + ":" + zeroPadded(std::to_string(minutes), 2);
}

} // namespace shiftloom::tool
