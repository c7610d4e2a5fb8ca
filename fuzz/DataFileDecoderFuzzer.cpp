// SPDX-License-Identifier: MIT
// The store tool's decoder of the data file on any bytes: one decoded line per line of the
// file, numbered from 1, valid lines exactly 24 or 64 digits, and each line decoded alone as
// within the file; the report's own reading of starts and stops says what the decoder says.
#include "timing/RecordLayout.h"
#include "tool/DataFileDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom::tool;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DecodedDataFile file = decodeDataFile(std::string(bytes));
    std::size_t invalid = 0;
    std::size_t total = 0;
    std::size_t number = 0;
    for (const DataLine& line : file.lines) {
        if (line.number != ++number)
            std::abort(); // lines are numbered one by one from 1
        total += line.length;
        if (line.kind == DataLineKind::Invalid) {
            ++invalid;
            if (line.problem == DataLineProblem::None || line.excerpt.size() > kExcerptLength)
                std::abort();
            (void)describeProblem(line);
        } else if (line.length != shiftloom::record::longLength && line.length != shiftloom::record::shortLength) {
            std::abort();
        }
        (void)kindName(line.kind);
    }
    if (invalid != file.invalidCount || total > size)
        std::abort();
    DateMemo memo;
    std::size_t at = 0;
    forEachDataLine(bytes, true, [&](std::string_view text, LineEnd) {
        const DataLine& line = file.lines.at(at++);
        RecordStamp stamp;
        bool start = false;
        const bool record = readStartOrStop(text, stamp, start, memo);
        if (record != (line.kind == DataLineKind::Start || line.kind == DataLineKind::Stop)
            || (record && (stamp != line.stamp || start != (line.kind == DataLineKind::Start))))
            std::abort();
    });
    // One line per line feed, and one more for bytes after the last.
    const auto lineFeeds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    if (file.lines.size() != lineFeeds + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0))
        std::abort();
    return 0;
}
