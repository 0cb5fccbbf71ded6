#include "client/gameclient.h"

#include "base/errordisplay.h"
#include "base/version.h"
#include "client/roster.h"
#include "net/connection.h"
#include "net/fields.h"
#include "net/tsock.h"
#include "net/wire.h"
#include "sound/soundoutput.h"
#include "sound/soundtable.h"

#include <QNetworkInterface>

GameClient::GameClient(QObject *parent) : QObject(parent)
{
    receivedlist = new Dispatcher(this);
    receivedlist->setObjectName(QStringLiteral("receivedlist"));
    // The queue starts with a line that is taken and ignored like any line
    // without a '+'.
    receivedlist->enqueue("receivedlist");
    receivedlist->setEndHandler([this](quint64 connection) {
        // Turned away: the window closes once "Game is full" is read.
        if (sock && connection == sock->id() && !m_full)
            emit connectionEnded();
    });

    sock = new Connection(receivedlist, this);
    sock->setObjectName(QStringLiteral("sock"));
    connect(sock, &Connection::info, this, &GameClient::sockInfo);
    connect(sock, &Connection::connectFailed, this, [this](const QString &reason) {
        const QString host = ishost ? QStringLiteral("127.0.0.1") : hostaddress;
        emit systemLine(QStringLiteral("0+Could not connect to %1 on port %2: %3.").arg(host).arg(m_port).arg(reason));
    });

    Sock11 = new TSock(this);
    Sock11->setObjectName(QStringLiteral("Sock11"));
    Sock11->setHostName(QStringLiteral("127.0.0.1"));
    Sock11->setPortName(QStringLiteral("9001"));

    roster = new Roster(*this, this);
    buildTable();
}

GameClient::~GameClient() = default;

void GameClient::buildTable()
{
    const auto hook = [this](const char *command) {
        receivedlist->addCommand(command, [this, command](const QByteArray &payload, quint64) {
            dispatch(command, payload);
        });
    };
    receivedlist->addCommand("CMD_sendlogininfo", [this](const QByteArray &payload, quint64) { sendloginfo(payload); });
    hook("CMD_chat");
    hook("CMD_action");
    receivedlist->addCommand("CMD_newplayerinfo",
                             [this](const QByteArray &payload, quint64) { roster->newplayerinfo(payload); });
    receivedlist->addCommand("CMD_havewrongversion", [this](const QByteArray &payload, quint64) {
        emit systemLine(QStringLiteral("0+") + QString::fromLatin1(payload)
                        + QStringLiteral(" has a different version of the game then you."));
    });
    receivedlist->addCommand("CMD_wrongversion", [this](const QByteArray &, quint64) {
        emit systemLine(QStringLiteral("0+You have a differnt version of the game then the host."));
    });
    receivedlist->addCommand("CMD_existingplayers",
                             [this](const QByteArray &payload, quint64) { roster->newplayerinfo(payload); });
    receivedlist->addCommand("CMD_playerdisconnected",
                             [this](const QByteArray &payload, quint64) { roster->playerdisconnected(payload); });
    hook("CMD_startgame");
    hook("CMD_nextplayer");
    hook("CMD_winner");
    receivedlist->addCommand("CMD_full", [this](const QByteArray &, quint64) {
        m_full = true;
        emit gameFull();
    });
    receivedlist->addCommand("CMD_justwatching",
                             [this](const QByteArray &payload, quint64) { roster->justwatching(payload); });
    hook("CMD_postscores");
    hook("CMD_theletters");
    hook("CMD_worderror");
    hook("CMD_goodword");
    hook("CMD_timeisup");
    hook("CMD_loadstats");
    receivedlist->addCommand("CMD_playasound", [this](const QByteArray &payload, quint64) { playasound(payload); });
}

void GameClient::setHandler(const QByteArray &command, std::function<void(const QByteArray &)> handler)
{
    m_hooks[command] = std::move(handler);
}

void GameClient::dispatch(const char *command, const QByteArray &payload)
{
    const auto found = m_hooks.find(QByteArray(command));
    if (found != m_hooks.end() && found->second)
        found->second(payload);
}

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
    openGameConnection(hostaddress);
    emit hostingChanged(false);
}

void GameClient::openGameConnection(const QString &host)
{
    sock->open(host, QString::number(m_port));
}

void GameClient::sendloginfo(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int slot = fields.takeInt();
    if (slot < 1 || slot > 9)
        return; // no slot a host hands out
    myseat = slot;
    loggedin = true;
    emit loggedIn(slot);
    send(wire::message("CMD_logininfo", wire::fields(slot, kVersionText, myname.toLatin1())));
}

void GameClient::sockInfo(SocketInfo, const QString &)
{
    // The socket layer's texts are not shown; the end of the connection
    // arrives as its own event, behind the messages sent before it.
}

bool GameClient::send(const QByteArray &message)
{
    try {
        sock->send(message);
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
    if (number < 1 || number > sounds::kChatterCount || isSpectator() || !loggedin)
        return;
    send(wire::message("CMD_playasound", QByteArray::number(myseat) + "+" + sounds::chatterName(number).toLatin1() + '+'));
}

void GameClient::playasound(const QByteArray &payload)
{
    FieldReader fields(payload);
    const int slot = fields.takeInt();
    const QString name = QString::fromLatin1(fields.take());
    if (options.chatterSounds) {
        if (m_sound)
            m_sound->play(name);
        return;
    }
    const QString caption = sounds::chatterCaption(name);
    if (slot < 1 || slot > highestseat || caption.isEmpty())
        return;
    emit systemLine(QStringLiteral("0+") + roster->seatName(slot) + QStringLiteral(": <Chatter Sound> ") + caption);
}
