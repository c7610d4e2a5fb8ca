// SPDX-License-Identifier: MIT
#include "DriverOptions.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <unistd.h>

namespace shiftloom::test {

DriverOptions::DriverOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (!arg.starts_with("--"))
            continue;
        const std::string name(arg.substr(2));
        if (i + 1 < argc && !std::string_view(argv[i + 1]).starts_with("--"))
            m_values[name] = argv[++i];
        else
            m_values[name] = "1";
    }
}

bool DriverOptions::has(std::string_view name) const
{
    return m_values.find(name) != m_values.end();
}

std::string DriverOptions::text(std::string_view name, std::string_view fallback) const
{
    const auto it = m_values.find(name);
    return it == m_values.end() ? std::string(fallback) : it->second;
}

long long DriverOptions::number(std::string_view name, long long fallback) const
{
    const auto it = m_values.find(name);
    if (it == m_values.end())
        return fallback;
    long long value = fallback;
    std::from_chars(it->second.data(), it->second.data() + it->second.size(), value);
    return value;
}

std::string faultPlanOf(const DriverOptions& options)
{
    if (options.has("faults"))
        return options.text("faults");
    const char* plan = std::getenv("SHIFTLOOM_FAULT_PLAN");
    return plan ? std::string(plan) : std::string();
}

void writeLine(int fd, const std::string& text)
{
    const std::string line = text + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace shiftloom::test
