// SPDX-License-Identifier: MIT
#pragma once

#include "tool/Calendar.h"
#include "tool/DataFileDecoder.h"

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace shiftloom::tool {

/** Minutes since 0001-01-01 00:00 of a record's date and time. */
long long minuteIndex(const RecordStamp& stamp);

/** The time one card spent on one job on one day. */
struct JobDayTotal
{
    std::string card; ///< the card number without its leading zeros ("0" for zeros only)
    std::string jobCard; ///< likewise
    Day day; ///< the day the minutes count for (see ReportBuilder)
    long long minutes = 0;
};

/** A start of a card that nothing ended yet: the job is still being timed, or the panel went away. */
struct OpenStart
{
    std::string card;
    std::string jobCard;
    RecordStamp start;
    std::size_t line = 0; ///< line of the start in the data file
};

struct ReportOptions
{
    std::optional<Day> from; ///< first day reported, inclusive
    std::optional<Day> to; ///< last day reported, inclusive
    bool splitAtMidnight = false; ///< an interval counts on each day for its part (see ReportBuilder)
    bool byJobCard = true; ///< the minutes of each job card apart; without, all under job card 0
};

/** An invalid line of the data file, as the records command describes it. */
struct InvalidLineNote
{
    std::size_t line = 0;
    std::string problem; ///< why it is invalid (see describeProblem)
    std::string excerpt; ///< its first bytes, as they stand
    std::size_t length = 0; ///< bytes of the whole line
};

struct TimeReport
{
    std::vector<JobDayTotal> totals; ///< by card, then day, then job card
    std::vector<OpenStart> open; ///< by card
    std::size_t linesRead = 0; ///< every line of the data file, invalid ones included
    std::size_t invalidLines = 0; ///< lines of neither layout, left out
    std::vector<InvalidLineNote> invalidListed; ///< the first kInvalidListed of them
};

/** How many invalid lines a report describes one by one; the records command lists them all. */
inline constexpr std::size_t kInvalidListed = 200;

/**
 * The time of each card on each job and day, from the records of a data file.
 *
 * - Each card is taken on its own, its start and stop records in the order of their date and time
 *   (records of the same minute in file order). IN records carry no card and play no part.
 * - A start runs until the next start or stop of the same card: pressing another job button
 *   writes only the new start, so the next start is the only trace of the previous job's end.
 *   A stop with no start before it ends nothing.
 * - Midnight: the whole interval counts for the day of its start, even when it ends on a later day
 *   (a start at 23:50 stopped at 00:20 gives 30 minutes on the day of the start), so that a
 *   night shift stays one shift on the day it began. With `splitAtMidnight` each day gets the
 *   part of the interval that falls on it (20 minutes and 10 minutes).
 * - The last start of a card with nothing after it is open and reported apart; it adds no minutes.
 * - `from` and `to` select by the day the minutes count for; records outside the range still end
 *   the intervals of starts inside it.
 * - Intervals of 0 minutes (start and end in the same minute) still give a row.
 *
 * The lines are read as a stream, so that the memory grows with cards, days and job cards, not
 * with records. A card whose records stand in time order in the file is summed as its lines pass.
 * A record that stands after a later one of its card (appended by another workstation, or
 * replayed from a workstation's buffer) is late: it is kept, and the lines of its card are read a
 * second time, when the late records are merged into their places. So a data file is read once
 * when it is in order, and twice otherwise; what is kept is the late records, not all of them.
 */
class ReportBuilder final
{
public:
    explicit ReportBuilder(ReportOptions options);
    ~ReportBuilder();
    ReportBuilder(const ReportBuilder&) = delete;
    ReportBuilder& operator=(const ReportBuilder&) = delete;

    /**
     * The first reading: the data file in pieces, in file order, each piece whole lines with their
     * line ends and, when `final`, the text after the last line end (a last line without one).
     */
    void addPiece(std::string_view piece, bool final);
    /** True when some card had a late record, so that the same lines must be read once more. */
    bool needsSecondReading() const;
    /** The second reading: the same lines, in the same order, from the first to the last. */
    void addPieceAgain(std::string_view piece, bool final);
    /** The report; the builder is spent. */
    TimeReport finish();

private:
    struct Card;
    /** The options as the summing uses them on the way of every record: days as yyyymmdd. */
    struct DateRange
    {
        int from = 0;
        int to = 0;
        bool split = false;
        bool byJobCard = true;
        bool holds(int date) const { return date >= from && date <= to; }
    };
    /** A line that is a start or stop record, taken; false, and nothing done, for any other line. */
    bool addRecordLine(std::string_view text);
    bool addRecordLineAgain(std::string_view text);
    Card& cardOf(std::string_view field);
    /** minuteIndex, the day's part kept for the next records, which are mostly of the same day. */
    long long minuteOf(const RecordStamp& stamp);

    ReportOptions m_options;
    DateRange m_range;
    TimeReport m_report;
    std::unordered_map<std::uint64_t, std::unique_ptr<Card>> m_cards; ///< by the value of the card field
    Card* m_lastCard = nullptr; ///< the card of the latest record
    std::array<std::uint64_t, 2> m_lastCardField{}; ///< its card field, as written
    DateMemo m_dateMemo;
    std::size_t m_lineNumber = 0; ///< of the line being read
    DataLine m_line; ///< the line being read when it is no start or stop, decoded
    int m_date = -1; ///< yyyymmdd of the latest record
    long long m_dayStart = 0; ///< the minute index of 00:00 on that day
    bool m_late = false;
    bool m_secondReading = false;
};

/** Both readings over the bytes of a data file that are already in memory. */
TimeReport buildReport(std::string_view dataFile, const ReportOptions& options);

/** Minutes as hh:mm; the hours may pass 24. */
std::string durationText(long long minutes);

/** Numbers written without leading zeros (cards, job cards), in numeric order. */
struct NumericOrder
{
    bool operator()(std::string_view a, std::string_view b) const
    {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    }
};

/** A number of 16 digits as written in a record, without its leading zeros. */
std::string withoutLeadingZeros(std::string_view digits);

} // namespace shiftloom::tool
