// SPDX-License-Identifier: MIT
// Time text on any input: reading never fails, and a time written as "hh:mm:ss" reads back the
// same.
#include "panel/TimeText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TimeParts parts = readTimeText(text);
    // Each piece is read from at most two characters.
    for (long long piece : {parts.hours, parts.minutes, parts.seconds}) {
        if (piece < -9 || piece > 100)
            std::abort();
    }
    const TimeParts next = addOneSecond(parts);
    const bool fits = next.hours >= 0 && next.hours < 100 && next.minutes >= 0 && next.minutes < 60 && next.seconds >= 0
        && next.seconds < 60;
    if (!fits)
        return 0;
    const std::string written = timeText(timeOf(next));
    if (written.size() != 8 || readTimeText(written) != next)
        std::abort();
    return 0;
}
