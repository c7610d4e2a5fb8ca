// SPDX-License-Identifier: MIT
#include "platform/Clock.h"
#include "platform/Process.h"

#include <ctime>
#include <unistd.h>

namespace shiftloom::platform {

LocalDateTime SystemClock::now() const
{
    const std::time_t reading = std::time(nullptr);
    std::tm local = {};
    ::localtime_r(&reading, &local);
    return LocalDateTime{
        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void endProcessNow(int exitCode)
{
    ::_exit(exitCode);
}

} // namespace shiftloom::platform
