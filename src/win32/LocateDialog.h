// SPDX-License-Identifier: MIT
#pragma once

#include "panel/DataFolderDialog.h"
#include "win32/DialogWindow.h"

#include <string>
#include <vector>

namespace shiftloom::win32 {

/**
 * The locate dialog ("LOCATE DATA FOLDER") on Windows: the drives in a drop-down list, the folder
 * tree of the chosen drive as a list of the open folders down to the current one and the folders
 * within it (a double-click or Enter opens one), a box for a typed path, a status line, OK and
 * Cancel. What it does is `DataFolderDialog`'s; the window shows its state after every act.
 */
class LocateDialog final : public DialogWindow
{
public:
    explicit LocateDialog(DataFolderDialog& dialog);

    /** Shows the dialog and waits until it is closed; `owner` takes no input meanwhile. */
    void runModal(HWND owner);
    /** Shows the dialog beside the panel and returns at once. */
    void showModeless();
    bool closed() const { return m_dialog.closed(); }

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void command(int id, int code);
    std::string labelText(const DialogControlDesign& design) const override;
    void render();
    void fillFolders();
    void openSelectedFolder();

    DataFolderDialog& m_dialog;
    HWND m_drives = nullptr;
    HWND m_folders = nullptr;
    HWND m_typedPath = nullptr;
    HWND m_ok = nullptr;
    HWND m_cancel = nullptr;
    std::vector<FolderLine> m_folderLines; ///< the lines of the folder list, with the folder each opens
    std::string m_shownFolder;
    std::string m_shownStatus;
    bool m_rendering = false;
};

} // namespace shiftloom::win32
