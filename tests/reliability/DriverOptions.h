// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace shiftloom::test {

/**
 * The options of a driver process, "--name value" each (a bare "--name" has the value "1").
 * Unknown names are kept; the driver decides what it needs.
 */
class DriverOptions final
{
public:
    DriverOptions(int argc, char** argv);

    bool has(std::string_view name) const;
    std::string text(std::string_view name, std::string_view fallback = {}) const;
    long long number(std::string_view name, long long fallback) const;

private:
    std::map<std::string, std::string, std::less<>> m_values;
};

/** The fault plan of a driver: its --faults option, else $SHIFTLOOM_FAULT_PLAN, else none. */
std::string faultPlanOf(const DriverOptions& options);

/** Writes all of `text` to `fd` (a log line: one write, so lines of a killed process are whole or absent). */
void writeLine(int fd, const std::string& text);

} // namespace shiftloom::test
