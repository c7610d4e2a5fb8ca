// SPDX-License-Identifier: MIT
#include "InstanceLock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace shiftloom::platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kHandOver{5000};
constexpr std::chrono::milliseconds kRetry{100};
constexpr std::size_t kLongestRequest = 64;
constexpr std::string_view kShowRequest = "show\n";
constexpr std::string_view kShownAnswer = "ok\n";

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
bool socketAddress(const std::string& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
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

} // namespace

InstanceLock::InstanceLock(std::string base)
    : m_base(std::move(base))
{
}

InstanceLock::~InstanceLock()
{
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        // The socket is this process's while it holds the lock.
        ::unlink(m_socketPath.c_str());
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool InstanceLock::isPrivateFolder(const std::string& folder)
{
    struct stat status
    {
    };
    return !folder.empty() && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

InstanceLock::Claim InstanceLock::claim()
{
    if (m_base.empty())
        return Claim::Unguarded;
    m_socketPath = m_base + ".socket";
    const std::string lockPath = m_base + ".lock";
    // Close-on-exec: a program started from the panel must not keep the lock after it.
    m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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

void InstanceLock::listen()
{
    sockaddr_un address{};
    if (!socketAddress(m_socketPath, address)) {
        std::fputs("shift-loom: later starts cannot reach this panel: the runtime folder's path is too long\n", stderr);
        return;
    }
    // The lock is ours, so a socket left there belongs to a panel that is gone.
    ::unlink(m_socketPath.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // The folder lets no other account in; the socket itself is the worker's alone as well.
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::chmod(m_socketPath.c_str(), 0600) != 0 || ::listen(fd, 8) != 0) {
        std::fprintf(stderr, "shift-loom: later starts cannot reach this panel: %s\n", std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_listenFd = fd;
}

int InstanceLock::acceptCaller() const
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return -1; // none waiting (or one that gave up meanwhile)
        }
        if (peerUid(fd) == static_cast<long>(::geteuid()))
            return fd;
        ::close(fd); // another account: no answer
    }
}

InstanceLock::Request InstanceLock::readRequest(int caller, std::string& request)
{
    char buffer[kLongestRequest + 1];
    for (;;) {
        const ssize_t got = ::recv(caller, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Request::Incomplete; // the rest of the request is still on its way
        if (got <= 0)
            return Request::Other;
        request.append(buffer, static_cast<std::size_t>(got));
        if (request.find('\n') != std::string::npos || request.size() > kLongestRequest)
            return request == kShowRequest ? Request::Show : Request::Other;
    }
}

void InstanceLock::answerShown(int caller)
{
    // The answer fits any socket buffer: a caller gone meanwhile is no failure here.
    (void)::send(caller, kShownAnswer.data(), kShownAnswer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

bool InstanceLock::handOver() const
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

} // namespace shiftloom::platform
