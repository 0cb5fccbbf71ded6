#pragma once

#include "base/gamenumbers.h"
#include "directory/client/directoryaddress.h"
#include "host/serverform.h"
#include "protocol/directorymessages.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class TableAnnouncement;
class TableReach;

// A hosted table's life around its game host: the listener, the table shown
// on the local network, its registration with each game directory and the
// players they relay, and the router's forwarding of its port; and the end
// of all of it in one step. The window, the host without a window and the
// Host dialog's relaunch host through it alike and only show what it says.
//
// It must not outlive the server. Destroying it withdraws the table and
// deletes the router's mapping, waiting a few seconds at most for the
// router; the listener goes with the server.
class TableHosting : public QObject
{
    Q_OBJECT

public:
    // What is hosted, and how far it is shown.
    struct Plan
    {
        quint16 port = game::kDefaultPort;
        // Every address, or the loopback address alone (a solo game, never shown).
        bool everyAddress = true;
        TServer::FirstSlot firstSlot = TServer::FirstSlot::FirstComer;
        // Shown under this name on the local network and in the directories.
        bool announce = false;
        QString name;
        QList<DirectoryAddress> directories;
        // A shown table asks the router to forward its port too.
        bool portMapping = false;
    };

    explicit TableHosting(TServer &server, QObject *parent = nullptr);
    ~TableHosting() override;

    // Listens, then shows the table as the plan says. Throws ESockException
    // when it cannot listen.
    void open(const Plan &plan);
    // Ends the hosting: no new connection, no relayed player, the table off
    // the local network and out of the directories, the router's mapping
    // deleted. released() follows once the router has been asked (or did
    // not answer in a few seconds), at once when it held nothing: a copy
    // that hosts on the same port next must not lose its mapping to this one.
    void release();

    bool isListening() const;
    // While shown, else null.
    const TableAnnouncement *announcement() const { return m_announcement.get(); }

    // The line the hosting player reads when a directory gives the code.
    static QString codeLine(const QString &code);

signals:
    void listening(quint16 port);
    // Shown on the local network, or under another name there; over mDNS or the UDP fallback.
    void announced(const QString &name, bool overMdns);
    void codeAssigned(const DirectoryAddress &directory, const QString &code);
    void reachChecked(const DirectoryAddress &directory, msg::Reach reach);
    void refused(const DirectoryAddress &directory, const QString &reason);
    void lost(const DirectoryAddress &directory, const QString &reason);
    void relayOpened(const DirectoryAddress &directory, const QHostAddress &peer);
    void relayFailed(const DirectoryAddress &directory, const QHostAddress &peer, const QString &reason);
    // How players on the internet get in, as the router decided: a line for
    // the hosting player, and the router's reason for a log.
    void reachTold(const QString &text, const QString &why);
    void released();

private:
    TServer &m_server;
    std::unique_ptr<TableAnnouncement> m_announcement;
    std::unique_ptr<TableReach> m_reach;
};
