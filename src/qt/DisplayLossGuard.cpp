// SPDX-License-Identifier: MIT
#include "DisplayLossGuard.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <cstdlib>
#include <memory>
#include <utility>

namespace shiftloom {
namespace {
std::function<void()>* g_unload = nullptr;
QtMessageHandler g_previousHandler = nullptr;

constexpr int kUnloadWaitMs = 3000;

/**
 * Qt's Wayland platform ends the process at once (without exit handlers) right after it reports
 * that the compositor is gone; the report is the last moment the unload step can run. It comes
 * from Qt's Wayland reading thread, which waits here (a little) while the user-interface thread
 * runs the step.
 */
void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        qt_message_output(type, context, message);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !message.startsWith(QLatin1String("The Wayland connection")))
        return;
    if (QThread::currentThread() == app->thread()) {
        DisplayLossGuard::runNow();
        return;
    }
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        app,
        [done] {
            DisplayLossGuard::runNow();
            done->release();
        },
        Qt::QueuedConnection);
    done->tryAcquire(1, kUnloadWaitMs);
}
} // namespace

DisplayLossGuard::DisplayLossGuard(std::function<void()> unload)
    : m_unload(std::move(unload))
{
    g_unload = &m_unload;
    g_previousHandler = qInstallMessageHandler(onMessage);
    // Registered now, after the application's own objects: handlers run in the reverse order, so
    // this one runs before the window system's statics are torn down.
    std::atexit(&DisplayLossGuard::atExit);
}

DisplayLossGuard::~DisplayLossGuard()
{
    if (g_unload == &m_unload) {
        g_unload = nullptr;
        qInstallMessageHandler(g_previousHandler);
    }
}

void DisplayLossGuard::atExit()
{
    runNow();
}

void DisplayLossGuard::runNow()
{
    if (!g_unload)
        return;
    const std::function<void()> unload = std::exchange(*g_unload, {});
    g_unload = nullptr;
    if (unload)
        unload();
}

} // namespace shiftloom
