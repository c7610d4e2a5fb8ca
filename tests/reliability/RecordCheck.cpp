// SPDX-License-Identifier: MIT
#include "RecordCheck.h"

#include "timing/TimeRecord.h"

#include <charconv>
#include <optional>

namespace shiftloom::test {

namespace {

constexpr long long kWriterStride = 1'000'000;

long long numberOf(std::string_view digits)
{
    long long value = -1;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

/** The checked record that `text` begins with, and its length. */
std::optional<std::pair<RecordId, std::size_t>> recordAtStart(std::string_view text)
{
    // The number sits at the card number's place of a long record, the keyed number's of a short one.
    for (const auto& [length, at, digits] : {std::tuple{64u, 16u, 16u}, std::tuple{24u, 14u, 8u}}) {
        if (text.size() < length)
            continue;
        const long long value = numberOf(text.substr(at, digits));
        const RecordId id{static_cast<int>(value / kWriterStride), static_cast<int>(value % kWriterStride)};
        if (value >= kWriterStride && text.substr(0, length) == checkedRecordLine(id.first, id.second))
            return std::pair{id, std::size_t{length}};
    }
    return std::nullopt;
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
        const auto record = recordAtStart(line);
        if (end == std::string_view::npos || !record || record->second != line.size()) {
            // A whole record with other bytes on its line (a line without its end alone is torn).
            bool glued = false;
            for (std::size_t at = 0; at < line.size() && !glued; ++at) {
                const auto inside = recordAtStart(line.substr(at));
                glued = inside && (at > 0 || inside->second < line.size());
            }
            ++(glued ? merged : torn);
            continue;
        }
        const RecordId id = record->first;
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
    : lastSent(first - 1)
{
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::string_view word = line.substr(line.find(' ') + 1);
        if (line.starts_with("counts ")) {
            std::size_t* figures[] = {&presumedWhole, &inDoubtWrittenAgain, &refragments};
            std::string_view rest = word;
            for (std::size_t* figure : figures) {
                *figure = static_cast<std::size_t>(numberOf(rest));
                rest.remove_prefix(std::min(rest.size(), rest.find(' ') + 1));
            }
        } else if (line.starts_with("end ")) {
            ended = true;
        } else if (const long long seq = numberOf(line); seq >= 0) {
            lastSent = static_cast<int>(seq);
            ++places[std::string(word)];
        }
    }
}

} // namespace shiftloom::test
