// SPDX-License-Identifier: MIT
#include "RecordCheck.h"

#include "timing/TimeRecord.h"

#include <charconv>

namespace shiftloom::test {

namespace {

constexpr std::size_t kLongLength = 64;
constexpr std::size_t kShortLength = 24;
constexpr std::size_t kCardColumn = 16; // 0-based, 16 digits
constexpr std::size_t kKeyedColumn = 14; // 0-based, 8 digits
constexpr std::size_t kMaxSamples = 5;

bool allDigits(std::string_view text)
{
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::int64_t numberOf(std::string_view digits)
{
    std::int64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

std::string idText(RecordId id)
{
    return "writer " + std::to_string(id.writer) + " seq " + std::to_string(id.seq);
}

} // namespace

std::string checkedRecordLine(const platform::LocalDateTime& now, int writer, int seq)
{
    const std::string value = std::to_string(writer * kWriterStride + seq);
    switch (seq % 3) {
    case 0:
        return MakeStartRecord(now, value, "567", "3");
    case 1:
        return MakeStopRecord(now, value);
    default:
        return MakeInRecord(now, value);
    }
}

std::optional<RecordId> checkedRecordId(std::string_view line)
{
    if (!allDigits(line))
        return std::nullopt;
    std::int64_t value = 0;
    if (line.size() == kLongLength)
        value = numberOf(line.substr(kCardColumn, 16));
    else if (line.size() == kShortLength)
        value = numberOf(line.substr(kKeyedColumn, 8));
    else
        return std::nullopt;
    if (value < kWriterStride)
        return std::nullopt;
    const RecordId id{static_cast<int>(value / kWriterStride), static_cast<int>(value % kWriterStride)};
    // The layout must be the one the writer used for this seq.
    const bool isShort = line.size() == kShortLength;
    if (isShort != (id.seq % 3 == 2))
        return std::nullopt;
    if (!isShort && line.substr(14, 2) != (id.seq % 3 == 0 ? "00" : "01"))
        return std::nullopt;
    return id;
}

WriterLog readWriterLog(std::string_view text, int writer, int first)
{
    WriterLog log;
    log.writer = writer;
    log.first = first;
    log.lastLogged = first - 1;
    log.lastPlaced = first - 1;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            break; // a line cut by a kill says nothing
        const std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        if (line == "end ok") {
            log.ended = true;
            log.lastPlaced = log.lastLogged;
            continue;
        }
        if (line.starts_with("exit_tries ")) {
            log.exitTries = static_cast<int>(numberOf(line.substr(11)));
            continue;
        }
        if (line.starts_with("end held ")) {
            log.ended = true;
            log.heldAtEnd = static_cast<std::size_t>(numberOf(line.substr(9)));
            continue;
        }
        const std::size_t space = line.find(' ');
        if (space == 0 || space == std::string_view::npos || !allDigits(line.substr(0, space)))
            continue; // "points <n>" and the like
        const int seq = static_cast<int>(numberOf(line.substr(0, space)));
        const std::string_view place = line.substr(space + 1);
        log.lastLogged = seq;
        if (place == "held") {
            ++log.held;
            continue;
        }
        if (place == "store")
            ++log.toStore;
        else if (place == "buffer" || place == "spool" || place == "journal")
            ++log.toBuffer;
        // Records held before are written ahead of this one.
        log.lastPlaced = seq;
    }
    return log;
}

std::size_t RecordCheck::duplicates() const
{
    std::size_t extra = 0;
    for (const auto& [id, n] : counts)
        extra += n - 1;
    return extra;
}

std::size_t RecordCheck::count(RecordId id) const
{
    const auto it = counts.find(id);
    return it == counts.end() ? 0 : it->second;
}

RecordCheck checkDataFiles(const std::vector<std::string>& texts)
{
    RecordCheck check;
    std::map<int, int> lastSeq; // per writer, the last seq seen for the first time
    for (const std::string& text : texts) {
        if (!text.empty() && !text.ends_with("\r\n"))
            ++check.unterminated;
        std::size_t begin = 0;
        while (begin < text.size()) {
            std::size_t end = text.find("\r\n", begin);
            const bool last = end == std::string::npos;
            if (last)
                end = text.size();
            const std::string_view line(text.data() + begin, end - begin);
            begin = last ? end : end + 2;
            ++check.lines;
            const bool whole = allDigits(line) && (line.size() == kLongLength || line.size() == kShortLength);
            if (!whole || last) {
                ++check.torn;
                if (check.tornSamples.size() < kMaxSamples)
                    check.tornSamples.emplace_back(line.substr(0, 80));
                continue;
            }
            const std::optional<RecordId> id = checkedRecordId(line);
            if (!id) {
                ++check.foreign;
                continue;
            }
            if (check.counts[*id]++ > 0)
                continue;
            const auto previous = lastSeq.find(id->writer);
            if (previous != lastSeq.end() && previous->second > id->seq)
                ++check.outOfOrder;
            else
                lastSeq[id->writer] = id->seq;
        }
    }
    return check;
}

RecordVerdict compareWithLogs(const RecordCheck& check, const std::vector<WriterLog>& logs)
{
    RecordVerdict verdict;
    auto note = [&](std::string text) {
        if (verdict.problems.size() < kMaxSamples)
            verdict.problems.push_back(std::move(text));
    };
    for (const WriterLog& log : logs) {
        for (int seq = log.first; seq <= log.lastPlaced; ++seq) {
            ++verdict.expected;
            if (check.count({log.writer, seq}) == 0) {
                ++verdict.lost;
                note("lost: " + idText({log.writer, seq}));
            }
        }
        const int lastAttempted = log.lastAttempted();
        for (int seq = log.lastPlaced + 1; seq <= lastAttempted; ++seq) {
            if (check.count({log.writer, seq}) > 0)
                ++verdict.inFlightFound;
        }
    }
    for (const auto& [id, n] : check.counts) {
        bool known = false;
        for (const WriterLog& log : logs)
            known = known || (log.writer == id.writer && id.seq >= log.first && id.seq <= log.lastAttempted());
        if (!known) {
            ++verdict.unexpected;
            note("unexpected: " + idText(id));
        }
        if (n > 1) {
            verdict.duplicated += n - 1;
            note("duplicated " + std::to_string(n) + " times: " + idText(id));
        }
    }
    return verdict;
}

} // namespace shiftloom::test
