// SPDX-License-Identifier: MIT
#include "LocateDialog.h"

#include "platform/Drives.h"

#include <algorithm>
#include <cctype>

namespace shiftloom::win32 {
namespace {

constexpr int kDrivesId = 10;
constexpr int kFoldersId = 11;
constexpr int kTypedPathId = 12;
constexpr int kOkId = 17;
constexpr int kCancelId = 18;

constexpr std::string_view kFrameCaption = "Please locate Card-Warden data store: ";
constexpr std::string_view kTypedPathLabel = "Or enter UNC path:";
constexpr COLORREF kYellow = RGB(255, 255, 0);

/**
 * The folders within `folder`, sorted by name without regard to case. A folder whose name has a
 * character outside Windows-1252 is left out: the data folder's path is a text in that code page,
 * and no such text names it.
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
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    });
    return names;
}

bool sameText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

LocateDialog::LocateDialog(DataFolderDialog& dialog, platform::DriveList& drives)
    : m_dialog(dialog)
{
    // A sizing frame and a title, but no system menu: no close, minimise or maximise box. No
    // owner, so it has its own taskbar button.
    create("LOCATE DATA FOLDER",
        WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN,
        WS_EX_APPWINDOW,
        nullptr,
        CW_USEDEFAULT,
        CW_USEDEFAULT,
        6315,
        4125);
    // Created in the focus order: Cancel first, so that the focus starts there.
    m_cancel = addControl(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, kCancelId, 5265, 3015, 915, 375);
    m_ok = addControl(L"BUTTON", "OK", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0, kOkId, 5280, 3555, 915, 375);
    m_folders = addControl(L"LISTBOX",
        "",
        WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        WS_EX_CLIENTEDGE,
        kFoldersId,
        180,
        720,
        4920,
        2565);
    m_drives = addControl(
        L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, kDrivesId, 180, 315, 3480, 315 + 3000);
    m_typedPath =
        addControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kTypedPathId, 180, 3600, 4935, 315);

    const std::pair<HWND, DialogControl> named[] = {{m_cancel, DialogControl::LocateCancel},
        {m_ok, DialogControl::LocateOk},
        {m_folders, DialogControl::FolderTree},
        {m_drives, DialogControl::DriveList},
        {m_typedPath, DialogControl::PathBox}};
    for (const auto& [control, name] : named)
        setAccessibleText(control, dialogAccessibleText(name));

    m_driveNames = drives.drives();
    for (const std::string& drive : m_driveNames)
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
    for (std::size_t i = 0; i < m_driveNames.size(); ++i) {
        if (sameText(m_driveNames[i], m_dialog.drive()))
            SendMessageW(m_drives, CB_SETCURSEL, i, 0);
    }
    if (m_dialog.folder() != m_shownFolder)
        fillFolders();
    EnableWindow(m_ok, m_dialog.okEnabled() ? TRUE : FALSE);
    if (m_dialog.status() != m_shownStatus) {
        m_shownStatus = m_dialog.status();
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
    m_folderPaths.clear();
    SendMessageW(m_folders, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_folders, LB_RESETCONTENT, 0, 0);
    // The open folders from the root down to the current one, each a step further in...
    std::string path;
    std::size_t depth = 0;
    std::size_t start = 0;
    const std::string& folder = m_shownFolder;
    while (start <= folder.size()) {
        std::size_t end = folder.find('\\', start);
        if (end == std::string::npos)
            end = folder.size();
        const std::string part = folder.substr(start, end - start);
        if (!part.empty()) {
            path += part;
            if (depth == 0)
                path += '\\';
            const std::string line = std::string(depth * 2, ' ') + (depth == 0 ? path : part);
            SendMessageW(m_folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(line).c_str()));
            m_folderPaths.push_back(path);
            if (depth > 0)
                path += '\\';
            ++depth;
        }
        start = end + 1;
    }
    const LRESULT current = static_cast<LRESULT>(m_folderPaths.size()) - 1;
    // ...then the folders within it.
    std::string within = folder;
    if (!within.empty() && within.back() != '\\')
        within += '\\';
    for (const std::string& name : subfolders(folder)) {
        const std::string line = std::string(depth * 2, ' ') + name;
        SendMessageW(m_folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(line).c_str()));
        m_folderPaths.push_back(within + name);
    }
    SendMessageW(m_folders, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageW(m_folders, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_folders, nullptr, TRUE);
}

void LocateDialog::openSelectedFolder()
{
    const LRESULT selected = SendMessageW(m_folders, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR || static_cast<std::size_t>(selected) >= m_folderPaths.size())
        return;
    std::string chosen = m_folderPaths[static_cast<std::size_t>(selected)];
    // The root keeps its backslash; any other folder is named without one.
    if (chosen.size() > 3 && chosen.back() == '\\')
        chosen.pop_back();
    if (chosen != m_dialog.folder())
        m_dialog.chooseFolder(chosen);
    render();
}

void LocateDialog::command(int id, int code)
{
    if (m_rendering)
        return;
    switch (id) {
    case IDOK: {
        // Enter: opens the folder chosen in the list, or presses the button that has the focus.
        HWND focus = GetFocus();
        if (focus == m_folders)
            openSelectedFolder();
        else if (focus == m_ok || focus == m_cancel)
            SendMessageW(focus, BM_CLICK, 0, 0);
        return;
    }
    case IDCANCEL:
        m_dialog.cancel();
        break;
    case kCancelId:
        if (code == BN_CLICKED)
            m_dialog.cancel();
        break;
    case kOkId:
        if (code == BN_CLICKED)
            m_dialog.accept();
        break;
    case kDrivesId:
        if (code == CBN_SELCHANGE) {
            const LRESULT selected = SendMessageW(m_drives, CB_GETCURSEL, 0, 0);
            if (selected != CB_ERR && static_cast<std::size_t>(selected) < m_driveNames.size()
                && !sameText(m_driveNames[static_cast<std::size_t>(selected)], m_dialog.drive()))
                m_dialog.chooseDrive(m_driveNames[static_cast<std::size_t>(selected)]);
        }
        break;
    case kFoldersId:
        if (code == LBN_DBLCLK)
            openSelectedFolder();
        return;
    case kTypedPathId:
        if (code == EN_CHANGE)
            m_dialog.typePath(windowText(m_typedPath));
        break;
    default:
        return;
    }
    render();
}

void LocateDialog::paint(HDC dc)
{
    // The frame that holds every control fills the client area in the button shadow grey; its
    // caption stands in its top edge in the highlight text colour.
    RECT client{};
    GetClientRect(m_window, &client);
    FillRect(dc, &client, gdi().brush(GetSysColor(COLOR_BTNSHADOW)));
    HGDIOBJ oldFont = SelectObject(dc, dialogFont());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame = twipsRect(0, 0, 6450, 4380);
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_BTNSHADOW));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    const std::wstring caption = wide(kFrameCaption);
    TextOutW(dc, scale().pixels(120), 0, caption.c_str(), static_cast<int>(caption.size()));

    // The status line: yellow on the frame's grey, right-aligned, within the client area (its
    // design reaches a little beyond it, which would cut off the last character).
    RECT status = twipsRect(4050, 360, 2310, 240);
    status.right = std::min(status.right, client.right - 2);
    SetTextColor(dc, kYellow);
    const std::wstring shownStatus = wide(m_shownStatus);
    DrawTextW(dc,
        shownStatus.c_str(),
        static_cast<int>(shownStatus.size()),
        &status,
        DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    RECT label = twipsRect(180, 3360, 1695, 195);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const std::wstring typedPathLabel = wide(kTypedPathLabel);
    DrawTextW(dc,
        typedPathLabel.c_str(),
        static_cast<int>(typedPathLabel.size()),
        &label,
        DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
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
