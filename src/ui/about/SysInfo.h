// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ProgramLauncher.h"
#include "platform/Registry.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace shiftloom {

/** A modal message box with one "OK" button and no icon; returns when it is closed. */
class OkMessageBox
{
public:
    virtual ~OkMessageBox() = default;
    virtual void show(std::string_view text, std::string_view title) = 0;
};

/** What the about box's system information button needs of the platform. */
struct SysInfoServices
{
    platform::Registry& registry;
    platform::ProgramLauncher& launcher;
    OkMessageBox& messageBox;
    /** Programs tried, in order, when the registry names no system information program. */
    std::span<const std::string_view> fallbackPrograms;
};

/** The message shown when no system information program can be started. */
inline constexpr std::string_view kSysInfoUnavailable = "System Information Is Unavailable At This Time";

/** Where Windows keeps the path of its system information program. */
inline constexpr std::string_view kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::string_view kSysInfoValue = "PATH";
inline constexpr std::string_view kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::string_view kSysInfoLocationValue = "MSINFO";
inline constexpr std::string_view kSysInfoProgramName = "\\MSINFO32.EXE";

/**
 * The system information programs of Linux desktops tried in this order when the registry names
 * none (always so away from Windows): "hardinfo" (system profiler), "kinfocenter" (KDE),
 * "gnome-system-monitor" (GNOME), "xfce4-taskmanager" (Xfce). Empty on Windows, whose program is
 * found through the registry.
 */
std::span<const std::string_view> defaultSystemInformationPrograms();

/**
 * Reads the value `SubKeyRef` of the key `KeyName` below `KeyRoot` into `KeyVal`.
 *  - The key is opened with full access; when that fails, or the value cannot be read (missing,
 *    or larger than 1024 bytes), `KeyVal` becomes empty and the result is false.
 *  - Of the n bytes read, a NUL in the last one is dropped.
 *  - REG_SZ: `KeyVal` is the text. REG_DWORD: the number (its bytes little-endian) in decimal.
 *    Any other type leaves `KeyVal` as it was. The result is true.
 * Every key opened is closed again.
 */
bool GetKeyValue(platform::Registry& registry,
    std::uint32_t KeyRoot,
    std::string_view KeyName,
    std::string_view SubKeyRef,
    std::string& KeyVal);

/**
 * Starts the system information program:
 *  1. the program named by "PATH" of the first registry key, if the value is there;
 *  2. otherwise the file "MSINFO32.EXE" in the folder named by "MSINFO" of the second key, if the
 *     value is there and the file exists;
 *  3. otherwise the first of `fallbackPrograms` found on the search path.
 * When none of them applies, when the start fails, or on any other error, shows
 * kSysInfoUnavailable with the application title `appTitle` as the title instead.
 * Returns true when a program was started.
 */
bool StartSysInfo(const SysInfoServices& services, std::string_view appTitle);

} // namespace shiftloom
