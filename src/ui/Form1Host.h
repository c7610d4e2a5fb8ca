// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace shiftloom {

enum class MessageIcon
{
    None,
    Critical,
    Information,
};

enum class MessageButtons
{
    Ok,
    YesNo,
};

enum class MessageAnswer
{
    Ok,
    Yes,
    No,
};

/** A modal message box: its text, title, icon, buttons and default button, exactly as shown. */
struct MessageBoxRequest
{
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    bool operator==(const MessageBoxRequest&) const = default;
};

/** A position on the screen in twips (1/1440 inch). */
struct ScreenPosition
{
    double left = 0;
    double top = 0;
    bool operator==(const ScreenPosition&) const = default;
};

/**
 * What the main window's handlers need of the window system: message boxes, the dialogs, the
 * window itself, the auto-hide timer, the tray icon and the end of the process. The Qt layer
 * implements it; tests answer it from a script.
 *
 * Calls that show something modally return when it is closed; timer ticks may arrive meanwhile.
 */
class Form1Host
{
public:
    virtual ~Form1Host() = default;

    /** Shows a modal message box and returns the button chosen (Ok for a box with one button). */
    virtual MessageAnswer messageBox(const MessageBoxRequest& request) = 0;
    /**
     * Shows the locate dialog `Form2`. Modal: returns when it is closed. Modeless: returns at
     * once, leaving it open beside the main window.
     */
    virtual void showLocateDialog(bool modal) = 0;
    /**
     * Shows the activity dialog `Form3` modally and returns when it is hidden (after a pick) or
     * closed with its close box. Its behaviour is `Form1::activityDialog()`.
     */
    virtual void showActivityDialog() = 0;
    /** Shows the about box without blocking; a second call while it is open shows the same box. */
    virtual void showAboutBox() = 0;

    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    /** The main window's position on the screen, in twips. */
    virtual ScreenPosition windowPosition() const = 0;
    virtual void moveWindow(ScreenPosition position) = 0;
    /** Gives the job list `Combo1` the keyboard focus. */
    virtual void focusJobList() = 0;

    /** Switches the one-shot auto-hide timer `Timer2` (5000 ms) on (restarting it) or off. */
    virtual void setTimer2Enabled(bool enabled) = 0;

    /** Shows (true) or removes (false) the tray icon `Tray1`. */
    virtual void showTrayIcon(bool visible) = 0;

    /** Ends the process at once: no further handler of any window runs. */
    [[noreturn]] virtual void endProgramNow() = 0;
};

} // namespace shiftloom
