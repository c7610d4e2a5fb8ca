// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "ui/Form1Host.h"
#include "ui/Form1Model.h"

namespace shiftloom {

enum class LoadOutcome
{
    Normal, ///< the data store is used; records go to its data file
    Fallback, ///< the store could not be used: the run uses "c:\" and records go to the buffer
    NoStart, ///< no data folder is known: the program ends silently
};

/** Fills the job list `Combo1` from the job file of `dataFolder`; see the start-up and the tray click. */
platform::FileError fillJobList(Form1Model& form, platform::FileOps& files, std::string_view dataFolder);

/**
 * The main window's load step: the whole start-up before the window is first shown.
 *  1. the application title; 2. the clock display; 3. the keypad entry and echo emptied;
 *  4. the tray icon shown; 5. the Windows directory; 6. the job slots restored;
 *  7. the activity labels; 8. the data folder (perhaps through the locate dialog; with none, the
 *  program ends here, silently); 9. `cwdir` set; 10. the data file opened for appending and the
 *  offline buffer replayed into it; 11. the card number; 12. the job list.
 * From step 9 to the end of step 12 the first failing file operation switches the run, once and
 * silently, to the fallback folder "c:\" and goes on with step 11.
 */
class StartUp final
{
public:
    StartUp(Form1Model& form,
        SettingsStore& settings,
        platform::FileOps& files,
        const platform::Clock& clock,
        Form1Host& host);

    LoadOutcome Form_Load();

    /** The Windows directory found in step 5, ending in "\". */
    const std::string& windowsDir() const { return m_windowsDir; }

private:
    Form1Model& m_form;
    SettingsStore& m_settings;
    platform::FileOps& m_files;
    const platform::Clock& m_clock;
    Form1Host& m_host;
    std::string m_windowsDir;
};

} // namespace shiftloom
