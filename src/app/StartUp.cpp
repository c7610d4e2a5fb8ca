// SPDX-License-Identifier: MIT
#include "StartUp.h"

#include "app/DataFolder.h"
#include "app/JobFile.h"
#include "app/OfflineBuffer.h"
#include "app/SlotTable.h"
#include "app/StorePaths.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"
#include "ui/TimeText.h"

#include <array>

namespace shiftloom {

using platform::FileError;

FileError fillJobList(Form1Model& form, platform::FileOps& files, std::string_view dataFolder)
{
    JobListResult jobs = readJobList(files, storeFile(dataFolder, kJobFileName), JobFileOpen::CreateIfMissing);
    // On a failure the list keeps only "[settings]", so the worker can still reach the locate dialog.
    if (jobs.error != FileError::None)
        jobs.lines.clear();
    jobs.lines.push_back(kSettingsItem);
    form.setComboItems(std::move(jobs.lines));
    form.setCaption(ctl::Combo1, kAddJobText);
    return jobs.error;
}

StartUp::StartUp(
    Form1Model& form, SettingsStore& settings, platform::FileOps& files, const platform::Clock& clock, Form1Host& host)
    : m_form(form)
    , m_settings(settings)
    , m_files(files)
    , m_clock(clock)
    , m_host(host)
{
}

namespace {

// Step 10: the data file is opened for appending (created when missing; for appending only where
// the store lets workers append but not read), which is the start-up's test that the store can be
// written, and the records waiting in the offline buffer are handed over. Only a store that cannot
// be opened or written fails the step: a lock that Card-Warden holds a moment longer, or a buffer
// that cannot be read, leaves the records waiting for the clock tick's hand-over.
FileError openDataFileAndReplay(platform::FileOps& files, std::string_view dataFolder)
{
    const std::string dataFile = storeFile(dataFolder, kDataFileName);
    {
        platform::OpenFile file(files);
        FileError error = file.open(dataFile, platform::OpenMode::AppendCreate);
        if (error == FileError::AccessDenied)
            error = file.open(dataFile, platform::OpenMode::AppendOnly);
        if (error != FileError::None)
            return error;
    }
    const HandOverResult handOver = OfflineBuffer(files).replayInto(dataFile);
    return handOver.storeFault ? handOver.error : FileError::None;
}

} // namespace

LoadOutcome StartUp::Form_Load()
{
    // 1. The application title is the settings' application name (SettingsStore's default).
    // 2. The clock display shows the time of the start at once.
    m_form.setCaption(ctl::Label2, timeOfDayText(m_clock.now()).substr(0, 8));
    // 3. The keypad entry and its echo.
    m_form.setCaption(ctl::Label1, "");
    m_form.setCaption(ctl::Text1, "");
    // 4. The tray icon.
    m_host.showTrayIcon(true);
    // 5. The Windows directory, with a trailing backslash.
    std::array<char, 145> buffer{};
    const std::uint32_t length = platform::GetWindowsDirectoryA(buffer.data(), buffer.size());
    m_windowsDir.assign(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
    if (m_windowsDir.empty() || m_windowsDir.back() != '\\')
        m_windowsDir.push_back('\\');
    // 6. The job slots.
    SlotTable(m_form).restore(m_settings);
    // 7. The activity labels; their change handlers write the values back.
    m_form.setCaption(ctl::Label10, m_settings.read(keys::ActivityCode));
    m_form.setCaption(ctl::Label11, m_settings.read(keys::ActivityNum));
    // 8. The data folder; without one the program ends here, silently.
    const std::string dataFolder =
        findDataFolder(m_settings, m_files, m_windowsDir, [this] { m_host.showLocateDialog(true); });
    if (dataFolder.empty())
        return LoadOutcome::NoStart;

    // 9. From here the first failing file operation switches the run to the fallback folder.
    bool switchArmed = true;
    LoadOutcome outcome = LoadOutcome::Normal;
    auto failureSwitch = [&] {
        m_form.setCaption(ctl::cwdir, FallbackDataFolder);
        switchArmed = false;
        outcome = LoadOutcome::Fallback;
    };
    m_form.setCaption(ctl::cwdir, dataFolder);
    // 10.
    if (openDataFileAndReplay(m_files, dataFolder) != FileError::None)
        failureSwitch();
    for (;;) {
        // 11. The worker's card number.
        m_form.setCaption(ctl::Text3, m_settings.read(keys::AutoCode));
        // 12. The job list.
        const FileError error = fillJobList(m_form, m_files, m_form.caption(ctl::cwdir));
        if (error == FileError::None || !switchArmed)
            break;
        failureSwitch();
    }
    return outcome;
}

} // namespace shiftloom
