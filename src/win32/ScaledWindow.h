// SPDX-License-Identifier: MIT
#pragma once

#include "win32/AccessibleNames.h"
#include "win32/Gdi.h"

#include <optional>
#include <string_view>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * A top-level window of the program (the panel, a dialog) whose messages go to `handle`, with a
 * client area of a size in twips at the scale of the monitor it is on. Moved to a monitor of
 * another scale, it is sized anew, makes its fonts anew, places its controls again
 * (`placeControls`) and loads its icons at their new sizes. The focus leaves with the window and
 * comes back to the same control.
 */
class ScaledWindow
{
public:
    virtual ~ScaledWindow();
    ScaledWindow(const ScaledWindow&) = delete;
    ScaledWindow& operator=(const ScaledWindow&) = delete;

    HWND hwnd() const { return m_window; }

protected:
    ScaledWindow();

    /** What a window class of the program is like: its name, class style and background. */
    struct WindowClass
    {
        const wchar_t* name;
        UINT style = 0;
        HBRUSH background = nullptr;
    };
    /**
     * Creates the window, hidden, at the scale of `owner`'s monitor (the system's without one):
     * its client area `clientTwips` wide and high, its top left corner at `atTwips` (negative:
     * where the system puts it); made by the system on a monitor of another scale, it is sized
     * for that one.
     */
    void create(const WindowClass& windowClass,
        std::wstring_view title,
        DWORD style,
        DWORD exStyle,
        HWND owner,
        SIZE clientTwips,
        POINT atTwips = {-1, -1});
    /** A window of the class `windowClass` that belongs to this one (a control with the id `id`, a popup), unplaced. */
    HWND createChild(const wchar_t* windowClass, std::string_view caption, DWORD style, DWORD exStyle, int id);
    /** Sizes the window for its client area at the current scale, where it stands. */
    void fitFrame();

    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    /** What every window does with a message it leaves alone: the focus kept, the scale followed, `paint`. */
    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    /** Puts every control at its place and in its font at the current scale. */
    virtual void placeControls() = 0;
    /** Draws what the controls do not, within `area` of the client area. */
    virtual void paint(HDC dc, const RECT& area) = 0;
    /** The control the focus goes to when the window is activated and had none. */
    virtual HWND firstFocus() const { return GetNextDlgTabItem(m_window, nullptr, FALSE); }

    TwipsScale m_scale;
    GdiCache m_gdi;
    std::optional<AccessibleNames> m_names{std::in_place}; ///< given up before the window goes
    std::optional<WindowIcons> m_icons; ///< the program's icons, where the window shows them
    HWND m_window = nullptr;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    /** WM_DPICHANGED: the new scale, the window where the system suggests and the controls placed anew. */
    void rescale(int dpi, const RECT& suggested);
    RECT frameAtScale() const;

    SIZE m_clientTwips{};
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    HWND m_focus = nullptr; ///< the control that had the focus when the window was last active
};

} // namespace shiftloom::win32
