// SPDX-License-Identifier: MIT
#include "DataFolderDialog.h"

#include "app/StorePaths.h"
#include "platform/FileIo.h"

namespace shiftloom {

DataFolderDialog::DataFolderDialog(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_settings(settings)
    , m_files(files)
    , m_drives(drives)
    , m_folder(drives.processCurrentFolder())
{
    m_drive = m_drives.driveOf(m_folder);
}

void DataFolderDialog::chooseDrive(std::string_view drive)
{
    m_drive = std::string(drive);
    chooseFolder(m_drives.currentFolder(drive));
}

void DataFolderDialog::chooseFolder(std::string_view folder)
{
    m_folder = std::string(folder);
    const bool found = platform::canOpenForReading(m_files, storeFile(m_folder, kStoreMarkerName));
    m_okEnabled = found;
    m_status = std::string(found ? kFoundItText : kNotThereText);
}

void DataFolderDialog::typePath(std::string_view text)
{
    m_typedPath = std::string(text);
    if (!m_typedPath.empty())
        m_okEnabled = true;
}

void DataFolderDialog::accept()
{
    std::string folder = m_typedPath.empty() ? m_folder : m_typedPath;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    m_settings.write(keys::DataLoc, folder);
    m_closed = true;
}

void DataFolderDialog::cancel()
{
    m_closed = true;
}

ControlState DataFolderDialog::controlState(const DialogControlDesign& design) const
{
    ControlState state = dialogControlState(design);
    switch (design.control) {
    case DialogControl::DriveList:
        state.text = m_drive;
        break;
    case DialogControl::FolderTree:
        state.text = m_folder;
        break;
    case DialogControl::LocateStatus:
        state.text = m_status;
        break;
    case DialogControl::PathBox:
        state.text = m_typedPath;
        break;
    case DialogControl::LocateOk:
        state.enabled = m_okEnabled;
        break;
    default:
        break;
    }
    return state;
}

} // namespace shiftloom
