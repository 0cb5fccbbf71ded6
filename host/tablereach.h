#pragma once

#include "portmap/portmapper.h"

#include <QObject>
#include <QTimer>

// A hosted table's way in from the internet: asks the local router to
// forward the game's port, and tells the hosting player once how players
// outside will reach the table, again only should that change. For a host
// that shows its table; never a solo game. Destroying it deletes the
// mapping, waiting a few seconds at most for the router.
class TableReach : public QObject
{
    Q_OBJECT

public:
    // Relayed: a game directory lists the table and relays players the
    // router keeps out.
    TableReach(quint16 port, bool relayed, QObject *parent = nullptr);

    void start();
    // Deletes the mapping and says released() once the router has been
    // asked, or after a few seconds should it not answer: a copy that
    // hosts on the same port next must not lose its mapping to this one.
    void release();

signals:
    // A line for the hosting player; why, the router's reason, for a log.
    void told(const QString &text, const QString &why);
    void released();

private:
    void tell(const QString &text, const QString &why = QString());

    quint16 m_port;
    bool m_relayed;
    PortMapper m_mapper;
    QString m_told;
    QTimer m_releaseLimit;
};
