// SPDX-License-Identifier: MIT
#include "DialogWindow.h"

#include <algorithm>

namespace shiftloom::win32 {
namespace {

/** Control ids start here: clear of IDOK, IDCANCEL and the id of a combo box's own edit box. */
constexpr int kFirstControlId = 2000;

} // namespace

void DialogWindow::build(ProgramWindow which, HWND owner, std::string_view title)
{
    const DialogDesign& design = dialogDesign(which);
    m_which = which;
    // A window of its own has a taskbar button and no owner; the others belong to the panel.
    if (design.ownTaskbarButton)
        owner = nullptr;
    const DWORD style = WS_CAPTION | WS_CLIPCHILDREN | (design.ownTaskbarButton ? WS_OVERLAPPED : WS_POPUP)
        | (design.closeBox ? WS_SYSMENU : 0) | (design.sizable ? WS_THICKFRAME : 0);
    if (design.programIcon)
        m_icons.emplace();
    create({L"ShiftLoomDialog", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
        wide(title.empty() ? design.title : title),
        style,
        design.ownTaskbarButton ? WS_EX_APPWINDOW : WS_EX_DLGMODALFRAME,
        owner,
        SIZE{design.clientWidth, design.clientHeight},
        POINT{design.clientLeft, design.clientTop});
    m_picture = programIcon(m_scale.fromDesignPixels(32));

    // Made in the focus order: the focus walk follows the order of creation.
    const auto controls = dialogControls(which);
    for (const DialogControlDesign* c : dialogTabOrder(which)) {
        using T = DialogControlType;
        const wchar_t* windowClass = L"BUTTON";
        DWORD controlStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (c->enabled ? 0 : WS_DISABLED);
        DWORD exStyle = 0;
        switch (c->type) {
        case T::Button:
            controlStyle |= c->isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        case T::TextBox:
            windowClass = L"EDIT";
            controlStyle |= ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case T::ComboBox:
        case T::DropDownList:
            windowClass = L"COMBOBOX";
            controlStyle |= WS_VSCROLL | (c->type == T::ComboBox ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
            break;
        case T::FolderList:
            windowClass = L"LISTBOX";
            controlStyle |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        default:
            continue; // painted
        }
        const int id = kFirstControlId + static_cast<int>(c - controls.data());
        HWND window = createChild(windowClass, c->caption, controlStyle, exStyle, id);
        m_placed.push_back({window, c});
        place(m_placed.back());
        setAccessibleText(window, dialogAccessibleText(c->control));
    }
}

void DialogWindow::place(const Placed& placed)
{
    const DialogControlDesign& d = *placed.design;
    const RECT r = twipsRect(d.left, d.top, d.width, d.height);
    // A list drops down below its box.
    const bool dropsDown = d.type == DialogControlType::ComboBox || d.type == DialogControlType::DropDownList;
    const int height = r.bottom - r.top + (dropsDown ? m_scale.pixels(3000) : 0);
    SetWindowPos(placed.control, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(d)), TRUE);
}

HFONT DialogWindow::fontOf(const DialogControlDesign& design)
{
    return m_gdi.font(design.font.family.empty() ? dialogDesign(m_which).font : design.font);
}

HWND DialogWindow::control(DialogControl which) const
{
    for (const Placed& placed : m_placed) {
        if (placed.design->control == which)
            return placed.control;
    }
    return nullptr;
}

const DialogControlDesign* DialogWindow::controlOfId(int id) const
{
    const auto controls = dialogControls(m_which);
    if (id == IDOK || id == IDCANCEL) {
        for (const DialogControlDesign& c : controls) {
            if (id == IDOK ? c.isDefault : c.isCancel)
                return &c;
        }
        return nullptr;
    }
    const int place = id - kFirstControlId;
    return place >= 0 && static_cast<std::size_t>(place) < controls.size() ? &controls[static_cast<std::size_t>(place)]
                                                                           : nullptr;
}

void DialogWindow::paint(HDC dc, const RECT&)
{
    using T = DialogControlType;
    for (const DialogControlDesign& d : dialogControls(m_which)) {
        RECT r = twipsRect(d.left, d.top, d.width, d.height);
        HGDIOBJ oldFont = SelectObject(dc, fontOf(d));
        const COLORREF fore = colourOr(d.foreColour, COLOR_BTNTEXT);
        if (d.type == T::Frame) {
            // Filled with its back colour; its caption stands in its top edge.
            RECT client{};
            GetClientRect(m_window, &client);
            FillRect(dc, &client, m_gdi.brush(colourRef(d.backColour)));
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            r.top += metrics.tmHeight / 2;
            DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, colourRef(d.backColour));
            SetTextColor(dc, fore);
            const std::wstring caption = wide(d.caption);
            TextOutW(dc,
                m_scale.pixels(d.left + 120),
                m_scale.pixels(d.top),
                caption.c_str(),
                static_cast<int>(caption.size()));
        } else if (d.type == T::Label) {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, fore);
            drawText(dc,
                labelText(d),
                r,
                (d.alignment == Alignment::Right ? DT_RIGHT : DT_LEFT) | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        } else if (d.type == T::Picture && m_picture.get()) {
            const int size = m_scale.fromDesignPixels(32);
            DrawIconEx(dc, r.left, r.top, m_picture.get(), size, size, 0, nullptr, DI_NORMAL);
        } else if (d.type == T::Line) {
            // A line wider than one pixel shows below the one drawn over its upper edge.
            const int below = d.lineWidth > 1 ? m_scale.fromDesignPixels(1) : 0;
            GdiObject<HPEN> pen(CreatePen(PS_SOLID, m_scale.fromDesignPixels(1), colourRef(d.foreColour)));
            HGDIOBJ oldPen = SelectObject(dc, pen.get());
            MoveToEx(dc, r.left, r.top + below, nullptr);
            LineTo(dc, r.right, r.bottom + below);
            SelectObject(dc, oldPen);
        }
        SelectObject(dc, oldFont);
    }
}

void DialogWindow::placeControls()
{
    for (const Placed& placed : m_placed)
        place(placed);
    m_picture = programIcon(m_scale.fromDesignPixels(32));
}

void DialogWindow::setAccessibleText(HWND control, const AccessibleText& text)
{
    m_names->set(control ? control : m_window, text);
}

void DialogWindow::centreOn(HWND over)
{
    RECT area{};
    if (over && IsWindowVisible(over)) {
        GetWindowRect(over, &area);
    } else {
        // The work area of the monitor the window is on, beside the taskbar.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    RECT own{};
    GetWindowRect(m_window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::bringForward()
{
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
}

void addItem(HWND list, std::string_view text, std::size_t place)
{
    const LRESULT at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
    if (at >= 0)
        SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(place));
}

std::optional<std::size_t> ComboPicks::picked(HWND list, int code)
{
    if (code == CBN_DROPDOWN || code == CBN_CLOSEUP)
        m_dropped = code == CBN_DROPDOWN;
    if (code != CBN_SELENDOK && (code != CBN_SELCHANGE || m_dropped))
        return std::nullopt;
    const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    const LRESULT place =
        selected == CB_ERR ? CB_ERR : SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    if (place == CB_ERR)
        return std::nullopt;
    return static_cast<std::size_t>(place);
}

void runModal(HWND dialog, HWND owner, const std::function<bool()>& done)
{
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    MSG message;
    while (!done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
}

} // namespace shiftloom::win32
