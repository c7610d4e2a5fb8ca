// SPDX-License-Identifier: MIT
#pragma once

#include "panel/DialogLayout.h"
#include "win32/EdgeText.h"
#include "win32/ScaledWindow.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * A secondary window of the panel (the locate dialog, the activity dialog, the about box): a
 * window of its own class, with controls placed in twips at the scale of the monitor it is on,
 * and the dialog font, MS Sans Serif 8.25 pt (drawn in a scalable face), unless told otherwise.
 */
class DialogWindow : public ScaledWindow
{
public:
    /** Brings the window to the front with the focus. */
    void bringForward();

protected:
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

    /** Draws what the controls do not: the frame, the labels, the picture and the lines. */
    void paint(HDC dc, const RECT& area) override;
    /** The text a label shows: its design's caption unless the dialog says otherwise. */
    virtual std::string labelText(const DialogControlDesign& design) const { return std::string(design.caption); }

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
    void placeControls() override;

    std::vector<Placed> m_placed;
    ProgramWindow m_which{};
    IconHandle m_picture; ///< the program's icon as the picture control shows it
};

/** Adds `text` to the combo box `list`, keeping `place`, its place in the list it comes from, with it. */
void addItem(HWND list, std::string_view text, std::size_t place);

/**
 * Tells the picks in a drop-down combo box from the worker moving through its open list: a click
 * on an item of the open list, or an arrow key on the closed box, is a pick; moving through the
 * open list picks nothing until it closes on an item.
 */
class ComboPicks final
{
public:
    /**
     * The place kept with the item picked (`addItem`) when the notification `code` is a pick:
     * never the item's text as the combo box gives it back, which is the text as the desktop shows it.
     */
    std::optional<std::size_t> picked(HWND list, int code);

private:
    bool m_dropped = false;
};

/**
 * Runs the thread's messages until `done` says so, as a modal window does: `owner` takes no input
 * meanwhile, while every window's timers still fire. Keys walk the controls of `dialog`. A quit
 * request met on the way is left for the outer loop.
 */
void runModal(HWND dialog, HWND owner, const std::function<bool()>& done);

} // namespace shiftloom::win32
