// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::platform {

/**
 * Starts other programs, never through a shell: the program and each argument reach the new
 * process as they are, so no text is ever interpreted as a command line.
 */
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    /**
     * Starts `program` (a path, or a bare name looked up on the search path) with `arguments`, in
     * a normal window that takes the focus, and leaves it running on its own. True when the
     * program was started; false when it does not exist, cannot be run, or the system refused.
     */
    virtual bool start(std::string_view program, const std::vector<std::string>& arguments) = 0;

    /** The full path of the program `name` found on the search path (PATH), or empty text. */
    virtual std::string findOnPath(std::string_view name) const = 0;

    /** True when a file (not a folder) exists at exactly `path`. */
    virtual bool fileExists(std::string_view path) const = 0;
};

/** The launcher of this system (posix_spawnp on POSIX, CreateProcess on Windows). */
ProgramLauncher& systemProgramLauncher();

} // namespace shiftloom::platform
