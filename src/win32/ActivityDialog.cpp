// SPDX-License-Identifier: MIT
#include "ActivityDialog.h"

namespace shiftloom::win32 {
ActivityDialog::ActivityDialog(HWND panel, const std::vector<std::string>& items, const Activity& current)
    : m_panel(panel)
    , m_items(items)
{
    build(ProgramWindow::ActivityDialog, panel);
    m_list = control(DialogControl::ActivityChoice);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const LRESULT at = SendMessageW(m_list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(items[i]).c_str()));
        if (at >= 0)
            SendMessageW(m_list, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
    }
    SetWindowTextW(m_list, wide(ActivityList::itemOf(current)).c_str());
    centreOn(panel);
}

std::optional<Activity> ActivityDialog::run()
{
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    SetFocus(m_list);
    runModal(m_window, m_panel, [this] { return m_done; });
    ShowWindow(m_window, SW_HIDE);
    return m_picked;
}

void ActivityDialog::pick()
{
    const LRESULT selected = SendMessageW(m_list, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR || m_done)
        return;
    // The item's place in the list it was made from, never its text as the combo box gives it back.
    const LRESULT place = SendMessageW(m_list, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    if (place == CB_ERR || static_cast<std::size_t>(place) >= m_items.size())
        return;
    m_picked = ActivityList::activityOf(m_items[static_cast<std::size_t>(place)]);
    m_done = true;
}

LRESULT ActivityDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == m_list) {
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
        m_done = true;
        return 0;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

} // namespace shiftloom::win32
