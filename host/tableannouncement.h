#pragma once

#include "directory/client/directoryaddress.h"
#include "finder/announcer.h"
#include "finder/tableinfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class DirectoryRegistration;
class TServer;
struct HostTable;

// A hosted table on the local network and in the game directories given,
// for a host that plays with others in mind: its name and port, and the
// seats taken, the spectators and whether a game is on, read from the host
// whenever a connection comes or goes and a game starts or ends. Changes
// close together go out as one update, and updates at most once a second,
// so that a peer connecting and leaving in a loop cannot make the host flood
// the network or a directory. Destroying it withdraws the table.
class TableAnnouncement : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMinUpdateMs = 1000;

    TableAnnouncement(TServer &server, const QString &name, quint16 port,
                      const QList<DirectoryAddress> &directories = {}, QObject *parent = nullptr);
    ~TableAnnouncement() override;

    void start();
    Announcer &announcer() { return m_announcer; }
    const Announcer &announcer() const { return m_announcer; }
    // Null without directories.
    DirectoryRegistration *directories() { return m_directories; }

    // What the network is told of a host as it is now.
    static TableInfo tableOf(const HostTable &host, const QString &name, quint16 port);

private:
    void changed();
    void publish();

    TServer &m_server;
    QString m_name;
    quint16 m_port;
    Announcer m_announcer;
    DirectoryRegistration *m_directories = nullptr;
    bool m_started = false;
    QTimer m_update;
    QElapsedTimer m_sincePublish;
};
