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
 * What a data file holds, line by line, as Card-Warden reads it: how often each checked record
 * is there on a line of its own, and the lines that are not exactly one record.
 */
struct RecordCheck
{
    std::map<RecordId, std::size_t> counts;
    std::size_t torn = 0; ///< lines that hold no whole record (a fragment, anything foreign)
    /** Lines that hold a whole record glued to other bytes; the record does not count as there. */
    std::size_t merged = 0;
    std::size_t doubled = 0; ///< copies of records beyond their first
    std::size_t outOfOrder = 0; ///< records found after a later record of the same writer

    explicit RecordCheck(std::string_view text);
    /** Records `first` to `last` of `writer` that are not there. */
    std::size_t lost(int writer, int first, int last) const;
};

/**
 * What a record writer reported in its log (see the driver's `write`): after each record
 * "<seq> store|buffer|held" once `write()` has returned, "counts <presumed whole> <written again
 * in doubt> <fragments written again>" whenever its delivery's counts change, and at its end
 * "end <records still held>". A line cut by a kill (no line end) says nothing.
 */
struct WriterLog
{
    int lastSent = -1; ///< the last seq whose `write()` returned
    std::map<std::string, std::size_t> places; ///< "store", "buffer", "held": records by where `write()` said
    std::size_t presumedWhole = 0, inDoubtWrittenAgain = 0, refragments = 0;
    bool ended = false;

    WriterLog(std::string_view text, int first);
};

} // namespace shiftloom::test
