// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "panel/DialogLayout.h"
#include "platform/Drives.h"
#include "platform/FileOps.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/** Status texts of the locate dialog. */
inline constexpr std::string_view kFoundItText = "OK - Found it.";
inline constexpr std::string_view kNotThereText = "No, its not there.";

/** One line of a folder list: the text it shows and the folder it opens. */
struct FolderLine
{
    std::string text;
    std::string folder;
    bool operator==(const FolderLine&) const = default;
};

/** A folder list as a list box shows it, and the line of the folder it is open at. */
struct FolderList
{
    std::vector<FolderLine> lines;
    std::ptrdiff_t current = -1; ///< the line of the folder itself; -1 where the path names none
};

/**
 * The folder list of `folder` (backslashes between its names): the open folders from the root
 * down to `folder`, each a step further in, then the folders within it (`within`, their names)
 * sorted by name without regard to case, a step further in again. The root keeps its backslash;
 * any other folder is named without one.
 */
FolderList folderList(std::string_view folder, std::vector<std::string> within);

/**
 * The locate dialog ("LOCATE DATA FOLDER"), with which the worker points the program at
 * Card-Warden's data store. A folder holding `cardward.ini` is a data store. The dialog's only
 * output is the setting "DataLoc", written by OK; it applies from the next start.
 *
 * It opens on the process's current folder with an empty status line and OK disabled; nothing
 * is probed until the worker changes the drive or the folder.
 */
class DataFolderDialog final
{
public:
    DataFolderDialog(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives);

    /** The drives the dialog offers, as they were when it opened. */
    const std::vector<std::string>& drives() const { return m_driveNames; }
    const std::string& drive() const { return m_drive; }
    /** The place of the drive shown in `drives()`; none for a drive that is not offered. */
    std::optional<std::size_t> driveIndex() const;
    const std::string& folder() const { return m_folder; }
    const std::string& typedPath() const { return m_typedPath; }
    const std::string& status() const { return m_status; }
    bool okEnabled() const { return m_okEnabled; }
    bool closed() const { return m_closed; }
    /**
     * What a control of the dialog shows now: the drive list its drive, the folder list its
     * folder, the status line the status, the path box the typed path; OK is enabled once a data
     * store was found or a path typed.
     */
    ControlState controlState(const DialogControlDesign& design) const;

    /** A different drive was chosen: the folder list moves to that drive's current folder. */
    void chooseDrive(std::string_view drive);
    /** The folder list moved to `folder`: it is probed for `cardward.ini`. */
    void chooseFolder(std::string_view folder);
    /** The worker picked the drive at `index` of `drives()`: another drive than the one shown is chosen. */
    void pickDrive(std::size_t index);
    /** The worker opened `folder` in the folder list: another folder than the one shown is chosen. */
    void openFolder(std::string_view folder);
    /** The typed path changed: a non-empty text enables OK (emptying it does not disable OK). */
    void typePath(std::string_view text);
    /** OK: stores the typed path, or the folder list's path, less trailing backslashes; closes. */
    void accept();
    /** Cancel, or any other way of closing the dialog: closes, storing nothing. */
    void cancel();

private:
    SettingsStore& m_settings;
    platform::FileOps& m_files;
    platform::DriveList& m_drives;
    std::vector<std::string> m_driveNames;
    std::string m_drive;
    std::string m_folder;
    std::string m_typedPath;
    std::string m_status;
    bool m_okEnabled = false;
    bool m_closed = false;
};

} // namespace shiftloom
