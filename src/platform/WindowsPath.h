// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::platform {

/**
 * The program forms every path as a text: a folder, a backslash and a name ("c:\" and "\data";
 * "\\server\share\cardwarden" and "\dep.dat"; "/srv/cardwarden" and "\dep.dat" on Linux). A
 * PathMapper joins and splits such texts into paths of the host. A text may begin with a named
 * place, a word in angle brackets that no folder of a store can begin with ("<own>\journal"): a
 * folder of the account that the host names (see `PosixPlaces`), so that its name never passes
 * through the program's 8-bit texts.
 *
 * On Windows the text is the path, with one exception (`Win32PathMapper`). On Linux
 * (`PosixPathMapper`) a store is a folder path:
 * - every "\" becomes "/", and runs of separators collapse to one ("/srv/cw\\data" names
 *   /srv/cw/data);
 * - a named place becomes its host folder;
 * - the text is Windows-1252, like every text of the program, and becomes a UTF-8 file name.
 */
class PathMapper
{
public:
    virtual ~PathMapper() = default;
    virtual std::string toHost(std::string_view windowsPath) const = 0;
};

/**
 * The user's own folder, where this account's records wait for the data store (see
 * `ownStateFolder()`): "<own>\journal" names the file journal in it.
 */
inline constexpr std::string_view kOwnFolder = "<own>";
/** Linux: the folder the panel reads while the data store is away, $XDG_DATA_HOME/Ovix_Shift-Loom. */
inline constexpr std::string_view kLocalFolder = "<local>";
/**
 * Linux: the folders of Card-Warden's registration: "<config>" this account's,
 * $XDG_CONFIG_HOME/Ovix_Shift-Loom; "<config1>", "<config2>", ... the machine's, each folder of
 * $XDG_CONFIG_DIRS (by default /etc/xdg) followed by Ovix_Shift-Loom, in order.
 */
inline constexpr std::string_view kConfigFolder = "<config>";
/** Linux: where earlier versions kept what they named "c:\" (see `earlierDriveFolder`). */
inline constexpr std::string_view kEarlierFolder = "<earlier>";

/**
 * The named place that `path` begins with ("<own>" of "<own>\journal"), empty when it begins with
 * none; `rest` is what follows the place and its separators.
 */
std::string_view namedPlace(std::string_view path, std::string_view& rest);
/** `path` (a text of the program) lies in the user's own folder; `rest` is what follows it. */
bool inOwnFolder(std::string_view path, std::string_view& rest);
/** The name of the `index`-th registration folder: "<config>" for 0, then "<config1>", ... */
std::string configPlace(std::size_t index);

class IdentityPathMapper final : public PathMapper
{
public:
    std::string toHost(std::string_view windowsPath) const override { return std::string(windowsPath); }
};

/**
 * Windows: the text is the path, except for the files in the root of drive C: (the offline buffer
 * "c:\data" of earlier versions, its companions, and the fallback data folder "c:\"). Where a
 * normal user may not create files in the root of C:, they live in a per-user folder instead
 * (`localRootFolder()`), so that the buffer is always writable; where the root of C: takes files,
 * they stay there.
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

/** The host folders that the named places stand for on Linux; an empty one names nothing (no home). */
struct PosixPlaces
{
    std::string own{}; ///< "<own>"
    std::string local{}; ///< "<local>"
    std::string earlier{}; ///< "<earlier>"
    std::vector<std::string> config{}; ///< "<config>", "<config1>", ...
};

/**
 * The places of this account on Linux, from the XDG base directories: an absolute $XDG_STATE_HOME,
 * $XDG_DATA_HOME or $XDG_CONFIG_HOME, otherwise .local/state, .local/share or .config in the home
 * folder; the absolute folders of $XDG_CONFIG_DIRS, or /etc/xdg where it names none.
 */
PosixPlaces posixPlaces();

class PosixPathMapper final : public PathMapper
{
public:
    explicit PosixPathMapper(PosixPlaces places);
    std::string toHost(std::string_view windowsPath) const override;

private:
    PosixPlaces m_places;
};

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
 * Where Card-Warden's registration `name` (cwv5.ini) is looked for, as texts of the program, in
 * order: on Windows in the Windows directory; on Linux in this account's registration folder,
 * then in the machine's (see `kConfigFolder`).
 */
std::vector<std::string> registrationFiles(std::string_view name);

#ifndef _WIN32
/** Linux: the folder that earlier versions used for drive `letter`, in `localFolder` (see the definition). */
std::string earlierDriveFolder(const std::string& localFolder, char letter);
/**
 * Linux: a folder text that an earlier version named with a drive letter ("c:\cardwarden"), as
 * the host folder it stood for, when that folder is there and its path can be spelled in the
 * program's texts; empty otherwise.
 */
std::string earlierFolderText(std::string_view text);
#endif

} // namespace shiftloom::platform
