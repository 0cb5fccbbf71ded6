#pragma once

#include "history/gamerecord.h"
#include "protocol/messages.h"

#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <utility>

class GameClient;
class GameFlow;
class HistoryDatabase;
class Roster;

namespace history {

// A game as it starts, or as a copy joining it late finds it.
struct GameStart
{
    QString table;
    QList<SeatRecord> seats;   // the seats taken: number, name, computer strength
    bool team = false;
    int secondsPerTurn = 0;
    int ownSlot = 0;           // 1..4 seated, 5..9 watching
    bool joinedLate = false;   // the seats' totals are those the host reported
};

} // namespace history

// Records the game this copy takes part in or watches. It follows the
// game's events and neither sends nor changes anything. Each frame is
// written when its scores are posted, in one transaction on the history's
// own thread: what the calls here cost is a copy of the frame's values. A
// game is written from its first scored frame on; one that ends without a
// winner keeps its last complete frame and stays unfinished, and so does
// one of which a frame could not be written.
//
// Everything arriving here came from a peer: numbers out of range are
// ignored, names and words are capped.
class GameRecorder : public QObject
{
    Q_OBJECT

public:
    explicit GameRecorder(HistoryDatabase *database, QObject *parent = nullptr);

    // Follows the games of the client's copy from its events and roster,
    // and the own words from the game flow that sends them. A computer
    // player is known by the introduction it makes when it sits down.
    void follow(const GameClient &client, const Roster &roster, const GameFlow &flow);

    // A game starts, or a running one is joined; a game in play is
    // abandoned.
    void gameStarted(const history::GameStart &start);
    // A seat is taken during the game.
    void seatTaken(const history::SeatRecord &seat);
    // The rack every seat gets at the start of a frame. A seat's fresh rack
    // in the tenth frame is passed over: the posted scores name its word.
    void rackDealt(const msg::TheLetters &rack);
    // The turn after a deal: it names the frame.
    void turnBegan(const msg::NextPlayer &turn);
    // This copy's own word, as it sent it, and the host's verdict on it,
    // in the frame in play. Other seats' words come with the posted scores.
    void wordPlayed(int seat, const QString &word, bool accepted);
    // The scores posted after a frame: the frame is written.
    void frameScored(const msg::PostScores &scores);
    // The game is over; winners are seat numbers.
    void gameWon(const QList<int> &winners);
    // The game ends without a winner (the host left, the copy closes).
    void gameAbandoned();

    bool inGame() const { return m_inGame; }
    // The game so far as written: header and seats.
    const history::GameRecord &game() const { return m_game; }

signals:
    // A game was won and is written whole.
    void gameFinished();
    // A line for the chat: the game could not be written whole. Said once
    // a game; the history says "unfinished" of it.
    void notice(const QString &text);

private:
    void startFollowed(bool joinedLate, const msg::LoadStats *state, bool team, int secondsPerTurn);
    history::SeatRecord *seat(int number);
    QList<history::WordRecord> wordsOf(const msg::PostScores &scores) const;
    void touch();
    void writeFailed(const QString &key, const QString &reason);

    HistoryDatabase *m_database;
    const GameClient *m_client = nullptr;
    const Roster *m_roster = nullptr;
    QString m_sentWord;   // the own word awaiting the host's verdict
    bool m_inGame = false;
    bool m_framesGiven = false;   // a frame of this game went to be written
    QString m_reported;           // the last game whose failed write was told
    history::GameRecord m_game;
    QElapsedTimer m_clock;
    int m_lastScored = 0;
    int m_frame = 0;                        // in play: the frame m_rack and m_word belong to
    QString m_rack;
    QString m_word;
    QList<std::pair<int, history::WordRecord>> m_ownWords;   // frame, word; of frames not yet scored
    // The running totals written so far, per seat and frame; -2 for none.
    std::array<std::array<int, history::kFrames + 1>, history::kSeats + 1> m_written{};
};
