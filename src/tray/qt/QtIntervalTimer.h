// SPDX-License-Identifier: MIT
#pragma once

#include "tray/IntervalTimer.h"

#include <QTimer>

namespace shiftloom {

/** An IntervalTimer on a QTimer, firing on the thread that created it. */
class QtIntervalTimer final : public IntervalTimer
{
public:
    QtIntervalTimer();
    void setInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds interval() const override { return m_interval; }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

private:
    QTimer m_timer;
    std::chrono::milliseconds m_interval{0};
    std::function<void()> m_handler;
};

} // namespace shiftloom
