#pragma once

#include "directory/client/directoryaddress.h"
#include "finder/tableinfo.h"
#include "protocol/directorymessages.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class Registrar;
class TServer;

// A hosting copy's registration with its game directories: one registrar
// per directory, each given the table as published, and each directory's
// reachability probe handed to the game listener. Destroying it ends every
// registration at once.
//
// A directory that relays the table asks for a connection per player who
// joins through it: its registrar opens one, which is handed to the game
// host as an accepted connection from the player's address, or its failure
// is told. A table seats kSlots, so no more than that are opened at once,
// whatever a directory asks.
class DirectoryRegistration : public QObject
{
    Q_OBJECT

public:
    DirectoryRegistration(TServer &server, const QList<DirectoryAddress> &directories, QObject *parent = nullptr);
    ~DirectoryRegistration() override;

    // Registers the table, or updates it, with every directory.
    void publish(const TableInfo &table);
    // The router opened or closed the table's port: every directory probes
    // the table again.
    void recheck();
    const QList<Registrar *> &registrars() const { return m_registrars; }

signals:
    void codeAssigned(const DirectoryAddress &directory, const QString &code);
    void reachChecked(const DirectoryAddress &directory, msg::Reach reach);
    void refused(const DirectoryAddress &directory, const QString &reason);
    void lost(const DirectoryAddress &directory, const QString &reason);
    void relayOpened(const DirectoryAddress &directory, const QHostAddress &peer);
    void relayFailed(const DirectoryAddress &directory, const QHostAddress &peer, const QString &reason);

private:
    TServer &m_server;
    QList<Registrar *> m_registrars;
    int m_relaysOpening = 0;
};
