// SPDX-License-Identifier: MIT
#include "LocateDialog.h"

namespace shiftloom::win32 {
namespace {

/**
 * The names of the folders within `folder`. A folder whose name has a character outside
 * Windows-1252 is left out: the data folder's path is a text in that code page, and no such text
 * names it.
 */
std::vector<std::string> subfolders(const std::string& folder)
{
    std::vector<std::string> names;
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '\\')
        pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW found{};
    HANDLE search =
        FindFirstFileExW(wide(pattern).c_str(), FindExInfoBasic, &found, FindExSearchLimitToDirectories, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring_view name = found.cFileName;
        const std::string text = narrow(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L".."
            && wide(text) == name)
            names.push_back(text);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

} // namespace

LocateDialog::LocateDialog(DataFolderDialog& dialog)
    : m_dialog(dialog)
{
    build(ProgramWindow::LocateDialog, nullptr);
    m_drives = control(DialogControl::DriveList);
    m_folders = control(DialogControl::FolderTree);
    m_typedPath = control(DialogControl::PathBox);
    m_ok = control(DialogControl::LocateOk);
    m_cancel = control(DialogControl::LocateCancel);
    for (const std::string& drive : m_dialog.drives())
        SendMessageW(m_drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(drive).c_str()));
    render();
}

void LocateDialog::runModal(HWND owner)
{
    bringForward();
    SetFocus(m_cancel);
    win32::runModal(m_window, owner, [this] { return m_dialog.closed(); });
    ShowWindow(m_window, SW_HIDE);
}

void LocateDialog::showModeless()
{
    bringForward();
    SetFocus(m_cancel);
}

void LocateDialog::render()
{
    m_rendering = true;
    // The drive of the folder shown.
    if (const auto drive = m_dialog.driveIndex())
        SendMessageW(m_drives, CB_SETCURSEL, *drive, 0);
    if (m_dialog.folder() != m_shownFolder)
        fillFolders();
    EnableWindow(m_ok, m_dialog.controlState(dialogControl(DialogControl::LocateOk)).enabled ? TRUE : FALSE);
    const std::string status = m_dialog.controlState(dialogControl(DialogControl::LocateStatus)).text;
    if (status != m_shownStatus) {
        m_shownStatus = status;
        InvalidateRect(m_window, nullptr, TRUE);
    }
    // The frame and the status line are drawn on the window: its description tells them.
    const std::string frame = dialogAccessibleText(DialogControl::LocateFrame).description;
    setAccessibleText(nullptr, {"", m_shownStatus.empty() ? frame : frame + ": " + m_shownStatus});
    if (m_dialog.closed())
        ShowWindow(m_window, SW_HIDE);
    m_rendering = false;
}

void LocateDialog::fillFolders()
{
    m_shownFolder = m_dialog.folder();
    FolderList list = folderList(m_shownFolder, subfolders(m_shownFolder));
    m_folderLines = std::move(list.lines);
    SendMessageW(m_folders, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_folders, LB_RESETCONTENT, 0, 0);
    for (const FolderLine& line : m_folderLines)
        SendMessageW(m_folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(line.text).c_str()));
    SendMessageW(m_folders, LB_SETCURSEL, static_cast<WPARAM>(list.current), 0);
    SendMessageW(m_folders, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_folders, nullptr, TRUE);
}

void LocateDialog::openSelectedFolder()
{
    const LRESULT selected = SendMessageW(m_folders, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR || static_cast<std::size_t>(selected) >= m_folderLines.size())
        return;
    m_dialog.openFolder(m_folderLines[static_cast<std::size_t>(selected)].folder);
    render();
}

void LocateDialog::command(int id, int code)
{
    if (m_rendering)
        return;
    if (id == IDOK) {
        // Enter: opens the folder chosen in the list, or presses the button that has the focus.
        HWND focus = GetFocus();
        if (focus == m_folders)
            openSelectedFolder();
        else if (focus == m_ok || focus == m_cancel)
            SendMessageW(focus, BM_CLICK, 0, 0);
        return;
    }
    const DialogControlDesign* control = controlOfId(id);
    if (!control)
        return;
    switch (control->control) {
    case DialogControl::LocateCancel:
        if (id == IDCANCEL || code == BN_CLICKED)
            m_dialog.cancel();
        break;
    case DialogControl::LocateOk:
        if (code == BN_CLICKED)
            m_dialog.accept();
        break;
    case DialogControl::DriveList:
        if (const LRESULT selected = SendMessageW(m_drives, CB_GETCURSEL, 0, 0);
            code == CBN_SELCHANGE && selected != CB_ERR)
            m_dialog.pickDrive(static_cast<std::size_t>(selected));
        break;
    case DialogControl::FolderTree:
        if (code == LBN_DBLCLK)
            openSelectedFolder();
        return;
    case DialogControl::PathBox:
        if (code == EN_CHANGE)
            m_dialog.typePath(windowText(m_typedPath));
        break;
    default:
        return;
    }
    render();
}

std::string LocateDialog::labelText(const DialogControlDesign& design) const
{
    return design.control == DialogControl::LocateStatus ? m_shownStatus : std::string(design.caption);
}

LRESULT LocateDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        InvalidateRect(m_window, nullptr, TRUE);
        break;
    case WM_CLOSE:
        // No close box, but the window system may still close it: that is a Cancel.
        m_dialog.cancel();
        render();
        return 0;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

} // namespace shiftloom::win32
