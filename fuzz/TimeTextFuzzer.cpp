// SPDX-License-Identifier: MIT
// Time text on any input: reading never fails, writing gives at least "hh:mm:ss", and what is
// written reads back the same when its pieces fit two characters.
#include "ui/TimeText.h"

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
    const std::string written = writeTimeText(next);
    if (written.size() < 8)
        std::abort();
    const bool fits = next.hours >= 0 && next.hours < 100 && next.minutes >= 0 && next.minutes < 100
        && next.seconds >= 0 && next.seconds < 100;
    if (fits && readTimeText(written) != next)
        std::abort();
    return 0;
}
