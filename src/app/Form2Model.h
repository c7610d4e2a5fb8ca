// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "platform/Drives.h"
#include "platform/FileOps.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/** Status texts of the locate dialog. */
inline constexpr std::string_view kFoundItText = "OK - Found it.";
inline constexpr std::string_view kNotThereText = "No, its not there.";

/**
 * The locate dialog `Form2` ("LOCATE DATA FOLDER"), with which the worker points the program at
 * Card-Warden's data store. A folder holding `cardward.ini` is a data store. The dialog's only
 * output is the setting "DataLoc", written by OK.
 *
 * It opens on the process's current folder with an empty status line and OK disabled; nothing
 * is probed until the worker changes the drive or the folder.
 */
class Form2Model final
{
public:
    Form2Model(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives);

    // The dialog's controls.
    const std::string& Drive1() const { return m_drive; }
    const std::string& Dir1() const { return m_dir; }
    const std::string& Text1() const { return m_text; }
    const std::string& Label5() const { return m_status; }
    bool Command17Enabled() const { return m_okEnabled; }
    bool closed() const { return m_closed; }

    /** A different drive was chosen: the folder list moves to that drive's current folder. */
    void Drive1_Change(std::string_view drive);
    /** The folder list moved to `folder`: probe it for `cardward.ini`. */
    void Dir1_Change(std::string_view folder);
    /** The typed path changed: a non-empty text enables OK (emptying it does not disable OK). */
    void Text1_Change(std::string_view text);
    /** OK: store the typed path, or the folder list's path, less trailing backslashes; close. */
    void Command17_Click();
    /** Cancel, or any other way of closing the dialog: close, storing nothing. */
    void Command18_Click();

    /** Told after every change of the dialog's state. */
    void setChangedCallback(std::function<void()> changed) { m_changed = std::move(changed); }

private:
    void changed();

    SettingsStore& m_settings;
    platform::FileOps& m_files;
    platform::DriveList& m_drives;
    std::string m_drive;
    std::string m_dir;
    std::string m_text;
    std::string m_status;
    bool m_okEnabled = false;
    bool m_closed = false;
    std::function<void()> m_changed;
};

} // namespace shiftloom
