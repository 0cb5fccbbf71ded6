#pragma once

#include "host/bowlingscorer.h"
#include "host/hosttable.h"
#include "host/wordjudge.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class Connection;
class QHostAddress;
class Dispatcher;
class PauseSetting;
class TSock;
class WordSource;
enum class SocketInfo;

// The game host. Every copy of the program has one; only the hosting copy
// switches its listener on. It hands each connection a slot (1 to 4 seats,
// 5 to 9 spectators), keeps everybody's roster in step, relays chat, and
// runs the game: ten frames dealt to all seats at once against one clock,
// the words judged, the bowling scores posted, the winner announced.
//
// Messages are handled one at a time from one queue. Each carries the
// connection it came on, and a message that speaks for a slot other than
// its sender's own is ignored: nobody can chat, play, watch, kick or start
// games in another player's name. Kicking, starting a game and switching
// another seat to watching are for the hosting player (slot 1) alone.
//
// Against hostile peers: names and chat lines are cut to a size that no
// client's framing refuses, each connection's chat is rate-limited, and a
// connection that never logs in gives its slot back.
//
// A game directory checks that the table is reachable by connecting to the
// game port and sending CMD_probe; the answer it expects came over the
// host's own connection to it (expectProbe). While such a probe is awaited,
// a new connection is seated only once it has said something or after a
// moment: the probe is answered and closed without ever taking a slot, so
// no player is pushed to a later seat, turned away as full, or told of a
// visitor who came and went.
class TServer : public QObject, public HostTable
{
    Q_OBJECT

public:
    enum class TimerMode { Pause = 1, Frame = 2 };
    // Longer chat texts are cut (and names, to game::kMaxName), so that no
    // relayed message comes near what a client accepts.
    static constexpr int kMaxChatText = 1000;
    static constexpr int kLoginTimeoutMs = 30000;
    // An expected probe is kept this long; this many at once at most.
    static constexpr int kProbeWaitMs = 10000;
    static constexpr int kMaxProbes = 8;
    // While one is awaited, a new connection waits this long, at most, for
    // its seat; this many wait at once, the others are seated at once.
    static constexpr int kProbeHoldMs = 500;
    static constexpr int kMaxHeld = 8;

    // Uses the program's own dictionary and letter words.
    explicit TServer(QObject *parent = nullptr);
    TServer(std::unique_ptr<WordSource> words, QObject *parent = nullptr);
    ~TServer() override;

    // Who gets slot 1 and with it the hosting player's powers: the first
    // connection (a host without a window, started by its first player), or
    // the hosting copy's own window, which connects over the loopback
    // address; a stranger who comes first then gets another slot.
    enum class FirstSlot { FirstComer, HostingWindow };
    // How long slot 1 waits for the hosting window; then anyone may have it.
    static constexpr int kFirstSlotWaitMs = 15000;

    // Switches the listener on and makes the word lists ready, so that
    // the first word judged waits for nothing. Throws ESockException as
    // the listener does.
    void listen(quint16 port, const QHostAddress &address, FirstSlot first = FirstSlot::FirstComer);

    // Where the pause between frames is read; without one it is 10 seconds.
    void setPauseSetting(const PauseSetting *setting) { m_pause = setting; }
    int pauseSeconds() const;

    // Detaches timer1 from the tick: it still starts and stops with the game,
    // but only calls of timer1Timer() advance the clock (for tests).
    void useManualClock();

    // Chat lines, actions and chatter sounds (and the rarer announcements a
    // peer can repeat at will: logging in again, switching to watching)
    // each connection may have relayed per second after a burst of 20;
    // 0 relays everything.
    void setChatLimit(int perSecond) { m_chatLimit = perSecond; }
    // How long a connection may hold a slot without logging in.
    void setLoginTimeout(int milliseconds) { m_loginTimeoutMs = milliseconds; }
    // The clock the chat allowance runs on, in milliseconds (for tests).
    void setClock(std::function<qint64()> now) { m_now = std::move(now); }

    // A directory will send CMD_probe challenge to the game port; it gets
    // answer on that connection.
    void expectProbe(const QByteArray &challenge, const QByteArray &answer);
    // A connection the host opened to a directory's relay for a player, on
    // the queue receivedlist, its host name the player's address: seated as
    // an accepted one is.
    void acceptRelayed(Connection *conn);

    // The listener, port "7772"; the hosting player's window (or the
    // headless host) switches it on with setListen(true).
    TSock *Sock1 = nullptr;
    // The receive queue of all connections and its dispatch.
    Dispatcher *receivedlist = nullptr;
    // The game clock, one tick a second while a game runs.
    QTimer timer1;
    TimerMode timer1Mode = TimerMode::Frame;

    int slotcount = 0;
    int seatcount = game::kSeats;

    void FormCreate();
    void Sock1Accept(TSock *listener);
    // A connection's end, after every message it sent: frees its slot.
    void connectionEnded(quint64 connection);
    void disconnectsock(int slot);

    // A message as it arrived, handed to its handler once read.
    void received(const QByteArray &line, quint64 connection);

    // Message handlers: the message and the connection it came from.
    void receivedlogininfo(const msg::LoginInfo &message, quint64 connection);
    void kickhim(const msg::KickHim &message, quint64 connection);
    void chat(const msg::Chat &message, quint64 connection);
    void action(const msg::Action &message, quint64 connection);
    void startgame(const msg::StartGame &message, quint64 connection);
    void justwatch(const msg::JustWatch &message, quint64 connection);
    void sendword(const msg::SendWord &message, quint64 connection);
    void playasound(const msg::PlayASound &message, quint64 connection);
    // True when it was the awaited probe and was answered.
    bool probe(const msg::Probe &message, quint64 connection);

    // The game's course.
    void startround();
    void findplayer();
    void timer1Timer();
    void timeup();
    void checkforwin();
    void postheirscores();

    QString GetString(int id) const;

    // The lowest free slot a newcomer from peer may have; 0 when none is.
    int freeSlotFor(const QString &peer) const;

    // The slot whose open connection has this id; 0 for none.
    int slotOfConnection(quint64 connection) const;

signals:
    void connectionAccepted(int slot, const QString &peer);
    void connectionRefused(const QString &peer);
    void connectionClosed(int slot, const QByteArray &name);
    void playerLoggedIn(int slot, const QByteArray &name, const QByteArray &version);
    void gameStarted(const QByteArray &name, int secondsPerTurn, bool team);
    void frameEnded(int frame);
    void winnerAnnounced(const QList<int> &winners);
    void probeAnswered(const QString &peer);

private:
    template <typename Message>
    void sendTo(int slot, const Message &message) { sendBytes(slot, msg::encode(message)); }
    template <typename Message>
    void sendToAll(const Message &message)
    {
        const QByteArray bytes = msg::encode(message);
        for (int slot = 1; slot <= slotcount; ++slot)
            sendBytes(slot, bytes);
    }
    void sendBytes(int slot, const QByteArray &bytes);
    // Gives the connection its slot: it is told, and must log in in time.
    void seat(int slot, Connection *conn);
    bool awaitingProbe();
    void hold(TSock *sock);
    void seatHeld(quint64 connection);
    // Seats the connection, or tells it the table is full and closes it.
    void admit(Connection *conn);
    // True when the slot a message speaks for is its sender's own.
    bool isOwnSlot(int slot, quint64 connection) const;

    // The relay allowance's verdict for the slot; tells the sender once
    // when its lines start being dropped.
    bool mayRelay(int slot);
    void sendRack(int seat, int rack);
    void startTimer1(TimerMode mode, int seconds);
    // Deals the word onto rack for every seat; the tiles in the word's order.
    QList<msg::TheLetters::Tile> shuffleOntoRack(int rack, const QByteArray &word);

    std::unique_ptr<WordSource> m_words;
    const PauseSetting *m_pause = nullptr;
    QDeadlineTimer m_firstSlotReserved{0};
    int m_chatLimit = RelayAllowance::kDefaultPerSecond;
    int m_loginTimeoutMs = kLoginTimeoutMs;
    QElapsedTimer m_clock;
    std::function<qint64()> m_now;
    WordJudge m_judge;
    BowlingScorer m_scorer;

    struct ExpectedProbe
    {
        QByteArray challenge;
        QByteArray answer;
        qint64 untilMs = 0;
    };
    QList<ExpectedProbe> m_probes;
    QHash<quint64, Connection *> m_held;      // accepted while a probe was awaited, not seated yet
    QHash<quint64, Connection *> m_unseated;  // answered probes and refusals, closing
    QSet<quint64> m_seatedProbes;             // probes that came too late and had a slot
};
