// SPDX-License-Identifier: MIT
#pragma once

#include "platform/posix/InstanceLock.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace shiftloom {

/**
 * One panel per worker and display. The first start takes an exclusive lock on a file in the
 * worker's runtime folder ($XDG_RUNTIME_DIR, which only the worker's account can enter) and holds
 * it for its whole run; it listens on a local (AF_UNIX) socket beside it, on the Qt event loop. A
 * later start finds the lock taken, asks the running panel through the socket to show itself, and
 * ends.
 *
 * The lock decides who is first, so two starts at the same moment end with one panel; the kernel
 * drops the lock with the process, so a panel killed without a word leaves nothing that blocks
 * the next start (its stale socket is removed by the next holder of the lock). Connections from
 * another account are refused by the folder's and the socket's permissions and, should those be
 * loosened, by a check of the peer's user id (SO_PEERCRED): such a caller gets no answer.
 */
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    /**
     * First: this process is the panel (it holds the lock and listens); HandedOver: a panel runs
     * already and was told to show itself, this process should end; NoAnswer: a panel runs already
     * but did not answer, this process should end all the same; Unguarded: no runtime folder or
     * lock could be had, this process runs as the panel, unguarded.
     */
    using Claim = platform::InstanceLock::Claim;

    /** `displayName` tells apart the worker's displays: one panel each. */
    explicit SingleInstance(const QString& displayName, QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /**
     * Takes the lock, or hands over to the panel that holds it. Waits at most a few seconds for a
     * panel that is still starting to answer.
     */
    Claim claim();

    /** The display name of the session this process runs in, as `SingleInstance` keys it. */
    static QString currentDisplayName();

signals:
    /** Another start asked this panel to show itself. */
    void showRequested();

private:
    platform::InstanceLock m_lock;
    QSocketNotifier* m_listener = nullptr;
};

} // namespace shiftloom
