#pragma once

#include "base/gamenumbers.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class Connection;
class Dispatcher;
class GameEvents;
class GameLink;
class SoundOutput;
class TSock;

// The main window's side of the protocol, without the window: the launch
// parameters, the connection to the host (the hosting player's own copy
// included, over 127.0.0.1), the login and the sounds. What the host sends
// is told by its events(); who sits where, by a Roster that follows them.
class GameClient : public QObject
{
    Q_OBJECT

public:
    // Why the connection ended: the host removed this copy (it says so
    // just before), or the host ended the game (or was lost).
    enum class Ending { HostEnded, Removed };
    Q_ENUM(Ending)

    // The options the window's menus hold that this side reads.
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
    const Options &options() const { return m_options; }
    void setPlaySounds(bool on) { m_options.playSounds = on; }
    void setChatterSounds(bool on) { m_options.chatterSounds = on; }
    void setTurnSound(int sound) { m_options.turnSound = sound; }

    // Who this copy is and where it plays: the name and the host's address
    // the launch gave (a code, until it is resolved), whether it hosts, and
    // the slot the host gave it once logged in.
    const QString &myname() const { return m_myname; }
    void setMyname(const QString &name) { m_myname = name; }
    const QString &hostaddress() const { return m_hostaddress; }
    void setHostaddress(const QString &address) { m_hostaddress = address; }
    bool ishost() const { return m_ishost; }
    bool loggedin() const { return m_loggedin; }
    int myseat() const { return m_myseat; }
    bool isSpectator() const { return game::isSpectatorSlot(m_myseat); }
    // Whether a game hosted for others is shown on the local network (never
    // a solo game). Off unless the program says so: the command line
    // switches it on unless told --no-announce.
    bool announceTable() const { return m_announceTable; }
    void setAnnounceTable(bool on) { m_announceTable = on; }

    Connection *sock() const;        // the game connection
    Dispatcher *receivedlist() const;   // its receive queue
    TSock *Sock11() const { return m_sock11; }   // the lobby link, opened and never used
    // Everything the host sends, as typed events.
    GameEvents *events() const;

    // The launch step: the lobby's three parameters, or none for a solo game.
    void processparams(const QStringList &parameters);
    void hostpress(bool solo = false);
    void joinpress();
    void sendloginfo(int slot);

    // Hands a message to the host; a refusal goes to the error display and
    // gives false.
    template <typename Message>
    bool send(const Message &message) { return sendBytes(msg::encode(message)); }
    bool sendBytes(const QByteArray &bytes);

    // The sounds. Game sounds follow "Play Sounds"; chatter sounds are
    // sent to everybody and played on arrival when "Chatter Sounds" is on
    // (the roster names them in the chat otherwise).
    void playsounds(const QString &name);
    void wave20Click(int number);
    void playasound(int slot, int wave);

signals:
    // A line of the client's own for the chat: the launch, the connection,
    // versions.
    void notice(const QString &text);
    void downloadDialogRequested();
    // The hosting copy: the start picture, "Start Game" and the spy list's
    // "Remove From Game" come on; a joining copy: off.
    void hostingChanged(bool hosting);
    // The host seated us at slot: logged in, and myseat is the slot.
    void loggedIn(int slot);
    // The host turned us away: "Game is full", then the window closes.
    // The connection's end that follows is not reported as well.
    void gameFull();
    // The connection ended: the window says why, then closes.
    void connectionEnded(GameClient::Ending why);

private:
    // With a relay code, host and port are a directory's relay (see GameLink).
    void openGameConnection(const QString &host, const QString &relayCode = {});
    // The addresses others can join this hosted game at, as a notice.
    void announceAddresses();

    void joinResolved(const QString &code, const QString &address, quint16 port, const QString &problem,
                      const QString &relayCode);

    HostStarter m_startHost;
    CodeResolver m_resolveCode;
    SoundOutput *m_sound = nullptr;
    quint16 m_port = game::kDefaultPort;
    Options m_options;
    QString m_myname;
    QString m_hostaddress;
    bool m_ishost = false;
    bool m_announceTable = false;
    bool m_loggedin = false;
    int m_myseat = 0;
    bool m_full = false;
    bool m_removed = false;
    GameLink *m_link;
    TSock *m_sock11;
};
