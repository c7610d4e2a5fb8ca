// SPDX-License-Identifier: MIT
#pragma once

#include "tray/IntervalTimer.h"
#include "tray/NotifyIconService.h"

#include <vector>

namespace shiftloom::test {

/** A notification area that records every call and answers as the test says. */
class FakeNotifyIconService final : public NotifyIconService
{
public:
    struct Call
    {
        NotifyMessage message;
        NotifyIconData data;
        const Picture* icon;
    };

    bool notifyIcon(NotifyMessage message, const NotifyIconData& data, const Picture* icon) override
    {
        calls.push_back({message, data, icon});
        return answer;
    }
    std::uint32_t ownerWindow() const override { return 0x00C0FFEE; }
    void setNotificationHandler(std::function<void(std::uint32_t)> h) override { handler = std::move(h); }

    /** Sends a mouse message as the notification area would. */
    void send(std::uint32_t mouseMessage)
    {
        if (handler)
            handler(mouseMessage);
    }

    std::vector<Call> calls;
    bool answer = true;
    std::function<void(std::uint32_t)> handler;
};

/** A timer that fires only when the test says so. */
class FakeIntervalTimer final : public IntervalTimer
{
public:
    void setInterval(std::chrono::milliseconds value) override { m_interval = value; }
    std::chrono::milliseconds interval() const override { return m_interval; }
    void setHandler(std::function<void()> h) override { m_handler = std::move(h); }
    bool running() const { return m_interval.count() > 0; }
    /** Fires once, as the window system would, if the timer is running. */
    void fire()
    {
        if (running() && m_handler)
            m_handler();
    }
    bool hasHandler() const { return static_cast<bool>(m_handler); }

private:
    std::chrono::milliseconds m_interval{0};
    std::function<void()> m_handler;
};

} // namespace shiftloom::test
