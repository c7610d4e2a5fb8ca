// SPDX-License-Identifier: MIT
#include "Form2Model.h"

#include "app/DataFolder.h"
#include "app/StorePaths.h"

namespace shiftloom {

Form2Model::Form2Model(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_settings(settings)
    , m_files(files)
    , m_drives(drives)
    , m_dir(drives.processCurrentFolder())
{
    m_drive = m_drives.driveOf(m_dir);
}

void Form2Model::Drive1_Change(std::string_view drive)
{
    m_drive = std::string(drive);
    Dir1_Change(m_drives.currentFolder(drive));
}

void Form2Model::Dir1_Change(std::string_view folder)
{
    m_dir = std::string(folder);
    const bool found = FileExists(m_files, storeFile(m_dir, kStoreMarkerName));
    m_okEnabled = found;
    m_status = std::string(found ? kFoundItText : kNotThereText);
    changed();
}

void Form2Model::Text1_Change(std::string_view text)
{
    m_text = std::string(text);
    if (!m_text.empty())
        m_okEnabled = true;
    changed();
}

void Form2Model::Command17_Click()
{
    std::string folder = m_text.empty() ? m_dir : m_text;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    m_settings.write(keys::DataLoc, folder);
    m_closed = true;
    changed();
}

void Form2Model::Command18_Click()
{
    m_closed = true;
    changed();
}

void Form2Model::changed()
{
    if (m_changed)
        m_changed();
}

} // namespace shiftloom
