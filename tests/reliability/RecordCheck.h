// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::test {

/**
 * Records whose content can be checked: the driver of the reliability tests gives every record a
 * value writer * 1,000,000 + seq, written as the card number of a start or stop record and as
 * the keyed number of an IN record (8 digits: writers 1 to 99, seq below 1,000,000). Record seq
 * of a writer is a start when seq % 3 is 0, a stop when it is 1, an IN punch when it is 2.
 */
inline constexpr std::int64_t kWriterStride = 1'000'000;

struct RecordId
{
    int writer = 0;
    int seq = 0;
    auto operator<=>(const RecordId&) const = default;
};

/** The record line (without its line end) of `writer`'s record `seq`. */
std::string checkedRecordLine(const platform::LocalDateTime& now, int writer, int seq);

/** The writer and seq of a whole record line; nothing for a line that is not a checked record. */
std::optional<RecordId> checkedRecordId(std::string_view line);

/** What a writer process reported, read from its log (see `record-writer`). */
struct WriterLog
{
    int writer = 0;
    int first = 0; ///< the first seq it was to write
    int lastLogged = -1; ///< the last seq whose place it reported, or first - 1
    int lastPlaced = -1; ///< the last seq known to be on disk (in the store or the buffer)
    bool ended = false; ///< it reached its end and reported it
    std::size_t heldAtEnd = 0; ///< records it could not place anywhere before it ended
    std::size_t toStore = 0;
    std::size_t toBuffer = 0;
    std::size_t held = 0;
    int exitTries = 0; ///< tries it took at the end to place the records held (1 when none were held)

    /** Records it may have written: every one up to the one in flight. */
    int lastAttempted() const { return ended ? lastLogged : lastLogged + 1; }
};

/**
 * Reads a writer log: one line "<seq> store|buffer|held" after each record, then "end ok" or
 * "end held <n>" when the writer ends in order. A record reported held is on disk once a later
 * record is reported placed or the end reports none held.
 */
WriterLog readWriterLog(std::string_view text, int writer, int first);

/** The findings over the data files of a run: every line looked at, every record counted. */
struct RecordCheck
{
    std::size_t lines = 0; ///< lines in all files
    std::size_t torn = 0; ///< lines that are neither 64 nor 24 digits, empty lines included
    std::size_t unterminated = 0; ///< files that do not end with CR LF (a torn last line)
    std::size_t foreign = 0; ///< whole lines that carry no checked record (lines there before the run)
    std::map<RecordId, std::size_t> counts;
    std::size_t outOfOrder = 0; ///< records found before an earlier record of the same writer
    std::vector<std::string> tornSamples;

    /** Lines of checked records beyond their first. */
    std::size_t duplicates() const;
    std::size_t count(RecordId id) const;
};

/** Checks the files `texts` as one data file, in the given order (for instance a saved copy, then the store). */
RecordCheck checkDataFiles(const std::vector<std::string>& texts);

/** What a comparison of the files with the writers' logs finds. */
struct RecordVerdict
{
    std::size_t expected = 0; ///< records the writers reported placed
    std::size_t lost = 0; ///< reported placed, but not in the files
    std::size_t duplicated = 0; ///< extra copies of records
    std::size_t unexpected = 0; ///< records in the files that no writer can have written
    std::size_t inFlightFound = 0; ///< records not reported (the writer died) that did arrive
    std::vector<std::string> problems; ///< a few examples, for the test's message
};

RecordVerdict compareWithLogs(const RecordCheck& check, const std::vector<WriterLog>& logs);

} // namespace shiftloom::test
