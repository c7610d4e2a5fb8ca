// SPDX-License-Identifier: MIT
#include "RecordCheck.h"

#include "timing/TimeRecord.h"

#include <charconv>

namespace shiftloom::test {

namespace {

constexpr long long kWriterStride = 1'000'000;

long long numberOf(std::string_view digits)
{
    long long value = -1;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

} // namespace

std::string checkedRecordLine(int writer, int seq)
{
    const std::string value = std::to_string(writer * kWriterStride + seq);
    return seq % 3 == 0 ? startRecord(kStamp, value, "567", "3")
        : seq % 3 == 1  ? stopRecord(kStamp, value)
                        : inRecord(kStamp, value);
}

std::string checkedLines(int writer, int first, int count)
{
    std::string text;
    for (int seq = first; seq < first + count; ++seq)
        text += checkedRecordLine(writer, seq) + "\r\n";
    return text;
}

RecordCheck::RecordCheck(std::string_view text)
{
    std::map<int, int> lastSeq;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find("\r\n", begin);
        const std::string_view line = text.substr(begin, end - begin);
        begin = end == std::string_view::npos ? text.size() : end + 2;
        // The number sits at the card number's place of a long line, the keyed number's of a short one.
        const long long value = line.size() == 64 ? numberOf(line.substr(16, 16))
            : line.size() == 24                   ? numberOf(line.substr(14, 8))
                                                  : -1;
        const RecordId id{static_cast<int>(value / kWriterStride), static_cast<int>(value % kWriterStride)};
        if (end == std::string_view::npos || value < kWriterStride || line != checkedRecordLine(id.first, id.second)) {
            ++torn;
            continue;
        }
        if (counts[id]++ > 0)
            ++doubled;
        else if (lastSeq.contains(id.first) && lastSeq[id.first] > id.second)
            ++outOfOrder;
        else
            lastSeq[id.first] = id.second;
    }
}

std::size_t RecordCheck::lost(int writer, int first, int last) const
{
    std::size_t missing = 0;
    for (int seq = first; seq <= last; ++seq)
        missing += !counts.contains({writer, seq});
    return missing;
}

WriterLog::WriterLog(std::string_view text, int first)
    : lastLogged(first - 1)
    , lastPlaced(first - 1)
{
    // A line cut by a kill (no line end) says nothing.
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::string_view word = line.substr(line.find(' ') + 1);
        if (line.starts_with("tries ")) {
            tries = static_cast<int>(numberOf(word));
        } else if (line == "end 0") {
            lastPlaced = lastLogged;
        } else if (const long long seq = numberOf(line); seq >= 0) {
            lastLogged = static_cast<int>(seq);
            // Records held before are written ahead of a placed one.
            if (word == "held")
                ++held;
            else
                lastPlaced = lastLogged;
            toBuffer += word != "held" && word != "store";
        }
    }
}

} // namespace shiftloom::test
