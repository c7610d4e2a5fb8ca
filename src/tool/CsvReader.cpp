// SPDX-License-Identifier: MIT
#include "CsvReader.h"

namespace shiftloom::tool {

CsvResult readCsv(std::string_view text)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());

    CsvResult result;
    std::size_t line = 1;
    std::size_t i = 0;
    auto fail = [&](std::size_t at, std::string message) {
        result.problem = CsvProblem{at, std::move(message)};
        return result;
    };
    // At a line end: CR LF or LF. Returns its length, 0 when `at` is not at a line end.
    auto lineEndAt = [&](std::size_t at) -> std::size_t {
        if (at < text.size() && text[at] == '\n')
            return 1;
        if (at + 1 < text.size() && text[at] == '\r' && text[at + 1] == '\n')
            return 2;
        return 0;
    };

    while (i < text.size()) {
        if (const std::size_t blank = lineEndAt(i)) {
            i += blank;
            ++line;
            continue;
        }
        CsvRecord record;
        record.line = line;
        for (;;) {
            std::string field;
            if (i < text.size() && text[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= text.size())
                        return fail(record.line, "quoted field not closed");
                    const char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field.push_back('"');
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field.push_back(c);
                }
                if (i < text.size() && text[i] != ',' && lineEndAt(i) == 0)
                    return fail(line, "text after a closing quote");
            } else {
                while (i < text.size() && text[i] != ',' && lineEndAt(i) == 0) {
                    if (text[i] == '"')
                        return fail(line, "quote inside an unquoted field");
                    field.push_back(text[i++]);
                }
            }
            record.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        result.records.push_back(std::move(record));
        if (const std::size_t end = lineEndAt(i)) {
            i += end;
            ++line;
        }
    }
    return result;
}

} // namespace shiftloom::tool
