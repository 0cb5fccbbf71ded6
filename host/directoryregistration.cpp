#include "host/directoryregistration.h"

#include "base/gamenumbers.h"
#include "directory/client/registrar.h"
#include "host/serverform.h"
#include "net/connection.h"
#include "net/tsock.h"


DirectoryRegistration::DirectoryRegistration(TServer &server, const QList<DirectoryAddress> &directories,
                                             QObject *parent)
    : QObject(parent), m_server(server)
{
    for (const DirectoryAddress &address : directories) {
        auto *registrar = new Registrar(address, this);
        m_registrars << registrar;
        connect(registrar, &Registrar::probeExpected, &server, &TServer::expectProbe);
        connect(registrar, &Registrar::codeAssigned, this,
                [this, address](const QString &code) { emit codeAssigned(address, code); });
        connect(registrar, &Registrar::reachChecked, this,
                [this, address](msg::Reach reach) { emit reachChecked(address, reach); });
        connect(registrar, &Registrar::refused, this,
                [this, address](const QString &reason) { emit refused(address, reason); });
        connect(registrar, &Registrar::lost, this,
                [this, address](const QString &reason) { emit lost(address, reason); });
        connect(registrar, &Registrar::relayRequested, this,
                [this, address](const QByteArray &session, const QHostAddress &peer) {
                    openRelay(address, session, peer);
                });
    }
}

DirectoryRegistration::~DirectoryRegistration()
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->withdraw();
}

QString DirectoryRegistration::codeLine(const QString &code)
{
    return QStringLiteral("Others can join with the code %1").arg(code);
}

void DirectoryRegistration::logEvents(const std::function<void(const QString &)> &log)
{
    const auto prefix = [](const DirectoryAddress &directory) {
        return QStringLiteral("directory ") + directory.toString() + QStringLiteral(": ");
    };
    connect(this, &DirectoryRegistration::codeAssigned, this,
            [log, prefix](const DirectoryAddress &directory, const QString &code) {
                log(prefix(directory) + codeLine(code));
            });
    connect(this, &DirectoryRegistration::reachChecked, this,
            [log, prefix](const DirectoryAddress &directory, msg::Reach reach) {
                log(prefix(directory) + QStringLiteral("reach ") + QLatin1String(msg::reachText(reach)));
            });
    connect(this, &DirectoryRegistration::refused, this,
            [log, prefix](const DirectoryAddress &directory, const QString &reason) {
                log(prefix(directory) + QStringLiteral("refused: ") + reason);
            });
    connect(this, &DirectoryRegistration::relayOpened, this,
            [log, prefix](const DirectoryAddress &directory, const QHostAddress &peer) {
                log(prefix(directory) + QStringLiteral("a player at %1 joins through the relay").arg(peer.toString()));
            });
    connect(this, &DirectoryRegistration::lost, this,
            [log, prefix](const DirectoryAddress &directory, const QString &reason) {
                log(prefix(directory) + QStringLiteral("no connection: ") + reason);
            });
}

void DirectoryRegistration::openRelay(const DirectoryAddress &directory, const QByteArray &session,
                                      const QHostAddress &peer)
{
    if (m_relaysOpening >= game::kSlots)
        return;
    ++m_relaysOpening;
    auto *conn = new Connection(m_server.receivedlist, this);
    connect(conn, &Connection::connected, this, [this, conn, directory, session, peer] {
        --m_relaysOpening;
        try {
            conn->send(msg::encode(msg::DirRelayHello{session}));
        } catch (const ESockException &) {
            conn->deleteLater();
            return;
        }
        // The player's address, as for a player who connected directly.
        conn->sock()->setHostName(peer.toString());
        emit relayOpened(directory, peer);
        m_server.acceptRelayed(conn);
    });
    connect(conn, &Connection::connectFailed, this, [this, conn] {
        --m_relaysOpening;
        conn->deleteLater();
    });
    conn->open(directory.host, QString::number(directory.port));
}

void DirectoryRegistration::recheck()
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->recheck();
}

void DirectoryRegistration::publish(const TableInfo &table)
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->publish(table);
}
