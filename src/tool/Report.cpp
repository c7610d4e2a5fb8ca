// SPDX-License-Identifier: MIT
#include "Report.h"

#include "timing/RecordLayout.h"
#include "tool/OutputFormat.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace shiftloom::tool {
namespace {

// The value of a card or job card field: 16 digits, which a 64-bit number holds. Numbers stand for
// the fields while the records are summed (cheaper to hash and compare than their texts).
std::uint64_t fieldValue(std::string_view digits)
{
    if (digits.size() == 16)
        return eightDigitsValue(digits.data()) * 100000000u + eightDigitsValue(digits.data() + 8);
    std::uint64_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return value;
}

// A start or stop of a card, as much of it as the report needs.
struct CardEvent
{
    long long minute = 0; ///< see minuteIndex
    std::size_t line = 0;
    std::uint64_t jobCard = 0;
    int date = 0; ///< yyyymmdd
    bool start = false;
};

bool before(const CardEvent& a, const CardEvent& b)
{
    return std::tie(a.minute, a.line) < std::tie(b.minute, b.line);
}

int dateOf(const Day& day)
{
    return (day.year * 100 + day.month) * 100 + day.day;
}

Day dayOf(int date)
{
    return Day{date / 10000, date / 100 % 100, date % 100};
}

int dateOf(const RecordStamp& stamp)
{
    return dateOf(Day{stamp.year, stamp.month, stamp.day});
}

// The minutes since midnight of a minute index.
int timeOfDay(long long minute)
{
    return static_cast<int>((minute % 1440 + 1440) % 1440);
}

// Splits a piece of the data file as forEachDataLine does. A line of 64 characters and CR LF goes
// to `takeRecord` without a search for its line feed, and when `takeRecord` takes it for a start or stop
// (which means 64 digits), that is where the line ends; every other line goes to `other`.
template<typename Record, typename Other>
void forEachLineOfPiece(std::string_view piece, bool final, Record&& takeRecord, Other&& other)
{
    constexpr std::size_t kRecordLine = record::longLength + 2;
    std::size_t at = 0;
    while (at < piece.size()) {
        if (at + kRecordLine <= piece.size() && piece[at + kRecordLine - 2] == '\r'
            && piece[at + kRecordLine - 1] == '\n' && takeRecord(piece.substr(at, record::longLength))) {
            at += kRecordLine;
            continue;
        }
        const std::size_t lf = piece.find('\n', at);
        if (lf == std::string_view::npos && !final)
            return; // whole lines only, but for the last piece
        const std::size_t end = lf == std::string_view::npos ? piece.size() : lf + 1;
        forEachDataLine(piece.substr(at, end - at), true, other);
        at = end;
    }
}

} // namespace

long long minuteIndex(const RecordStamp& stamp)
{
    using namespace std::chrono;
    const sys_days date{year{stamp.year} / month{static_cast<unsigned>(stamp.month)}
        / std::chrono::day{static_cast<unsigned>(stamp.day)}};
    return static_cast<long long>(date.time_since_epoch().count()) * 1440 + stamp.hour * 60 + stamp.minute;
}

std::string withoutLeadingZeros(std::string_view digits)
{
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string("0") : std::string(digits.substr(first));
}

struct ReportBuilder::Card
{
    std::string number; ///< without leading zeros
    long long latest = std::numeric_limits<long long>::min(); ///< minute of the latest record read so far
    bool late = false; ///< a record came after a later one
    std::vector<CardEvent> lateEvents; ///< the late records, in file order; in time order for the second reading
    std::size_t nextLate = 0; ///< the first late record not yet summed in the second reading
    /** The start that the next record ends. */
    struct Running
    {
        long long minute = 0;
        std::size_t line = 0;
        std::uint64_t jobCard = 0;
        int date = 0;
    };
    std::optional<Running> running;
    /** A day summed up: the minutes of one job card, its texts made when the report is. */
    struct DayTotal
    {
        int date = 0; ///< yyyymmdd
        std::uint64_t jobCard = 0;
        long long minutes = 0;
    };
    std::vector<DayTotal> totals; ///< the days summed up, by day and then job card
    /** The day being summed, yyyymmdd: records are taken in time order, so it only moves forward. */
    int summedDate = 0;
    std::vector<std::pair<std::uint64_t, long long>> dayMinutes; ///< job card -> minutes on that day

    // Days go as yyyymmdd numbers on the way of every record: cheaper to pass and compare.
    /**
     * Where each job card of the day is in dayMinutes, by the job card's last digits: the job
     * cards of a day rarely share them, so that the place is found without a search, whose
     * outcome the processor could not foresee.
     */
    std::array<std::uint8_t, 16> placeOfJob{};

    void addMinutes(int date, std::uint64_t jobCard, long long minutes)
    {
        if (date != summedDate)
            closeDay();
        summedDate = date;
        std::uint8_t& place = placeOfJob[jobCard % placeOfJob.size()];
        if (place < dayMinutes.size() && dayMinutes[place].first == jobCard) {
            dayMinutes[place].second += minutes;
            return;
        }
        const auto job = std::find_if(
            dayMinutes.begin(), dayMinutes.end(), [jobCard](const auto& entry) { return entry.first == jobCard; });
        if (job != dayMinutes.end()) {
            job->second += minutes;
            return;
        }
        if (dayMinutes.size() <= std::numeric_limits<std::uint8_t>::max())
            place = static_cast<std::uint8_t>(dayMinutes.size());
        dayMinutes.emplace_back(jobCard, minutes);
    }

    void closeDay()
    {
        std::sort(dayMinutes.begin(), dayMinutes.end());
        for (const auto& [jobCard, minutes] : dayMinutes)
            totals.push_back(DayTotal{summedDate, jobCard, minutes});
        dayMinutes.clear();
    }

    // Takes the next record in time order: it ends the running start, and a start runs on. The
    // fields come one by one, so that nothing is copied through memory on the way of every record.
    void take(long long minute, std::size_t line, std::uint64_t jobCard, int date, bool start, const DateRange& range)
    {
        if (running && range.split) {
            // Each day gets its part; a part of 0 minutes gives a row only as the whole interval.
            int day = running->date;
            long long from = running->minute;
            long long midnight = from - timeOfDay(from) + 1440;
            for (;;) {
                const long long to = std::min(minute, midnight);
                if (range.holds(day) && (to > from || from == running->minute))
                    addMinutes(day, running->jobCard, to - from);
                if (minute <= midnight)
                    break;
                from = midnight;
                midnight += 1440;
                day = dateOf(dayAt(dayNumber(dayOf(day)) + 1));
            }
        } else if (running && range.holds(running->date)) {
            addMinutes(running->date, running->jobCard, minute - running->minute);
        }
        if (start)
            running.emplace(Running{minute, line, jobCard, date});
        else
            running.reset();
    }

    void take(const CardEvent& event, const DateRange& range)
    {
        take(event.minute, event.line, event.jobCard, event.date, event.start, range);
    }

    // Takes the late records that come before `event` (all of them without one).
    void takeLateUpTo(const CardEvent* event, const DateRange& range)
    {
        while (nextLate < lateEvents.size() && (!event || before(lateEvents[nextLate], *event)))
            take(lateEvents[nextLate++], range);
    }
};

ReportBuilder::ReportBuilder(ReportOptions options)
    : m_options(options)
    , m_range{options.from ? dateOf(*options.from) : std::numeric_limits<int>::min(),
          options.to ? dateOf(*options.to) : std::numeric_limits<int>::max(),
          options.splitAtMidnight,
          options.byJobCard}
{
}

ReportBuilder::~ReportBuilder() = default;

ReportBuilder::Card& ReportBuilder::cardOf(std::string_view field)
{
    // The records of a card often follow each other.
    if (m_lastCard && field.size() == sizeof m_lastCardField) {
        std::array<std::uint64_t, 2> words{};
        std::memcpy(words.data(), field.data(), sizeof words);
        if (words[0] == m_lastCardField[0] && words[1] == m_lastCardField[1])
            return *m_lastCard;
    }
    const std::uint64_t number = fieldValue(field);
    auto found = m_cards.find(number);
    if (found == m_cards.end()) {
        auto card = std::make_unique<Card>();
        card->number = std::to_string(number);
        found = m_cards.emplace(number, std::move(card)).first;
    }
    m_lastCard = nullptr;
    if (field.size() == sizeof m_lastCardField) {
        std::memcpy(m_lastCardField.data(), field.data(), sizeof m_lastCardField);
        m_lastCard = found->second.get();
    }
    return *found->second;
}

long long ReportBuilder::minuteOf(const RecordStamp& stamp)
{
    const int date = dateOf(stamp);
    if (date != m_date) {
        m_date = date;
        m_dayStart = minuteIndex(RecordStamp{stamp.year, stamp.month, stamp.day, 0, 0});
    }
    return m_dayStart + stamp.hour * 60 + stamp.minute;
}

void ReportBuilder::addPiece(std::string_view piece, bool final)
{
    forEachLineOfPiece(
        piece,
        final,
        [this](std::string_view text) { return addRecordLine(text); },
        [this](std::string_view text, LineEnd end) {
            if (addRecordLine(text))
                return;
            ++m_lineNumber;
            ++m_report.linesRead;
            decodeDataLine(text, m_lineNumber, end, m_line);
            if (m_line.kind == DataLineKind::Invalid && m_report.invalidLines++ < kInvalidListed)
                m_report.invalidListed.push_back(InvalidLineNote{
                    m_line.number, describeProblem(m_line), std::string(m_line.excerpt), m_line.length});
        });
}

bool ReportBuilder::addRecordLine(std::string_view text)
{
    RecordStamp stamp;
    bool start = false;
    if (!readStartOrStop(text, stamp, start, m_dateMemo))
        return false;
    ++m_lineNumber;
    ++m_report.linesRead;
    Card& card = cardOf(record::card.of(text));
    const long long minute = minuteOf(stamp);
    const std::uint64_t jobCard = start && m_range.byJobCard ? fieldValue(record::jobCard.of(text)) : 0;
    if (minute < card.latest) {
        card.late = m_late = true;
        card.lateEvents.push_back(CardEvent{minute, m_lineNumber, jobCard, dateOf(stamp), start});
        return true;
    }
    card.latest = minute;
    // The sums of a card with late records are made again in the second reading.
    if (!card.late)
        card.take(minute, m_lineNumber, jobCard, m_date, start, m_range);
    return true;
}

bool ReportBuilder::needsSecondReading() const
{
    return m_late;
}

void ReportBuilder::addPieceAgain(std::string_view piece, bool final)
{
    if (!m_secondReading) {
        m_secondReading = true;
        m_lineNumber = 0;
        for (auto& [number, card] : m_cards) {
            if (!card->late)
                continue;
            card->latest = std::numeric_limits<long long>::min();
            card->running.reset();
            card->totals.clear();
            card->dayMinutes.clear();
            std::stable_sort(card->lateEvents.begin(), card->lateEvents.end(), before);
        }
    }
    forEachLineOfPiece(
        piece,
        final,
        [this](std::string_view text) { return addRecordLineAgain(text); },
        [this](std::string_view text, LineEnd) {
            if (!addRecordLineAgain(text))
                ++m_lineNumber;
        });
}

bool ReportBuilder::addRecordLineAgain(std::string_view text)
{
    RecordStamp stamp;
    bool start = false;
    if (!readStartOrStop(text, stamp, start, m_dateMemo))
        return false;
    ++m_lineNumber;
    const auto found = m_cards.find(fieldValue(record::card.of(text)));
    if (found == m_cards.end() || !found->second->late)
        return true;
    Card& card = *found->second;
    const CardEvent event{minuteOf(stamp),
        m_lineNumber,
        start && m_range.byJobCard ? fieldValue(record::jobCard.of(text)) : 0,
        dateOf(stamp),
        start};
    // The records that were not late stand in time order; the late ones are merged in before them.
    if (event.minute < card.latest)
        return true;
    card.latest = event.minute;
    card.takeLateUpTo(&event, m_range);
    card.take(event, m_range);
    return true;
}

TimeReport ReportBuilder::finish()
{
    if (m_late && !m_secondReading)
        throw std::logic_error("ReportBuilder: late records need a second reading");
    std::vector<std::pair<std::uint64_t, Card*>> cards;
    cards.reserve(m_cards.size());
    for (auto& [number, card] : m_cards)
        cards.emplace_back(number, card.get());
    std::sort(cards.begin(), cards.end());

    std::size_t rows = 0;
    for (const auto& [number, card] : cards) {
        card->takeLateUpTo(nullptr, m_range);
        card->closeDay();
        rows += card->totals.size();
    }
    m_report.totals.reserve(rows);
    for (const auto& [number, card] : cards) {
        for (const Card::DayTotal& total : card->totals)
            m_report.totals.push_back(
                JobDayTotal{card->number, std::to_string(total.jobCard), dayOf(total.date), total.minutes});
        std::vector<Card::DayTotal>().swap(card->totals);
        if (const auto& running = card->running; running && m_range.holds(running->date)) {
            const Day day = dayOf(running->date);
            const int time = timeOfDay(running->minute);
            m_report.open.push_back(OpenStart{card->number,
                std::to_string(running->jobCard),
                RecordStamp{day.year, day.month, day.day, time / 60, time % 60},
                running->line});
        }
    }
    m_cards.clear();
    m_lastCard = nullptr;
    return std::move(m_report);
}

TimeReport buildReport(std::string_view dataFile, const ReportOptions& options)
{
    ReportBuilder builder(options);
    builder.addPiece(dataFile, true);
    if (builder.needsSecondReading())
        builder.addPieceAgain(dataFile, true);
    return builder.finish();
}

std::string durationText(long long minutes)
{
    return clockText(minutes / 60, minutes % 60);
}

} // namespace shiftloom::tool
