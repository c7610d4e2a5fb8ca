// SPDX-License-Identifier: MIT
#include "PanelWindow.h"

#include "panel/AccessibleText.h"
#include "win32/DialogWindow.h"
#include "win32/EdgeText.h"
#include "win32/SingleInstance.h"

#include <algorithm>
#include <utility>

#include <commctrl.h>

namespace shiftloom::win32 {
namespace {

/** Control ids start here: clear of IDOK, IDCANCEL and the id of a combo box's own edit box. */
constexpr int kFirstControlId = 2000;
/** Posted after a pick in the job list: shows the list's text once the combo box has set its own. */
constexpr UINT kShowJobListText = WM_APP + 1;
constexpr UINT kStoreNews = WM_APP + 2;
/** How far the job list drops down below its text, in pixels at 96 dpi. */
constexpr int kDropDownHeight = 240;
/** A thin fixed frame and no caption: no title bar, no system menu, no sizing. */
constexpr DWORD kStyle = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
/** A tool window has no taskbar button. */
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

bool isWindowed(ControlType type)
{
    return type == ControlType::Button || type == ControlType::TextBox || type == ControlType::ComboBox;
}

UINT textFormat(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Right:
        return DT_RIGHT;
    case Alignment::Centre:
        return DT_CENTER;
    case Alignment::Left:
        break;
    }
    return DT_LEFT;
}

/** Adds a control to the tooltips (TTM_ADDTOOLW), or gives its tooltip a new text (TTM_UPDATETIPTEXTW). */
void tellToolTips(HWND toolTips, UINT message, HWND control, std::string_view text)
{
    std::wstring tip = wide(text);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = tip.data();
    SendMessageW(toolTips, message, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace

PanelWindow::PanelWindow(PanelEvents& events)
    : m_events(events)
{
    const PanelDesign& design = panelDesign();
    m_icons.emplace();
    create({kPanelClassName, CS_DBLCLKS}, L"", kStyle, kExStyle, nullptr, {design.clientWidth, design.clientHeight});
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (m_window)
        createControls();
}

RECT PanelWindow::placeOf(const ControlDesign& design) const
{
    return toRect(m_scale.rect(design.left, design.top, shownWidth(design), design.height));
}

void PanelWindow::placeWindowed(const Control& c)
{
    const ControlDesign& design = *c.design;
    int height = c.rect.bottom - c.rect.top;
    if (design.type == ControlType::ComboBox)
        height += m_scale.fromDesignPixels(kDropDownHeight);
    SetWindowPos(
        c.window, nullptr, c.rect.left, c.rect.top, c.rect.right - c.rect.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(c.window, WM_SETFONT, reinterpret_cast<WPARAM>(m_gdi.font(fontOf(design))), TRUE);
    if (design.type == ControlType::ComboBox) {
        // The text field keeps the height of the design, whatever the font would make it.
        const int frame = systemMetric(m_scale, SM_CYEDGE) * 2 + m_scale.fromDesignPixels(2);
        SendMessageW(c.window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), c.rect.bottom - c.rect.top - frame);
    }
}

void PanelWindow::placeControls()
{
    for (Control& c : m_controls) {
        c.rect = placeOf(*c.design);
        if (c.window)
            placeWindowed(c);
    }
    fitDropDownWidth();
    m_events.displayChanged();
}

HWND PanelWindow::firstFocus() const
{
    HWND focus = GetFocus();
    return focus && IsChild(m_window, focus) ? focus : control({PanelControl::InKey}).window;
}

void PanelWindow::createControls()
{
    const auto designs = panelControls();
    m_controls.resize(designs.size());
    std::vector<std::pair<int, std::size_t>> windowed;
    for (std::size_t i = 0; i < designs.size(); ++i) {
        const ControlDesign& design = designs[i];
        Control& c = m_controls[i];
        c.design = &design;
        c.rect = placeOf(design);
        c.caption = std::string(design.caption);
        c.back = design.backColour;
        if (isWindowed(design.type))
            windowed.emplace_back(design.tabIndex, i);
    }

    // Created in the focus order: the focus walk follows the order of creation.
    std::sort(windowed.begin(), windowed.end());
    for (const auto& [tabIndex, i] : windowed) {
        Control& c = m_controls[i];
        const ControlDesign& design = *c.design;
        DWORD style = WS_CHILD | WS_TABSTOP | (design.visible ? WS_VISIBLE : 0);
        DWORD exStyle = 0;
        const wchar_t* windowClass = L"BUTTON";
        switch (design.type) {
        case ControlType::Button:
            style |= BS_OWNERDRAW;
            break;
        case ControlType::TextBox:
            windowClass = L"EDIT";
            style |= ES_AUTOHSCROLL
                | (design.alignment == Alignment::Centre       ? ES_CENTER
                        : design.alignment == Alignment::Right ? ES_RIGHT
                                                               : ES_LEFT);
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlType::ComboBox:
            windowClass = L"COMBOBOX";
            style |= WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
            break;
        case ControlType::Label:
        case ControlType::TrayIcon:
            break;
        }
        c.window = createChild(windowClass, c.caption, style, exStyle, kFirstControlId + static_cast<int>(i));
        placeWindowed(c);
    }

    // The keypad's echo takes no typing: its characters are dropped before the box sees them.
    HWND echo = control({PanelControl::KeypadEcho}).window;
    SetWindowLongPtrW(
        echo, GWLP_USERDATA, SetWindowLongPtrW(echo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(echoBoxProc)));

    m_toolTips = createChild(TOOLTIPS_CLASSW, "", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, WS_EX_TOPMOST, 0);
    for (Control& c : m_controls) {
        if (!c.window || (c.design->type != ControlType::Button && c.design->toolTip.empty()))
            continue;
        tellToolTips(m_toolTips, TTM_ADDTOOLW, c.window, c.design->toolTip);
    }
}

LRESULT CALLBACK PanelWindow::echoBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_CONTEXTMENU:
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE)
            return 0;
        break;
    default:
        break;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

LRESULT PanelWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_taskbarCreated && m_taskbarCreated != 0) {
        m_events.notificationAreaStarted();
        return 0;
    }
    if (message == SingleInstance::showRequest()) {
        m_events.showRequested();
        return SingleInstance::kShown;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return textBoxColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case kShowJobListText:
        showComboText();
        return 0;
    case kStoreNews:
        m_events.storeNewsArrived();
        return 0;
    case WM_TIMER:
        m_events.timer(static_cast<int>(wParam));
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        mouse(message, wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        // The button came up where the panel did not see it, or another window took the mouse:
        // the drag ends all the same.
        if (m_stripCaptured && reinterpret_cast<HWND>(lParam) != m_window) {
            m_stripCaptured = false;
            act([this] { m_panel->releaseDragStrip(); });
        }
        m_pressedLabel = nullptr;
        return 0;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        m_events.displayChanged();
        break;
    case WM_TIMECHANGE:
        m_events.clockChanged();
        return 0;
    case WM_POWERBROADCAST:
        // Back from sleep or hibernation: resumed automatically (with or without the worker).
        if (wParam == PBT_APMRESUMEAUTOMATIC)
            m_events.clockChanged();
        return TRUE;
    case WM_CLOSE:
        m_events.closing();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            m_events.closing();
        return 0;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

void PanelWindow::postStoreNews() const
{
    PostMessageW(m_window, kStoreNews, 0, 0);
}

void PanelWindow::command(int id, int code, HWND from)
{
    if (!m_panel)
        return;
    if (id == IDOK && code == 0) {
        // Enter presses the button that has the focus, like Space.
        HWND focus = GetFocus();
        for (const Control& c : m_controls) {
            if (c.window && c.window == focus && c.design->type == ControlType::Button)
                act([this, ref = c.design->ref] { m_panel->pressControl(ref); });
        }
        return;
    }
    const int index = id - kFirstControlId;
    if (index < 0 || static_cast<std::size_t>(index) >= m_controls.size())
        return;
    const Control& c = m_controls[static_cast<std::size_t>(index)];
    if (c.window != from)
        return;
    const ControlRef ref = c.design->ref;
    switch (c.design->type) {
    case ControlType::Button:
        // An owner-drawn button tells a quick second click as a double-click: a press all the same.
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED)
            act([this, ref] { m_panel->pressControl(ref); });
        break;
    case ControlType::TextBox:
        if (code == EN_CHANGE && !m_settingText) {
            typeInto(*m_panel, m_view, ref, windowText(c.window));
        } else if (code == EN_KILLFOCUS && ref.control == PanelControl::CardNumber) {
            // Only a move to another control of the panel counts; the panel losing the focus to
            // another window does not.
            HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_panel->keepCardNumber();
        }
        break;
    case ControlType::ComboBox:
        if (code == CBN_EDITCHANGE) {
            typeInto(*m_panel, m_view, ref, windowText(c.window));
        } else if (const auto line = m_jobListPicks.picked(c.window, code); line && !m_picking) {
            // The line's place in the model's list, as the list was given (a refill paints at once).
            m_picking = true;
            PostMessageW(m_window, kShowJobListText, 0, 0);
            act([this, line] { m_panel->pickJobLine(*line); });
        }
        break;
    case ControlType::Label:
    case ControlType::TrayIcon:
        break;
    }
}

void PanelWindow::showComboText()
{
    m_picking = false;
    const Control& c = control({PanelControl::JobList});
    SendMessageW(c.window, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(c.window, wide(c.caption).c_str());
}

void PanelWindow::paint(HDC dc, const RECT& area)
{
    // Drawn off screen and put on in one piece: the clock changes every second without a flicker.
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    HDC memory = CreateCompatibleDC(dc);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap.get());
    SetViewportOrgEx(memory, -area.left, -area.top, nullptr);

    FillRect(memory, &area, m_gdi.brush(colourRef(panelDesign().backColour)));
    SetBkMode(memory, TRANSPARENT);
    HGDIOBJ oldFont = nullptr;
    // In the order of the design, so that later labels lie on earlier ones (the title on the strip).
    for (const Control& c : m_controls) {
        const ControlDesign& design = *c.design;
        RECT overlap;
        if (design.type != ControlType::Label || !design.visible || !IntersectRect(&overlap, &c.rect, &area))
            continue;
        RECT r = c.rect;
        if (!design.transparent)
            FillRect(memory, &r, m_gdi.brush(colourOr(c.back, COLOR_BTNFACE)));
        if (design.border) {
            DrawEdge(memory, &r, BDR_SUNKENOUTER, BF_RECT);
            InflateRect(&r, -1, -1);
        }
        if (c.caption.empty())
            continue;
        HGDIOBJ previous = SelectObject(memory, m_gdi.font(fontOf(design)));
        if (!oldFont)
            oldFont = previous;
        SetTextColor(memory, colourOr(design.foreColour, COLOR_BTNTEXT));
        drawText(memory, c.caption, r, textFormat(design.alignment) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (oldFont)
        SelectObject(memory, oldFont);

    SetViewportOrgEx(memory, 0, 0, nullptr);
    BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

void PanelWindow::drawButton(const DRAWITEMSTRUCT& item)
{
    const int index = static_cast<int>(item.CtlID) - kFirstControlId;
    if (index < 0 || static_cast<std::size_t>(index) >= m_controls.size())
        return;
    const Control& c = m_controls[static_cast<std::size_t>(index)];
    const ControlDesign& design = *c.design;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    // A graphical button shows its back colour; the others the button face.
    const Colour back = design.graphical && c.back != kDefaultColour ? c.back : colours::ButtonFace;
    FillRect(dc, &r, m_gdi.brush(colourRef(back)));
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    RECT text = r;
    if (pressed)
        OffsetRect(&text, 1, 1);
    HGDIOBJ oldFont = SelectObject(dc, m_gdi.font(fontOf(design)));
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : colourOr(design.foreColour, COLOR_BTNTEXT));
    drawText(dc, c.caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

LRESULT PanelWindow::textBoxColours(HDC dc, HWND box)
{
    for (const Control& c : m_controls) {
        if (c.window != box || c.design->type != ControlType::TextBox)
            continue;
        const COLORREF back = colourOr(c.back, COLOR_WINDOW);
        SetTextColor(dc, colourOr(c.design->foreColour, COLOR_WINDOWTEXT));
        SetBkColor(dc, back);
        return reinterpret_cast<LRESULT>(m_gdi.brush(back));
    }
    return DefWindowProcW(m_window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
}

const PanelWindow::Control* PanelWindow::labelAt(POINT point) const
{
    for (auto c = m_controls.rbegin(); c != m_controls.rend(); ++c) {
        if (c->design->type == ControlType::Label && c->design->visible && PtInRect(&c->rect, point))
            return &*c;
    }
    return nullptr;
}

void PanelWindow::mouse(UINT message, WPARAM, LPARAM lParam)
{
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const Control* label = labelAt(point);
    const bool onStrip = label && label->design->ref.control == PanelControl::DragStrip;
    switch (message) {
    case WM_MOUSEMOVE:
        if (m_stripCaptured || onStrip)
            act([this, at = inDragStrip()] { m_panel->moveOverDragStrip(at.first, at.second); });
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (!label) {
            if (message == WM_LBUTTONDBLCLK)
                act([this] { m_panel->exit(); });
            break;
        }
        SetCapture(m_window);
        if (onStrip) {
            m_stripCaptured = true;
            act([this, at = inDragStrip()] { m_panel->pressDragStrip(at.first, at.second); });
        } else if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
            m_pressedLabel = label;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const Control* pressed = std::exchange(m_pressedLabel, nullptr);
        const bool dragging = std::exchange(m_stripCaptured, false);
        if (GetCapture() == m_window)
            ReleaseCapture();
        if (dragging)
            act([this] { m_panel->releaseDragStrip(); });
        // A click is a press and a release on the same label.
        if (message == WM_LBUTTONUP && pressed && pressed == label)
            act([this, label] { m_panel->pressControl(label->design->ref); });
        break;
    }
    default:
        break;
    }
}

std::pair<float, float> PanelWindow::inDragStrip() const
{
    // Measured from where the strip stands now rather than from the message's own client
    // position, so that a move the panel has just made is taken into account.
    const DWORD at = GetMessagePos();
    const Control& strip = control({PanelControl::DragStrip});
    POINT origin{strip.rect.left, strip.rect.top};
    ClientToScreen(m_window, &origin);
    const int x = static_cast<short>(LOWORD(at)) - origin.x;
    const int y = static_cast<short>(HIWORD(at)) - origin.y;
    return {static_cast<float>(m_scale.twips(x)), static_cast<float>(m_scale.twips(y))};
}

template<typename Act> void PanelWindow::act(Act&& operation)
{
    if (!m_panel)
        return;
    operation();
    render();
}

void PanelWindow::render()
{
    // The clock and the activity are drawn by the window, no controls of their own: the window's
    // own texts for a screen reader tell them.
    if (m_panel && m_view.render(*m_panel, *this))
        m_names->set(m_window, panelWindowAccessibleText(*m_panel));
}

void PanelWindow::setCaption(ControlRef ref, std::string_view text)
{
    Control& c = control(ref);
    if (c.caption == text)
        return;
    c.caption = std::string(text);
    switch (c.design->type) {
    case ControlType::Label:
        InvalidateRect(m_window, &c.rect, FALSE);
        break;
    case ControlType::Button:
        SetWindowTextW(c.window, wide(c.caption).c_str());
        InvalidateRect(c.window, nullptr, FALSE);
        break;
    case ControlType::TextBox:
        m_settingText = true;
        SetWindowTextW(c.window, wide(c.caption).c_str());
        m_settingText = false;
        break;
    case ControlType::ComboBox:
        // Within a pick the combo box is still setting the picked item as its text: the list's
        // own text follows once it is done.
        if (!m_picking)
            SetWindowTextW(c.window, wide(c.caption).c_str());
        break;
    case ControlType::TrayIcon:
        break;
    }
}

void PanelWindow::setBackColour(ControlRef ref, Colour colour)
{
    Control& c = control(ref);
    if (c.back == colour)
        return;
    c.back = colour;
    if (c.window)
        InvalidateRect(c.window, nullptr, TRUE);
    else
        InvalidateRect(m_window, &c.rect, FALSE);
}

void PanelWindow::setToolTip(ControlRef ref, std::string_view text)
{
    Control& c = control(ref);
    if (!c.window || !m_toolTips || c.toolTip == text)
        return;
    c.toolTip = std::string(text);
    tellToolTips(m_toolTips, TTM_UPDATETIPTEXTW, c.window, text);
}

void PanelWindow::paintControl(const ControlDesign& design, const ControlState& state)
{
    const ControlRef ref = design.ref;
    setCaption(ref, state.text);
    setBackColour(ref, state.back);
    setToolTip(ref, state.toolTip);
    if (HWND window = control(ref).window) {
        EnableWindow(window, state.enabled ? TRUE : FALSE);
        if (((GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0) != state.visible)
            ShowWindow(window, state.visible ? SW_SHOWNA : SW_HIDE);
        m_names->set(window, state.accessible);
    }
}

void PanelWindow::paintJobList(const TextList& items, const std::vector<std::size_t>& order)
{
    const Control& c = control({PanelControl::JobList});
    SendMessageW(c.window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(c.window, CB_RESETCONTENT, 0, 0);
    SendMessageW(c.window, CB_INITSTORAGE, order.size(), static_cast<LPARAM>(items.bytes() + items.size()));
    m_longestJobLine = 0;
    for (const std::size_t index : order) {
        // Each item keeps its line's place in `items`: a pick is read back from there.
        addItem(c.window, items[index], index);
        m_longestJobLine = std::max(m_longestJobLine, items[index].size());
    }
    SendMessageW(c.window, WM_SETREDRAW, TRUE, 0);
    SetWindowTextW(c.window, wide(c.caption).c_str());
    fitDropDownWidth();
    InvalidateRect(c.window, nullptr, TRUE);
}

void PanelWindow::fitDropDownWidth()
{
    // The list drops down as wide as its lines, which are much wider than the box, but no wider
    // than the monitor it is on.
    const Control& c = control({PanelControl::JobList});
    HDC dc = GetDC(c.window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c.window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(c.window, dc);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST), &monitor);
    const int wanted =
        static_cast<int>(m_longestJobLine + 2) * metrics.tmAveCharWidth + systemMetric(m_scale, SM_CXVSCROLL);
    const int widest = monitor.rcWork.right - monitor.rcWork.left - m_scale.fromDesignPixels(16);
    SendMessageW(c.window, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::min(wanted, widest)), 0);
}

void PanelWindow::show()
{
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    if (!m_shownOnce) {
        // The focus starts on the first control of the focus order, the hidden "IN" key.
        m_shownOnce = true;
        SetFocus(control({PanelControl::InKey}).window);
    }
}

void PanelWindow::hide()
{
    ShowWindow(m_window, SW_HIDE);
}

bool PanelWindow::visible() const
{
    return IsWindowVisible(m_window) != FALSE;
}

ScreenPosition PanelWindow::positionTwips() const
{
    RECT frame{};
    GetWindowRect(m_window, &frame);
    return ScreenPosition{m_scale.twips(frame.left), m_scale.twips(frame.top)};
}

void PanelWindow::moveToTwips(double left, double top)
{
    SetWindowPos(
        m_window, nullptr, m_scale.pixels(left), m_scale.pixels(top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PanelWindow::focus(ControlRef ref)
{
    if (HWND window = control(ref).window)
        SetFocus(window);
}

void PanelWindow::startTimer(int number, std::chrono::milliseconds interval)
{
    SetTimer(m_window, static_cast<UINT_PTR>(number), static_cast<UINT>(interval.count()), nullptr);
}

void PanelWindow::stopTimer(int number)
{
    KillTimer(m_window, static_cast<UINT_PTR>(number));
}

} // namespace shiftloom::win32
