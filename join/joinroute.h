#pragma once

#include "directory/client/directoryaddress.h"
#include "finder/tableinfo.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class DirectoryFinder;

// Where a player's choice of table leads, and how to get in: what was typed
// where the address goes (an address, or the code a game directory gave a
// table) or a row of the tables found (on the local network or in a
// directory) becomes the address and port to connect to and, for a table
// the router keeps closed, the code by which that directory's relay passes
// the connection on. A code is looked up in the game directories in use;
// without any, what reads as a code is a computer's name. The window, the
// Join dialog and the computer player without a window all join this way.
class JoinRoute : public QObject
{
    Q_OBJECT

public:
    struct Target
    {
        QString address;
        quint16 port = 0;
        // A relayed table's code: address and port are its directory's,
        // whose relay is asked for the table by it.
        QString relayCode;

        bool isRelayed() const { return !relayCode.isEmpty(); }
        bool operator==(const Target &) const = default;
    };

    // Codes are looked up through finder, a finder that lists tables as
    // well (one connection per directory); without one, through its own.
    explicit JoinRoute(DirectoryFinder *finder = nullptr, QObject *parent = nullptr);
    ~JoinRoute() override;

    void setDirectories(const QList<DirectoryAddress> &directories);
    // The directories are asked for at each lookup instead: the player may
    // change them while a window is open.
    void followDirectories(std::function<QList<DirectoryAddress>()> inUse);
    QList<DirectoryAddress> directories() const;

    // Whether typed is looked up in a directory rather than connected to.
    bool looksUp(const QString &typed) const;
    // What the player typed and the port field: an address is found() at
    // once; a code is lookingUp(), then found() or notFound(). A lookup
    // asked for later replaces one still under way.
    void resolve(const QString &typed, quint16 port);
    // Forgets the lookup under way: its answer is dropped.
    void cancel() { m_pending.clear(); }

    // What stands for a row of the list where the address goes: a relayed
    // table's code (only a directory knows which relay has it), else its
    // address.
    static QString typedFor(const TableInfo &table);
    // The table a directory named, reached as that directory says.
    static Target reached(const TableInfo &table, const DirectoryAddress &directory);

signals:
    void lookingUp(const QString &code);
    void found(const JoinRoute::Target &target);
    // No directory has the code now, or none could be asked: why, for the player.
    void notFound(const QString &problem);

private:
    std::unique_ptr<DirectoryFinder> m_ownFinder;
    DirectoryFinder *m_finder;
    std::function<QList<DirectoryAddress>()> m_inUse;
    QString m_pending;   // the code under way, as the finder was asked
};
