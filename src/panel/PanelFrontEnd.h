// SPDX-License-Identifier: MIT
#pragma once

#include "app/ActivityFile.h"

#include <optional>
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
struct Message
{
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    bool operator==(const Message&) const = default;
};

/** How a dialog is shown: waiting until it closes, or beside the panel. */
enum class DialogMode
{
    Modal,
    Modeless,
};

/** A position on the screen in twips (1/1440 inch). */
struct ScreenPosition
{
    double left = 0;
    double top = 0;
    bool operator==(const ScreenPosition&) const = default;
};

class ActivityList;

/**
 * What the panel's model needs of the desktop it is shown on: message boxes, the activity, locate
 * and about dialogs, the panel window itself, the one-shot auto-hide timer, the tray icon and the
 * end of the process. Each front end (Qt widgets, Win32 windows, a test's script) implements it.
 *
 * The model calls it only from inside one of its own operations; the front end renders the model
 * after every operation it calls. A call that shows something modally returns when it is closed;
 * the front end keeps delivering clock ticks meanwhile.
 */
class PanelFrontEnd
{
public:
    virtual ~PanelFrontEnd() = default;

    /** Shows a modal message box and returns the button chosen (Ok for a box with one button). */
    virtual MessageAnswer showMessage(const Message& message) = 0;
    /**
     * Shows the activity dialog ("SELECT ACTIVITY") modally over the panel, listing `list` and
     * showing `current` (or what was picked in this list before), after showing the panel as it
     * stands (the slot pressed already running). Returns the activity picked, or none when the
     * dialog was closed with its close box.
     */
    virtual std::optional<Activity> chooseActivity(const ActivityList& list, const Activity& current) = 0;
    /**
     * Shows the locate dialog, with which the worker names the data folder (its model is
     * `DataFolderDialog`). Modal: returns when it is closed. Modeless: returns at once.
     */
    virtual void showLocateDialog(DialogMode mode) = 0;
    /** Shows the about box without blocking; a second call while it is open shows the same box. */
    virtual void showAboutBox() = 0;

    virtual void showPanel() = 0;
    virtual void hidePanel() = 0;
    /** The panel's position on the screen, in twips. */
    virtual ScreenPosition panelPosition() const = 0;
    virtual void movePanel(ScreenPosition position) = 0;
    /** Gives the job list the keyboard focus. */
    virtual void focusJobList() = 0;

    /**
     * Switches the one-shot auto-hide timer (`Panel::kAutoHideDelay`) on, restarting it, or off.
     * When it fires the front end calls `Panel::autoHide`.
     */
    virtual void setAutoHideTimer(bool on) = 0;

    /**
     * Shows (true) or removes (false) the program's icon in the notification area. A front end
     * whose desktop has no notification area yet keeps trying to show it.
     */
    virtual void showTrayIcon(bool visible) = 0;

    /** Ends the process at once: nothing else of the program runs. */
    [[noreturn]] virtual void endProcessNow() = 0;

    /**
     * Called on the delivery's own thread when it has news (the store answered, a job list was
     * read): the front end asks its window's thread to call `Panel::collect` and render, soon.
     * Without it the next clock tick collects.
     */
    virtual void storeNews() { }
};

} // namespace shiftloom
