// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shiftloom::test {

/** A program started by a test, running beside it (posix_spawn, CreateProcess). */
class Spawned final
{
public:
    /** Starts `argv[0]` with the arguments that follow; throws when it cannot be started. */
    explicit Spawned(const std::vector<std::string>& argv);
    ~Spawned();
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    /** Waits for the end of the program; its exit code, or 128 + the signal that ended it. */
    int wait();
    /** Sends `signal` (SIGKILL, SIGTERM) to the program; on Windows, ends it with 128 + `signal`. */
    void signal(int signal);

private:
    std::intptr_t m_process = -1;
    std::optional<int> m_exitCode;
};

/** Waits up to `limit` for `path` to exist; true when it does. */
bool waitForFile(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(20));

} // namespace shiftloom::test
