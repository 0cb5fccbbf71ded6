#pragma once

#include "net/framing.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class Connection;
class GameEvents;
class Roster;
class SoundOutput;
class TSock;
enum class SocketInfo;

// The main window's side of the protocol, without the window: the launch
// parameters, the connection to the host (the hosting player's own copy
// included, over 127.0.0.1) and the login. What the host sends is told by
// its events(); the roster and the sounds live here too.
class GameClient : public QObject
{
    Q_OBJECT

public:
    // The options the window's menus hold that this side reads.
    // Why the connection ended: the host removed this copy (it says so
    // just before), or the host ended the game (or was lost).
    enum class Ending { HostEnded, Removed };
    Q_ENUM(Ending)

    struct Options
    {
        bool playSounds = true;
        bool chatterSounds = false;
        int turnSound = 0;   // 0 Classic, 1 New
    };

    // Starts the host's listener: on every address when the game is open to
    // others, on the loopback address only for a solo game. Throws
    // ESockException when it cannot listen.
    using HostStarter = std::function<void(quint16 port, bool everyAddress)>;

    // Finds the table a code names when the host to join is given as one
    // (a game directory's code): calls done with the table's address and
    // port, or with a problem for the player. Returns false when host is
    // not a code; it is then joined as an address. A relayed table comes
    // with its code as relayCode, and the address and port are those of
    // the directory that relays it.
    using Resolved = std::function<void(const QString &address, quint16 port, const QString &problem,
                                        const QString &relayCode)>;
    using CodeResolver = std::function<bool(const QString &host, Resolved done)>;

    explicit GameClient(QObject *parent = nullptr);
    ~GameClient() override;

    void setHostStarter(HostStarter starter) { m_startHost = std::move(starter); }
    void setCodeResolver(CodeResolver resolver) { m_resolveCode = std::move(resolver); }
    void setSoundOutput(SoundOutput *output) { m_sound = output; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    Options options;

    // The connection state.
    QString myname;
    QString hostaddress;
    bool ishost = false;
    // Whether a game hosted for others is shown on the local network (never
    // a solo game). Off unless the program says so: the command line
    // switches it on unless told --no-announce.
    bool announceTable = false;
    bool loggedin = false;
    int myseat = 0;
    bool isSpectator() const { return game::isSpectatorSlot(myseat); }

    Connection *sock = nullptr;   // the game connection
    TSock *Sock11 = nullptr;      // the lobby link, opened and never used
    Dispatcher *receivedlist = nullptr;
    Roster *roster = nullptr;
    // Everything the host sends, as typed events.
    GameEvents *events() const { return m_events; }

    // The launch step: the lobby's three parameters, or none for a solo game.
    void processparams(const QStringList &parameters);
    void hostpress(bool solo = false);
    void joinpress();
    void sendloginfo(int slot);
    void sockInfo(SocketInfo kind, const QString &text);

    // Hands a message to the host; a refusal goes to the error display and
    // gives false.
    template <typename Message>
    bool send(const Message &message) { return sendBytes(msg::encode(message)); }
    bool sendBytes(const QByteArray &bytes);

    // The sounds. Game sounds follow "Play Sounds"; chatter sounds are
    // sent to everybody and played, or named in the chat, on arrival.
    void playsounds(const QString &name);
    void wave20Click(int number);
    void playasound(int slot, int wave);

signals:
    // A system line, "0+" and the notice.
    void systemLine(const QString &line);
    void downloadDialogRequested();
    // The hosting copy: the start picture, "Start Game" and the spy list's
    // "Remove From Game" come on; a joining copy: off.
    void hostingChanged(bool hosting);
    void loggedIn(int slot);
    // The host turned us away: "Game is full", then the window closes.
    // The connection's end that follows is not reported as well.
    void gameFull();
    // The connection ended: the window says why, then closes.
    void connectionEnded(GameClient::Ending why);

private:
    void openGameConnection(const QString &host);
    // The addresses others can join this hosted game at, as a system line.
    void announceAddresses();

    void joinResolved(const QString &code, const QString &address, quint16 port, const QString &problem,
                      const QString &relayCode);

    HostStarter m_startHost;
    CodeResolver m_resolveCode;
    SoundOutput *m_sound = nullptr;
    quint16 m_port = game::kDefaultPort;
    bool m_full = false;
    bool m_removed = false;
    // The code of a table joined through a directory's relay, else empty.
    QString m_relayCode;
    GameEvents *m_events = nullptr;
};
