// SPDX-License-Identifier: MIT
#include "CardNames.h"

#include "tool/CsvReader.h"
#include "tool/Report.h"
#include "tool/ToolError.h"

#include <algorithm>
#include <cctype>

namespace shiftloom::tool {
namespace {

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isWord(std::string_view field, std::string_view word)
{
    const std::string_view text = trimmed(field);
    return std::equal(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF)
// without control characters.
bool isPlainUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7F)
                return false;
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || lead > 0xF4 || i + length > text.size())
            return false;
        unsigned long value = lead & (0xFFu >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF)))
            || (length == 4 && (value < 0x10000 || value > 0x10FFFF)) || (value >= 0x80 && value <= 0x9F))
            return false;
        i += length;
    }
    return true;
}

} // namespace

CardNames readCardNames(std::string_view text, const std::string& path)
{
    const CsvResult csv = readCsv(text);
    auto fail = [&path](std::size_t line, const std::string& message) {
        return ToolError(path + " line " + std::to_string(line) + ": " + message);
    };
    if (csv.problem)
        throw fail(csv.problem->line, csv.problem->message);
    CardNames names;
    std::map<std::string, std::size_t> lineOf;
    for (const CsvRecord& record : csv.records) {
        if (record.fields.size() != 2)
            throw fail(record.line, "expected 2 columns (card, name), found " + std::to_string(record.fields.size()));
        if (&record == &csv.records.front() && isWord(record.fields[0], "card") && isWord(record.fields[1], "name"))
            continue;
        const std::string_view card = trimmed(record.fields[0]);
        if (card.empty() || card.size() > 16
            || !std::all_of(card.begin(), card.end(), [](char c) { return c >= '0' && c <= '9'; }))
            throw fail(record.line, "card \"" + record.fields[0] + "\" is not a number of at most 16 digits");
        if (!isPlainUtf8(record.fields[1]))
            throw fail(record.line, "the name is not UTF-8 text (malformed, or a control character)");
        const std::string number = withoutLeadingZeros(card);
        const auto [before, added] = lineOf.try_emplace(number, record.line);
        if (!added)
            throw fail(
                record.line, "card " + number + " is named on line " + std::to_string(before->second) + " already");
        names.emplace(number, std::string(trimmed(record.fields[1])));
    }
    return names;
}

} // namespace shiftloom::tool
