#include "host/tableannouncement.h"

#include "host/directoryregistration.h"
#include "host/serverform.h"

#include <algorithm>

TableAnnouncement::TableAnnouncement(TServer &server, const QString &name, quint16 port,
                                     const QList<DirectoryAddress> &directories, QObject *parent)
    : QObject(parent), m_server(server), m_name(name), m_port(port)
{
    if (!directories.isEmpty())
        m_directories = new DirectoryRegistration(server, directories, this);
    m_update.setSingleShot(true);
    connect(&m_update, &QTimer::timeout, this, &TableAnnouncement::publish);
    connect(&server, &TServer::connectionAccepted, this, &TableAnnouncement::changed);
    connect(&server, &TServer::connectionClosed, this, &TableAnnouncement::changed);
    connect(&server, &TServer::gameStarted, this, &TableAnnouncement::changed);
    connect(&server, &TServer::winnerAnnounced, this, &TableAnnouncement::changed);
}

TableAnnouncement::~TableAnnouncement() = default;

void TableAnnouncement::start()
{
    m_started = true;
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
    if (!m_started || m_update.isActive())
        return;
    const qint64 since = m_sincePublish.isValid() ? m_sincePublish.elapsed() : kMinUpdateMs;
    m_update.start(int(std::clamp<qint64>(kMinUpdateMs - since, 0, kMinUpdateMs)));
}

void TableAnnouncement::publish()
{
    const TableInfo table = tableOf(m_server, m_name, m_port);
    m_announcer.publish(table);
    if (m_directories)
        m_directories->publish(table);
    m_sincePublish.start();
}
