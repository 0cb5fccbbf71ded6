#include "client/gameclient.h"

#include "base/errordisplay.h"
#include "base/version.h"
#include "client/gameevents.h"
#include "client/roster.h"
#include "net/connection.h"
#include "net/tsock.h"
#include "protocol/directorymessages.h"
#include "sound/soundoutput.h"
#include "sound/soundtable.h"

#include <QNetworkInterface>

GameClient::GameClient(QObject *parent) : QObject(parent)
{
    m_events = new GameEvents(this);
    receivedlist = new Dispatcher(this);
    receivedlist->setObjectName(QStringLiteral("receivedlist"));
    receivedlist->setHandler([this](const QByteArray &line, quint64) {
        // A relay that turns the join down says why before it closes.
        if (!m_relayCode.isEmpty() && !loggedin) {
            const auto fromDirectory = msg::readFromDirectory(line);
            if (const auto *refusal = fromDirectory ? std::get_if<msg::DirRefused>(&*fromDirectory) : nullptr) {
                emit systemLine(QStringLiteral("0+The game directory did not relay this game: %1.")
                                    .arg(QString::fromUtf8(refusal->reason.left(200))));
                return;
            }
        }
        m_events->received(line);
    });
    // The queue starts with a line that is taken and ignored like any line
    // without a '+'.
    receivedlist->enqueue("receivedlist");
    receivedlist->setEndHandler([this](quint64 connection) {
        // Turned away: the window closes once "Game is full" is read.
        if (sock && connection == sock->id() && !m_full)
            emit connectionEnded(m_removed ? Ending::Removed : Ending::HostEnded);
    });

    sock = new Connection(receivedlist, this);
    sock->setObjectName(QStringLiteral("sock"));
    connect(sock, &Connection::info, this, &GameClient::sockInfo);
    connect(sock, &Connection::connected, this, [this] {
        // Through a relay, the first words are the directory's: which table.
        if (!m_relayCode.isEmpty())
            sendBytes(msg::encode(msg::DirJoin{m_relayCode.toLatin1()}));
    });
    connect(sock, &Connection::connectFailed, this, [this](const QString &reason) {
        const QString host = ishost ? QStringLiteral("127.0.0.1") : hostaddress;
        emit systemLine(QStringLiteral("0+Could not connect to %1 on port %2: %3.").arg(host).arg(m_port).arg(reason));
    });

    Sock11 = new TSock(this);
    Sock11->setObjectName(QStringLiteral("Sock11"));
    Sock11->setHostName(QStringLiteral("127.0.0.1"));
    Sock11->setPortName(QStringLiteral("9001"));

    connect(m_events, &GameEvents::slotOffered, this, &GameClient::sendloginfo);
    connect(m_events, &GameEvents::full, this, [this] {
        m_full = true;
        emit gameFull();
    });
    connect(m_events, &GameEvents::otherVersion, this, [this](const QByteArray &name) {
        emit systemLine(QStringLiteral("0+") + QString::fromLatin1(name)
                        + QStringLiteral(" has a different version of the game then you."));
    });
    connect(m_events, &GameEvents::ownVersionDiffers, this, [this] {
        emit systemLine(QStringLiteral("0+You have a differnt version of the game then the host."));
    });
    connect(m_events, &GameEvents::chatterSound, this, &GameClient::playasound);
    // The host tells a copy it removes of its own departure before it closes.
    connect(m_events, &GameEvents::left, this, [this](int slot) {
        if (loggedin && slot == myseat)
            m_removed = true;
    });
    roster = new Roster(*this, this);
}

GameClient::~GameClient() = default;

void GameClient::processparams(const QStringList &parameters)
{
    emit hostingChanged(false);
    if (parameters.isEmpty()) {
        emit systemLine(QStringLiteral("0+Loading Solo Game..Please wait."));
        emit downloadDialogRequested();
        hostaddress = QStringLiteral("127.0.0.1");
        myname = QStringLiteral("You");
        try {
            hostpress(true);
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
        }
        return;
    }
    emit systemLine(QStringLiteral("0+Loading Multi-player Game.. Please Wait."));
    if (parameters.size() < 3)
        return; // nothing follows the loading line
    myname = parameters[0];
    hostaddress = parameters[1];
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
        Sock11->open();
    } catch (const std::exception &) {
        // The lobby link is silent when nobody listens.
    }
}

void GameClient::hostpress(bool solo)
{
    // Nobody on the network may walk into a solo game.
    if (m_startHost)
        m_startHost(m_port, !solo);
    ishost = true;
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
        emit systemLine(QStringLiteral("0+Hosting on port %1; this computer has no network address others can reach.")
                            .arg(m_port));
        return;
    }
    // The address list goes after the line's first ':', where a chat line
    // is not cut into speaker and text.
    emit systemLine(QStringLiteral("0+Others can join this game on port %1 at: %2")
                        .arg(m_port)
                        .arg(addresses.join(QStringLiteral(" or "))));
}

void GameClient::joinpress()
{
    const QString code = hostaddress;
    const auto resolved = [this, code](const QString &address, quint16 port, const QString &problem,
                                       const QString &relayCode) {
        joinResolved(code, address, port, problem, relayCode);
    };
    if (m_resolveCode && m_resolveCode(code, resolved)) {
        emit systemLine(QStringLiteral("0+Looking up the table with the code %1...").arg(code));
        emit hostingChanged(false);
        return;
    }
    openGameConnection(hostaddress);
    emit hostingChanged(false);
}

void GameClient::joinResolved(const QString &code, const QString &address, quint16 port, const QString &problem,
                              const QString &relayCode)
{
    if (!problem.isEmpty()) {
        // The window stays, not connected, as after any failed launch.
        emit systemLine(QStringLiteral("0+") + problem);
        return;
    }
    hostaddress = address;
    m_port = port;
    m_relayCode = relayCode;
    if (relayCode.isEmpty())
        emit systemLine(QStringLiteral("0+The code %1 is the table at %2, port %3.").arg(code, address).arg(port));
    else
        emit systemLine(QStringLiteral("0+The code %1 is a table joined through the game directory at %2, port %3.")
                            .arg(code, address)
                            .arg(port));
    try {
        openGameConnection(hostaddress);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}

void GameClient::openGameConnection(const QString &host)
{
    m_full = false;
    m_removed = false;
    sock->open(host, QString::number(m_port));
}

void GameClient::sendloginfo(int slot)
{
    myseat = slot;
    loggedin = true;
    emit loggedIn(slot);
    send(msg::LoginInfo{slot, kVersionText, myname.toLatin1()});
}

void GameClient::sockInfo(SocketInfo, const QString &)
{
    // The socket layer's texts are not shown; the end of the connection
    // arrives as its own event, behind the messages sent before it.
}

bool GameClient::sendBytes(const QByteArray &bytes)
{
    try {
        sock->send(bytes);
        return true;
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return false;
    }
}

void GameClient::playsounds(const QString &name)
{
    if (options.playSounds && m_sound)
        m_sound->play(name);
}

void GameClient::wave20Click(int number)
{
    if (number < 1 || number > game::kChatterSounds || isSpectator() || !loggedin)
        return;
    send(msg::PlayASound{myseat, number});
}

void GameClient::playasound(int slot, int wave)
{
    const QString name = sounds::chatterName(wave);
    if (options.chatterSounds) {
        if (m_sound)
            m_sound->play(name);
        return;
    }
    if (!game::isSeat(slot))
        return;
    emit systemLine(QStringLiteral("0+") + roster->seatName(slot) + QStringLiteral(": <Chatter Sound> ")
                    + sounds::chatterCaption(wave));
}
