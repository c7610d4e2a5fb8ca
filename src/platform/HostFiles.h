// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"
#include "platform/WindowsPath.h"

#include <memory>

namespace shiftloom::platform {

#ifdef _WIN32
/** True where host paths are Windows paths, whose folders a backslash separates. */
inline constexpr bool kWindowsHost = true;
#else
inline constexpr bool kWindowsHost = false;
#endif

/**
 * The path mapping and the file operations of the system the program runs on: on Windows the
 * paths themselves (the root of C: where `localRootFolder()` puts it), on Linux folder paths and
 * the account's places in the XDG folders (`posixPlaces()`).
 */
class HostFiles final
{
public:
    HostFiles();
    ~HostFiles();
    HostFiles(const HostFiles&) = delete;
    HostFiles& operator=(const HostFiles&) = delete;

    const PathMapper& paths() const { return *m_paths; }
    FileOps& files() { return *m_files; }

private:
    std::unique_ptr<PathMapper> m_paths;
    std::unique_ptr<FileOps> m_files;
};

} // namespace shiftloom::platform
