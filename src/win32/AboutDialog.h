// SPDX-License-Identifier: MIT
#pragma once

#include "panel/AboutBox.h"
#include "win32/DialogWindow.h"

#include <string>
#include <string_view>

namespace shiftloom::win32 {

/**
 * Reads the text or number `valueName` of the key `keyName` under `root` into `value` (a number
 * in decimal); false, with `value` empty, when the key or the value cannot be read. A value of
 * another type leaves `value` as it was and counts as read. The key is opened for reading only:
 * a worker's account may not open the machine's keys with full access. Wide throughout: the
 * value is a path that may hold any character.
 */
bool readRegistryText(HKEY root, const wchar_t* keyName, const wchar_t* valueName, std::wstring& value);

/**
 * Starts the system's information program: the one the registry names under
 * "SOFTWARE\Microsoft\Shared Tools\MSINFO" (value "PATH"), else "MSINFO32.EXE" in the folder named
 * under "SOFTWARE\Microsoft\Shared Tools Location" (value "MSINFO") when it is there. When neither
 * applies or the start fails, says "System Information Is Unavailable At This Time" in a box
 * titled `appTitle`, owned by `owner`. Returns true when a program was started.
 */
bool startSystemInformation(std::string_view appTitle, HWND owner);

/**
 * The about box: the program's icon, title and version above an etched line, OK (Enter, Esc) and
 * System Info. Modeless, at its own place on the screen; OK and the close box close it for good.
 */
class AboutDialog final : public DialogWindow
{
public:
    AboutDialog(HWND panel, std::string_view appTitle);

    void show();
    bool closed() const { return m_closed; }

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::string labelText(const DialogControlDesign& design) const override;
    void close();

    AboutBox m_box;
    std::string m_appTitle;
    bool m_closed = false;
};

} // namespace shiftloom::win32
