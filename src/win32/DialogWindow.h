// SPDX-License-Identifier: MIT
#pragma once

#include "win32/AccessibleNames.h"
#include "win32/EdgeText.h"
#include "win32/Gdi.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * A secondary window of the panel (the locate dialog, the activity dialog, the about box): a
 * top-level window of its own class whose messages go to `handle`, with controls placed in twips
 * at the scale of the monitor it is on, and the dialog font, MS Sans Serif 8.25 pt (drawn in a
 * scalable face), unless told otherwise. Moved to a monitor of another scale, it places its
 * controls and sizes its fonts and icons anew.
 */
class DialogWindow
{
public:
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND handle() const { return m_window; }
    /** Brings the window to the front with the focus. */
    void bringForward();

protected:
    DialogWindow();
    /**
     * Creates the window, hidden, with a client area of `width` x `height` twips whose top left
     * corner stands at `left`, `top` twips on the screen (CW_USEDEFAULT: where the system puts it).
     */
    void create(
        std::string_view title, DWORD style, DWORD exStyle, HWND owner, int left, int top, int width, int height);
    /** A child control; the window class is a system one (L"BUTTON", L"EDIT", ...). */
    HWND addControl(const wchar_t* windowClass,
        std::string_view text,
        DWORD style,
        DWORD exStyle,
        int id,
        int left,
        int top,
        int width,
        int height);
    /** Gives a control (null: the dialog window itself) the texts a screen reader reads for it. */
    void setAccessibleText(HWND control, const AccessibleText& text);
    /** Gives the window the program's icons, at its scale now and after every change of scale. */
    void showProgramIcons();
    /** Centres the window on `over` (or on the screen when it is hidden or none). */
    void centreOn(HWND over);

    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    /** What every dialog does with a message it leaves alone: the focus kept, `paint`, the system's rest. */
    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    /** Draws what the controls do not: text and frames on the window itself. */
    virtual void paint(HDC) { }
    /** The window has taken a new scale; its controls are in place again. */
    virtual void scaleChanged() { }

    const TwipsScale& scale() const { return m_scale; }
    GdiCache& gdi() { return m_gdi; }
    HFONT dialogFont() { return m_gdi.font(FontDesign{"MS Sans Serif", 8.25, false}); }
    RECT twipsRect(int left, int top, int width, int height) const
    {
        return toRect(m_scale.rect(left, top, width, height));
    }

private:
    struct Placed
    {
        HWND control;
        RECT twips; ///< left, top, width, height
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    /** WM_DPICHANGED: the new scale, the window where the system suggests and the controls placed anew. */
    void rescale(int dpi, const RECT& suggested);

    TwipsScale m_scale;
    GdiCache m_gdi;
    std::optional<AccessibleNames> m_names{std::in_place}; ///< given up before the window goes
    std::vector<Placed> m_placed;
    SIZE m_clientTwips{};
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    std::optional<WindowIcons> m_icons;

protected:
    HWND m_window = nullptr;

private:
    HWND m_focus = nullptr; ///< the control that had the focus when the window was last active
};

/**
 * Runs the thread's messages until `done` says so, as a modal window does: `owner` takes no input
 * meanwhile, while every window's timers still fire. Keys walk the controls of `dialog`. A quit
 * request met on the way is left for the outer loop.
 */
void runModal(HWND dialog, HWND owner, const std::function<bool()>& done);

} // namespace shiftloom::win32
