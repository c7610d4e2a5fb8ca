// SPDX-License-Identifier: MIT
// The panel on Windows: the platform's files, clock, drives and per-user settings, the panel's
// model with its Win32 windows and tray icon, the start-up and the message loop.
#include "app/SettingsStore.h"
#include "panel/Panel.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/win32/Win32RegistrySettingsBackend.h"
#include "win32/WindowsFrontEnd.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace shiftloom;

    // Twips become as many pixels as the screen's real resolution asks for.
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // Paths are the paths themselves, but for the root of C: where the user may not write there.
    platform::HostFiles host;
    platform::FileOps& files = host.files();
    platform::SystemClock clock;
    platform::Win32RegistrySettingsBackend settingsBackend;
    SettingsStore settings(settingsBackend);
    platform::Win32DriveList drives;

    HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    win32::WindowsFrontEnd frontEnd(instance, icon, settings, files, drives);
    Panel panel(settings, files, clock, frontEnd, TimeRecordWriter::Mode::Background);
    frontEnd.attach(panel);
    if (frontEnd.start() == LoadOutcome::NoStart)
        return 0;
    return frontEnd.run();
}
