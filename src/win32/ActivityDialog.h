// SPDX-License-Identifier: MIT
#pragma once

#include "panel/ActivityList.h"
#include "win32/DialogWindow.h"

#include <optional>
#include <string>
#include <vector>

namespace shiftloom::win32 {

/**
 * The activity dialog ("SELECT ACTIVITY"): one combo box listing Card-Warden's activities, shown
 * modally over the panel when a job starts. Picking an item ends it with that activity; its close
 * box ends it without one.
 */
class ActivityDialog final : public DialogWindow
{
public:
    ActivityDialog(HWND panel, const std::vector<std::string>& items, const Activity& current);

    /**
     * Shows the dialog centred on the panel and waits until an item is picked (the answer) or
     * the dialog is closed with its close box (none).
     */
    std::optional<Activity> run();

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND m_panel;
    const std::vector<std::string>& m_items; ///< each item of the list keeps its place in here
    HWND m_list = nullptr;
    ComboPicks m_picks;
    bool m_done = false;
    std::optional<Activity> m_picked;
};

} // namespace shiftloom::win32
