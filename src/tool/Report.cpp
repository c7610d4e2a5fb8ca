// SPDX-License-Identifier: MIT
#include "Report.h"

#include "tool/OutputFormat.h"

#include <algorithm>
#include <bit>
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

// The value of eight digits, all at once: the digits of a little-endian word are paired to
// numbers of two, then four, then eight digits.
std::uint64_t eightDigitsValue(const char* digits)
{
    std::uint64_t word = 0;
    std::memcpy(&word, digits, 8);
    word -= 0x3030303030303030u;
    word = (word * 10 + (word >> 8)) & 0x00ff00ff00ff00ffu;
    word = (word * 100 + (word >> 16)) & 0x0000ffff0000ffffu;
    return (word * 10000 + (word >> 32)) & 0xffffffffu;
}

// The value of a card or job card field: 16 digits, which a 64-bit number holds. Numbers stand for
// the fields while the records are summed (cheaper to hash and compare than their texts).
std::uint64_t fieldValue(std::string_view digits)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (digits.size() == 16)
            return eightDigitsValue(digits.data()) * 100000000u + eightDigitsValue(digits.data() + 8);
    }
    std::uint64_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return value;
}

// A start or stop of a card, as much of it as the report needs.
struct CardEvent
{
    long long minute = 0;
    std::size_t line = 0;
    RecordStamp stamp;
    bool start = false;
    std::uint64_t jobCard = 0;
};

CardEvent eventOf(const DataLine& line, long long minute)
{
    return CardEvent{minute,
        line.number,
        line.stamp,
        line.kind == DataLineKind::Start,
        line.kind == DataLineKind::Start ? fieldValue(line.jobCard) : 0};
}

bool before(const CardEvent& a, const CardEvent& b)
{
    return std::tie(a.minute, a.line) < std::tie(b.minute, b.line);
}

bool inRange(const Day& day, const ReportOptions& options)
{
    return (!options.from || day >= *options.from) && (!options.to || day <= *options.to);
}

Day dayOf(const RecordStamp& stamp)
{
    return Day{stamp.year, stamp.month, stamp.day};
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
    std::optional<CardEvent> running; ///< the start that the next record ends
    /** A day summed up: the minutes of one job card, its texts made when the report is. */
    struct DayTotal
    {
        Day day;
        std::uint64_t jobCard = 0;
        long long minutes = 0;
    };
    std::vector<DayTotal> totals; ///< the days summed up, by day and then job card
    Day summedDay; ///< the day being summed: records are taken in time order, so it only moves forward
    std::vector<std::pair<std::uint64_t, long long>> dayMinutes; ///< job card -> minutes on `day`

    void addMinutes(const Day& startDay, std::uint64_t jobCard, long long minutes)
    {
        if (startDay != summedDay)
            closeDay();
        summedDay = startDay;
        const auto job = std::find_if(
            dayMinutes.begin(), dayMinutes.end(), [jobCard](const auto& entry) { return entry.first == jobCard; });
        if (job != dayMinutes.end())
            job->second += minutes;
        else
            dayMinutes.emplace_back(jobCard, minutes);
    }

    void closeDay()
    {
        std::sort(dayMinutes.begin(), dayMinutes.end());
        for (const auto& [jobCard, minutes] : dayMinutes)
            totals.push_back(DayTotal{summedDay, jobCard, minutes});
        dayMinutes.clear();
    }

    // Takes the next record in time order: it ends the running start, and a start runs on.
    void take(CardEvent event, const ReportOptions& options)
    {
        if (running && options.splitAtMidnight) {
            // Each day gets its part; a part of 0 minutes gives a row only as the whole interval.
            Day day = dayOf(running->stamp);
            long long from = running->minute;
            long long midnight = from - (running->stamp.hour * 60 + running->stamp.minute) + 1440;
            for (;;) {
                const long long to = std::min(event.minute, midnight);
                if (inRange(day, options) && (to > from || from == running->minute))
                    addMinutes(day, running->jobCard, to - from);
                if (event.minute <= midnight)
                    break;
                from = midnight;
                midnight += 1440;
                day = dayAt(dayNumber(day) + 1);
            }
        } else if (running) {
            const Day day = dayOf(running->stamp);
            if (inRange(day, options))
                addMinutes(day, running->jobCard, event.minute - running->minute);
        }
        if (event.start)
            running = std::move(event);
        else
            running.reset();
    }

    // Takes the late records that come before `event` (all of them without one).
    void takeLateUpTo(const CardEvent* event, const ReportOptions& options)
    {
        while (nextLate < lateEvents.size() && (!event || before(lateEvents[nextLate], *event)))
            take(std::move(lateEvents[nextLate++]), options);
    }
};

ReportBuilder::ReportBuilder(ReportOptions options)
    : m_options(options)
{
}

ReportBuilder::~ReportBuilder() = default;

ReportBuilder::Card& ReportBuilder::cardOf(const DataLine& line)
{
    // The records of a card often follow each other.
    if (m_lastCard && line.card.size() == m_lastCardField.size()
        && std::memcmp(line.card.data(), m_lastCardField.data(), m_lastCardField.size()) == 0)
        return *m_lastCard;
    const std::uint64_t number = fieldValue(line.card);
    auto found = m_cards.find(number);
    if (found == m_cards.end()) {
        auto card = std::make_unique<Card>();
        card->number = std::to_string(number);
        found = m_cards.emplace(number, std::move(card)).first;
    }
    m_lastCard = nullptr;
    if (line.card.size() == m_lastCardField.size()) {
        std::memcpy(m_lastCardField.data(), line.card.data(), m_lastCardField.size());
        m_lastCard = found->second.get();
    }
    return *found->second;
}

long long ReportBuilder::minuteOf(const RecordStamp& stamp)
{
    const int date = (stamp.year * 100 + stamp.month) * 100 + stamp.day;
    if (date != m_date) {
        m_date = date;
        m_dayStart = minuteIndex(RecordStamp{stamp.year, stamp.month, stamp.day, 0, 0});
    }
    return m_dayStart + stamp.hour * 60 + stamp.minute;
}

void ReportBuilder::add(const DataLine& line)
{
    ++m_report.linesRead;
    if (line.kind == DataLineKind::Invalid) {
        if (m_report.invalidLines++ < kInvalidListed)
            m_report.invalidListed.push_back(
                InvalidLineNote{line.number, describeProblem(line), std::string(line.excerpt), line.length});
        return;
    }
    if (line.kind != DataLineKind::Start && line.kind != DataLineKind::Stop)
        return;
    Card& card = cardOf(line);
    CardEvent event = eventOf(line, minuteOf(line.stamp));
    if (event.minute < card.latest) {
        card.late = m_late = true;
        card.lateEvents.push_back(std::move(event));
        return;
    }
    card.latest = event.minute;
    // The sums of a card with late records are made again in the second reading.
    if (!card.late)
        card.take(std::move(event), m_options);
}

bool ReportBuilder::needsSecondReading() const
{
    return m_late;
}

void ReportBuilder::addAgain(const DataLine& line)
{
    if (!m_secondReading) {
        m_secondReading = true;
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
    if (line.kind != DataLineKind::Start && line.kind != DataLineKind::Stop)
        return;
    const auto found = m_cards.find(fieldValue(line.card));
    if (found == m_cards.end() || !found->second->late)
        return;
    Card& card = *found->second;
    CardEvent event = eventOf(line, minuteOf(line.stamp));
    // The records that were not late stand in time order; the late ones are merged in before them.
    if (event.minute < card.latest)
        return;
    card.latest = event.minute;
    card.takeLateUpTo(&event, m_options);
    card.take(std::move(event), m_options);
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
        card->takeLateUpTo(nullptr, m_options);
        card->closeDay();
        rows += card->totals.size();
    }
    m_report.totals.reserve(rows);
    for (const auto& [number, card] : cards) {
        for (const Card::DayTotal& total : card->totals)
            m_report.totals.push_back(
                JobDayTotal{card->number, std::to_string(total.jobCard), total.day, total.minutes});
        std::vector<Card::DayTotal>().swap(card->totals);
        if (card->running && inRange(dayOf(card->running->stamp), m_options))
            m_report.open.push_back(OpenStart{
                card->number, std::to_string(card->running->jobCard), card->running->stamp, card->running->line});
    }
    m_cards.clear();
    m_lastCard = nullptr;
    return std::move(m_report);
}

TimeReport buildReport(const std::vector<DataLine>& lines, const ReportOptions& options)
{
    ReportBuilder builder(options);
    for (const DataLine& line : lines)
        builder.add(line);
    if (builder.needsSecondReading()) {
        for (const DataLine& line : lines)
            builder.addAgain(line);
    }
    return builder.finish();
}

std::string durationText(long long minutes)
{
    return clockText(minutes / 60, minutes % 60);
}

} // namespace shiftloom::tool
