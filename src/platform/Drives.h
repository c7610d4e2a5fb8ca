// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::platform {

/**
 * The drives that the locate dialog offers, and the folder each one starts in.
 * On Windows these are the drive letters. On Linux they are the mounted file systems that can hold
 * a store ("/", "/mnt/share"), each starting at its mount point.
 */
class DriveList
{
public:
    virtual ~DriveList() = default;
    virtual std::vector<std::string> drives() = 0;
    /** The folder a drive starts in: its current folder, or its root. */
    virtual std::string currentFolder(std::string_view drive) = 0;
    /** The process's current folder, which the folder list shows when the dialog opens. */
    virtual std::string processCurrentFolder() = 0;
    /** The drive that holds `folder`. */
    virtual std::string driveOf(std::string_view folder) = 0;
};

/** Drives on Linux and other POSIX systems; see `DriveList`. */
class PosixDriveList final : public DriveList
{
public:
    /** `mounts` is the mount table to read (normally /proc/self/mounts). */
    explicit PosixDriveList(std::string mounts = "/proc/self/mounts");

    std::vector<std::string> drives() override;
    std::string currentFolder(std::string_view drive) override;
    std::string processCurrentFolder() override;
    std::string driveOf(std::string_view folder) override;

private:
    std::vector<std::string> mountPoints() const;

    std::string m_mounts;
};

/** Drives on Windows: the drive letters, each starting in its own current folder. */
class Win32DriveList final : public DriveList
{
public:
    std::vector<std::string> drives() override;
    std::string currentFolder(std::string_view drive) override;
    std::string processCurrentFolder() override;
    std::string driveOf(std::string_view folder) override;
};

} // namespace shiftloom::platform
