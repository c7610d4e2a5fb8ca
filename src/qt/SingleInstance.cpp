// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shiftloom {
namespace {

constexpr int kHandOverMs = 5000;
constexpr int kRetryMs = 100;
constexpr qint64 kLongestRequest = 64;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
const QByteArray kShownAnswer = QByteArrayLiteral("ok\n");

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
long peerUid(qintptr descriptor)
{
#ifdef SO_PEERCRED
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0)
        return static_cast<long>(credentials.uid);
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(static_cast<int>(descriptor), &uid, &gid) == 0)
        return static_cast<long>(uid);
#endif
    return -1;
}

} // namespace

SingleInstance::SingleInstance(const QString& displayName, QObject* parent)
    : QObject(parent)
{
    QString key = displayName;
    key.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    const QString folder = privateRuntimeFolder();
    if (!folder.isEmpty())
        m_base = folder + QStringLiteral("/shift-loom-") + key;
}

SingleInstance::~SingleInstance()
{
    if (m_server) {
        m_server->close();
        m_server = nullptr;
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
        display.remove(QRegularExpression(QStringLiteral("\\.\\d+$")));
        return QStringLiteral("x11-") + display;
    }
    return platform;
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_base.isEmpty())
        return Claim::Unguarded;
    m_socketPath = m_base + QStringLiteral(".socket");
    const QByteArray lockPath = QFile::encodeName(m_base + QStringLiteral(".lock"));
    // Close-on-exec: a program started from the panel must not keep the lock after it.
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0)
        return Claim::Unguarded;

    // A panel that is still starting may not listen yet, and one that ends meanwhile gives up
    // its lock: either way the next round settles it.
    const QDeadlineTimer deadline(kHandOverMs);
    for (;;) {
        if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Claim::Unguarded;
        if (handOver())
            return Claim::HandedOver;
        if (deadline.hasExpired())
            return Claim::NoAnswer;
        QThread::msleep(kRetryMs);
    }

    // The lock is ours, so a socket left there belongs to a panel that is gone.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(m_socketPath))
        qWarning("shift-loom: later starts cannot reach this panel: %s", qPrintable(m_server->errorString()));
    return Claim::First;
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kHandOverMs / 5))
        return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(kHandOverMs / 5))
        return false;
    // The panel answers once it has shown itself; a panel busy in its start-up may take a while.
    QByteArray answer;
    const QDeadlineTimer deadline(kHandOverMs);
    while (!answer.endsWith('\n') && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        answer += socket.readAll();
    return answer == kShownAnswer;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (peerUid(socket->socketDescriptor()) != static_cast<long>(::geteuid())) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kLongestRequest)
                    socket->abort();
                return;
            }
            const QByteArray request = socket->readLine(kLongestRequest);
            if (request != kShowRequest) {
                socket->abort();
                return;
            }
            emit showRequested();
            socket->write(kShownAnswer);
            socket->disconnectFromServer();
        });
    }
}

} // namespace shiftloom
