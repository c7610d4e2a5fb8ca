// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace shiftloom::platform {

/**
 * The program forms every path as Windows text: a folder, a backslash and a name ("c:\" and
 * "\data"; "\\server\share\cardwarden" and "\dep.dat"). A PathMapper turns such a text into a
 * path of the host.
 *
 * On Windows the text is the path, with one exception (`Win32PathMapper`). Elsewhere
 * (`PosixPathMapper`):
 * - every "\" becomes "/", and runs of separators collapse to one ("c:\\data" names c:\data);
 * - a leading drive letter "X:" maps to the per-user folder `<dataHome>/Ovix_Shift-Loom/drive_x`
 *   (the letter in lower case), which is created when a path on it is first mapped;
 * - a text without a drive letter is a host path as it stands: "/srv/cardwarden" followed by
 *   "\data" is /srv/cardwarden/data;
 * - the text is Windows-1252, like every text of the program, and becomes a UTF-8 file name.
 */
class PathMapper
{
public:
    virtual ~PathMapper() = default;
    virtual std::string toHost(std::string_view windowsPath) const = 0;
};

/**
 * The path text of the user's own folder, where this account's records wait for the data store
 * (see `ownStateFolder()`): "<own>\journal" names the file journal in it. The angle brackets
 * cannot occur in a Windows path, so no folder of a store or a drive can be taken for it; the
 * host folder behind it is held by the path mapper, so its name never passes through the
 * program's 8-bit texts.
 */
inline constexpr std::string_view kOwnFolder = "<own>";

/** `path` (a text of the program) lies in the user's own folder; `rest` is what follows it. */
bool inOwnFolder(std::string_view path, std::string_view& rest);

class IdentityPathMapper final : public PathMapper
{
public:
    std::string toHost(std::string_view windowsPath) const override { return std::string(windowsPath); }
};

/**
 * Windows: the text is the path, except for the files in the root of drive C: (the offline buffer
 * "c:\data", its companions, and the fallback data folder "c:\"). Where a normal user may not
 * create files in the root of C:, they live in a per-user folder instead (`localRootFolder()`), so
 * that the buffer is always writable; where the root of C: takes files, they stay there.
 */
class Win32PathMapper final : public PathMapper
{
public:
    /** `rootOfC` stands for "c:\"; empty keeps the root of C: itself. `ownFolder` stands for "<own>". */
    explicit Win32PathMapper(std::string rootOfC = {}, std::string ownFolder = {});
    std::string toHost(std::string_view windowsPath) const override;

private:
    std::string m_rootOfC;
    std::string m_ownFolder;
};

/**
 * Windows only: empty when the root of C: takes new files; otherwise the per-user folder
 * %LOCALAPPDATA%\Ovix\Shift-Loom (created) that stands for it.
 */
std::string localRootFolder();

class PosixPathMapper final : public PathMapper
{
public:
    /**
     * `dataHome` is the folder that holds "Ovix_Shift-Loom/drive_x" (see `xdgDataHome()`);
     * `ownFolder` (a host path) stands for "<own>" (see `ownStateFolder()`).
     */
    explicit PosixPathMapper(std::string dataHome, std::string ownFolder = {});
    std::string toHost(std::string_view windowsPath) const override;
    /** The host folder that stands for drive `letter` (created when missing). */
    std::string driveFolder(char letter) const;
    /** The host folder of drive `letter`, without creating it. */
    std::string driveFolderPath(char letter) const;
    const std::string& dataHome() const { return m_dataHome; }

private:
    std::string m_dataHome;
    std::string m_ownFolder;
};

/** $XDG_DATA_HOME, or ~/.local/share when it is unset or empty. */
std::string xdgDataHome();
/** $XDG_CONFIG_HOME, or ~/.config when it is unset or empty. */
std::string xdgConfigHome();

/** $XDG_STATE_HOME, or ~/.local/state when it is unset or empty (see `ownStateFolder()`). */
std::string xdgStateHome();

/**
 * The host folder of the user's own state, where this account's records wait for the data store,
 * the folder that "<own>" names: $XDG_STATE_HOME/Ovix_Shift-Loom, or .local/state/Ovix_Shift-Loom
 * in the home folder (taken from the password database when HOME is unset; never a folder that
 * every account shares, such as /tmp). On Windows %LOCALAPPDATA%\Ovix\Shift-Loom. Empty when the
 * user has no home. Not created here.
 */
std::string ownStateFolder();

/** The folder name under the XDG folders that holds everything of this program. */
inline constexpr std::string_view kHostFolderName = "Ovix_Shift-Loom";

/**
 * Stand-in for the Windows call that reports the Windows directory: copies the directory text
 * into `buffer` (at most `size` - 1 characters and a NUL) and returns the number of characters
 * of the directory; when the buffer is too small, it returns the size it needs, NUL included,
 * and writes nothing. Away from Windows the directory is "c:\windows".
 */
std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size);

} // namespace shiftloom::platform
