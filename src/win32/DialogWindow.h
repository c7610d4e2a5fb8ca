// SPDX-License-Identifier: MIT
#pragma once

#include "panel/DialogLayout.h"
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
     * Creates the window of the dialog `window`, hidden, from its description: its frame, its
     * title (`title` when given), its client area, the program's icons where it shows them, and
     * a window for each control that takes the focus, made in the focus order, each with its
     * texts for a screen reader. `owner` owns a dialog that is no window of its own on the
     * taskbar. Frames, labels, the picture and lines are painted by `paint`.
     */
    void build(ProgramWindow window, HWND owner, std::string_view title = {});
    /** The window of a control made by `build`, or null for one that is painted. */
    HWND control(DialogControl control) const;
    /**
     * The control whose window has the id `id` (WM_COMMAND's), or null; IDOK (Enter) is the
     * default button, IDCANCEL (Esc) the cancel button.
     */
    const DialogControlDesign* controlOfId(int id) const;
    /** Gives a control (null: the dialog window itself) the texts a screen reader reads for it. */
    void setAccessibleText(HWND control, const AccessibleText& text);
    /** Centres the window on `over` (or on the screen when it is hidden or none). */
    void centreOn(HWND over);

    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    /** What every dialog does with a message it leaves alone: the focus kept, `paint`, the system's rest. */
    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    /** Draws what the controls do not: the frame, the labels, the picture and the lines. */
    virtual void paint(HDC dc);
    /** The text a label shows: its design's caption unless the dialog says otherwise. */
    virtual std::string labelText(const DialogControlDesign& design) const { return std::string(design.caption); }

    const TwipsScale& scale() const { return m_scale; }
    GdiCache& gdi() { return m_gdi; }
    HFONT fontOf(const DialogControlDesign& design);
    RECT twipsRect(int left, int top, int width, int height) const
    {
        return toRect(m_scale.rect(left, top, width, height));
    }

private:
    struct Placed
    {
        HWND control;
        const DialogControlDesign* design;
    };
    /** Puts a control's window at its place, in its font, at the current scale. */
    void place(const Placed& placed);

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    /** WM_DPICHANGED: the new scale, the window where the system suggests and the controls placed anew. */
    void rescale(int dpi, const RECT& suggested);

    TwipsScale m_scale;
    GdiCache m_gdi;
    std::optional<AccessibleNames> m_names{std::in_place}; ///< given up before the window goes
    std::vector<Placed> m_placed;
    ProgramWindow m_which{};
    SIZE m_clientTwips{};
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    std::optional<WindowIcons> m_icons;
    IconHandle m_picture; ///< the program's icon as the picture control shows it

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
