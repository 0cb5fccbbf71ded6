#include "app/singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {
constexpr char kActivate[] = "activate\n";
}

QString userRuntimeDirectory()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/pinlex-") + QString::number(getuid());
    QDir().mkpath(dir);
    return dir;
}

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::IsPrevInstance(const QString &name, bool activate)
{
    const QString base = userRuntimeDirectory() + QLatin1Char('/') + name;
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
    : m_lock(std::make_unique<QLockFile>(userRuntimeDirectory() + QLatin1Char('/') + name + QStringLiteral(".lock")))
{
    m_lock->setStaleLockTime(0);
    m_lock->tryLock(0);
}

RunMarker::~RunMarker() = default;

bool RunMarker::isHeld() const
{
    return m_lock->isLocked();
}
