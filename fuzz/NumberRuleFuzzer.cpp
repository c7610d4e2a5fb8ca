// SPDX-License-Identifier: MIT
// The leading-number rule and the number fields of the time records on any text: digits only
// (a minus sign at most in front), at least the field's width, and a count within its cap.
#include "app/LeadingNumber.h"
#include "timing/TimeRecord.h"

#include <cstdlib>

namespace {

bool digitsOnly(std::string_view text)
{
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const DecimalNumber number = readLeadingNumber(text);
    if (!digitsOnly(number.integerDigits) || !digitsOnly(number.fractionDigits))
        std::abort();
    if (!number.integerDigits.empty() && number.integerDigits.front() == '0')
        std::abort();
    if (number.isZero() && number.negative)
        std::abort();
    for (std::size_t width : {std::size_t{8}, std::size_t{16}}) {
        const std::string field = numberField(text, width);
        const std::string_view digits = field.starts_with('-') ? std::string_view(field).substr(1) : field;
        if (digits.size() < width || !digitsOnly(digits))
            std::abort();
        if (field.starts_with('-') && !number.negative)
            std::abort();
    }
    const std::uint64_t count = countFromText(text, 531'914);
    if (count > 531'914)
        std::abort();
    // The records built from such texts: fixed length unless a number outgrew its field.
    const platform::LocalDateTime now{2026, 12, 5, 8, 7, 59};
    const std::string start = startRecord(now, text, text, text);
    const std::string in = inRecord(now, text);
    if (start.size() < 64 || in.size() < 24)
        std::abort();
    return 0;
}
