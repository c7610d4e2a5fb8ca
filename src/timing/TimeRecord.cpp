// SPDX-License-Identifier: MIT
#include "TimeRecord.h"

#include "app/LeadingNumber.h"
#include "timing/RecordLayout.h"

namespace shiftloom {
namespace {

std::string zeroFilled(int value, std::size_t width)
{
    return zeroPadded(std::to_string(value < 0 ? 0 : value), width);
}

} // namespace

std::string recordTimeStamp(const platform::LocalDateTime& now)
{
    return zeroFilled(now.year, record::year.length) + zeroFilled(now.month, record::month.length)
        + zeroFilled(now.day, record::day.length) + zeroFilled(now.hour, record::hour.length)
        + zeroFilled(now.minute, record::minute.length);
}

std::string startRecord(const platform::LocalDateTime& now,
    std::string_view cardText,
    std::string_view slotCardText,
    std::string_view activityText)
{
    std::string line(record::Prefix);
    line += recordTimeStamp(now);
    line += record::StartEvent;
    line += numberField(cardText, record::card.length);
    line += numberField(slotCardText, record::jobCard.length);
    line += numberField(activityText, record::activity.length);
    return line;
}

std::string stopRecord(const platform::LocalDateTime& now, std::string_view cardText)
{
    std::string line(record::Prefix);
    line += recordTimeStamp(now);
    line += record::StopEvent;
    line += numberField(cardText, record::card.length);
    line += zeroPadded("", record::jobCard.length);
    line += zeroPadded("", record::activity.length);
    return line;
}

std::string inRecord(const platform::LocalDateTime& now, std::string_view keyedText)
{
    std::string line(record::Prefix);
    line += recordTimeStamp(now);
    line += numberField(keyedText, record::keyed.length);
    line += record::Closing;
    return line;
}

} // namespace shiftloom
