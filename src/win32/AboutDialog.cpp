// SPDX-License-Identifier: MIT
#include "AboutDialog.h"

#include "platform/win32/SystemInformation.h"

namespace shiftloom::win32 {

bool startSystemInformation(std::string_view appTitle, HWND owner)
{
    const bool started = platform::startSystemInformation();
    if (!started)
        MessageBoxW(owner, wide(kSysInfoUnavailable).c_str(), wide(appTitle).c_str(), MB_OK);
    return started;
}

AboutDialog::AboutDialog(HWND panel, std::string_view appTitle)
    : m_box(AboutBox::forApplication(appTitle))
    , m_appTitle(appTitle)
{
    build(ProgramWindow::AboutBox, panel, m_box.caption);
    // The title and the version are drawn on the window: its description tells them.
    setAccessibleText(nullptr, {"", m_box.title + ", " + m_box.version});
}

void AboutDialog::show()
{
    bringForward();
    SetFocus(control(DialogControl::AboutOk));
}

void AboutDialog::close()
{
    m_closed = true;
    ShowWindow(m_window, SW_HIDE);
}

std::string AboutDialog::labelText(const DialogControlDesign& design) const
{
    return m_box.controlState(design).text;
}

LRESULT AboutDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        const DialogControlDesign* button = controlOfId(LOWORD(wParam));
        if (button && button->control == DialogControl::AboutOk)
            close();
        else if (button && button->control == DialogControl::AboutSystemInfo)
            startSystemInformation(m_appTitle, m_window);
        return 0;
    }
    if (message == WM_CLOSE) {
        close();
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

} // namespace shiftloom::win32
