// SPDX-License-Identifier: MIT
#include "AboutDialog.h"

#include "panel/AboutBoxLayout.h"

#include <array>
#include <cstdint>

namespace shiftloom::win32 {
namespace {

constexpr int kSysInfoId = 100;
constexpr DWORD kValueBufferSize = 1024;

constexpr std::string_view kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr std::string_view kSysInfoValue = "PATH";
constexpr std::string_view kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr std::string_view kSysInfoLocationValue = "MSINFO";
constexpr std::string_view kSysInfoProgram = "\\MSINFO32.EXE";

/** A file that a directory listing finds at exactly this path. */
bool fileExists(const std::string& path)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

/** Starts the program at `path` in a normal window that takes the focus. */
bool startProgram(const std::string& path)
{
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(
            path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace

bool readRegistryText(HKEY root, std::string_view keyName, std::string_view valueName, std::string& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, std::string(keyName).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    std::array<char, kValueBufferSize> buffer{};
    DWORD type = 0;
    DWORD size = kValueBufferSize;
    const LONG result = RegQueryValueExA(
        key, std::string(valueName).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS || size > kValueBufferSize) {
        value.clear();
        RegCloseKey(key);
        return false;
    }
    // A text stored with its terminator counts it in its size.
    std::size_t n = size;
    if (n > 0 && buffer[n - 1] == '\0')
        --n;
    if (type == REG_SZ) {
        value.assign(buffer.data(), n);
    } else if (type == REG_DWORD) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < n && i < 4; ++i)
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(buffer[i])) << (8 * i);
        value = std::to_string(number);
    }
    RegCloseKey(key);
    return true;
}

bool startSystemInformation(std::string_view appTitle, HWND owner)
{
    std::string path;
    bool started = false;
    if (readRegistryText(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, path)) {
        started = startProgram(path);
    } else if (readRegistryText(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, kSysInfoLocationValue, path)) {
        const std::string program = path + std::string(kSysInfoProgram);
        started = fileExists(program) && startProgram(program);
    }
    if (!started) {
        const std::string title(appTitle);
        MessageBoxA(owner, std::string(kSysInfoUnavailable).c_str(), title.c_str(), MB_OK);
    }
    return started;
}

AboutDialog::AboutDialog(HWND panel, HICON icon, std::string_view appTitle)
    : m_box(AboutBox::forApplication(appTitle))
    , m_appTitle(appTitle)
    , m_icon(icon)
{
    const AboutBoxDesign& design = aboutBoxDesign();
    // A fixed dialog frame with a close box; owned by the panel, so no taskbar button.
    create(m_box.caption,
        WS_POPUP | WS_CAPTION | WS_SYSMENU,
        WS_EX_DLGMODALFRAME,
        panel,
        design.clientLeft,
        design.clientTop,
        design.clientWidth,
        design.clientHeight);
    if (icon) {
        SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    // The title and the version are drawn on the window: its description tells them.
    setAccessibleText(nullptr, {"", m_box.title + ", " + m_box.version});
    // The buttons in their focus order: OK first.
    for (const DialogControl name : {DialogControl::AboutOk, DialogControl::AboutSystemInfo}) {
        const AboutControlDesign* button = aboutBoxControl(name);
        if (!button)
            continue;
        const bool ok = name == DialogControl::AboutOk;
        HWND control = addControl("BUTTON",
            button->caption,
            WS_TABSTOP | (ok ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
            0,
            ok ? IDOK : kSysInfoId,
            button->left,
            button->top,
            button->width,
            button->height);
        setAccessibleText(control, dialogAccessibleText(name));
    }
}

void AboutDialog::show()
{
    bringForward();
    SetFocus(GetDlgItem(m_window, IDOK));
}

void AboutDialog::close()
{
    m_closed = true;
    ShowWindow(m_window, SW_HIDE);
}

void AboutDialog::paint(HDC dc)
{
    HGDIOBJ oldFont = SelectObject(dc, dialogFont());
    SetBkMode(dc, TRANSPARENT);
    // The white line of the etched separator first, one pixel below the grey one.
    const AboutControlDesign* lines[] = {
        aboutBoxControl(DialogControl::AboutSeparator, 0), aboutBoxControl(DialogControl::AboutSeparator, 1)};
    for (const AboutControlDesign* line : lines) {
        if (!line)
            continue;
        const int below = line->borderWidth > 1 ? 1 : 0;
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colourRef(line->colour)));
        HGDIOBJ oldPen = SelectObject(dc, pen.get());
        MoveToEx(dc, scale().x(line->x1), scale().y(line->y1) + below, nullptr);
        LineTo(dc, scale().x(line->x2), scale().y(line->y2) + below);
        SelectObject(dc, oldPen);
    }
    for (const AboutControlDesign& control : aboutBoxControls()) {
        if (control.type == AboutControlType::Picture && m_icon) {
            DrawIconEx(dc, scale().x(control.left), scale().y(control.top), m_icon, 32, 32, 0, nullptr, DI_NORMAL);
        } else if (control.type == AboutControlType::Label) {
            const std::string& text = control.control == DialogControl::AboutTitle ? m_box.title : m_box.version;
            RECT r = twipsRect(control.left, control.top, control.width, control.height);
            SetTextColor(dc, control.colour == 0xFFFFFFFFu ? GetSysColor(COLOR_BTNTEXT) : colourRef(control.colour));
            DrawTextA(
                dc, text.data(), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        }
    }
    SelectObject(dc, oldFont);
}

LRESULT AboutDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            close();
            break;
        case kSysInfoId:
            startSystemInformation(m_appTitle, m_window);
            break;
        default:
            break;
        }
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

} // namespace shiftloom::win32
