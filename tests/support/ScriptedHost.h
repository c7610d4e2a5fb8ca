// SPDX-License-Identifier: MIT
#pragma once

#include "panel/PanelFrontEnd.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace shiftloom::test {

/** Thrown by ScriptedHost::endProcessNow, so a test sees the end of the program. */
struct ProgramEnded : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/**
 * A desktop for the panel that a test scripts: message boxes answered from a queue, the locate
 * dialog acted out by a callback, and every call written down.
 */
class ScriptedHost final : public PanelFrontEnd
{
public:
    MessageAnswer showMessage(const Message& message) override
    {
        messages.push_back(message);
        if (answers.empty())
            return message.defaultButton;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<Activity> chooseActivity(const ActivityList& list, const Activity&) override
    {
        calls.push_back("activity dialog");
        return onActivity ? onActivity(list) : activityPicked;
    }
    void showLocateDialog(DialogMode mode) override
    {
        calls.push_back(mode == DialogMode::Modal ? "locate modal" : "locate modeless");
        if (onLocate)
            onLocate(mode);
    }
    void showAboutBox() override { calls.push_back("about"); }
    void showPanel() override
    {
        calls.push_back("show");
        panelVisible = true;
    }
    void hidePanel() override
    {
        calls.push_back("hide");
        panelVisible = false;
    }
    ScreenPosition panelPosition() const override { return position; }
    void movePanel(ScreenPosition to) override { position = to; }
    void focusJobList() override { calls.push_back("focus job list"); }
    void setAutoHideTimer(bool on) override
    {
        autoHideOn = on;
        calls.push_back(on ? "auto-hide on" : "auto-hide off");
    }
    void showTrayIcon(bool visible) override
    {
        trayVisible = visible;
        calls.push_back(visible ? "tray shown" : "tray removed");
    }
    [[noreturn]] void endProcessNow() override
    {
        calls.push_back("end");
        throw ProgramEnded("program ended");
    }

    std::deque<MessageAnswer> answers;
    std::vector<Message> messages;
    std::vector<std::string> calls;
    std::function<void(DialogMode)> onLocate;
    /** Answers the activity dialog; without it the dialog answers `activityPicked`. */
    std::function<std::optional<Activity>(const ActivityList&)> onActivity;
    std::optional<Activity> activityPicked;
    ScreenPosition position{1500, 1500};
    bool panelVisible = true;
    bool autoHideOn = false;
    bool trayVisible = false;
};

} // namespace shiftloom::test
