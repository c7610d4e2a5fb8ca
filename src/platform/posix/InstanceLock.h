// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace shiftloom::platform {

/**
 * One program per account and key, on POSIX: an exclusive lock on the file `base` + ".lock",
 * held for the whole run, and a local (AF_UNIX) socket `base` + ".socket" beside it on which the
 * holder hears later starts. A later start finds the lock taken and asks the holder through the
 * socket to show itself. The kernel drops the lock with the process, so a holder killed without a
 * word blocks nothing (its stale socket is removed by the next holder). Callers of another
 * account are refused by a check of the peer's user id, should the folder's and the socket's
 * permissions be loosened.
 */
class InstanceLock final
{
public:
    enum class Claim
    {
        First, ///< this process holds the lock (and listens, when it could)
        HandedOver, ///< the holder was told to show itself
        NoAnswer, ///< the holder did not answer in time
        Unguarded, ///< no lock could be had: this process runs unguarded
    };
    /** What a caller asked, as far as it has arrived. */
    enum class Request
    {
        Incomplete, ///< more is on its way
        Show, ///< show yourself
        Other, ///< anything else, or the caller left: drop it
    };

    /** `base` empty: there is no folder to guard in, and every claim is `Unguarded`. */
    explicit InstanceLock(std::string base);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    /** Takes the lock, or hands over to its holder, waiting a few seconds at most. */
    Claim claim();
    /** The socket later starts call, once `claim` was `First`; -1 when it could not be made. */
    int listener() const { return m_listenFd; }
    /** The next caller of this account waiting on the socket (non-blocking), or -1 when none. */
    int acceptCaller() const;
    /** Reads what arrived from `caller` into `request` and says what it asks. */
    static Request readRequest(int caller, std::string& request);
    /** Tells `caller` that the panel shows now. */
    static void answerShown(int caller);

    /** `folder` is a folder that only this account can enter. */
    static bool isPrivateFolder(const std::string& folder);

private:
    bool handOver() const;
    void listen();

    std::string m_base;
    std::string m_socketPath;
    int m_lockFd = -1;
    int m_listenFd = -1;
};

} // namespace shiftloom::platform
