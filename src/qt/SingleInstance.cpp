// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <unistd.h>

namespace shiftloom {
namespace {

constexpr std::chrono::milliseconds kHandOver{5000};

/**
 * One caller on the panel's socket: its request is read as it arrives, on the event loop. A
 * request to show the panel is answered once the panel has been shown; anything else, a request
 * too long, or none within the hand-over time, ends the connection without an answer.
 */
class Caller final : public QObject
{
public:
    Caller(int fd, SingleInstance* instance, std::function<void()> show)
        : QObject(instance)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read, this)
        , m_show(std::move(show))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Caller::read);
        QTimer::singleShot(kHandOver, this, &Caller::drop);
    }
    ~Caller() override
    {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;

private:
    void read()
    {
        const platform::InstanceLock::Request request = platform::InstanceLock::readRequest(m_fd, m_request);
        if (request == platform::InstanceLock::Request::Incomplete)
            return;
        if (request == platform::InstanceLock::Request::Show) {
            m_show();
            platform::InstanceLock::answerShown(m_fd);
        }
        drop();
    }

    void drop()
    {
        m_notifier.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    QSocketNotifier m_notifier;
    std::function<void()> m_show;
    std::string m_request;
};

/** The worker's own runtime folder, or "" when there is none that only the worker can enter. */
QString privateRuntimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return platform::InstanceLock::isPrivateFolder(QFile::encodeName(folder).toStdString()) ? folder : QString();
}

/** The lock's and the socket's path without their endings, in the runtime folder; "" without one. */
std::string basePath(const QString& displayName)
{
    // The display's name as a file name: anything but letters, digits, ".", "_" and "-" becomes "_".
    QString key = displayName;
    for (QChar& c : key) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.'
            || u == '_' || u == '-';
        if (!plain)
            c = QLatin1Char('_');
    }
    const QString folder = privateRuntimeFolder();
    return folder.isEmpty() ? std::string()
                            : QFile::encodeName(folder + QStringLiteral("/shift-loom-") + key).toStdString();
}

} // namespace

SingleInstance::SingleInstance(const QString& displayName, QObject* parent)
    : QObject(parent)
    , m_lock(basePath(displayName))
{
}

SingleInstance::~SingleInstance()
{
    delete m_listener;
}

QString SingleInstance::currentDisplayName()
{
    // A Wayland session is one display, whether the panel runs on the compositor itself or on
    // its XWayland server.
    if (const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY"); !wayland.isEmpty())
        return QStringLiteral("wayland-") + wayland;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        // ":0.1" and ":0" are one display: screens of a display share the panel.
        QString display = qEnvironmentVariable("DISPLAY");
        const qsizetype dot = display.lastIndexOf(QLatin1Char('.'));
        const bool screenNumber = dot > display.lastIndexOf(QLatin1Char(':')) && dot + 1 < display.size()
            && std::all_of(display.cbegin() + dot + 1, display.cend(), [](QChar c) {
                   return c >= QLatin1Char('0') && c <= QLatin1Char('9');
               });
        if (screenNumber)
            display.truncate(dot);
        return QStringLiteral("x11-") + display;
    }
    return platform;
}

SingleInstance::Claim SingleInstance::claim()
{
    const platform::InstanceLock::Claim claim = m_lock.claim();
    if (claim == platform::InstanceLock::Claim::First && m_lock.listener() >= 0) {
        m_listener = new QSocketNotifier(m_lock.listener(), QSocketNotifier::Read, this);
        connect(m_listener, &QSocketNotifier::activated, this, [this] {
            for (int fd; (fd = m_lock.acceptCaller()) >= 0;)
                new Caller(fd, this, [this] { emit showRequested(); });
        });
    }
    return claim;
}

} // namespace shiftloom
