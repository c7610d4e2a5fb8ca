// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"
#include "panel/PanelFrontEnd.h"
#include "panel/PanelLayout.h"
#include "panel/PanelView.h"
#include "win32/DialogWindow.h"
#include "win32/ScaledWindow.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/** A mouse event on the drag strip. */
enum class StripMouse
{
    Down,
    Move,
    Up,
};

/** What the worker and the window system do to the panel, as the panel window reports it. */
class PanelEvents
{
public:
    /** A button was pressed (mouse, Space or Enter), or a label clicked (the title, the activity number). */
    virtual void clicked(ControlRef control) = 0;
    /** An item of the job list was chosen; `line` is its place in the lines given to `setJobList`. */
    virtual void jobPicked(std::size_t line) = 0;
    /** The worker edited a text box (the card number, a running time, the total) or the job list's text. */
    virtual void textEdited(ControlRef control, std::string_view text) = 0;
    /** The focus moved from the card number box to another control of the panel. */
    virtual void cardNumberLeft() = 0;
    /** A mouse button (any) or the pointer on the drag strip; the pointer in twips from its top left corner. */
    virtual void dragStrip(StripMouse what, float x, float y) = 0;
    virtual void backgroundDoubleClicked() = 0;
    /** A window timer started with `PanelWindow::startTimer` fired. */
    virtual void timer(int number) = 0;
    /** The window system closes the panel: the end of the session, or a close request. */
    virtual void closing() = 0;
    /** The desktop's notification area (re)started: the tray icon must be added again. */
    virtual void notificationAreaStarted() = 0;
    /** The delivery's thread has news (`PanelWindow::postStoreNews`). */
    virtual void storeNewsArrived() = 0;
    /** A second start of the program asks the running panel to show itself. */
    virtual void showRequested() = 0;
    /** The system's time was set, or the computer woke up: the clocks are to be read again. */
    virtual void clockChanged() = 0;
    /** A monitor's scale or the screen's layout changed: icons are to be loaded at their new sizes. */
    virtual void displayChanged() = 0;

protected:
    ~PanelEvents() = default;
};

/** The window class of the panel, by which a second start finds the running panel. */
inline constexpr wchar_t kPanelClassName[] = L"ShiftLoomPanel";

/**
 * The panel window on Windows: narrow, with a thin fixed frame, no title bar and no
 * taskbar button, every control of the design at its place. Buttons are owner-drawn in their back
 * colours, text boxes and the job list are the system's edit and combo box controls, and the
 * labels are drawn by the window itself (they take no focus and are no windows). The keypad lies
 * beyond the right edge: the window is as wide as its visible part, so it is never seen, yet Tab
 * walks through it in the design's focus order.
 *
 * Places and fonts follow the scale of the monitor the window is on: moved to one of another
 * scale, the window places every control again from its twips and makes its fonts anew.
 *
 * The window shows what it is told (`paintControl`, `setJobList`) and reports everything else to
 * its `PanelEvents`. Texts are Windows-1252, given to the
 * system's wide ("W") functions through `wide` and taken back through `narrow`.
 */
class PanelWindow final : public ScaledWindow
{
public:
    explicit PanelWindow(PanelEvents& events);

    /** From any thread: `PanelEvents::storeNewsArrived` runs on the window's thread soon. */
    void postStoreNews() const;

    /** Shows what `control` shows now: its text, colours, tooltip and texts for a screen reader. */
    void paintControl(ControlRef control, const ControlState& state);
    /** The texts a screen reader reads for the panel window itself. */
    void setWindowAccessibleText(const AccessibleText& text);
    /** Fills the job list with `items` in the order of `order` (indexes into `items`). */
    void setJobList(const TextList& items, const std::vector<std::size_t>& order);

    void show();
    void hide();
    bool visible() const;
    /** The window's top left corner on the screen, in twips. */
    ScreenPosition positionTwips() const;
    void moveToTwips(double left, double top);
    void focus(ControlRef control);
    /** Starts (or restarts) the window timer `number` (not 0), which `PanelEvents::timer` reports. */
    void startTimer(int number, std::chrono::milliseconds interval);
    void stopTimer(int number);

private:
    struct Control
    {
        const ControlDesign* design = nullptr;
        HWND window = nullptr;
        RECT rect{}; ///< in the client area, pixels
        std::string caption;
        std::string toolTip;
        Colour back = kDefaultColour;
    };

    static LRESULT CALLBACK echoBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createControls();
    /** A control's place in the client area at the current scale. */
    RECT placeOf(const ControlDesign& design) const;
    /** Puts a control that is a window of its own at its place, in its font. */
    void placeWindowed(const Control& c);
    void placeControls() override;
    HWND firstFocus() const override;
    void fitDropDownWidth();
    void command(int id, int code, HWND from);
    void paint(HDC dc, const RECT& area) override;
    void drawButton(const DRAWITEMSTRUCT& item);
    LRESULT textBoxColours(HDC dc, HWND box);
    /** The label under a point of the client area (the topmost one), or none. */
    const Control* labelAt(POINT point) const;
    void mouse(UINT message, WPARAM wParam, LPARAM lParam);
    void stripMouse(StripMouse what);
    Control& control(ControlRef ref) { return m_controls[controlIndex(ref)]; }
    const Control& control(ControlRef ref) const { return m_controls[controlIndex(ref)]; }
    void showComboText();
    void setCaption(ControlRef control, std::string_view text);
    void setBackColour(ControlRef control, Colour colour);
    /** Shows the tooltip `text` on the control (a button or a text box); empty shows none. */
    void setToolTip(ControlRef control, std::string_view text);

    PanelEvents& m_events;
    HWND m_toolTips = nullptr;
    std::vector<Control> m_controls; ///< by `controlIndex()`
    const Control* m_pressedLabel = nullptr;
    bool m_stripCaptured = false;
    bool m_settingText = false; ///< the program sets a text box: no edit to report
    ComboPicks m_jobListPicks;
    bool m_picking = false; ///< from a pick in the job list until its text is shown again
    bool m_shownOnce = false;
    std::size_t m_longestJobLine = 0;
    UINT m_taskbarCreated = 0;
};

} // namespace shiftloom::win32
