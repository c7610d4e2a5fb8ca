// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

namespace shiftloom {

/** A field of a time record: where it starts (0-based) and how many characters it has. */
struct RecordField
{
    std::size_t offset;
    std::size_t length;
    constexpr std::size_t end() const { return offset + length; }
    /** The field of `line`; shorter, or empty, when the line ends early. */
    constexpr std::string_view of(std::string_view line) const
    {
        return offset < line.size() ? line.substr(offset, length) : std::string_view{};
    }
};

/**
 * The time records that Card-Warden reads from its data file: lines of digits in two layouts.
 * The panel writes them, the store tool decodes them, and the tests read them, all by this table.
 *
 *     long  (64): prefix date time event card jobCard activity       (a start or a stop)
 *     short (24): prefix date time keyed closing                     (an IN punch)
 */
namespace record {
inline constexpr RecordField prefix{0, 2};
inline constexpr RecordField year{2, 4};
inline constexpr RecordField month{6, 2};
inline constexpr RecordField day{8, 2};
inline constexpr RecordField hour{10, 2};
inline constexpr RecordField minute{12, 2};
inline constexpr RecordField date{2, 8}; ///< yyyymmdd
inline constexpr RecordField time{10, 4}; ///< hhmm, from the same reading of the clock
// The long layout.
inline constexpr RecordField event{14, 2};
inline constexpr RecordField card{16, 16};
inline constexpr RecordField jobCard{32, 16};
inline constexpr RecordField activity{48, 16};
inline constexpr std::size_t longLength = activity.end();
// The short layout.
inline constexpr RecordField keyed{14, 8};
inline constexpr RecordField closing{22, 2};
inline constexpr std::size_t shortLength = closing.end();

inline constexpr std::string_view Prefix = "01";
inline constexpr std::string_view StartEvent = "00";
inline constexpr std::string_view StopEvent = "01";
inline constexpr std::string_view Closing = "00";
} // namespace record

} // namespace shiftloom
