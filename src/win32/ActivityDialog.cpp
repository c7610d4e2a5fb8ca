// SPDX-License-Identifier: MIT
#include "ActivityDialog.h"

namespace shiftloom::win32 {
ActivityDialog::ActivityDialog(HWND panel, const std::vector<std::string>& items, const Activity& current)
    : m_panel(panel)
    , m_items(items)
{
    build(ProgramWindow::ActivityDialog, panel);
    m_list = control(DialogControl::ActivityChoice);
    for (std::size_t i = 0; i < items.size(); ++i)
        addItem(m_list, items[i], i);
    SetWindowTextW(m_list, wide(ActivityList::itemOf(current)).c_str());
    centreOn(panel);
}

std::optional<Activity> ActivityDialog::run()
{
    bringForward();
    SetFocus(m_list);
    runModal(m_window, m_panel, [this] { return m_done; });
    ShowWindow(m_window, SW_HIDE);
    return m_picked;
}

LRESULT ActivityDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) != m_list)
            return 0;
        if (const auto place = m_picks.picked(m_list, HIWORD(wParam)); place && !m_done && *place < m_items.size()) {
            m_picked = ActivityList::activityOf(m_items[*place]);
            m_done = true;
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
