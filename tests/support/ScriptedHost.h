// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Form1Host.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace shiftloom::test {

/** Thrown by ScriptedHost::endProgramNow, so a test sees the end of the program. */
struct ProgramEnded : std::runtime_error
{
    ProgramEnded()
        : std::runtime_error("program ended")
    {
    }
};

/**
 * A window system for the core's handlers that a test scripts: message boxes answered from a
 * queue, dialogs acted out by callbacks, and every call written down.
 */
class ScriptedHost final : public Form1Host
{
public:
    MessageAnswer messageBox(const MessageBoxRequest& request) override
    {
        messages.push_back(request);
        if (answers.empty())
            return request.defaultButton;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showLocateDialog(bool modal) override
    {
        calls.push_back(modal ? "locate modal" : "locate modeless");
        if (onLocate)
            onLocate(modal);
    }
    void showActivityDialog() override
    {
        calls.push_back("activity");
        if (onActivity)
            onActivity();
    }
    void showAboutBox() override { calls.push_back("about"); }
    void showWindow() override
    {
        calls.push_back("show");
        windowVisible = true;
    }
    void hideWindow() override
    {
        calls.push_back("hide");
        windowVisible = false;
    }
    ScreenPosition windowPosition() const override { return position; }
    void moveWindow(ScreenPosition to) override { position = to; }
    void focusJobList() override { calls.push_back("focus job list"); }
    void setTimer2Enabled(bool enabled) override
    {
        timer2Enabled = enabled;
        calls.push_back(enabled ? "timer2 on" : "timer2 off");
    }
    void showTrayIcon(bool visible) override
    {
        trayVisible = visible;
        calls.push_back(visible ? "tray shown" : "tray removed");
    }
    [[noreturn]] void endProgramNow() override
    {
        calls.push_back("end");
        throw ProgramEnded();
    }

    std::deque<MessageAnswer> answers;
    std::vector<MessageBoxRequest> messages;
    std::vector<std::string> calls;
    std::function<void(bool modal)> onLocate;
    std::function<void()> onActivity;
    ScreenPosition position{1500, 1500};
    bool windowVisible = true;
    bool timer2Enabled = false;
    bool trayVisible = false;
};

} // namespace shiftloom::test
