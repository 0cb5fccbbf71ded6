#include "host/tableannouncement.h"

#include "host/serverform.h"

#include <algorithm>

TableAnnouncement::TableAnnouncement(TServer &server, const QString &name, quint16 port, QObject *parent)
    : QObject(parent), m_server(server), m_name(name), m_port(port)
{
    m_update.setSingleShot(true);
    connect(&m_update, &QTimer::timeout, this, &TableAnnouncement::publish);
    connect(&server, &TServer::connectionAccepted, this, &TableAnnouncement::changed);
    connect(&server, &TServer::connectionClosed, this, &TableAnnouncement::changed);
    connect(&server, &TServer::gameStarted, this, &TableAnnouncement::changed);
    connect(&server, &TServer::winnerAnnounced, this, &TableAnnouncement::changed);
}

void TableAnnouncement::start()
{
    publish();
}

TableInfo TableAnnouncement::tableOf(const HostTable &host, const QString &name, quint16 port)
{
    TableInfo table;
    table.name = name;
    table.port = port;
    for (int slot = 1; slot <= game::kSlots; ++slot) {
        if (!host.players[slot].connected)
            continue;
        if (game::isSeat(slot))
            ++table.seatsTaken;
        else
            ++table.spectators;
    }
    table.state = host.gamestarted ? TableInfo::State::Playing : TableInfo::State::Waiting;
    return table;
}

void TableAnnouncement::changed()
{
    if (!m_announcer.isPublished() || m_update.isActive())
        return;
    const qint64 since = m_sincePublish.isValid() ? m_sincePublish.elapsed() : kMinUpdateMs;
    m_update.start(int(std::clamp<qint64>(kMinUpdateMs - since, 0, kMinUpdateMs)));
}

void TableAnnouncement::publish()
{
    m_announcer.publish(tableOf(m_server, m_name, m_port));
    m_sincePublish.start();
}

TableAnnouncement *announceTable(TServer &server, const QString &name, quint16 port)
{
    stopAnnouncing(server);
    auto *announcement = new TableAnnouncement(server, name, port, &server);
    announcement->start();
    return announcement;
}

void stopAnnouncing(TServer &server)
{
    delete server.findChild<TableAnnouncement *>(QString(), Qt::FindDirectChildrenOnly);
}
