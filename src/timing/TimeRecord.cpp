// SPDX-License-Identifier: MIT
#include "TimeRecord.h"

#include "app/LeadingNumber.h"

namespace shiftloom {
namespace {

constexpr std::size_t kLongField = 16;
constexpr std::size_t kShortField = 8;
constexpr std::string_view kRecordPrefix = "01";
constexpr std::string_view kZeroField = "0000000000000000";

std::string zeroFilled(int value, std::size_t width)
{
    std::string digits = std::to_string(value < 0 ? 0 : value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

} // namespace

std::string recordTimeStamp(const platform::LocalDateTime& now)
{
    return zeroFilled(now.year, 4) + zeroFilled(now.month, 2) + zeroFilled(now.day, 2) + zeroFilled(now.hour, 2)
        + zeroFilled(now.minute, 2);
}

std::string MakeStartRecord(const platform::LocalDateTime& now,
    std::string_view cardText,
    std::string_view slotCardText,
    std::string_view activityText)
{
    std::string line(kRecordPrefix);
    line += recordTimeStamp(now);
    line += "00";
    line += numberField(cardText, kLongField);
    line += numberField(slotCardText, kLongField);
    line += numberField(activityText, kLongField);
    return line;
}

std::string MakeStopRecord(const platform::LocalDateTime& now, std::string_view cardText)
{
    std::string line(kRecordPrefix);
    line += recordTimeStamp(now);
    line += "01";
    line += numberField(cardText, kLongField);
    line += kZeroField;
    line += kZeroField;
    return line;
}

std::string MakeInRecord(const platform::LocalDateTime& now, std::string_view keyedText)
{
    std::string line(kRecordPrefix);
    line += recordTimeStamp(now);
    line += numberField(keyedText, kShortField);
    line += "00";
    return line;
}

} // namespace shiftloom
