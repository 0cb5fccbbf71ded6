#pragma once

#include "protocol/messages.h"
#include "robots/chattergate.h"
#include "robots/robotbrain.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

class GameLink;

// A computer player: a client of the game host over the real protocol, as
// any person's window is, without a window. It logs in with the version
// text and its name, is dealt the racks, sends its words as tile numbers
// after a human-looking pause, and obeys the host: removed, it leaves;
// set to just watch, it sits the next frames out; given a spectator's
// place, it only watches. After a strike it may say a word or play a
// chatter sound, now and then.
class Robot : public QObject
{
    Q_OBJECT

public:
    Robot(Strength strength, QString name, QObject *parent = nullptr);
    ~Robot() override;   // leaves the game quietly

    // With a relay code, host and port are a game directory's relay, which
    // is asked for the table with that code (see GameLink).
    void connectTo(const QString &host, quint16 port = game::kDefaultPort, const QString &relayCode = {});
    // Ends the connection; left() follows.
    void leave();

    // Phrases and chatter sounds after a strike; on by default.
    void setChatter(bool on) { m_chatter.setEnabled(on); }
    // Says what it is once seated: "is a computer player (Medium)." as an
    // action, so that every copy at the table can tell it from a person.
    void setIntroduction(bool on) { m_introduce = on; }
    // Plays every word at once, with no thinking time and no clock (for
    // tests and benchmarks).
    void setInstant(bool on) { m_instant = on; }
    // Fixes the choices and the thinking times (for tests and benchmarks).
    void setSeed(quint32 seed);

    Strength strength() const { return m_brain.strength(); }
    QString name() const { return m_name; }
    // The slot the host gave it: 1 to 4 a seat, 5 to 9 a spectator; 0 before.
    int slot() const { return m_slot; }
    bool isSeated() const { return game::isSeat(m_slot); }
    // The name the host announced for a slot; empty for a free one.
    QByteArray nameOf(int slot) const;
    // Thinking of a word, waiting for the host's verdict on one, or with
    // messages still to read. A robot in play that is not busy has nothing
    // more to play until a bonus rack or the next deal.
    bool isBusy() const;

signals:
    void loggedIn(int slot);
    // The connection has ended: removed, the host gone, or never joined.
    void left();
    // It could not join: the host was not reached, the directory did not
    // relay the table, or the game is full. left() follows.
    void connectFailed(const QString &reason);

    void gameStarted(const QByteArray &starter, int secondsPerTurn);
    // Its own word was accepted as ball 1 to 3 of the frame.
    void wordPlayed(int frame, const QByteArray &word, int ball);
    // The host refused its word (it should not happen: the host and the
    // robot know the same dictionary).
    void wordRefused(int frame, const QByteArray &word);
    // The frame's scores: its own total and its words of the frame.
    void frameScored(int frame, int total, const QByteArrayList &words);
    void gameOver(const QList<int> &winners);

private:
    using Rack = letterwords::Rack;

    template <typename Message>
    void send(const Message &message) { sendBytes(msg::encode(message)); }
    void sendBytes(const QByteArray &bytes);
    void follow();
    void ended();

    // What it does with the host's events.
    void sendloginfo(int slot);
    void playerinfo(int slot, const QByteArray &name);
    void playerdisconnected(int slot);
    void chatFromOthers(int slot);
    void startthegame(const msg::StartGame &message);
    void loadstats(const msg::LoadStats &message);
    void theletters(const msg::TheLetters &message);
    void getnextplayer(const msg::NextPlayer &message);
    void goodword(const msg::GoodWord &message);
    void worderror(int seat);
    void timeisup();
    void postscores(const msg::PostScores &message);
    void winner(const QList<int> &winners);
    void justwatching(int seat, bool watching);
    void full();

    void stopPlaying();
    void thinkOfNextWord();
    void playWord();
    void maybeChatter();
    void chatter();
    qint64 now() const { return m_clock.elapsed(); }

    QString m_name;
    GameLink *m_link;
    RobotBrain m_brain;
    ChatterGate m_chatter;
    QRandomGenerator m_random;
    QElapsedTimer m_clock;
    QTimer m_thinking;
    QTimer m_chatterDelay;
    bool m_connecting = false;
    bool m_instant = false;
    bool m_introduce = false;
    bool m_hasLeft = false;
    bool m_failed = false;

    int m_slot = 0;
    bool m_loggedIn = false;
    std::array<QByteArray, game::kSlots + 1> m_names;   // by slot, 1 to 9

    int m_secondsPerTurn = game::kDefaultTurnSeconds;
    bool m_watching = false;
    int m_frame = 0;
    std::optional<Rack> m_deal;   // this frame's rack, as dealt
    bool m_inPlay = false;        // it plays the current frame
    qint64 m_deadline = 0;        // when it must be done with the frame
    int m_balls = 0;              // its words accepted this frame
    int m_refusals = 0;
    std::optional<RobotBrain::Move> m_move;   // being thought about or judged
    bool m_awaitingVerdict = false;
};
