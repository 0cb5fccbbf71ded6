#include "host/directoryregistration.h"

#include "directory/registrar.h"
#include "host/serverform.h"

#include <QSysInfo>

DirectoryRegistration::DirectoryRegistration(TServer &server, quint16 gamePort,
                                             const QList<DirectoryAddress> &directories, QObject *parent)
    : QObject(parent), m_server(server), m_gamePort(gamePort)
{
    for (const DirectoryAddress &address : directories) {
        auto *registrar = new Registrar(address, this);
        m_registrars << registrar;
        connect(registrar, &Registrar::probeExpected, &m_server, &TServer::expectProbe);
        connect(registrar, &Registrar::codeAssigned, this,
                [this, address](const QString &code) { emit codeAssigned(address, code); });
        connect(registrar, &Registrar::reachChecked, this,
                [this, address](msg::Reach reach) { emit reachChecked(address, reach); });
        connect(registrar, &Registrar::refused, this,
                [this, address](const QString &reason) { emit refused(address, reason); });
        connect(registrar, &Registrar::lost, this,
                [this, address](const QString &reason) { emit lost(address, reason); });
    }
    // Every change of seats, spectators, state or the host's name.
    connect(&m_server, &TServer::playerLoggedIn, this, &DirectoryRegistration::publish);
    connect(&m_server, &TServer::connectionClosed, this, &DirectoryRegistration::publish);
    connect(&m_server, &TServer::gameStarted, this, &DirectoryRegistration::publish);
    connect(&m_server, &TServer::winnerAnnounced, this, &DirectoryRegistration::publish);
    publish();
}

DirectoryRegistration::~DirectoryRegistration()
{
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->withdraw();
}

void DirectoryRegistration::setTableName(const QString &name)
{
    m_name = name;
    publish();
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
    connect(this, &DirectoryRegistration::lost, this,
            [log, prefix](const DirectoryAddress &directory, const QString &reason) {
                log(prefix(directory) + QStringLiteral("no connection: ") + reason);
            });
}

TableInfo DirectoryRegistration::table() const
{
    TableInfo table;
    table.port = m_gamePort;
    for (int slot = 1; slot <= game::kSlots; ++slot) {
        const TPlayerSlot &player = m_server.players[slot];
        if (!player.connected || !player.loggedin)
            continue;
        if (game::isSeat(slot))
            ++table.seatsTaken;
        else
            ++table.spectators;
    }
    table.state = m_server.gamestarted ? TableInfo::State::Playing : TableInfo::State::Waiting;
    if (!m_name.isEmpty()) {
        table.name = TableInfo::cleanName(m_name);
    } else {
        const TPlayerSlot &hosting = m_server.players[1];
        const bool named = hosting.loggedin && !hosting.name.trimmed().isEmpty();
        table.name = TableInfo::defaultName(named ? QString::fromLatin1(hosting.name) : QSysInfo::machineHostName());
    }
    return table;
}

void DirectoryRegistration::publish()
{
    const TableInfo now = table();
    for (Registrar *registrar : std::as_const(m_registrars))
        registrar->publish(now);
}
