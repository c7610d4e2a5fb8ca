// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

namespace shiftloom::test {

/**
 * A driver process of the reliability tests: started with the test's environment plus
 * `environment` ("NAME=value" each, replacing a variable of that name), its standard output
 * appended to `outputPath` (or thrown away when empty). Killed (SIGKILL) and reaped when the
 * object goes while it still runs.
 */
class ChildProcess final
{
public:
    ChildProcess(const std::vector<std::string>& argv,
        const std::vector<std::string>& environment,
        const std::string& outputPath = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;

    pid_t pid() const { return m_pid; }
    /** Sends SIGKILL (no effect once it has ended). */
    void kill();
    /** Sends SIGTERM, so that it ends in order. */
    void terminate();
    /** Waits for the end; the exit code, or 128 + the signal that ended it. */
    int wait();
    /** Like `wait`, but gives up after `limit`: -1 when it still runs. */
    int waitFor(std::chrono::milliseconds limit);
    bool running();

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

} // namespace shiftloom::test
