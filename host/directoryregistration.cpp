#include "host/directoryregistration.h"

#include "base/gamenumbers.h"
#include "directory/client/registrar.h"
#include "host/serverform.h"
#include "net/connection.h"

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
        // A table seats no more players than that, whatever a directory asks.
        connect(registrar, &Registrar::relayRequested, this,
                [this, registrar](const QByteArray &session, const QHostAddress &peer) {
                    if (m_relaysOpening >= game::kSlots)
                        return;
                    ++m_relaysOpening;
                    registrar->openRelay(session, peer, m_server.receivedlist);
                });
        connect(registrar, &Registrar::relayOpened, this, [this, address](Connection *conn, const QHostAddress &peer) {
            --m_relaysOpening;
            emit relayOpened(address, peer);
            m_server.acceptRelayed(conn);
        });
        connect(registrar, &Registrar::relayFailed, this,
                [this, address](const QHostAddress &peer, const QString &reason) {
                    --m_relaysOpening;
                    emit relayFailed(address, peer, reason);
                });
    }
}

DirectoryRegistration::~DirectoryRegistration()
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->withdraw();
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
