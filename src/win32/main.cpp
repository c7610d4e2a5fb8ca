// SPDX-License-Identifier: MIT
// The panel on Windows: the platform's files, clock, drives and per-user settings, the panel's
// model with its Win32 windows and tray icon, the start-up and the message loop.
#include "app/SettingsStore.h"
#include "panel/CommandLine.h"
#include "panel/Panel.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/win32/Win32RegistrySettingsBackend.h"
#include "win32/EdgeText.h"
#include "win32/SingleInstance.h"
#include "win32/WindowsFrontEnd.h"

#include <algorithm>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool writeAll(HANDLE out, const std::string& text)
{
    DWORD written = 0;
    return out && out != INVALID_HANDLE_VALUE
        && WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

/**
 * Tells a text asked for on the command line. The program has no console of its own: the text
 * goes where its standard output was sent, when it was; else into the console of the program
 * that started it (a command prompt); else, started from the desktop, into a message box.
 * False when it could not be told.
 */
bool tell(const std::string& text)
{
    std::string lines;
    for (const char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    if (writeAll(GetStdHandle(STD_OUTPUT_HANDLE), lines))
        return true;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileW(
            L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool written = writeAll(console, lines);
        if (console != INVALID_HANDLE_VALUE)
            CloseHandle(console);
        FreeConsole();
        if (written)
            return true;
    }
    return MessageBoxW(nullptr, shiftloom::win32::wide(text).c_str(), L"Ovix Shift-Loom", MB_OK | MB_ICONINFORMATION)
        != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    using namespace shiftloom;

    // Drive probes of the locate dialog and of the start-up ask the drive itself: an empty card
    // reader or a disc drive without a disc must give an error, never the system's "No disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    // "--version" and "--help" answer before anything else: they never start or reach a panel.
    // The command line as Windows holds it, wide; the options are plain ASCII.
    int count = 0;
    LPWSTR* wideArguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> texts;
    for (int i = 1; wideArguments && i < count; ++i)
        texts.push_back(win32::narrow(wideArguments[i]));
    LocalFree(wideArguments);
    const std::vector<std::string_view> arguments(texts.begin(), texts.end());
    if (const std::optional<int> answered = answerCommandLine(arguments, tell))
        return *answered;

    // One panel per worker's session: a second start shows the running panel and ends here,
    // before it has read or written anything.
    win32::SingleInstance instanceGuard;
    switch (instanceGuard.claim(win32::kPanelClassName)) {
    case win32::SingleInstance::Claim::HandedOver:
        return 0;
    case win32::SingleInstance::Claim::NoAnswer:
        return 1;
    case win32::SingleInstance::Claim::First:
        break;
    }

    // The scale of each monitor (per-monitor DPI awareness, version 2) is set by the manifest.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // The screen readers' names of the controls are given through a COM service.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

    // Paths are the paths themselves, but for the root of C: where the user may not write there.
    platform::HostFiles host;
    platform::FileOps& files = host.files();
    platform::SystemClock clock;
    platform::Win32RegistrySettingsBackend settingsBackend;
    SettingsStore settings(settingsBackend);
    platform::Win32DriveList drives;

    int exitCode = 0;
    {
        win32::WindowsFrontEnd frontEnd(settings, files, drives);
        Panel panel(settings, files, clock, frontEnd, TimeRecordWriter::Mode::Background);
        frontEnd.attach(panel);
        if (frontEnd.start() != LoadOutcome::NoStart)
            exitCode = frontEnd.run();
    }
    if (com)
        CoUninitialize();
    return exitCode;
}
