// SPDX-License-Identifier: MIT
#pragma once

// Waiting in Qt tests run by GoogleTest. QtTest's QTRY_* macros report to QtTest's logger, which
// GoogleTest never reads, so their failures pass unseen; check the result of waitUntil instead:
//     ASSERT_TRUE(waitUntil([&] { return box.isNull(); }));
// Header only: the test support library does not link Qt.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>

#include <chrono>
#include <functional>

namespace shiftloom::test {

/** Processes Qt events (deferred deletes included) until `done` holds or `timeout` has passed;
 *  returns whether `done` holds. */
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
    return true;
}

} // namespace shiftloom::test
