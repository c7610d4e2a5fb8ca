// SPDX-License-Identifier: MIT
#pragma once

#include "panel/AboutBox.h"
#include "win32/DialogWindow.h"

#include <string>
#include <string_view>

namespace shiftloom::win32 {

/**
 * Starts the system's information program (`platform::startSystemInformation`); when there is
 * none or the start fails, says "System Information Is Unavailable At This Time" in a box
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
