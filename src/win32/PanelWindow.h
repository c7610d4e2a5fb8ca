// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"
#include "panel/Panel.h"
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
#include <utility>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/** What the window system does to the panel, as the panel window reports it. */
class PanelEvents
{
public:
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
 * Every act of the worker goes to the panel operation it stands for, and the window paints what
 * its `PanelView` says changed after each; what the window system does goes to its `PanelEvents`.
 * Texts are Windows-1252, given to the system's wide ("W") functions through `wide` and taken
 * back through `narrow`.
 */
class PanelWindow final : public ScaledWindow, private PanelPainter
{
public:
    explicit PanelWindow(PanelEvents& events);

    /** The model this window shows and runs the worker's acts on; to be called once, before it shows. */
    void attach(Panel& panel) { m_panel = &panel; }
    /** From any thread: `PanelEvents::storeNewsArrived` runs on the window's thread soon. */
    void postStoreNews() const;
    /** Paints what changed in the model's state since the last time. */
    void render();

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
    /** The pointer's place in twips from the drag strip's top left corner. */
    std::pair<float, float> inDragStrip() const;
    /** Runs one panel operation for the worker's act, then paints what changed. */
    template<typename Act> void act(Act&& operation);
    Control& control(ControlRef ref) { return m_controls[controlIndex(ref)]; }
    const Control& control(ControlRef ref) const { return m_controls[controlIndex(ref)]; }
    void showComboText();
    void setCaption(ControlRef control, std::string_view text);
    void setBackColour(ControlRef control, Colour colour);
    /** Shows the tooltip `text` on the control (a button or a text box); empty shows none. */
    void setToolTip(ControlRef control, std::string_view text);
    // PanelPainter
    void paintJobList(const TextList& lines, const std::vector<std::size_t>& order) override;
    void paintControl(const ControlDesign& design, const ControlState& state) override;

    PanelEvents& m_events;
    Panel* m_panel = nullptr;
    PanelView m_view;
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
