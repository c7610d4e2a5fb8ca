// SPDX-License-Identifier: MIT
#include "ActivityDialog.h"

namespace shiftloom::win32 {
namespace {

constexpr int kListId = 100;

} // namespace

ActivityDialog::ActivityDialog(HWND panel, HICON icon, const std::vector<std::string>& items, const Activity& current)
    : m_panel(panel)
{
    // A fixed dialog frame with a close box only; owned by the panel, so no taskbar button.
    create("SELECT ACTIVITY",
        WS_POPUP | WS_CAPTION | WS_SYSMENU,
        WS_EX_DLGMODALFRAME,
        panel,
        CW_USEDEFAULT,
        CW_USEDEFAULT,
        2400,
        870);
    if (icon) {
        SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    m_list = addControl("COMBOBOX",
        "",
        WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        0,
        kListId,
        180,
        240,
        1995,
        315 + 3000);
    setAccessibleText(m_list, dialogAccessibleText(DialogControl::ActivityChoice));
    for (const std::string& item : items)
        SendMessageA(m_list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SetWindowTextA(m_list, ActivityList::itemOf(current).c_str());
    centreOn(panel);
}

ActivityChoice ActivityDialog::run()
{
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    SetFocus(m_list);
    runModal(m_window, m_panel, [this] { return m_done; });
    ShowWindow(m_window, SW_HIDE);
    return m_choice;
}

void ActivityDialog::pick()
{
    const LRESULT selected = SendMessageA(m_list, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR || m_done)
        return;
    const LRESULT length = SendMessageA(m_list, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == CB_ERR)
        return;
    std::string item(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(m_list, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(length));
    m_choice.picked = ActivityList::activityOf(item);
    m_done = true;
}

LRESULT ActivityDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kListId) {
            switch (HIWORD(wParam)) {
            case CBN_DROPDOWN:
                m_dropped = true;
                break;
            case CBN_CLOSEUP:
                m_dropped = false;
                break;
            case CBN_SELENDOK:
                pick();
                break;
            case CBN_SELCHANGE:
                // Moving through the open list picks nothing until it closes on an item.
                if (!m_dropped)
                    pick();
                break;
            default:
                break;
            }
        }
        return 0;
    case WM_CLOSE:
        m_choice.closedWithCloseBox = true;
        m_done = true;
        return 0;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

} // namespace shiftloom::win32
