#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kActivate[] = "activate\n";

enum class LockState { Taken, Held, Unusable };

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Takes the lock of the file at path, made when missing; Held when a live
// process holds it. What the file says does not count: it only names the
// holder's process for people who look.
LockState takeLock(const QString &path, int *fd, QString *problem)
{
    const QByteArray file = QFile::encodeName(path);
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Only a plain file, never what a link points to.
        const int handle = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (handle < 0) {
            *problem = systemReason(errno);
            return LockState::Unusable;
        }
        struct stat opened = {};
        if (::fstat(handle, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(handle);
            *problem = QStringLiteral("it is not a plain file");
            return LockState::Unusable;
        }
        if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(handle);
            if (error == EWOULDBLOCK)
                return LockState::Held;
            *problem = systemReason(error);
            return LockState::Unusable;
        }
        // The holder removes the file as it lets go: a lock on a file that
        // is no longer under that name holds nobody off. Take the new one.
        struct stat named = {};
        if (::lstat(file.constData(), &named) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino) {
            const QByteArray holder = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(handle, 0) == 0) {
                const ssize_t written = ::write(handle, holder.constData(), size_t(holder.size()));
                Q_UNUSED(written);
            }
            *fd = handle;
            return LockState::Taken;
        }
        ::close(handle);
    }
    *problem = QStringLiteral("it keeps being replaced");
    return LockState::Unusable;
}

} // namespace

QString privateFolderProblem(const QString &path, uint uid)
{
    struct stat info = {};
    // lstat: a link is not the folder, whatever it points to.
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != uid)
        return QStringLiteral("it belongs to another user");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("other users may write in it");
    return QString();
}

QString userRuntimeDirectory(QString *problem)
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            return dir;
        }
    }
    // The temporary folder is shared by every user: anybody may have made
    // this name first.
    const QString dir = QDir::tempPath() + QStringLiteral("/pinlex-") + QString::number(getuid());
    ::mkdir(QFile::encodeName(dir).constData(), S_IRWXU);
    const QString reason = privateFolderProblem(dir, getuid());
    if (reason.isEmpty())
        return dir;
    if (problem)
        *problem = QStringLiteral("cannot keep the program's locks in %1: %2. Remove it, or set XDG_RUNTIME_DIR.")
                       .arg(dir, reason);
    return QString();
}

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    release();
}

bool SingleInstance::IsPrevInstance(const QString &name, bool activate, QString *problem)
{
    if (m_lock >= 0)
        return false;
    const QString dir = userRuntimeDirectory();
    if (dir.isEmpty())
        return false; // the caller refuses to start before it comes to this
    const QString base = dir + QLatin1Char('/') + name;
    const QString lockPath = base + QStringLiteral(".lock");
    const QString socketName = base + QStringLiteral(".socket");

    QString reason;
    switch (takeLock(lockPath, &m_lock, &reason)) {
    case LockState::Taken:
        m_lockPath = lockPath;
        // The window comes first: a later copy waits for the socket anyway.
        QTimer::singleShot(0, this, [this, socketName] {
            if (m_lock >= 0 && !m_server)
                listen(socketName);
        });
        return false;
    case LockState::Unusable:
        if (problem) {
            *problem = QStringLiteral("cannot use the lock file %1: %2. Remove it, or set XDG_RUNTIME_DIR.")
                           .arg(lockPath, reason);
        }
        return true;
    case LockState::Held:
        break;
    }
    if (!activate)
        return true;
    // The first copy may still be starting; give it a moment to listen.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(socketName);
        if (socket.waitForConnected(100)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return true;
        }
        usleep(50 * 1000);
    }
    if (problem) {
        *problem = QStringLiteral("another copy of the game holds %1 but does not answer on %2.")
                       .arg(lockPath, socketName);
    }
    return true;
}

void SingleInstance::listen(const QString &socketName)
{
    // A crashed first copy may have left its socket file behind.
    QLocalServer::removeServer(socketName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketName))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("activate"))
                    emit activateRequested();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

RunMarker::RunMarker(const QString &name)
{
    const QString dir = userRuntimeDirectory();
    if (dir.isEmpty())
        return;
    m_lock = std::make_unique<QLockFile>(dir + QLatin1Char('/') + name + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    m_lock->tryLock(0);
}

RunMarker::~RunMarker() = default;

bool RunMarker::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete std::exchange(m_server, nullptr);
    }
    if (m_lock >= 0) {
        // Removed while still held, so that nobody takes the lock of a file
        // that is about to go.
        ::unlink(QFile::encodeName(m_lockPath).constData());
        ::close(std::exchange(m_lock, -1));
    }
}
