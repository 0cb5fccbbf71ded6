#pragma once

#include "directory/directoryaddress.h"
#include "finder/tableinfo.h"
#include "protocol/directorymessages.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class Registrar;
class TServer;

// A hosting copy's registration with its game directories: one registrar
// per directory, each fed the table as the host sees it (seats taken,
// spectators, waiting or playing) whenever that changes, and each
// directory's reachability probe handed to the game listener. The window
// turns codeAssigned into a chat line, the headless host into a log line.
class DirectoryRegistration : public QObject
{
    Q_OBJECT

public:
    DirectoryRegistration(TServer &server, quint16 gamePort, const QList<DirectoryAddress> &directories,
                          QObject *parent = nullptr);
    ~DirectoryRegistration() override;

    // The table's name; without one it is named after the hosting player
    // (slot 1) once logged in, else after this machine.
    void setTableName(const QString &name);
    // The table as it is published now.
    TableInfo table() const;
    const QList<Registrar *> &registrars() const { return m_registrars; }

    // The line the hosting player reads.
    static QString codeLine(const QString &code);
    // Every event as a line of a log, "directory HOST:PORT: ...".
    void logEvents(const std::function<void(const QString &line)> &log);

signals:
    void codeAssigned(const DirectoryAddress &directory, const QString &code);
    void reachChecked(const DirectoryAddress &directory, msg::Reach reach);
    void refused(const DirectoryAddress &directory, const QString &reason);
    void lost(const DirectoryAddress &directory, const QString &reason);

private:
    void publish();

    TServer &m_server;
    quint16 m_gamePort;
    QString m_name;
    QList<Registrar *> m_registrars;
};
