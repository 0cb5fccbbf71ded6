#pragma once

#include "host/bowlingscorer.h"
#include "host/hosttable.h"
#include "host/wordjudge.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Dispatcher;
class FieldReader;
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
class TServer : public QObject, public HostTable
{
    Q_OBJECT

public:
    enum class TimerMode { Pause = 1, Frame = 2 };
    static constexpr int kDefaultPause = 10;

    // Uses the program's own dictionary and letter words.
    explicit TServer(QObject *parent = nullptr);
    TServer(std::unique_ptr<WordSource> words, QObject *parent = nullptr);
    ~TServer() override;

    // Where the pause between frames is read; without one it is 10 seconds.
    void setPauseSetting(const PauseSetting *setting) { m_pause = setting; }
    int pauseSeconds() const;

    // Detaches timer1 from the tick: it still starts and stops with the game,
    // but only calls of timer1Timer() advance the clock (for tests).
    void useManualClock();

    // The listener, port "7772"; the hosting player's window (or the
    // headless host) switches it on with setListen(true).
    TSock *Sock1 = nullptr;
    // Never opened: carries the handlers each accepted connection takes over.
    TSock *tempsock = nullptr;
    // The receive queue of all connections and its dispatch.
    Dispatcher *receivedlist = nullptr;
    // The game clock, one tick a second while a game runs.
    QTimer timer1;
    TimerMode timer1Mode = TimerMode::Frame;

    int slotcount = 0;
    int seatcount = kSeats;

    void FormCreate();
    void Sock1Accept(TSock *listener);
    void Sock1Read(TSock *sock, qsizetype available);
    void tempsockDisconnect(TSock *sock);
    void tempsockInfo(TSock *sock, SocketInfo kind, const QString &text);
    void disconnectsock(int slot);

    // Message handlers: the payload and the connection it came from.
    void receivedlogininfo(const QByteArray &payload, quint64 connection);
    void kickhim(const QByteArray &payload, quint64 connection);
    void chat(const QByteArray &payload, quint64 connection);
    void action(const QByteArray &payload, quint64 connection);
    void startgame(const QByteArray &payload, quint64 connection);
    void justwatch(const QByteArray &payload, quint64 connection);
    void sendword(const QByteArray &payload, quint64 connection);
    void playasound(const QByteArray &payload, quint64 connection);

    // The game's course.
    void startround();
    void findplayer();
    void timer1Timer();
    void timeup();
    void checkforwin();
    void postheirscores();

    QString GetString(int id) const;

    // The slot whose open connection has this serial; 0 for none.
    int slotOfConnection(quint64 connection) const;

signals:
    void connectionAccepted(int slot, const QString &peer);
    void connectionRefused(const QString &peer);
    void connectionClosed(int slot, const QByteArray &name);
    void playerLoggedIn(int slot, const QByteArray &name, const QByteArray &version);
    void gameStarted(const QByteArray &name, int secondsPerTurn, bool team);
    void frameEnded(int frame);
    void winnerAnnounced(const QByteArray &winners);

private:
    void sendTo(int slot, const QByteArray &message);
    void sendToAll(const QByteArray &message);
    int ownSlot(FieldReader &fields, quint64 connection) const;
    void sendRack(int seat, int rack);
    void startTimer1(TimerMode mode, int seconds);
    void shuffleOntoRack(int rack, const QByteArray &word, QByteArray *deal = nullptr);

    std::unique_ptr<WordSource> m_words;
    const PauseSetting *m_pause = nullptr;
    WordJudge m_judge;
    BowlingScorer m_scorer;
};
