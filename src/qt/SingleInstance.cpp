// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace shiftloom {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kHandOver{5000};
constexpr std::chrono::milliseconds kRetry{100};
constexpr std::size_t kLongestRequest = 64;
constexpr std::string_view kShowRequest = "show\n";
constexpr std::string_view kShownAnswer = "ok\n";

/** The worker's own runtime folder, or "" when there is none that only the worker can enter. */
QString privateRuntimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0 || !S_ISDIR(status.st_mode)
        || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0)
        return {};
    return folder;
}

/** The user id at the other end of a local socket, or -1. */
long peerUid(int descriptor)
{
#ifdef SO_PEERCRED
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0)
        return static_cast<long>(credentials.uid);
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(descriptor, &uid, &gid) == 0)
        return static_cast<long>(uid);
#endif
    return -1;
}

/** The address of the socket at `path`; false when the path is too long for one. */
bool socketAddress(const QByteArray& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

/** A descriptor closed at the end of its scope. */
class Descriptor final
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

/** Waits until `fd` is ready for `events` or `deadline` has passed. */
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

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
        char buffer[kLongestRequest + 1];
        for (;;) {
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return; // the rest of the request is still on its way
            if (got <= 0) {
                drop();
                return;
            }
            m_request.append(buffer, static_cast<std::size_t>(got));
            if (m_request.find('\n') != std::string::npos || m_request.size() > kLongestRequest)
                break;
        }
        if (m_request == kShowRequest) {
            m_show();
            // The answer fits any socket buffer: a caller gone meanwhile is no failure here.
            (void)::send(m_fd, kShownAnswer.data(), kShownAnswer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
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

} // namespace

SingleInstance::SingleInstance(const QString& displayName, QObject* parent)
    : QObject(parent)
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
    if (!folder.isEmpty())
        m_base = folder + QStringLiteral("/shift-loom-") + key;
}

SingleInstance::~SingleInstance()
{
    if (m_listenFd >= 0) {
        delete m_listener;
        ::close(m_listenFd);
        // The socket is this panel's while it holds the lock.
        ::unlink(m_socketPath.constData());
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
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
    if (m_base.isEmpty())
        return Claim::Unguarded;
    m_socketPath = QFile::encodeName(m_base + QStringLiteral(".socket"));
    const QByteArray lockPath = QFile::encodeName(m_base + QStringLiteral(".lock"));
    // Close-on-exec: a program started from the panel must not keep the lock after it.
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0)
        return Claim::Unguarded;

    // A panel that is still starting may not listen yet, and one that ends meanwhile gives up
    // its lock: either way the next round settles it.
    const Clock::time_point deadline = Clock::now() + kHandOver;
    for (;;) {
        if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Claim::Unguarded;
        if (handOver())
            return Claim::HandedOver;
        if (Clock::now() >= deadline)
            return Claim::NoAnswer;
        std::this_thread::sleep_for(kRetry);
    }
    listen();
    return Claim::First;
}

void SingleInstance::listen()
{
    sockaddr_un address{};
    if (!socketAddress(m_socketPath, address)) {
        qWarning("shift-loom: later starts cannot reach this panel: the runtime folder's path is too long");
        return;
    }
    // The lock is ours, so a socket left there belongs to a panel that is gone.
    ::unlink(m_socketPath.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // The folder lets no other account in; the socket itself is the worker's alone as well.
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::chmod(m_socketPath.constData(), 0600) != 0 || ::listen(fd, 8) != 0) {
        qWarning("shift-loom: later starts cannot reach this panel: %s", std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_listener = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listener, &QSocketNotifier::activated, this, &SingleInstance::acceptCallers);
}

void SingleInstance::acceptCallers()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // none waiting (or one that gave up meanwhile)
        }
        if (peerUid(fd) != static_cast<long>(::geteuid())) {
            ::close(fd); // another account: no answer
            continue;
        }
        new Caller(fd, this, [this] { emit showRequested(); });
    }
}

bool SingleInstance::handOver() const
{
    sockaddr_un address{};
    if (!socketAddress(m_socketPath, address))
        return false;
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    // A panel with a full backlog is asked again in the next round.
    if (socket.get() < 0 || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    if (::send(socket.get(), kShowRequest.data(), kShowRequest.size(), MSG_NOSIGNAL)
        != static_cast<ssize_t>(kShowRequest.size()))
        return false;
    // The panel answers once it has shown itself; a panel busy in its start-up may take a while.
    std::string answer;
    const Clock::time_point deadline = Clock::now() + kHandOver;
    while (answer.find('\n') == std::string::npos && answer.size() <= kLongestRequest
        && waitFor(socket.get(), POLLIN, deadline)) {
        char buffer[kLongestRequest];
        const ssize_t got = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    return answer == kShownAnswer;
}

} // namespace shiftloom
