// SPDX-License-Identifier: MIT
#include "QtIntervalTimer.h"

namespace shiftloom {

QtIntervalTimer::QtIntervalTimer()
{
    // A precise timer: the tray's latch lasts 15 ms, which a coarse timer could stretch by 5%.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (const std::function<void()> handler = m_handler)
            handler();
    });
}

void QtIntervalTimer::setInterval(std::chrono::milliseconds interval)
{
    m_interval = interval;
    if (interval.count() <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(interval);
}

} // namespace shiftloom
