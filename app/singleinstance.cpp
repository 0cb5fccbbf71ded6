#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kActivate[] = "activate\n";
}

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

SingleInstance::~SingleInstance() = default;

bool SingleInstance::IsPrevInstance(const QString &name, bool activate)
{
    const QString dir = userRuntimeDirectory();
    if (dir.isEmpty())
        return false; // the caller refuses to start before it comes to this
    const QString base = dir + QLatin1Char('/') + name;
    auto lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age

    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        // A crashed first copy may have left its socket file behind.
        QLocalServer::removeServer(base + QStringLiteral(".socket"));
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        if (m_server->listen(base + QStringLiteral(".socket"))) {
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
        return false;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return false; // no lock can be made here at all: behave as the first copy

    if (activate) {
        // The first copy may still be starting; give it a moment to listen.
        for (int attempt = 0; attempt < 20; ++attempt) {
            QLocalSocket socket;
            socket.connectToServer(base + QStringLiteral(".socket"));
            if (socket.waitForConnected(100)) {
                socket.write(kActivate);
                socket.waitForBytesWritten(500);
                socket.disconnectFromServer();
                break;
            }
            usleep(50 * 1000);
        }
    }
    return true;
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
    m_lock.reset();
}
