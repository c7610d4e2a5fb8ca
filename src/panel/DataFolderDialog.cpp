// SPDX-License-Identifier: MIT
#include "DataFolderDialog.h"

#include "app/StorePaths.h"
#include "panel/JobListOrder.h"
#include "platform/FileIo.h"

#include <algorithm>

namespace shiftloom {

FolderList folderList(std::string_view folder, std::vector<std::string> within)
{
    FolderList list;
    // The open folders from the root down to `folder`, each a step further in...
    std::string path;
    std::size_t depth = 0;
    for (std::size_t start = 0; start <= folder.size();) {
        const std::size_t end = std::min(folder.find('\\', start), folder.size());
        const std::string_view part = folder.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        path += part;
        if (depth == 0)
            path += '\\';
        std::string opens = path;
        if (opens.size() > 3 && opens.back() == '\\')
            opens.pop_back();
        list.lines.push_back({std::string(depth * 2, ' ') + (depth == 0 ? path : std::string(part)), opens});
        if (depth > 0)
            path += '\\';
        ++depth;
    }
    list.current = static_cast<std::ptrdiff_t>(list.lines.size()) - 1;
    // ...then the folders within it.
    std::sort(within.begin(), within.end(), foldedLess);
    std::string inside(folder);
    if (!inside.empty() && inside.back() != '\\')
        inside += '\\';
    for (const std::string& name : within)
        list.lines.push_back({std::string(depth * 2, ' ') + name, inside + name});
    return list;
}

DataFolderDialog::DataFolderDialog(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_settings(settings)
    , m_files(files)
    , m_drives(drives)
    , m_driveNames(drives.drives())
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

std::optional<std::size_t> DataFolderDialog::driveIndex() const
{
    const auto found = std::find(m_driveNames.begin(), m_driveNames.end(), m_drive);
    if (found == m_driveNames.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - m_driveNames.begin());
}

void DataFolderDialog::pickDrive(std::size_t index)
{
    if (index < m_driveNames.size() && driveIndex() != index)
        chooseDrive(m_driveNames[index]);
}

void DataFolderDialog::openFolder(std::string_view folder)
{
    if (folder != m_folder)
        chooseFolder(folder);
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
