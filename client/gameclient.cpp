#include "client/gameclient.h"

#include "base/errordisplay.h"
#include "base/version.h"
#include "client/gameevents.h"
#include "client/gamelink.h"
#include "net/connection.h"
#include "net/tsock.h"
#include "sound/soundoutput.h"
#include "sound/soundtable.h"

#include <QNetworkInterface>

GameClient::GameClient(QObject *parent) : QObject(parent), m_link(new GameLink(this)), m_sock11(new TSock(this))
{
    receivedlist()->setObjectName(QStringLiteral("receivedlist"));
    // The queue starts with a line that is taken and ignored like any line
    // without a '+'.
    receivedlist()->enqueue("receivedlist");
    connect(m_link, &GameLink::ended, this, [this] {
        // Turned away: the window closes once "Game is full" is read.
        if (!m_full)
            emit connectionEnded(m_removed ? Ending::Removed : Ending::HostEnded);
    });
    connect(m_link, &GameLink::relayRefused, this, [this](const QString &reason) {
        emit notice(QStringLiteral("The game directory did not relay this game: %1.").arg(reason));
    });
    sock()->setObjectName(QStringLiteral("sock"));
    connect(m_link, &GameLink::connectFailed, this, [this](const QString &reason) {
        const QString host = m_ishost ? QStringLiteral("127.0.0.1") : m_hostaddress;
        emit notice(QStringLiteral("Could not connect to %1 on port %2: %3.").arg(host).arg(m_port).arg(reason));
    });

    m_sock11->setObjectName(QStringLiteral("Sock11"));
    m_sock11->setHostName(QStringLiteral("127.0.0.1"));
    m_sock11->setPortName(QStringLiteral("9001"));

    const GameEvents *events = m_link->events();
    connect(events, &GameEvents::slotOffered, this, &GameClient::sendloginfo);
    connect(events, &GameEvents::full, this, [this] {
        m_full = true;
        emit gameFull();
    });
    connect(events, &GameEvents::otherVersion, this, [this](const QByteArray &name) {
        emit notice(QString::fromLatin1(name) + QStringLiteral(" has a different version of the game then you."));
    });
    connect(events, &GameEvents::ownVersionDiffers, this, [this] {
        emit notice(QStringLiteral("You have a differnt version of the game then the host."));
    });
    connect(events, &GameEvents::chatterSound, this, &GameClient::playasound);
    // The host tells a copy it removes of its own departure before it closes.
    connect(events, &GameEvents::left, this, [this](int slot) {
        if (m_loggedin && slot == m_myseat)
            m_removed = true;
    });
}

GameClient::~GameClient() = default;

Connection *GameClient::sock() const
{
    return m_link->connection();
}

Dispatcher *GameClient::receivedlist() const
{
    return m_link->queue();
}

GameEvents *GameClient::events() const
{
    return m_link->events();
}

void GameClient::processparams(const QStringList &parameters)
{
    emit hostingChanged(false);
    if (parameters.isEmpty()) {
        emit notice(QStringLiteral("Loading Solo Game..Please wait."));
        emit downloadDialogRequested();
        m_hostaddress = QStringLiteral("127.0.0.1");
        m_myname = QStringLiteral("You");
        try {
            hostpress(true);
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
        }
        return;
    }
    emit notice(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    if (parameters.size() < 3)
        return; // nothing follows the loading line
    m_myname = parameters[0];
    m_hostaddress = parameters[1];
    try {
        if (parameters[2] == QLatin1String("true"))
            hostpress();
        else
            joinpress();
    } catch (const std::exception &error) {
        // The launch step stops here; the window stays open, not connected.
        showError(QString::fromUtf8(error.what()));
        return;
    }
    try {
        m_sock11->open();
    } catch (const std::exception &) {
        // The lobby link is silent when nobody listens.
    }
}

void GameClient::hostpress(bool solo)
{
    // Nobody on the network may walk into a solo game.
    if (m_startHost)
        m_startHost(m_port, !solo);
    m_ishost = true;
    openGameConnection(QStringLiteral("127.0.0.1"));
    emit hostingChanged(true);
    if (!solo)
        announceAddresses();
}

void GameClient::announceAddresses()
{
    QStringList addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        // Loopback and link-local addresses reach nobody else.
        if (address.isLoopback() || address.isLinkLocal() || address.isNull())
            continue;
        addresses << address.toString();
    }
    if (addresses.isEmpty()) {
        emit notice(QStringLiteral("Hosting on port %1; this computer has no network address others can reach.")
                        .arg(m_port));
        return;
    }
    // The address list goes after the line's first ':', where a chat line
    // is not cut into speaker and text.
    emit notice(QStringLiteral("Others can join this game on port %1 at: %2")
                    .arg(m_port)
                    .arg(addresses.join(QStringLiteral(" or "))));
}

void GameClient::joinpress()
{
    const QString code = m_hostaddress;
    const auto resolved = [this, code](const QString &address, quint16 port, const QString &problem,
                                       const QString &relayCode) {
        joinResolved(code, address, port, problem, relayCode);
    };
    if (m_resolveCode && m_resolveCode(code, resolved)) {
        emit notice(QStringLiteral("Looking up the table with the code %1...").arg(code));
        emit hostingChanged(false);
        return;
    }
    openGameConnection(m_hostaddress);
    emit hostingChanged(false);
}

void GameClient::joinResolved(const QString &code, const QString &address, quint16 port, const QString &problem,
                              const QString &relayCode)
{
    if (!problem.isEmpty()) {
        // The window stays, not connected, as after any failed launch.
        emit notice(problem);
        return;
    }
    m_hostaddress = address;
    m_port = port;
    if (relayCode.isEmpty())
        emit notice(QStringLiteral("The code %1 is the table at %2, port %3.").arg(code, address).arg(port));
    else
        emit notice(QStringLiteral("The code %1 is a table joined through the game directory at %2, port %3.")
                        .arg(code, address)
                        .arg(port));
    try {
        openGameConnection(m_hostaddress, relayCode);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void GameClient::openGameConnection(const QString &host, const QString &relayCode)
{
    m_full = false;
    m_removed = false;
    m_link->open(host, m_port, relayCode);
}

void GameClient::sendloginfo(int slot)
{
    m_myseat = slot;
    m_loggedin = true;
    emit loggedIn(slot);
    send(msg::LoginInfo{slot, kVersionText, m_myname.toLatin1()});
}

bool GameClient::sendBytes(const QByteArray &bytes)
{
    try {
        m_link->send(bytes);
        return true;
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return false;
    }
}

void GameClient::playsounds(const QString &name)
{
    if (m_options.playSounds && m_sound)
        m_sound->play(name);
}

void GameClient::wave20Click(int number)
{
    if (number < 1 || number > game::kChatterSounds || isSpectator() || !m_loggedin)
        return;
    send(msg::PlayASound{m_myseat, number});
}

void GameClient::playasound(int, int wave)
{
    if (m_options.chatterSounds && m_sound)
        m_sound->play(sounds::chatterName(wave));
}
