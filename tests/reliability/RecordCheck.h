// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace shiftloom::test {

/**
 * Records whose content can be checked: record seq of writer W (1 to 99, seq below 1,000,000)
 * carries W * 1,000,000 + seq as the card number of a start (seq % 3 == 0) or a stop (1), or as
 * the keyed number of an IN punch (2), all stamped kStamp.
 */
inline constexpr platform::LocalDateTime kStamp{2026, 12, 5, 8, 7, 59};
using RecordId = std::pair<int, int>; ///< writer, seq

/** The record line (without its line end) of `writer`'s record `seq`. */
std::string checkedRecordLine(int writer, int seq);

/** `count` checked records of `writer` from `first`, each ended by CR LF. */
std::string checkedLines(int writer, int first, int count);

/**
 * What a data file holds: how often each checked record is there, and the lines that are not
 * exactly one (a torn line, a line without its CR LF at the end, anything foreign).
 */
struct RecordCheck
{
    std::map<RecordId, std::size_t> counts;
    std::size_t torn = 0;
    std::size_t doubled = 0; ///< copies of records beyond their first
    std::size_t outOfOrder = 0; ///< records found before an earlier record of the same writer

    explicit RecordCheck(std::string_view text);
    /** Records `first` to `last` of `writer` that are not there. */
    std::size_t lost(int writer, int first, int last) const;
};

/**
 * What a record writer reported in its log (see the driver's `write`): after each record
 * "<seq> store|buffer|spool|journal|held", at its end "tries <n>" (the tries it took to place the
 * held records) and "end <records still held>".
 */
struct WriterLog
{
    int lastLogged = -1; ///< the last seq whose place it reported
    int lastPlaced = -1; ///< the last seq known to be on disk
    std::size_t toBuffer = 0; ///< records placed in the buffer, the spool or the journal
    std::size_t held = 0;
    int tries = 0;

    WriterLog(std::string_view text, int first);
};

} // namespace shiftloom::test
