// SPDX-License-Identifier: MIT
#include "AboutDialog.h"

#include "panel/AboutBoxLayout.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace shiftloom::win32 {
namespace {

constexpr int kSysInfoId = 100;
/** Characters, a terminator included. */
constexpr DWORD kValueBufferSize = 1024;

constexpr wchar_t kSysInfoKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr wchar_t kSysInfoValue[] = L"PATH";
constexpr wchar_t kSysInfoLocationKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr wchar_t kSysInfoLocationValue[] = L"MSINFO";
constexpr wchar_t kSysInfoProgram[] = L"\\MSINFO32.EXE";

/** A file that a directory listing finds at exactly this path. */
bool fileExists(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

/** Starts the program at `path` in a normal window that takes the focus. */
bool startProgram(const std::wstring& path)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(
            path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace

bool readRegistryText(HKEY root, const wchar_t* keyName, const wchar_t* valueName, std::wstring& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    std::array<wchar_t, kValueBufferSize> buffer{};
    DWORD type = 0;
    DWORD size = kValueBufferSize * sizeof(wchar_t); // bytes
    const LONG result = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS || size > kValueBufferSize * sizeof(wchar_t)) {
        value.clear();
        RegCloseKey(key);
        return false;
    }
    if (type == REG_SZ) {
        // A text stored with its terminator counts it in its size.
        std::size_t n = size / sizeof(wchar_t);
        if (n > 0 && buffer[n - 1] == L'\0')
            --n;
        value.assign(buffer.data(), n);
    } else if (type == REG_DWORD && size >= sizeof(std::uint32_t)) {
        std::uint32_t number = 0;
        std::memcpy(&number, buffer.data(), sizeof number);
        value = std::to_wstring(number);
    }
    RegCloseKey(key);
    return true;
}

bool startSystemInformation(std::string_view appTitle, HWND owner)
{
    std::wstring path;
    bool started = false;
    if (readRegistryText(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, path)) {
        started = startProgram(path);
    } else if (readRegistryText(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, kSysInfoLocationValue, path)) {
        const std::wstring program = path + kSysInfoProgram;
        started = fileExists(program) && startProgram(program);
    }
    if (!started)
        MessageBoxW(owner, wide(kSysInfoUnavailable).c_str(), wide(appTitle).c_str(), MB_OK);
    return started;
}

AboutDialog::AboutDialog(HWND panel, std::string_view appTitle)
    : m_box(AboutBox::forApplication(appTitle))
    , m_appTitle(appTitle)
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
    showProgramIcons();
    scaleChanged();
    // The title and the version are drawn on the window: its description tells them.
    setAccessibleText(nullptr, {"", m_box.title + ", " + m_box.version});
    // The buttons in their focus order: OK first.
    for (const DialogControl name : {DialogControl::AboutOk, DialogControl::AboutSystemInfo}) {
        const AboutControlDesign* button = aboutBoxControl(name);
        if (!button)
            continue;
        const bool ok = name == DialogControl::AboutOk;
        HWND control = addControl(L"BUTTON",
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
    // The white line of the etched separator first, one pixel (at 96 dpi) below the grey one.
    const AboutControlDesign* lines[] = {
        aboutBoxControl(DialogControl::AboutSeparator, 0), aboutBoxControl(DialogControl::AboutSeparator, 1)};
    for (const AboutControlDesign* line : lines) {
        if (!line)
            continue;
        const int below = line->borderWidth > 1 ? scale().fromDesignPixels(1) : 0;
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, scale().fromDesignPixels(1), colourRef(line->colour)));
        HGDIOBJ oldPen = SelectObject(dc, pen.get());
        MoveToEx(dc, scale().pixels(line->x1), scale().pixels(line->y1) + below, nullptr);
        LineTo(dc, scale().pixels(line->x2), scale().pixels(line->y2) + below);
        SelectObject(dc, oldPen);
    }
    for (const AboutControlDesign& control : aboutBoxControls()) {
        if (control.type == AboutControlType::Picture && m_icon.get()) {
            const int size = scale().fromDesignPixels(32);
            DrawIconEx(dc,
                scale().pixels(control.left),
                scale().pixels(control.top),
                m_icon.get(),
                size,
                size,
                0,
                nullptr,
                DI_NORMAL);
        } else if (control.type == AboutControlType::Label) {
            const std::string& text = control.control == DialogControl::AboutTitle ? m_box.title : m_box.version;
            RECT r = twipsRect(control.left, control.top, control.width, control.height);
            SetTextColor(dc, control.colour == 0xFFFFFFFFu ? GetSysColor(COLOR_BTNTEXT) : colourRef(control.colour));
            const std::wstring shown = wide(text);
            DrawTextW(
                dc, shown.c_str(), static_cast<int>(shown.size()), &r, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        }
    }
    SelectObject(dc, oldFont);
}

void AboutDialog::scaleChanged()
{
    m_icon = programIcon(scale().fromDesignPixels(32));
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
